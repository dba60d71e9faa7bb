// A long result is read from the driver a block of rows at a time; the pass must give the rows
// that reading them one at a time gives: across the ends of blocks and of the result, with
// NULLs in later rows, with texts longer than the driver declared, and when run again from
// its start part way through a block.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "support/Database.h"

namespace zmw {
namespace {

std::string Describe(const Variant& v) {
  switch (v.Type()) {
    case VarType::Null: return "null";
    case VarType::I4: return "i4 " + std::to_string(v.IntegerValue());
    case VarType::R8: return "r8 " + std::to_string(v.RealValue());
    case VarType::Date: return "date " + std::to_string(v.RealValue());
    case VarType::Bstr: return "text " + v.Text();
    default: return "type " + std::to_string(int(v.Type()));
  }
}

// Row k of table B, as the pass must give it: every column NULL in some later rows.
std::string ExpectedRow(int k) {
  std::string row = "i4 " + std::to_string(k);
  row += k % 7 == 0 ? "|null" : "|text T" + std::to_string(k);
  row += k % 5 == 0 ? "|null" : "|r8 " + std::to_string(k + 0.5);
  row += k % 3 == 0 ? "|null" : "|date " + std::to_string(DateSerial(2008, 1, 1 + k % 28));
  return row;
}

std::string RowOf(const RecordSource& pass) {
  return Describe(pass.Field("N")) + "|" + Describe(pass.Field("T")) + "|" + Describe(pass.Field("R")) + "|" +
         Describe(pass.Field("D"));
}

std::vector<std::string> ExpectedRows(int from, int to) {
  std::vector<std::string> rows;
  for (int k = from; k <= to; ++k) rows.push_back(ExpectedRow(k));
  return rows;
}

class RecordBlocks : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
    Run("CREATE TABLE B (N INTEGER, G VARCHAR(2), T VARCHAR(12), R DOUBLE, D DATE)");
  }
  // Rows 1..count, in group A when odd and B when even.
  void Fill(int count) {
    Run("DELETE FROM B");
    for (int from = 1; from <= count; from += 200) {
      std::string insert = "INSERT INTO B VALUES ";
      for (int k = from; k <= count && k < from + 200; ++k) {
        if (k > from) insert += ",";
        insert += "(" + std::to_string(k) + (k % 2 ? ",'A'," : ",'B',") +
                  (k % 7 == 0 ? "NULL" : "'T" + std::to_string(k) + "'") + "," +
                  (k % 5 == 0 ? "NULL" : std::to_string(k) + ".5") + "," +
                  (k % 3 == 0 ? "NULL" : "'2008-01-" + std::string(1 + k % 28 < 10 ? "0" : "") + std::to_string(1 + k % 28) + "'") +
                  ")";
      }
      Run(insert);
    }
  }
  std::vector<std::string> Rest(RecordSource& pass) {
    std::vector<std::string> rows;
    for (; !pass.AtEnd(); pass.MoveNext()) rows.push_back(RowOf(pass));
    return rows;
  }
  std::int32_t CodeOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const DbError& e) {
      return e.Code();
    }
    return 0;
  }
};

// The first 8 rows come one at a time, then blocks of 8, 64 and 256 rows: results that end on
// and just after each of those ends.
TEST_P(RecordBlocks, EveryRowOnceInOrderWhereverTheResultEnds) {
  for (int count : {0, 1, 8, 9, 16, 17, 80, 81, 336, 337, 600}) {
    SCOPED_TRACE(count);
    Fill(count);
    RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT N, T, R, D FROM B ORDER BY N");
    EXPECT_EQ(Rest(pass), ExpectedRows(1, count));
    EXPECT_TRUE(pass.AtEnd());
    EXPECT_EQ(CodeOf([&] { pass.MoveNext(); }), kAdoNoCurrentRecord);
    EXPECT_EQ(CodeOf([&] { pass.Field("N"); }), kAdoNoCurrentRecord);
    CloseRecordPass(TheZelvoDb());
  }
}

TEST_P(RecordBlocks, MoveFirstPartWayThroughABlockStartsAgain) {
  Fill(400);
  for (int read : {2, 8, 9, 10, 16, 17, 40, 80, 81, 200}) {
    SCOPED_TRACE(read);
    RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT N, T, R, D FROM B ORDER BY N");
    for (int k = 1; k < read; ++k) pass.MoveNext();
    ASSERT_EQ(RowOf(pass), ExpectedRow(read));
    pass.MoveFirst();
    EXPECT_EQ(Rest(pass), ExpectedRows(1, 400));
  }
}

// The connection keeps a lookup's statement prepared: each pass over it, long or short, gives
// its own rows and leaves nothing of itself to the next.
TEST_P(RecordBlocks, PassesOverOnePreparedStatementGiveEachTheirRows) {
  Fill(500);
  const std::string format = "SELECT N, T, R, D FROM B WHERE G = '%s' ORDER BY N";
  auto rowsOf = [](int first, int last) {
    std::vector<std::string> rows;
    for (int k = first; k <= last; k += 2) rows.push_back(ExpectedRow(k));
    return rows;
  };
  auto expected = [&](char group) {
    return group == 'A' ? rowsOf(1, 499) : group == 'B' ? rowsOf(2, 500) : std::vector<std::string>{};
  };
  // Closed after each, then each put in place of the one before, read whole or part way.
  for (const char* group : {"A", "B", "C", "A"}) {
    SCOPED_TRACE(group);
    RecordSource& pass = OpenRecordPassWithTexts(TheZelvoDb(), format, {group});
    EXPECT_EQ(Rest(pass), expected(*group));
    CloseRecordPass(TheZelvoDb());
  }
  for (const char* group : {"B", "A", "C", "B"}) {
    SCOPED_TRACE(group);
    EXPECT_EQ(Rest(OpenRecordPassWithTexts(TheZelvoDb(), format, {group})), expected(*group));
  }
  RecordSource& partly = OpenRecordPassWithTexts(TheZelvoDb(), format, {"B"});
  for (int k = 0; k < 20; ++k) partly.MoveNext();
  EXPECT_EQ(Rest(OpenRecordPassWithTexts(TheZelvoDb(), format, {"A"})), expected('A'));
  RecordSource& again = OpenRecordPassWithTexts(TheZelvoDb(), format, {"B"});
  for (int k = 0; k < 20; ++k) again.MoveNext();
  again.MoveFirst();
  EXPECT_EQ(Rest(again), expected('B'));
}

ZMW_ON_EVERY_BACKEND(RecordBlocks);

// SQLite keeps a text of any length in a column declared short; the driver's declared length
// gives the room in the block, so such a text arrives whole only by reading its row again the
// old way. Wherever it sits, the pass gives every row, whole and once.
struct LongTextCase {
  int at;  // the row holding the long text
  const char* where;
};
void PrintTo(const LongTextCase& c, std::ostream* os) { *os << c.where << " (row " << c.at << ")"; }

class RecordBlocksLongText : public test::HostDatabase, public ::testing::WithParamInterface<LongTextCase> {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
    Run("CREATE TABLE L (N INTEGER, S VARCHAR(4), R DOUBLE)");
    std::string insert = "INSERT INTO L VALUES ";
    for (int k = 1; k <= kRows; ++k) insert += (k > 1 ? "," : "") + ("(" + std::to_string(k) + ",'" + TextOf(k) + "'," + std::to_string(k) + ")");
    Run(insert);
  }
  static constexpr int kRows = 100;
  std::string TextOf(int k) const {
    if (k != GetParam().at) return "s" + std::to_string(k % 10);
    std::string text = "lungo \xE8 ";
    while (text.size() < 3000) text += std::to_string(text.size()) + " ";
    return text;
  }
  std::vector<std::string> Expected() const {
    std::vector<std::string> rows;
    for (int k = 1; k <= kRows; ++k) rows.push_back(std::to_string(k) + "|" + TextOf(k) + "|" + std::to_string(double(k)));
    return rows;
  }
  static std::vector<std::string> Rest(RecordSource& pass) {
    std::vector<std::string> rows;
    for (; !pass.AtEnd(); pass.MoveNext())
      rows.push_back(std::to_string(VariantToLong(pass.Field("N"))) + "|" + pass.Field("S").Text() + "|" +
                     std::to_string(pass.Field("R").RealValue()));
    return rows;
  }
};

TEST_P(RecordBlocksLongText, ArrivesWholeAndEveryOtherRowOnce) {
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT N, S, R FROM L ORDER BY N");
  EXPECT_EQ(Rest(pass), Expected());
  pass.MoveFirst();
  EXPECT_EQ(Rest(pass), Expected()) << "and again from the start";
  const std::string format = "SELECT N, S, R FROM L WHERE N > '%s' ORDER BY N";
  RecordSource& prepared = OpenRecordPassWithTexts(TheZelvoDb(), format, {"0"});
  EXPECT_EQ(Rest(prepared), Expected()) << "through a prepared statement";
  RecordSource& next = OpenRecordPassWithTexts(TheZelvoDb(), format, {"0"});
  EXPECT_EQ(Rest(next), Expected()) << "and through it once more";
}

INSTANTIATE_TEST_SUITE_P(Table, RecordBlocksLongText,
                         ::testing::Values(LongTextCase{1, "first"}, LongTextCase{9, "start_of_first_block"},
                                           LongTextCase{16, "end_of_first_block"},
                                           LongTextCase{17, "start_of_second_block"},
                                           LongTextCase{40, "inside_second_block"}, LongTextCase{100, "last"}),
                         [](const ::testing::TestParamInfo<LongTextCase>& info) { return std::string(info.param.where); });

}  // namespace
}  // namespace zmw
