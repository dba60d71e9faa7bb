#include "db/providers/win32/AdoSource.h"

#include "db/Workbook.h"
#include "db/providers/win32/ComObjects.h"
#include "platform/Text.h"

namespace zmw {
namespace {

using com::Call;
using com::Var;

constexpr long kAdExecuteNoRecords = 128;

class AdoRecords final : public RecordSource {
 public:
  AdoRecords(IDispatch* connection, const std::string& statement) : set_(com::Create(L"ADODB.Recordset")) {
    Var source = Var::Text(statement), active = Var::Dispatch(connection);
    Var cursor = Var::Long(0), lock = Var::Long(1), options = Var::Long(1);
    Call(set_.Get(), L"Open", DISPATCH_METHOD, {&source, &active, &cursor, &lock, &options});
  }
  bool AtEnd() const override {
    Var eof = Call(set_.Get(), L"EOF", DISPATCH_PROPERTYGET);
    return eof.Get()->vt == VT_BOOL && eof.Get()->boolVal != VARIANT_FALSE;
  }
  void MoveFirst() override { Call(set_.Get(), L"MoveFirst", DISPATCH_METHOD); }
  void MoveNext() override { Call(set_.Get(), L"MoveNext", DISPATCH_METHOD); }
  Variant Field(const std::string& name) const override {
    Var key = Var::Text(name);
    return Value(key);
  }
  Variant Field(int position) const override {
    Var key;
    key.Get()->vt = VT_I2;
    key.Get()->iVal = SHORT(position);
    return Value(key);
  }
  void Close() override { Call(set_.Get(), L"Close", DISPATCH_METHOD); }

 private:
  Variant Value(Var& key) const {
    com::Ptr<IDispatch> fields = com::GetObject(set_.Get(), L"Fields");
    com::Ptr<IDispatch> field = com::GetObject(fields.Get(), L"Item", {&key});
    Var value = Call(field.Get(), L"Value", DISPATCH_PROPERTYGET);
    return com::ToVariant(*value.Get());
  }
  com::Ptr<IDispatch> set_;
};

class AdoCommand final : public CommandSource {
 public:
  AdoCommand(IDispatch* connection, const std::string& statement, const std::vector<ParameterSpec>& specs)
      : command_(com::Create(L"ADODB.Command")) {
    Var active = Var::Dispatch(connection);
    Call(command_.Get(), L"ActiveConnection", DISPATCH_PROPERTYPUTREF, {&active});
    Var text = Var::Text(statement);
    Call(command_.Get(), L"CommandText", DISPATCH_PROPERTYPUT, {&text});
    Var yes;
    yes.Get()->vt = VT_BOOL;
    yes.Get()->boolVal = VARIANT_TRUE;
    Call(command_.Get(), L"Prepared", DISPATCH_PROPERTYPUT, {&yes});
    com::Ptr<IDispatch> parameters = com::GetObject(command_.Get(), L"Parameters");
    for (const ParameterSpec& p : specs) {
      Var name = Var::Text(p.name), type = Var::Long(p.type), direction = Var::Long(1), size = Var::Long(p.size);
      Var parameter = Call(command_.Get(), L"CreateParameter", DISPATCH_METHOD, {&name, &type, &direction, &size});
      Call(parameters.Get(), L"Append", DISPATCH_METHOD, {&parameter});
    }
  }
  void SetParameter(const std::string& name, const Variant& value) override {
    com::Ptr<IDispatch> parameters = com::GetObject(command_.Get(), L"Parameters");
    Var key = Var::Text(name);
    com::Ptr<IDispatch> parameter = com::GetObject(parameters.Get(), L"Item", {&key});
    Var v = Var::From(value);
    Call(parameter.Get(), L"Value", DISPATCH_PROPERTYPUT, {&v});
  }
  void Execute() override {
    Var none = Var::Missing(), noParameters = Var::Missing(), options = Var::Long(kAdExecuteNoRecords);
    Call(command_.Get(), L"Execute", DISPATCH_METHOD, {&none, &noParameters, &options});
  }

 private:
  com::Ptr<IDispatch> command_;
};

class AdoSource final : public DataSource {
 public:
  void Open(const std::string& connectionText) override {
    connection_ = com::Create(L"ADODB.Connection");
    Var text = Var::Text(connectionText), user = Var::Text(""), password = Var::Text(""), options = Var::Long(-1);
    Call(connection_.Get(), L"Open", DISPATCH_METHOD, {&text, &user, &password, &options});
  }
  void Close() override { Call(connection_.Get(), L"Close", DISPATCH_METHOD); }
  std::int32_t ExecuteNoRecords(const std::string& statement) override {
    Var text = Var::Text(statement), affected, options = Var::Long(kAdExecuteNoRecords);
    Var byRef;
    byRef.Get()->vt = VT_BYREF | VT_VARIANT;
    byRef.Get()->pvarVal = affected.Get();
    Call(connection_.Get(), L"Execute", DISPATCH_METHOD, {&text, &byRef, &options});
    byRef.Get()->vt = VT_EMPTY;  // the reference is not ours to clear
    return VariantToLong(com::ToVariant(*affected.Get()));
  }
  std::unique_ptr<RecordSource> OpenRecordSet(const std::string& statement) override {
    return std::make_unique<AdoRecords>(connection_.Get(), statement);
  }
  std::unique_ptr<CommandSource> Prepare(const std::string& statement,
                                         const std::vector<ParameterSpec>& parameters) override {
    return std::make_unique<AdoCommand>(connection_.Get(), statement, parameters);
  }
  void SetCursorLocation(int location) override {
    Var v = Var::Long(location);
    Call(connection_.Get(), L"CursorLocation", DISPATCH_PROPERTYPUT, {&v});
  }

 private:
  com::Ptr<IDispatch> connection_;
};

bool ProviderRegistered(const wchar_t* progId) {
  CLSID clsid;
  return SUCCEEDED(::CLSIDFromProgID(progId, &clsid));
}

class AdoWorkbookSource final : public DataSource {
 public:
  void Open(const std::string& connectionText) override {
    std::string text = connectionText;
    if (NamesJetProvider(text) && SniffWorkbook(WorkbookFileOf(text)) == WorkbookKind::ZipPackage &&
        ProviderRegistered(L"Microsoft.ACE.OLEDB.12.0"))
      text = AceWorkbookText(text);
    ado_.Open(text);
  }
  void Close() override { ado_.Close(); }
  std::int32_t ExecuteNoRecords(const std::string& statement) override { return ado_.ExecuteNoRecords(statement); }
  std::unique_ptr<RecordSource> OpenRecordSet(const std::string& statement) override {
    return ado_.OpenRecordSet(statement);
  }
  std::unique_ptr<CommandSource> Prepare(const std::string& statement,
                                         const std::vector<ParameterSpec>& parameters) override {
    return ado_.Prepare(statement, parameters);
  }
  void SetCursorLocation(int location) override { ado_.SetCursorLocation(location); }

 private:
  AdoSource ado_;
};

}  // namespace

std::unique_ptr<DataSource> CreateAdoSource() { return std::make_unique<AdoSource>(); }
std::unique_ptr<DataSource> CreateAdoWorkbookSource() { return std::make_unique<AdoWorkbookSource>(); }

}  // namespace zmw
