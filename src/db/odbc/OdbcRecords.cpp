#include "db/odbc/OdbcRecords.h"

#include <utility>
#include <vector>

#include "db/DbError.h"
#include "db/odbc/OdbcBlockFetch.h"
#include "platform/Text.h"

namespace zmw::odbc {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "wide texts are UTF-16 at the driver");

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
      return DateValue(t, sqlType);
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_BIGINT: {
      Variant text = ReadText(stmt, column);
      if (text.IsNull()) return text;
      return DecimalOrText(std::move(text));
    }
    default:
      return ReadText(stmt, column);
  }
}

// A lookup reads a row or two and is done: the first rows of every pass are read one at a
// time, without arrays to bind and unbind; blocks come after them.
constexpr int kRowsBeforeBlocks = 8;

class OdbcRecords final : public RecordSource {
 public:
  OdbcRecords(const Handle& connection, std::string statement)
      : connection_(connection), statement_(std::move(statement)) {
    Execute();
  }
  OdbcRecords(const Handle& connection, const Handle& prepared, const std::vector<std::string>& texts)
      : connection_(connection), prepared_(&prepared) {
    for (const std::string& t : texts) parameters_.push_back(Wide(t));
    try {
      Execute();
    } catch (...) {
      // The connection keeps the statement: it must not point at this pass's arrays.
      Release();
      throw;
    }
  }
  ~OdbcRecords() override { Release(); }

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

  Variant Field(const std::string& name) const override { return Value(IndexOf(name)); }

  Variant Field(int position) const override {
    if (position < 0 || std::size_t(position) >= columns_.size()) throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
    return Value(std::size_t(position));
  }

  void Close() override {
    if (prepared_) {
      SQLFreeStmt(prepared_->Get(), SQL_CLOSE);
      Unbind();
    } else {
      stmt_.Reset();
      blocks_.Forget();
    }
  }

 private:
  const Handle& Stmt() const { return prepared_ ? *prepared_ : stmt_; }

  Variant Value(std::size_t i) const {
    if (atEnd_) throw DbError(kAdoNoCurrentRecord, kAdoNoCurrentRecordText);
    return row_[i];
  }

  // A caller asks for the same few names on every row; each is matched against the columns
  // once, the first column equal to it without regard to case.
  std::size_t IndexOf(const std::string& name) const {
    for (const auto& [asked, index] : names_)
      if (asked == name) return index;
    for (std::size_t i = 0; i < columns_.size(); ++i)
      if (platform::EqualsNoCase(columns_[i].name, name)) {
        if (names_.size() < 32) names_.emplace_back(name, i);
        return i;
      }
    throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
  }

  void Release() {
    if (!prepared_) return;
    SQLFreeStmt(prepared_->Get(), SQL_CLOSE);
    Unbind();
  }

  void Execute() {
    Run();
    fetched_ = 0;
    Fetch();
  }

  // Runs the statement and learns its columns, the cursor before the first row.
  void Run() {
    Utf8Texts utf8;
    if (prepared_) {
      const Handle& stmt = *prepared_;
      SQLFreeStmt(stmt.Get(), SQL_CLOSE);
      Unbind();
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
      blocks_.Forget();
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
      columns_.push_back({Narrow(name, std::size_t(nameLength < 255 ? nameLength : 255)), type, size});
    }
    names_.clear();
    row_.resize(columns_.size());
    block_ = blocksAllowed_ && blocks_.Plan(columns_);
  }

  void Fetch() {
    if (block_ && fetched_ >= kRowsBeforeBlocks) FetchFromBlock();
    else FetchRow();
  }

  // The whole row is read at the fetch: ODBC wants the columns in ascending order.
  void FetchRow() {
    Utf8Texts utf8;
    const Handle& stmt = Stmt();
    SQLRETURN rc = SQLFetch(stmt.Get());
    if (rc == SQL_NO_DATA) {
      atEnd_ = true;
      return;
    }
    Check(rc, stmt);
    atEnd_ = false;
    ++fetched_;
    for (std::size_t i = 0; i < columns_.size(); ++i) row_[i] = ReadColumn(stmt, SQLUSMALLINT(i + 1), columns_[i].type);
  }

  void FetchFromBlock() {
    switch (blocks_.Next(Stmt(), row_)) {
      case BlockFetch::Got::Row:
        atEnd_ = false;
        ++fetched_;
        return;
      case BlockFetch::Got::End: atEnd_ = true; return;
      case BlockFetch::Got::Refused:
        // Every row so far has been given: the pass goes on from the cursor a row at a time,
        // as it began.
        Unbind();
        block_ = false;
        FetchRow();
        return;
      case BlockFetch::Got::NotAsARead: LeaveBlocks(); return;
    }
  }

  void Unbind() { blocks_.Unbind(Stmt()); }

  // A row that the block could not give as the row-at-a-time read gives it: the query runs
  // again without blocks, the rows already passed are skipped, and the pass goes on from that
  // row as it always did, its error or its whole text included.
  void LeaveBlocks() {
    int passed = fetched_;
    blocksAllowed_ = false;
    Run();
    fetched_ = passed;
    {
      Utf8Texts utf8;
      const Handle& stmt = Stmt();
      for (int i = 0; i < passed; ++i) {
        SQLRETURN rc = SQLFetch(stmt.Get());
        if (rc == SQL_NO_DATA) {
          atEnd_ = true;
          return;
        }
        Check(rc, stmt);
      }
    }
    FetchRow();
  }

  const Handle& connection_;
  std::string statement_;
  Handle stmt_;
  const Handle* prepared_ = nullptr;
  std::vector<std::u16string> parameters_;
  std::vector<SQLLEN> lengths_;
  std::vector<Column> columns_;
  mutable std::vector<std::pair<std::string, std::size_t>> names_;
  std::vector<Variant> row_;
  bool atEnd_ = true;
  int fetched_ = 0;  // rows made current since the statement last ran

  // Whether this pass may use blocks (not after a row they could not give), and whether the
  // current run does.
  bool blocksAllowed_ = true;
  bool block_ = false;
  BlockFetch blocks_;
};

}  // namespace

std::unique_ptr<RecordSource> OpenRecords(const Handle& connection, std::string statement) {
  return std::make_unique<OdbcRecords>(connection, std::move(statement));
}

std::unique_ptr<RecordSource> OpenPreparedRecords(const Handle& connection, const Handle& prepared,
                                                  const std::vector<std::string>& texts) {
  return std::make_unique<OdbcRecords>(connection, prepared, texts);
}

}  // namespace zmw::odbc
