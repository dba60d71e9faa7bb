#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>

#include "db/ConnText.h"
#include "db/DbError.h"
#include "db/odbc/OdbcHandle.h"
#include "db/odbc/OdbcRecords.h"
#include "db/odbc/OdbcSource.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/common/IniDocument.h"

namespace zmw {
namespace {

using odbc::Check;
using odbc::Handle;
using odbc::ThrowDiagnostics;
using odbc::Utf8Texts;
using odbc::Narrow;
using odbc::W;
using odbc::Wide;

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
          // A currency holds ±922 337 203 685 477.5807; beyond that (or no number at all) the
          // conversion overflows, as the platform's variant conversion says.
          if (p.type == kAdCurrency && !(v > -922337203685477.5808 && v < 922337203685477.5808))
            throw DbError(kDispOverflow);
          auto r = p.type == kAdCurrency ? std::to_chars(buffer, buffer + 64, v, std::chars_format::fixed, 4)
                                         : std::to_chars(buffer, buffer + 64, v);
          if (r.ec != std::errc()) throw DbError(kDispOverflow);
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
    return odbc::OpenRecords(dbc_, statement);
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

  // SQLStatistics lists a table's indexes one column a row; the primary key is one of them
  // where the database backs it by an index, and SQLPrimaryKeys names it where it does not.
  std::vector<std::vector<std::string>> UniqueKeys(const std::string& table) override {
    RequireOpen();
    Utf8Texts utf8;
    std::u16string name = Wide(table);
    std::map<std::string, std::vector<std::string>> keys;
    {
      Handle stmt = CatalogStatement();
      Check(SQLStatisticsW(stmt.Get(), nullptr, 0, nullptr, 0, W(name), SQL_NTS, SQL_INDEX_UNIQUE, SQL_QUICK), stmt);
      while (Fetched(stmt)) {
        SQLSMALLINT nonUnique = 1, type = SQL_TABLE_STAT;
        SQLLEN length = 0;
        Check(SQLGetData(stmt.Get(), 7, SQL_C_SSHORT, &type, 0, &length), stmt);
        Check(SQLGetData(stmt.Get(), 4, SQL_C_SSHORT, &nonUnique, 0, &length), stmt);
        if (type != SQL_TABLE_STAT && length != SQL_NULL_DATA && nonUnique == SQL_FALSE)
          keys["index " + TextColumn(stmt, 6)].push_back(TextColumn(stmt, 9));
      }
    }
    {
      Handle stmt = CatalogStatement();
      Check(SQLPrimaryKeysW(stmt.Get(), nullptr, 0, nullptr, 0, W(name), SQL_NTS), stmt);
      std::vector<std::string> primary;
      while (Fetched(stmt)) primary.push_back(TextColumn(stmt, 4));
      if (!primary.empty()) keys["primary"] = primary;
    }
    std::vector<std::vector<std::string>> found;
    for (auto& [index, columns] : keys)
      if (std::find(found.begin(), found.end(), columns) == found.end()) found.push_back(columns);
    return found;
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
    return odbc::OpenPreparedRecords(dbc_, found->second, texts);
  }

  ~OdbcSource() override { Disconnect(); }

 private:
  void RequireOpen() const {
    if (!connected_) throw DbError(kAdoClosed, kAdoClosedText);
  }
  Handle CatalogStatement() {
    Handle stmt(SQL_HANDLE_STMT, dbc_.Get());
    if (!stmt) ThrowDiagnostics(dbc_);
    return stmt;
  }
  static bool Fetched(const Handle& stmt) {
    SQLRETURN rc = SQLFetch(stmt.Get());
    if (rc == SQL_NO_DATA) return false;
    Check(rc, stmt);
    return true;
  }
  static std::string TextColumn(const Handle& stmt, SQLUSMALLINT column) {
    SQLWCHAR text[256] = {};
    SQLLEN length = 0;
    Check(SQLGetData(stmt.Get(), column, SQL_C_WCHAR, text, sizeof text, &length), stmt);
    if (length == SQL_NULL_DATA || length < 0) return "";
    std::size_t chars = std::size_t(length) / sizeof(SQLWCHAR);
    return Narrow(text, chars < 255 ? chars : 255);
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
