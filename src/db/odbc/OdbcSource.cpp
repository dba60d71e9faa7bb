#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "db/ConnText.h"
#include "db/DbError.h"
#include "db/odbc/OdbcSource.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/common/IniDocument.h"

namespace zmw {
namespace {

#ifndef _WIN32
// unixODBC converts between wide and narrow texts in the calling thread's character set; a
// narrow driver such as SQLite's expects UTF-8. The switch is for this thread and this call
// only: the host's own locale is never touched.
class Utf8Texts {
 public:
  Utf8Texts() {
    static locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
    previous_ = utf8 ? uselocale(utf8) : nullptr;
  }
  ~Utf8Texts() {
    if (previous_) uselocale(previous_);
  }
  Utf8Texts(const Utf8Texts&) = delete;
  Utf8Texts& operator=(const Utf8Texts&) = delete;

 private:
  locale_t previous_;
};
#else
struct Utf8Texts {
  Utf8Texts() {}
};
#endif

std::u16string Wide(const std::string& text) { return platform::Cp1252ToUtf16(text); }
SQLWCHAR* W(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }
std::string Narrow(const SQLWCHAR* text, std::size_t length) {
  return platform::Utf16ToCp1252(std::u16string(reinterpret_cast<const char16_t*>(text), length));
}

// One ODBC handle, freed with its owner.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) handle_ = SQL_NULL_HANDLE;
  }
  ~Handle() { Reset(); }
  Handle(Handle&& o) noexcept : type_(o.type_), handle_(o.handle_) { o.handle_ = SQL_NULL_HANDLE; }
  Handle& operator=(Handle&& o) noexcept {
    if (this != &o) {
      Reset();
      type_ = o.type_;
      handle_ = o.handle_;
      o.handle_ = SQL_NULL_HANDLE;
    }
    return *this;
  }
  void Reset() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
  }
  SQLHANDLE Get() const { return handle_; }
  SQLSMALLINT Type() const { return type_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The driver's diagnostics, SQLSTATE included, as one error.
[[noreturn]] void ThrowDiagnostics(const Handle& h) {
  std::string text;
  for (SQLSMALLINT record = 1; record < 10; ++record) {
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(h.Type(), h.Get(), record, state, &native, message, 1024, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (!text.empty()) text += "\n";
    std::size_t n = std::size_t(length) < 1023 ? std::size_t(length) : 1023;
    text += Narrow(message, n) + " (SQLSTATE " + Narrow(state, 5) + ", " + std::to_string(native) + ")";
  }
  if (text.empty()) text = "ODBC error";
  throw DbError(kEFail, text);
}

void Check(SQLRETURN rc, const Handle& h) {
  if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) ThrowDiagnostics(h);
}

Variant ReadText(const Handle& stmt, SQLUSMALLINT column) {
  std::u16string text;
  SQLWCHAR buffer[512];
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt.Get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    Check(rc, stmt);
    if (indicator == SQL_NULL_DATA) return Variant::Null();
    std::size_t got = (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof buffer))
                          ? sizeof buffer / sizeof(SQLWCHAR) - 1
                          : std::size_t(indicator) / sizeof(SQLWCHAR);
    text.append(reinterpret_cast<const char16_t*>(buffer), got);
    if (rc == SQL_SUCCESS) break;
  }
  return Variant::Bstr(platform::Utf16ToCp1252(text));
}

Variant ReadColumn(const Handle& stmt, SQLUSMALLINT column, SQLSMALLINT sqlType) {
  SQLLEN indicator = 0;
  switch (sqlType) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT: {
      SQLINTEGER v = 0;
      Check(SQLGetData(stmt.Get(), column, SQL_C_SLONG, &v, 0, &indicator), stmt);
      return indicator == SQL_NULL_DATA ? Variant::Null() : Variant::I4(v);
    }
    case SQL_BIT: {
      unsigned char v = 0;
      Check(SQLGetData(stmt.Get(), column, SQL_C_BIT, &v, 0, &indicator), stmt);
      return indicator == SQL_NULL_DATA ? Variant::Null() : Variant::Bool(v != 0);
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
      double v = 0;
      Check(SQLGetData(stmt.Get(), column, SQL_C_DOUBLE, &v, 0, &indicator), stmt);
      return indicator == SQL_NULL_DATA ? Variant::Null() : Variant::R8(v);
    }
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_TYPE_TIME:
    case SQL_DATE:
    case SQL_TIMESTAMP:
    case SQL_TIME: {
      SQL_TIMESTAMP_STRUCT t = {};
      Check(SQLGetData(stmt.Get(), column, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &indicator), stmt);
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      if (sqlType == SQL_TYPE_TIME || sqlType == SQL_TIME) return Variant::Date((t.hour * 3600 + t.minute * 60 + t.second) / 86400.0);
      return Variant::Date(DateSerial(t.year, t.month, t.day, t.hour, t.minute, t.second));
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_BIGINT: {
      Variant text = ReadText(stmt, column);
      if (text.IsNull()) return text;
      try {
        return Variant::DecimalFromText(text.Text());
      } catch (const DbError&) {
        return text;  // a loosely typed database may hold other text in a numeric column
      }
    }
    default:
      return ReadText(stmt, column);
  }
}

struct Column {
  std::string name;
  SQLSMALLINT type;
};

class OdbcRecords final : public RecordSource {
 public:
  OdbcRecords(const Handle& connection, std::string statement)
      : connection_(connection), statement_(std::move(statement)) {
    Execute();
  }
  // A pass over a statement prepared by the connection, which keeps it: this pass binds its
  // texts, runs it and closes its cursor when done, leaving it prepared for the next.
  OdbcRecords(const Handle& connection, const Handle& prepared, const std::vector<std::string>& texts)
      : connection_(connection), prepared_(&prepared) {
    for (const std::string& t : texts) parameters_.push_back(Wide(t));
    Execute();
  }
  ~OdbcRecords() override {
    if (prepared_) SQLFreeStmt(prepared_->Get(), SQL_CLOSE);
  }

  bool AtEnd() const override { return atEnd_; }

  // A forward-only cursor cannot go back: the query runs again, as ADO does.
  void MoveFirst() override {
    if (fetched_ <= 1) return;
    Execute();
  }

  void MoveNext() override {
    if (atEnd_) throw DbError(kAdoNoCurrentRecord, kAdoNoCurrentRecordText);
    Fetch();
  }

  Variant Field(const std::string& name) const override {
    for (std::size_t i = 0; i < columns_.size(); ++i)
      if (platform::EqualsNoCase(columns_[i].name, name)) return Value(i);
    throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
  }

  Variant Field(int position) const override {
    if (position < 0 || std::size_t(position) >= columns_.size()) throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
    return Value(std::size_t(position));
  }

  void Close() override {
    if (prepared_) SQLFreeStmt(prepared_->Get(), SQL_CLOSE);
    else stmt_.Reset();
  }

 private:
  const Handle& Stmt() const { return prepared_ ? *prepared_ : stmt_; }

  Variant Value(std::size_t i) const {
    if (atEnd_) throw DbError(kAdoNoCurrentRecord, kAdoNoCurrentRecordText);
    return row_[i];
  }

  void Execute() {
    Utf8Texts utf8;
    if (prepared_) {
      const Handle& stmt = *prepared_;
      SQLFreeStmt(stmt.Get(), SQL_CLOSE);
      SQLFreeStmt(stmt.Get(), SQL_RESET_PARAMS);
      lengths_.assign(parameters_.size(), 0);
      for (std::size_t i = 0; i < parameters_.size(); ++i) {
        lengths_[i] = SQLLEN(parameters_[i].size() * sizeof(char16_t));
        Check(SQLBindParameter(stmt.Get(), SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                               SQLULEN(parameters_[i].empty() ? 1 : parameters_[i].size()), 0, parameters_[i].data(), 0,
                               &lengths_[i]),
              stmt);
      }
      Check(SQLExecute(stmt.Get()), stmt);
    } else {
      stmt_ = Handle(SQL_HANDLE_STMT, connection_.Get());
      if (!stmt_) ThrowDiagnostics(connection_);
      std::u16string text = Wide(statement_);
      SQLRETURN rc = SQLExecDirectW(stmt_.Get(), W(text), SQL_NTS);
      Check(rc, stmt_);
    }
    const Handle& stmt = Stmt();
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt.Get(), &count), stmt);
    if (count <= 0) throw DbError(kAdoClosed, kAdoClosedText);
    columns_.clear();
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count); ++c) {
      SQLWCHAR name[256] = {};
      SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      Check(SQLDescribeColW(stmt.Get(), c, name, 256, &nameLength, &type, &size, &digits, &nullable), stmt);
      columns_.push_back({Narrow(name, std::size_t(nameLength < 255 ? nameLength : 255)), type});
    }
    fetched_ = 0;
    Fetch();
  }

  // The whole row is read at the fetch: ODBC wants the columns in ascending order.
  void Fetch() {
    Utf8Texts utf8;
    const Handle& stmt = Stmt();
    SQLRETURN rc = SQLFetch(stmt.Get());
    if (rc == SQL_NO_DATA) {
      atEnd_ = true;
      row_.clear();
      return;
    }
    Check(rc, stmt);
    atEnd_ = false;
    ++fetched_;
    row_.clear();
    for (std::size_t i = 0; i < columns_.size(); ++i)
      row_.push_back(ReadColumn(stmt, SQLUSMALLINT(i + 1), columns_[i].type));
  }

  const Handle& connection_;
  std::string statement_;
  Handle stmt_;
  const Handle* prepared_ = nullptr;
  std::vector<std::u16string> parameters_;
  std::vector<SQLLEN> lengths_;
  std::vector<Column> columns_;
  std::vector<Variant> row_;
  bool atEnd_ = true;
  int fetched_ = 0;
};

class OdbcCommand final : public CommandSource {
 public:
  OdbcCommand(const Handle& connection, const std::string& statement, std::vector<ParameterSpec> specs)
      : specs_(std::move(specs)), values_(specs_.size()) {
    Utf8Texts utf8;
    stmt_ = Handle(SQL_HANDLE_STMT, connection.Get());
    if (!stmt_) ThrowDiagnostics(connection);
    std::u16string text = Wide(statement);
    Check(SQLPrepareW(stmt_.Get(), W(text), SQL_NTS), stmt_);
  }

  void SetParameter(const std::string& name, const Variant& value) override {
    for (std::size_t i = 0; i < specs_.size(); ++i)
      if (platform::EqualsNoCase(specs_[i].name, name)) {
        values_[i] = value;
        return;
      }
    throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
  }

  void Execute() override {
    Utf8Texts utf8;
    std::vector<std::u16string> wide(specs_.size());
    std::vector<std::string> narrow(specs_.size());
    std::vector<SQLLEN> lengths(specs_.size());
    for (std::size_t i = 0; i < specs_.size(); ++i) {
      const ParameterSpec& p = specs_[i];
      SQLUSMALLINT number = SQLUSMALLINT(i + 1);
      bool isNull = values_[i].IsNull() || values_[i].Type() == VarType::Empty;
      SQLRETURN rc;
      if (p.type == kAdBstr) {
        if (!isNull) wide[i] = Wide(VariantToText(values_[i]));
        lengths[i] = isNull ? SQL_NULL_DATA : SQLLEN(wide[i].size() * sizeof(char16_t));
        rc = SQLBindParameter(stmt_.Get(), number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                              SQLULEN(p.size > 0 ? p.size : 1), 0, wide[i].data(), 0, &lengths[i]);
      } else {
        if (!isNull) {
          char buffer[64];
          double v = VariantToDouble(values_[i]);
          auto r = p.type == kAdCurrency ? std::to_chars(buffer, buffer + 64, v, std::chars_format::fixed, 4)
                                         : std::to_chars(buffer, buffer + 64, v);
          narrow[i].assign(buffer, r.ptr);
        }
        lengths[i] = isNull ? SQL_NULL_DATA : SQLLEN(narrow[i].size());
        SQLSMALLINT scale = p.type == kAdCurrency ? 4 : 6;
        rc = SQLBindParameter(stmt_.Get(), number, SQL_PARAM_INPUT, SQL_C_CHAR,
                              p.type == kAdCurrency ? SQL_DECIMAL : SQL_NUMERIC, 28, scale,
                              narrow[i].data(), 0, &lengths[i]);
      }
      Check(rc, stmt_);
    }
    SQLRETURN rc = SQLExecute(stmt_.Get());
    if (rc != SQL_NO_DATA) Check(rc, stmt_);
    SQLFreeStmt(stmt_.Get(), SQL_CLOSE);
  }

 private:
  Handle stmt_;
  std::vector<ParameterSpec> specs_;
  std::vector<Variant> values_;
};

class OdbcSource final : public DataSource {
 public:
  void Open(const std::string& connectionText) override {
    Utf8Texts utf8;
    std::string text = DriverConnText(connectionText);
    Disconnect();
    env_ = Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!env_) throw DbError(kEFail, "ODBC driver manager not available");
    SQLSetEnvAttr(env_.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    dbc_ = Handle(SQL_HANDLE_DBC, env_.Get());
    if (!dbc_) ThrowDiagnostics(env_);
    std::u16string wide = Wide(text);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    SQLRETURN rc = SQLDriverConnectW(dbc_.Get(), nullptr, W(wide), SQL_NTS, out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) ThrowDiagnostics(dbc_);
    connected_ = true;
  }

  void Close() override {
    if (!connected_) throw DbError(kAdoClosed, kAdoClosedText);
    Disconnect();
  }

  std::int32_t ExecuteNoRecords(const std::string& statement) override {
    RequireOpen();
    Utf8Texts utf8;
    Handle stmt(SQL_HANDLE_STMT, dbc_.Get());
    if (!stmt) ThrowDiagnostics(dbc_);
    std::u16string text = Wide(statement);
    SQLRETURN rc = SQLExecDirectW(stmt.Get(), W(text), SQL_NTS);
    if (rc == SQL_NO_DATA) return 0;  // an UPDATE or DELETE that touched no row
    Check(rc, stmt);
    SQLLEN rows = 0;
    Check(SQLRowCount(stmt.Get(), &rows), stmt);
    return static_cast<std::int32_t>(rows);
  }

  std::unique_ptr<RecordSource> OpenRecordSet(const std::string& statement) override {
    RequireOpen();
    return std::make_unique<OdbcRecords>(dbc_, statement);
  }

  std::unique_ptr<CommandSource> Prepare(const std::string& statement,
                                         const std::vector<ParameterSpec>& parameters) override {
    RequireOpen();
    return std::make_unique<OdbcCommand>(dbc_, statement, parameters);
  }

  // SQLPrepare alone: the driver compiles the statement (tables and columns are looked up)
  // and describes its result, and nothing is executed.
  std::vector<std::string> ResultColumns(const std::string& statement) override {
    RequireOpen();
    Utf8Texts utf8;
    Handle stmt(SQL_HANDLE_STMT, dbc_.Get());
    if (!stmt) ThrowDiagnostics(dbc_);
    std::u16string text = Wide(statement);
    Check(SQLPrepareW(stmt.Get(), W(text), SQL_NTS), stmt);
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt.Get(), &count), stmt);
    std::vector<std::string> names;
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count > 0 ? count : 0); ++c) {
      SQLWCHAR name[256] = {};
      SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      Check(SQLDescribeColW(stmt.Get(), c, name, 256, &nameLength, &type, &size, &digits, &nullable), stmt);
      names.push_back(Narrow(name, std::size_t(nameLength < 255 ? nameLength : 255)));
    }
    return names;
  }

  std::unique_ptr<RecordSource> OpenPreparedRecordSet(const std::string& statement,
                                                      const std::vector<std::string>& texts) override {
    RequireOpen();
    auto found = prepared_.find(statement);
    if (found == prepared_.end()) {
      Utf8Texts utf8;
      Handle stmt(SQL_HANDLE_STMT, dbc_.Get());
      if (!stmt) ThrowDiagnostics(dbc_);
      std::u16string text = Wide(statement);
      Check(SQLPrepareW(stmt.Get(), W(text), SQL_NTS), stmt);
      found = prepared_.emplace(statement, std::move(stmt)).first;
    }
    return std::make_unique<OdbcRecords>(dbc_, found->second, texts);
  }

  ~OdbcSource() override { Disconnect(); }

 private:
  void RequireOpen() const {
    if (!connected_) throw DbError(kAdoClosed, kAdoClosedText);
  }
  void Disconnect() {
    prepared_.clear();  // their handles go before the connection's
    if (connected_) SQLDisconnect(dbc_.Get());
    connected_ = false;
    dbc_.Reset();
    env_.Reset();
  }

  Handle env_;
  Handle dbc_;
  bool connected_ = false;
  std::map<std::string, Handle> prepared_;
};

}  // namespace

// unixODBC reads a file DSN only through its narrow entry, and Wine's cannot see Windows
// paths: the file's [ODBC] keys take the place of FILEDSN here, those of the text winning.
// Database files named by Windows paths live where the platform keeps them.
std::string DriverConnText(const std::string& connectionText) {
  ConnAttributes given = ParseConnText(connectionText);
  ConnTextEdit edit(connectionText);
  auto nativeValue = [](const std::string& key, const std::string& value) {
    bool names = platform::EqualsNoCase(key, "Database") || platform::EqualsNoCase(key, "DBQ");
    return names ? platform::NativePath(value).string() : value;
  };
  bool expanded = false;
  for (const ConnAttribute& a : given) {
    if (platform::EqualsNoCase(a.key, "FILEDSN")) {
      if (expanded) {
        edit.Remove(a);  // the first one counts
        continue;
      }
      expanded = true;
      std::ifstream in(platform::NativePath(a.value), std::ios::binary);
      if (!in)
        throw DbError(kEFail, "[ZelvoMW][ODBC] General error: Invalid file dsn '" + a.value + "' (SQLSTATE HY000)");
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::vector<std::pair<std::string, std::string>> fromFile;
      for (auto& [key, value] : platform::IniDocument::Parse(bytes).Entries("ODBC"))
        if (!ConnValue(given, key)) fromFile.emplace_back(key, nativeValue(key, value));
      edit.Replace(a, fromFile);
    } else if (std::string native = nativeValue(a.key, a.value); native != a.value) {
      edit.ReplaceValue(a, native);
    }
  }
  return edit.Result();
}

std::unique_ptr<DataSource> CreateOdbcSource() { return std::make_unique<OdbcSource>(); }

}  // namespace zmw
