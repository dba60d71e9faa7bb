// A long result is read from the driver a block of rows at a time; the pass must give the rows
// that reading them one at a time gives: across the ends of blocks and of the result, with
// NULLs in later rows, with texts longer than the driver declared, and when run again from
// its start part way through a block.
#include <gtest/gtest.h>

#include "db/RecordAccess.h"
#include "DbTests.h"

namespace zmw {
namespace {

using test::CodeOf;

// Rows from..to (every step-th) of table B, as the pass must give them: every column NULL in some.
std::vector<std::string> Expected(int from, int to, int step = 1) {
  std::vector<std::string> rows;
  for (int k = from; k <= to; k += step)
    rows.push_back("i4 " + std::to_string(k) + (k % 7 ? "|text T" + std::to_string(k) : "|null") +
                   (k % 5 ? "|r8 " + test::Number(k + 0.5) : "|null") +
                   (k % 3 ? "|date " + test::Number(DateSerial(2008, 1, 1 + k % 28)) : "|null"));
  return rows;
}

std::string Row(const RecordSource& pass) { return test::Describe(pass, {"N", "T", "R", "D"}); }

std::vector<std::string> Rest(RecordSource& pass) {
  std::vector<std::string> rows;
  for (; !pass.AtEnd(); pass.MoveNext()) rows.push_back(Row(pass));
  return rows;
}

class RecordBlocks : public test::OpenHostDatabase {
 protected:
  void SetUp() override {
    OpenHostDatabase::SetUp();
    if (!IsSkipped()) Run("CREATE TABLE B (N INTEGER, G VARCHAR(2), T VARCHAR(12), R DOUBLE, D DATE)");
  }
  // Rows 1..count, in group A when odd and B when even.
  void Fill(int count) {
    Run("DELETE FROM B");
    for (int from = 1; from <= count; from += 200) {
      std::string insert = "INSERT INTO B VALUES ";
      for (int k = from; k <= count && k < from + 200; ++k) {
        std::string day = std::to_string(101 + k % 28).substr(1);
        insert += (k > from ? ",(" : "(") + std::to_string(k) + (k % 2 ? ",'A'," : ",'B',") +
                  (k % 7 ? "'T" + std::to_string(k) + "'," : "NULL,") + (k % 5 ? std::to_string(k) + ".5," : "NULL,") +
                  (k % 3 ? "'2008-01-" + day + "')" : "NULL)");
      }
      Run(insert);
    }
  }
  RecordSource& Group(const std::string& group) {
    return OpenRecordPassWithTexts(TheZelvoDb(), "SELECT N, T, R, D FROM B WHERE G = '%s' ORDER BY N", {group});
  }
  const std::string all = "SELECT N, T, R, D FROM B ORDER BY N";
};

// The first 8 rows come one at a time, then blocks of 8, 64 and 256 rows: results that end on
// and just after each of those ends.
TEST_P(RecordBlocks, EveryRowOnceInOrderWhereverTheResultEnds) {
  for (int count : {0, 1, 8, 9, 16, 17, 80, 81, 336, 337, 600}) {
    SCOPED_TRACE(count);
    Fill(count);
    RecordSource& pass = OpenRecordPass(TheZelvoDb(), all);
    EXPECT_EQ(Rest(pass), Expected(1, count));
    EXPECT_TRUE(pass.AtEnd());
    EXPECT_EQ(CodeOf([&] { pass.MoveNext(); }), kAdoNoCurrentRecord);
    EXPECT_EQ(CodeOf([&] { pass.Field("N"); }), kAdoNoCurrentRecord);
    CloseRecordPass(TheZelvoDb());
  }
  for (int read : {2, 8, 9, 17, 81, 200}) {  // MoveFirst part way through a block
    SCOPED_TRACE(read);
    RecordSource& pass = OpenRecordPass(TheZelvoDb(), all);
    for (int k = 1; k < read; ++k) pass.MoveNext();
    ASSERT_EQ(Row(pass), Expected(read, read)[0]);
    pass.MoveFirst();
    EXPECT_EQ(Rest(pass), Expected(1, 600));
  }
}

// The connection keeps a lookup's statement prepared: each pass over it, long or short, gives
// its own rows and leaves nothing of itself to the next.
TEST_P(RecordBlocks, PassesOverOnePreparedStatementGiveEachTheirRows) {
  Fill(500);
  const std::vector<std::string> a = Expected(1, 499, 2), b = Expected(2, 500, 2), none;
  // Closed after each, then each put in place of the one before, read whole or part way.
  for (std::string groups : {"ABCA", "BACB"})
    for (char group : groups) {
      SCOPED_TRACE(groups + " " + group);
      EXPECT_EQ(Rest(Group(std::string(1, group))), group == 'A' ? a : group == 'B' ? b : none);
      if (groups == "ABCA") CloseRecordPass(TheZelvoDb());
    }
  RecordSource& partly = Group("B");
  for (int k = 0; k < 20; ++k) partly.MoveNext();
  EXPECT_EQ(Rest(Group("A")), a);
  RecordSource& again = Group("B");
  for (int k = 0; k < 20; ++k) again.MoveNext();
  again.MoveFirst();
  EXPECT_EQ(Rest(again), b);
}

ZMW_ON_EVERY_BACKEND(RecordBlocks);

// SQLite keeps a text of any length in a column declared short; the driver's declared length
// gives the room in the block, so such a text arrives whole only by reading its row again the
// old way. Wherever it sits, the pass gives every row, whole and once.
class RecordBlocksLongText : public test::HostDatabase, public ::testing::WithParamInterface<int> {};

TEST_P(RecordBlocksLongText, ArrivesWholeAndEveryOtherRowOnce) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  Run("CREATE TABLE L (N INTEGER, T VARCHAR(4), R DOUBLE, D DATE)");
  std::string insert = "INSERT INTO L VALUES ", text = "lungo \xE8 ";
  while (text.size() < 3000) text += std::to_string(text.size()) + " ";
  std::vector<std::string> expected;
  for (int k = 1; k <= 100; ++k) {
    std::string s = k == GetParam() ? text : std::string(1, 's').append(std::to_string(k % 10));
    insert += (k > 1 ? ",(" : "(") + std::to_string(k) + ",'" + s + "'," + std::to_string(k) + ",NULL)";
    expected.push_back("i4 " + std::to_string(k) + "|text " + s + "|r8 " + std::to_string(k) + "|null");
  }
  Run(insert);
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT N, T, R, D FROM L ORDER BY N");
  EXPECT_EQ(Rest(pass), expected);
  pass.MoveFirst();
  EXPECT_EQ(Rest(pass), expected) << "and again from the start";
  const std::string format = "SELECT N, T, R, D FROM L WHERE N > '%s' ORDER BY N";
  EXPECT_EQ(Rest(OpenRecordPassWithTexts(TheZelvoDb(), format, {"0"})), expected) << "through a prepared statement";
  EXPECT_EQ(Rest(OpenRecordPassWithTexts(TheZelvoDb(), format, {"0"})), expected) << "and through it once more";
}

// first, start and end of the first block, start of and inside the second, last
INSTANTIATE_TEST_SUITE_P(Rows, RecordBlocksLongText, ::testing::Values(1, 9, 16, 17, 40, 100));

}  // namespace
}  // namespace zmw
