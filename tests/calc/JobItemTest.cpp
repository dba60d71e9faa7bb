#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "calc/CalcKit.h"
#include "calc/Ext80.h"
#include "support/TestEnv.h"

namespace zmw { namespace {

using calctest::Ext80;
const std::string kOne = Ext80(0x8000000000000000ull, 16383);  // 1.0; other exponents below
std::string Ext1(int exponent) { return Ext80(0x8000000000000000ull, unsigned(16383 + exponent)); }
std::string Ext80Of(double v) {
  unsigned char b[10];
  DoubleToExt80(v, b);
  return std::string(reinterpret_cast<char*>(b), 10);
}

TEST(Ext80, ReadFollowsTheReadersRule) {
  struct Row { const char* what; std::string bytes; double expected; };
  for (const Row& r : {Row{"zero", Ext80(0, 0), 0.0}, {"-7", Ext80(0xE000000000000000ull, 0x8000 | 16385), -7.0},
       {"infinity", Ext1(0x7FFF - 16383), 0.0}, {"below 2^-1022", Ext1(-1023), 0.0},
       {"smallest normal double", Ext1(-1022), std::numeric_limits<double>::min()}, {"above the double range", Ext1(1024), 0.0},
       {"largest double", Ext80(0xFFFFFFFFFFFFF800ull, 16383 + 1023), std::numeric_limits<double>::max()},
       {"low 11 bits cut, not rounded", Ext80(0x80000000000007FFull, 16383), 1.0},
       {"one above 1.0 in the 52nd bit", Ext80(0x8000000000000800ull, 16383), 1.0 + std::ldexp(1.0, -52)}}) {
    double got = Ext80ToDouble(reinterpret_cast<const unsigned char*>(r.bytes.data()));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(r.expected)) << r.what << ": " << got;
  }
}

TEST(Ext80, WriteIsExactAndReadsBack) {
  for (double v : {-7.0, 0.1, 1e300, std::numeric_limits<double>::max()})
    EXPECT_EQ(Ext80ToDouble(reinterpret_cast<const unsigned char*>(Ext80Of(v).data())), v) << v;
  EXPECT_EQ(Ext80Of(2.5), Ext80(0xA000000000000000ull, 16384));
  EXPECT_EQ(Ext80Of(std::ldexp(1.0, -1074)), Ext1(-1074)) << "the smallest subnormal double";
  EXPECT_EQ(Ext80Of(-0.0), Ext80(0, 0x8000));
}

// Copying goes field by field: every field comes through, the reserved areas come back zero and
// an unterminated text is cut to its size - 1.
TEST(JobItemRecordLayout, CopyTakesEveryFieldAndClearsReservedAreas) {
  EXPECT_EQ(calctest::Bytes(JobItemRecord()), std::string(754, '\0') + '\1' + std::string(248, '\0')) << "a new record";
  JobItemRecord r;
  r.PosText1.Set("P1"), r.PosText2.Set("P2"), r.PosText3.Set("P3"), r.PosText4.Set("P4");
  r.Text277.Set("T277"), r.Text777.Set("T777"), r.Text798.Set("T798"), r.Text.Set("Cerniera \xE8");
  r.Maker.Set("MAICO"), r.Maker2.Set("MAICO2"), r.Category.Set("CAT"), r.Finish.Set("RAL9010"), r.PrintGroup.Set("PG");
  r.Int18.Set(0xBEEF), r.PosNo.Set(-2), r.Kind.Set(2), r.Int754.Set(7), r.Int879.Set(879);
  r.Sub1.Set(1), r.Sub2.Set(2), r.Sub3.Set(3), r.Sub4.Set(4), r.Sub5.Set(-5);
  r.Value.Set(2.5), r.Value2.Set(-7), r.Quantity.Set(2.9), r.AssemblyTime.Set(1.5), r.ProcessingTime.Set(0.25);
  std::string b = calctest::Bytes(r);
  double q;
  std::memcpy(&q, b.data() + 972, 8);  // little-endian hosts only; the field itself is portable
  EXPECT_EQ(q, 2.9);
  std::string in = b, junk(30, 'J');
  in.replace(0, 9, "COMMESSA1");
  in.replace(592, 30, "X" + std::string(1, '\0') + junk.substr(2));  // Code "X" followed by junk
  in.replace(942, 30, junk), in.replace(1000, 3, junk.substr(0, 3));
  std::string expected = b;
  expected.replace(0, 8, "COMMESSA"), expected.replace(592, 1, "X");
  EXPECT_EQ(calctest::Bytes(JobItemRecord::FromBytes(reinterpret_cast<const unsigned char*>(in.data()))), expected);
}

class JobItemFiles : public test::CleanMachine {
 protected:
  std::string Path(const char* name) { return Scratch() + "\\" + name; }
};

TEST_F(JobItemFiles, CountReadsUntilAShortRead) {
  using R = CountRule;
  struct Row { const char* what; std::int16_t count; int records, extraBytes; R rule; std::size_t expected; };
  for (const Row& c : {Row{"count only", 0, 0, 0, R::Ignore, 0}, {"3 and 500 bytes, list", 3, 3, 500, R::EmptyWhenNotPositive, 3},
       {"count 0, request", 0, 2, 0, R::Ignore, 2}, {"count 0, list", 0, 2, 0, R::EmptyWhenNotPositive, 0},
       {"negative count, list", -5, 2, 0, R::EmptyWhenNotPositive, 0}}) {
    SCOPED_TRACE(c.what);
    std::vector<JobItemRecord> records(std::size_t(c.records));
    for (int i = 0; i < c.records; ++i) records[std::size_t(i)].PosNo.Set(std::int16_t(i + 1));
    test::WriteFile(Path("JOB.MW"), calctest::JobFile(c.count, records) + std::string(std::size_t(c.extraBytes), 'U'));
    JobItemList list;
    JobItemFileInfo info = list.Load(Path("JOB.MW"), c.rule);
    EXPECT_EQ(list.Size(), c.expected);
    EXPECT_EQ(info.count, c.count);
    for (std::size_t i = 0; i < list.Size(); ++i) EXPECT_EQ(list[i].PosNo.Get(), int(i + 1));
  }
}

TEST_F(JobItemFiles, CountIsStoredCutTo16Bits) {
  JobItemList list;
  JobItemRecord r;
  for (int i = 0; i < 65536; ++i) list.Append(r);
  ASSERT_TRUE(list.Save(Path("BIG.FIT")));
  std::string bytes = test::ReadFile(Path("BIG.FIT"));
  ASSERT_EQ(bytes.size(), 2u + 65536u * 1003u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\0\0", 2));
}

TEST_F(JobItemFiles, SaveReplacesTheFileAndLeavesNoTemporaryOne) {
  JobItemList list, none;
  JobItemRecord r;
  r.Code.Set("301234"), list.Append(r);
  r.Code.Set("301235"), list.Append(r);
  test::WriteFile(Path("A123.FIT"), "old");
  ASSERT_TRUE(list.Save(Path("A123.FIT")));
  EXPECT_EQ(test::ReadFile(Path("A123.FIT")), calctest::JobFile(2, {list[0], list[1]}));
  EXPECT_FALSE(test::FileExists(Path("A123.FIT.~new")));
  EXPECT_FALSE(list.Save(Path("NO-FOLDER\\A.FIT")));
  EXPECT_FALSE(none.Load(Path("NONE.MW"), CountRule::Ignore).opened) << "a missing file is an empty list";
  EXPECT_TRUE(none.Empty());
}

} }  // namespace zmw
