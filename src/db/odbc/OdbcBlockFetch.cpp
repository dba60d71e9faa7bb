#include "db/odbc/OdbcBlockFetch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "db/DbError.h"
#include "platform/Text.h"

namespace zmw::odbc {
namespace {

// Blocks grow up to a bound in rows and in bytes: the first ones small, for a pass that stops
// soon after the first rows.
constexpr SQLULEN kFirstBlockRows = 8;
constexpr SQLULEN kBlockGrowth = 8;
constexpr SQLULEN kMostBlockRows = 256;
constexpr std::size_t kBlockBytes = 256 * 1024;
// Texts declared longer than this (and those of no declared length) are read piece by piece,
// a row at a time, as they always were.
constexpr SQLULEN kLongestBoundText = 1024;
// What no driver writes as a row's status: a status left so was not given.
constexpr SQLUSMALLINT kNoStatus = 0xFFFF;

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

}  // namespace

Variant DateValue(const SQL_TIMESTAMP_STRUCT& t, SQLSMALLINT sqlType) {
  if (sqlType == SQL_TYPE_TIME || sqlType == SQL_TIME)
    return Variant::Date((t.hour * 3600 + t.minute * 60 + t.second) / 86400.0);
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

// false for a column that only the row-at-a-time read can take.
bool BlockFetch::PlanColumn(const Column& column, BoundColumn& bound) {
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

bool BlockFetch::Plan(const std::vector<Column>& columns) {
  capacity_ = inBlock_ = usable_ = next_ = 0;
  columns_.resize(columns.size());
  std::size_t rowBytes = sizeof(SQLUSMALLINT);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!PlanColumn(columns[i], columns_[i])) return false;
    rowBytes += std::size_t(columns_[i].width) + sizeof(SQLLEN);
  }
  mostRows_ = std::min<SQLULEN>(kMostBlockRows, SQLULEN(kBlockBytes / rowBytes));
  return mostRows_ >= 2;
}

BlockFetch::Got BlockFetch::Next(const Handle& stmt, std::vector<Variant>& row) {
  if (next_ < usable_) {
    LoadRow(next_++, row);
    return Got::Row;
  }
  if (usable_ < inBlock_) return Got::NotAsARead;
  if (!Grow(stmt.Get())) return Got::Refused;  // every row so far has been given
  Utf8Texts utf8;
  std::fill(statuses_.begin(), statuses_.end(), kNoStatus);
  SQLRETURN rc = SQLFetch(stmt.Get());
  if (rc == SQL_NO_DATA) {
    inBlock_ = usable_ = next_ = 0;
    return Got::End;
  }
  if (rc == SQL_INVALID_HANDLE) Check(rc, stmt);
  inBlock_ = rc == SQL_ERROR ? 0 : std::min(rowsFetched_, capacity_);
  usable_ = UsableRows(rc);
  next_ = 0;
  if (usable_ == 0) return Got::NotAsARead;
  LoadRow(next_++, row);
  return Got::Row;
}

// Rows of the block up to the first that the row-at-a-time read would give otherwise: one in
// error, or with a text longer than its room. A fetch that failed as a whole gives none.
SQLULEN BlockFetch::UsableRows(SQLRETURN rc) const {
  for (SQLULEN r = 0; r < inBlock_; ++r) {
    if (rc != SQL_SUCCESS && statuses_[r] != SQL_ROW_SUCCESS && statuses_[r] != SQL_ROW_SUCCESS_WITH_INFO) return r;
    for (const BoundColumn& c : columns_)
      if (c.Cut(r)) return r;
  }
  return inBlock_;
}

// The arrays for the next block: the first ones small, then larger once a block has been used
// whole; the cursor takes them from the row after the current one. false when the driver
// refuses them.
bool BlockFetch::Grow(SQLHSTMT stmt) {
  SQLULEN rows = capacity_ == 0 ? std::min(kFirstBlockRows, mostRows_) : std::min(capacity_ * kBlockGrowth, mostRows_);
  if (rows == capacity_) return true;
  bound_ = true;
  for (BoundColumn& c : columns_) {
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
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    BoundColumn& c = columns_[i];
    if (!SQL_SUCCEEDED(SQLBindCol(stmt, SQLUSMALLINT(i + 1), c.cType, c.values.data(), c.width, c.indicators.data())))
      return false;
  }
  capacity_ = given;
  return true;
}

void BlockFetch::Unbind(const Handle& handle) {
  if (!bound_) return;
  SQLHSTMT stmt = handle.Get();
  SQLFreeStmt(stmt, SQL_UNBIND);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(std::uintptr_t(1)), 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
  bound_ = false;
  capacity_ = 0;
}

// The row of the block, each value as the row-at-a-time read makes it.
void BlockFetch::LoadRow(SQLULEN r, std::vector<Variant>& row) {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const BoundColumn& c = columns_[i];
    Variant& value = row[i];
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

}  // namespace zmw::odbc
