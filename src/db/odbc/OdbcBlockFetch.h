// Rows a block at a time: arrays bound column by column, filled by one fetch, each row then
// given as the row-at-a-time read would give it. Where a row of the block could not be given
// so (an error, a text longer than its room), the record pass goes back to its own read.
#pragma once
#include <string>
#include <vector>

#include "db/Variant.h"
#include "db/odbc/OdbcHandle.h"

namespace zmw::odbc {

struct Column {
  std::string name;
  SQLSMALLINT type;
  SQLULEN size;
};

// What both reads make of a value: a date or time, and a numeric column's text.
Variant DateValue(const SQL_TIMESTAMP_STRUCT& t, SQLSMALLINT sqlType);
Variant DecimalOrText(Variant text);

class BlockFetch {
 public:
  // Whether every column has a room known in advance, so the result can come in blocks; the
  // block of an earlier run is forgotten.
  bool Plan(const std::vector<Column>& columns);

  enum class Got {
    Row,         // the next row is in the values
    End,         // no row is left
    Refused,     // the driver will not take the arrays: go on a row at a time from the cursor
    NotAsARead,  // the next row must come from the row-at-a-time read: run the query again
  };
  Got Next(const Handle& stmt, std::vector<Variant>& row);

  // The statement as the row-at-a-time read wants it, pointing at nothing of this pass.
  void Unbind(const Handle& stmt);
  // The statement handle is gone, and with it what it pointed at.
  void Forget() { bound_ = false; }

 private:
  // One column's array: the C type the row-at-a-time read asks the driver for, and the room
  // for one row's value.
  struct BoundColumn {
    SQLSMALLINT sqlType = 0;
    SQLSMALLINT cType = 0;
    SQLLEN width = 0;
    std::vector<unsigned char> values;
    std::vector<SQLLEN> indicators;

    // A text the room did not hold whole, which only a read of its own can give.
    bool Cut(SQLULEN row) const {
      SQLLEN got = indicators[row];
      return cType == SQL_C_WCHAR && (got == SQL_NO_TOTAL || got >= width);
    }
  };

  static bool PlanColumn(const Column& column, BoundColumn& bound);
  bool Grow(SQLHSTMT stmt);
  SQLULEN UsableRows(SQLRETURN rc) const;
  void LoadRow(SQLULEN r, std::vector<Variant>& row);

  std::vector<BoundColumn> columns_;
  std::vector<SQLUSMALLINT> statuses_;
  bool bound_ = false;  // the statement points at these arrays
  SQLULEN mostRows_ = 0;
  SQLULEN capacity_ = 0;
  SQLULEN rowsFetched_ = 0;
  SQLULEN inBlock_ = 0;
  SQLULEN usable_ = 0;
  SQLULEN next_ = 0;
  std::string narrow_;
};

}  // namespace zmw::odbc
