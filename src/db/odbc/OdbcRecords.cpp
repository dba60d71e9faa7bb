#include "db/odbc/OdbcRecords.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "db/DbError.h"
#include "platform/Text.h"

namespace zmw::odbc {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "wide texts are UTF-16 at the driver");

// The narrow text of wide units, as platform::Utf16ToCp1252 gives it. Windows-1252 holds every
// unit below 0x100 but 0x80..0x9F at its own value, so such texts are copied as they are and
// only the others go through the conversion.
void NarrowInto(std::string& out, const unsigned char* units, std::size_t count) {
  out.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    char16_t unit;
    std::memcpy(&unit, units + i * sizeof unit, sizeof unit);
    if (unit >= 0x100 || (unit >= 0x80 && unit < 0xA0)) {
      std::u16string wide(count, u'\0');
      std::memcpy(wide.data(), units, count * sizeof(char16_t));
      out = platform::Utf16ToCp1252(wide);
      return;
    }
    out[i] = char(unit);
  }
}

bool IsDecimalType(SQLSMALLINT sqlType) {
  return sqlType == SQL_DECIMAL || sqlType == SQL_NUMERIC || sqlType == SQL_BIGINT;
}

bool IsTimeType(SQLSMALLINT sqlType) { return sqlType == SQL_TYPE_TIME || sqlType == SQL_TIME; }

Variant DateValue(const SQL_TIMESTAMP_STRUCT& t, SQLSMALLINT sqlType) {
  if (IsTimeType(sqlType)) return Variant::Date((t.hour * 3600 + t.minute * 60 + t.second) / 86400.0);
  return Variant::Date(DateSerial(t.year, t.month, t.day, t.hour, t.minute, t.second));
}

// A numeric column arrives as its text and becomes a DECIMAL; a loosely typed database may
// hold other text in a numeric column, which stays text.
Variant DecimalOrText(Variant text) {
  try {
    return Variant::DecimalFromText(text.Text());
  } catch (const DbError&) {
    return text;
  }
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

struct Column {
  std::string name;
  SQLSMALLINT type;
  SQLULEN size;
};

// Rows come a block at a time into arrays bound column by column when every column has a room
// known in advance. A lookup reads a row or two and is done: the first rows of every pass are
// read one at a time, without arrays to bind and unbind, and the blocks after them grow up to
// a bound in rows and in bytes.
constexpr int kRowsBeforeBlocks = 8;
constexpr SQLULEN kFirstBlockRows = 8;
constexpr SQLULEN kBlockGrowth = 8;
constexpr SQLULEN kMostBlockRows = 256;
constexpr std::size_t kBlockBytes = 256 * 1024;
// Texts declared longer than this (and those of no declared length) are read piece by piece,
// a row at a time, as they always were.
constexpr SQLULEN kLongestBoundText = 1024;
// What no driver writes as a row's status: a status left so was not given.
constexpr SQLUSMALLINT kNoStatus = 0xFFFF;

// One column's array in a block: the C type the row-at-a-time read asks the driver for, and
// the room for one row's value.
struct BoundColumn {
  SQLSMALLINT sqlType = 0;
  SQLSMALLINT cType = 0;
  SQLLEN width = 0;
  std::vector<unsigned char> values;
  std::vector<SQLLEN> indicators;

  bool IsText() const { return cType == SQL_C_WCHAR; }
  // A text the room did not hold whole, which only a read of its own can give.
  bool Cut(SQLULEN row) const {
    SQLLEN got = indicators[row];
    return IsText() && (got == SQL_NO_TOTAL || got >= width);
  }
};

// false for a column that only the row-at-a-time read can take.
bool PlanColumn(const Column& column, BoundColumn& bound) {
  bound.sqlType = column.type;
  switch (column.type) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
      bound.cType = SQL_C_SLONG;
      bound.width = sizeof(SQLINTEGER);
      return true;
    case SQL_BIT:
      bound.cType = SQL_C_BIT;
      bound.width = sizeof(unsigned char);
      return true;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      bound.cType = SQL_C_DOUBLE;
      bound.width = sizeof(double);
      return true;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_TYPE_TIME:
    case SQL_DATE:
    case SQL_TIMESTAMP:
    case SQL_TIME:
      bound.cType = SQL_C_TYPE_TIMESTAMP;
      bound.width = sizeof(SQL_TIMESTAMP_STRUCT);
      return true;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_BIGINT:
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      if (column.size == 0 || column.size > kLongestBoundText) return false;
      // Twice the declared length: room for a sign and a point, for characters beyond the
      // basic plane, and for what a loosely typed database keeps beyond the declaration.
      bound.cType = SQL_C_WCHAR;
      bound.width = SQLLEN((column.size * 2 + 3) * sizeof(SQLWCHAR));
      return true;
    default:
      return false;
  }
}

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
      bound_ = false;
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
      bound_ = false;
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
    PlanBlocks();
  }

  void PlanBlocks() {
    block_ = false;
    capacity_ = inBlock_ = usable_ = next_ = 0;
    if (!blocksAllowed_) return;
    blockColumns_.resize(columns_.size());
    std::size_t rowBytes = sizeof(SQLUSMALLINT);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (!PlanColumn(columns_[i], blockColumns_[i])) return;
      rowBytes += std::size_t(blockColumns_[i].width) + sizeof(SQLLEN);
    }
    mostRows_ = std::min<SQLULEN>(kMostBlockRows, SQLULEN(kBlockBytes / rowBytes));
    block_ = mostRows_ >= 2;
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
    if (next_ < usable_) {
      LoadRow(next_++);
      return;
    }
    if (usable_ < inBlock_) {
      LeaveBlocks();
      return;
    }
    if (!Grow()) {
      // The driver will not take the arrays: every row so far has been given, so the pass goes
      // on from the cursor a row at a time, as it began.
      Unbind();
      block_ = false;
      FetchRow();
      return;
    }
    Utf8Texts utf8;
    const Handle& stmt = Stmt();
    std::fill(statuses_.begin(), statuses_.end(), kNoStatus);
    SQLRETURN rc = SQLFetch(stmt.Get());
    if (rc == SQL_NO_DATA) {
      atEnd_ = true;
      inBlock_ = usable_ = next_ = 0;
      return;
    }
    if (rc == SQL_INVALID_HANDLE) Check(rc, stmt);
    inBlock_ = rc == SQL_ERROR ? 0 : std::min(rowsFetched_, capacity_);
    usable_ = UsableRows(rc);
    next_ = 0;
    if (usable_ == 0) {
      LeaveBlocks();
      return;
    }
    LoadRow(next_++);
  }

  // Rows of the block up to the first that the row-at-a-time read would give otherwise: one in
  // error, or with a text longer than its room. A fetch that failed as a whole gives none.
  SQLULEN UsableRows(SQLRETURN rc) const {
    for (SQLULEN r = 0; r < inBlock_; ++r) {
      if (rc != SQL_SUCCESS && statuses_[r] != SQL_ROW_SUCCESS && statuses_[r] != SQL_ROW_SUCCESS_WITH_INFO) return r;
      for (const BoundColumn& c : blockColumns_)
        if (c.Cut(r)) return r;
    }
    return inBlock_;
  }

  // The arrays for the next block: the first ones small, then larger once a block has been
  // used whole; the cursor takes them from the row after the current one. false when the
  // driver refuses them.
  bool Grow() {
    SQLULEN rows = capacity_ == 0 ? std::min(kFirstBlockRows, mostRows_) : std::min(capacity_ * kBlockGrowth, mostRows_);
    if (rows == capacity_) return true;
    SQLHSTMT stmt = Stmt().Get();
    bound_ = true;
    for (BoundColumn& c : blockColumns_) {
      c.values.assign(std::size_t(c.width) * rows, 0);
      c.indicators.assign(rows, 0);
    }
    statuses_.assign(rows, kNoStatus);
    SQLRETURN rc = SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(std::uintptr_t(rows)), 0);
    if (!SQL_SUCCEEDED(rc)) return false;
    SQLULEN given = rows;
    if (rc == SQL_SUCCESS_WITH_INFO) {
      // A driver may give fewer rows a fetch than asked.
      if (!SQL_SUCCEEDED(SQLGetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, &given, 0, nullptr)) || given < 2 || given > rows)
        return false;
      mostRows_ = given;
    }
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &rowsFetched_, 0))) return false;
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, statuses_.data(), 0))) return false;
    for (std::size_t i = 0; i < blockColumns_.size(); ++i) {
      BoundColumn& c = blockColumns_[i];
      if (!SQL_SUCCEEDED(SQLBindCol(stmt, SQLUSMALLINT(i + 1), c.cType, c.values.data(), c.width, c.indicators.data())))
        return false;
    }
    capacity_ = given;
    return true;
  }

  // The statement as the row-at-a-time read wants it, pointing at nothing of this pass.
  void Unbind() {
    if (!bound_) return;
    SQLHSTMT stmt = Stmt().Get();
    SQLFreeStmt(stmt, SQL_UNBIND);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(std::uintptr_t(1)), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    bound_ = false;
    capacity_ = 0;
  }

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

  // The row of the block made current, each value as the row-at-a-time read makes it.
  void LoadRow(SQLULEN r) {
    atEnd_ = false;
    ++fetched_;
    for (std::size_t i = 0; i < blockColumns_.size(); ++i) {
      const BoundColumn& c = blockColumns_[i];
      Variant& value = row_[i];
      SQLLEN indicator = c.indicators[r];
      if (indicator == SQL_NULL_DATA) {
        value = Variant::Null();
        continue;
      }
      const unsigned char* at = c.values.data() + std::size_t(c.width) * r;
      switch (c.cType) {
        case SQL_C_SLONG: {
          SQLINTEGER v;
          std::memcpy(&v, at, sizeof v);
          value = Variant::I4(v);
          break;
        }
        case SQL_C_BIT:
          value = Variant::Bool(*at != 0);
          break;
        case SQL_C_DOUBLE: {
          double v;
          std::memcpy(&v, at, sizeof v);
          value = Variant::R8(v);
          break;
        }
        case SQL_C_TYPE_TIMESTAMP: {
          SQL_TIMESTAMP_STRUCT t;
          std::memcpy(&t, at, sizeof t);
          value = DateValue(t, c.sqlType);
          break;
        }
        default:
          NarrowInto(narrow_, at, std::size_t(indicator) / sizeof(SQLWCHAR));
          if (IsDecimalType(c.sqlType)) value = DecimalOrText(Variant::Bstr(narrow_));
          else value.AssignBstr(narrow_);
      }
    }
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

  // Blocks: whether this pass may use them (not after a row they could not give), whether
  // the current run does, and where in the current block the pass is.
  bool blocksAllowed_ = true;
  bool block_ = false;
  bool bound_ = false;  // the statement points at this pass's arrays
  std::vector<BoundColumn> blockColumns_;
  std::vector<SQLUSMALLINT> statuses_;
  SQLULEN mostRows_ = 0;
  SQLULEN capacity_ = 0;
  SQLULEN rowsFetched_ = 0;
  SQLULEN inBlock_ = 0;
  SQLULEN usable_ = 0;
  SQLULEN next_ = 0;
  std::string narrow_;
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
