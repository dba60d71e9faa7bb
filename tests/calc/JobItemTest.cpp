#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "calc/Ext80.h"
#include "calc/JobItem.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

std::string Ext80Bytes(std::uint64_t significand, unsigned top) {
  std::string b(10, '\0');
  for (int i = 0; i < 8; ++i) b[std::size_t(i)] = char(significand >> (8 * i));
  b[8] = char(top);
  b[9] = char(top >> 8);
  return b;
}

struct Ext80Case {
  const char* what;
  std::string bytes;
  double expected;
};

class Ext80Read : public ::testing::TestWithParam<Ext80Case> {};

TEST_P(Ext80Read, FollowsTheReadersRule) {
  double got = Ext80ToDouble(reinterpret_cast<const unsigned char*>(GetParam().bytes.data()));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(GetParam().expected))
      << GetParam().what << ": " << got;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ext80Read,
    ::testing::Values(
        Ext80Case{"2.5", Ext80Bytes(0xA000000000000000ull, 16384), 2.5},
        Ext80Case{"-7", Ext80Bytes(0xE000000000000000ull, 0x8000 | 16385), -7.0},
        Ext80Case{"zero", Ext80Bytes(0, 0), 0.0},
        Ext80Case{"infinity", Ext80Bytes(0x8000000000000000ull, 0x7FFF), 0.0},
        Ext80Case{"below 2^-1022", Ext80Bytes(0x8000000000000000ull, 16383 - 1023), 0.0},
        Ext80Case{"smallest normal double", Ext80Bytes(0x8000000000000000ull, 16383 - 1022),
                  std::numeric_limits<double>::min()},
        Ext80Case{"above the double range", Ext80Bytes(0x8000000000000000ull, 16383 + 1024), 0.0},
        Ext80Case{"largest double", Ext80Bytes(0xFFFFFFFFFFFFF800ull, 16383 + 1023),
                  std::numeric_limits<double>::max()},
        Ext80Case{"low 11 bits cut, not rounded", Ext80Bytes(0x80000000000007FFull, 16383), 1.0},
        Ext80Case{"one above 1.0 in the 52nd bit", Ext80Bytes(0x8000000000000800ull, 16383),
                  1.0 + std::ldexp(1.0, -52)}));

TEST(Ext80Write, IsExactAndReadsBack) {
  for (double v : {2.5, -7.0, 1500.0, 0.1, 1e300, -1e-300, std::numeric_limits<double>::min(),
                   std::numeric_limits<double>::max(), 123456.789}) {
    unsigned char b[10];
    DoubleToExt80(v, b);
    EXPECT_EQ(Ext80ToDouble(b), v) << v;
  }
  unsigned char b[10];
  DoubleToExt80(2.5, b);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 10), Ext80Bytes(0xA000000000000000ull, 16384));
  DoubleToExt80(std::ldexp(1.0, -1074), b);  // the smallest subnormal double
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 10), Ext80Bytes(0x8000000000000000ull, 16383 - 1074));
  DoubleToExt80(-0.0, b);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 10), Ext80Bytes(0, 0x8000));
}

TEST(JobItemRecordLayout, NewRecordIsZeroButInt754) {
  JobItemRecord r;
  unsigned char bytes[1003];
  r.ToBytes(bytes);
  for (std::size_t i = 0; i < 1003; ++i) EXPECT_EQ(bytes[i], i == 754 ? 1 : 0) << "offset " << i;
}

TEST(JobItemRecordLayout, EveryFieldAtItsOffset) {
  JobItemRecord r;
  r.JobCode.Set("COMMESSA1");  // nine characters: cut to eight
  r.PosText1.Set("P1");
  r.Int18.Set(0xBEEF);
  r.PosText2.Set("P2");
  r.PosText3.Set("P3");
  r.PosNo.Set(-2);
  r.Text277.Set("T277");
  r.PosText4.Set("P4");
  r.Maker.Set("MAICO");
  r.Maker2.Set("MAICO2");
  r.Code.Set("CODE");
  r.Text.Set("Cerniera \xE8");
  r.Category.Set("CAT");
  r.Kind.Set(2);
  r.Int754.Set(7);
  r.Finish.Set("RAL9010");
  r.Text777.Set("T777");
  r.Text798.Set("T798");
  r.Int879.Set(879);
  r.Value.Set(2.5);
  r.Value2.Set(-7);
  r.Sub1.Set(1);
  r.Sub2.Set(2);
  r.Sub3.Set(3);
  r.Sub4.Set(4);
  r.Sub5.Set(-5);
  r.PrintGroup.Set("PG");
  r.Quantity.Set(2.9);
  r.AssemblyTime.Set(1.5);
  r.ProcessingTime.Set(0.25);
  unsigned char b[1003];
  r.ToBytes(b);
  auto text = [&](std::size_t at) { return std::string(reinterpret_cast<char*>(b + at)); };
  auto u16 = [&](std::size_t at) { return unsigned(b[at] | (b[at + 1] << 8)); };
  EXPECT_EQ(text(0), "COMMESSA");
  EXPECT_EQ(b[8], 0);
  EXPECT_EQ(text(9), "P1");
  EXPECT_EQ(u16(18), 0xBEEFu);
  EXPECT_EQ(text(20), "P2");
  EXPECT_EQ(text(175), "P3");
  EXPECT_EQ(u16(275), 0xFFFEu);
  EXPECT_EQ(text(277), "T277");
  EXPECT_EQ(text(512), "P4");
  EXPECT_EQ(text(532), "MAICO");
  EXPECT_EQ(text(562), "MAICO2");
  EXPECT_EQ(text(592), "CODE");
  EXPECT_EQ(text(622), "Cerniera \xE8");
  EXPECT_EQ(text(722), "CAT");
  EXPECT_EQ(u16(752), 2u);
  EXPECT_EQ(u16(754), 7u);
  EXPECT_EQ(text(756), "RAL9010");
  EXPECT_EQ(text(777), "T777");
  EXPECT_EQ(text(798), "T798");
  EXPECT_EQ(u16(879), 879u);
  EXPECT_EQ(Ext80ToDouble(b + 881), 2.5);
  EXPECT_EQ(Ext80ToDouble(b + 891), -7.0);
  EXPECT_EQ(u16(901), 1u);
  EXPECT_EQ(u16(903), 2u);
  EXPECT_EQ(u16(905), 3u);
  EXPECT_EQ(u16(907), 4u);
  EXPECT_EQ(u16(909), 0xFFFBu);
  EXPECT_EQ(text(911), "PG");
  double q;
  std::memcpy(&q, b + 972, 8);  // little-endian hosts only; the field itself is portable
  EXPECT_EQ(q, 2.9);
  EXPECT_EQ(Ext80ToDouble(b + 980), 1.5);
  EXPECT_EQ(Ext80ToDouble(b + 990), 0.25);
}

TEST(JobItemRecordLayout, CopyTakesTextsAsStringsAndClearsReservedAreas) {
  unsigned char raw[1003];
  for (std::size_t i = 0; i < 1003; ++i) raw[i] = static_cast<unsigned char>('A' + i % 26);
  raw[592] = 'X';
  raw[593] = '\0';  // Code "X" followed by junk
  JobItemRecord r = JobItemRecord::FromBytes(raw);
  EXPECT_EQ(r.Code.Get(), "X");
  EXPECT_EQ(r.JobCode.Get().size(), 8u) << "an unterminated text is cut to size - 1";
  unsigned char out[1003];
  JobItemRecord copy(r);
  copy.ToBytes(out);
  for (std::size_t i = 593; i < 622; ++i) EXPECT_EQ(out[i], 0) << i;
  for (std::size_t i = 942; i < 972; ++i) EXPECT_EQ(out[i], 0) << i;
  for (std::size_t i = 1000; i < 1003; ++i) EXPECT_EQ(out[i], 0) << i;
  EXPECT_EQ(out[8], 0);
  EXPECT_EQ(std::memcmp(out + 18, raw + 18, 2), 0);
  EXPECT_EQ(std::memcmp(out + 972, raw + 972, 8), 0);
}

class JobItemFiles : public test::CleanMachine {
 protected:
  std::string Count(std::int16_t n) { return std::string{char(n & 0xFF), char((n >> 8) & 0xFF)}; }
  std::string Record(std::int16_t pos) {
    JobItemRecord r;
    r.PosNo.Set(pos);
    std::string b(1003, '\0');
    r.ToBytes(reinterpret_cast<unsigned char*>(b.data()));
    return b;
  }
};

struct CountCase {
  const char* what;
  std::int16_t count;
  int records;
  int extraBytes;
  CountRule rule;
  std::size_t expected;
};

class JobItemCount : public JobItemFiles, public ::testing::WithParamInterface<CountCase> {};

TEST_P(JobItemCount, ReadsUntilAShortRead) {
  const CountCase& c = GetParam();
  std::string bytes = Count(c.count);
  for (int i = 0; i < c.records; ++i) bytes += Record(std::int16_t(i + 1));
  bytes += std::string(std::size_t(c.extraBytes), '\x55');
  std::string path = Scratch() + "\\JOB.MW";
  test::WriteFile(path, bytes);
  JobItemList list;
  JobItemFileInfo info = list.Load(path, c.rule);
  EXPECT_TRUE(info.opened);
  EXPECT_EQ(list.Size(), c.expected) << c.what;
  EXPECT_EQ(info.count, c.count);
  for (std::size_t i = 0; i < list.Size(); ++i) EXPECT_EQ(list[i].PosNo.Get(), int(i + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Table, JobItemCount,
    ::testing::Values(CountCase{"3 and 500 bytes", 3, 3, 500, CountRule::Ignore, 3},
                      CountCase{"3 and 500 bytes, list", 3, 3, 500, CountRule::EmptyWhenNotPositive, 3},
                      CountCase{"count 0, request", 0, 2, 0, CountRule::Ignore, 2},
                      CountCase{"count 0, list", 0, 2, 0, CountRule::EmptyWhenNotPositive, 0},
                      CountCase{"negative count, list", -5, 2, 0, CountRule::EmptyWhenNotPositive, 0},
                      CountCase{"count larger than the file", 9, 1, 1002, CountRule::Ignore, 1},
                      CountCase{"count only", 0, 0, 0, CountRule::Ignore, 0}));

TEST_F(JobItemFiles, CountIsStoredCutTo16Bits) {
  JobItemList list;
  JobItemRecord r;
  for (int i = 0; i < 65536; ++i) {
    r.PosNo.Set(std::int16_t(i));
    list.Append(r);
  }
  std::string path = Scratch() + "\\BIG.FIT";
  ASSERT_TRUE(list.Save(path));
  std::string bytes = test::ReadFile(path);
  ASSERT_EQ(bytes.size(), 2u + 65536u * 1003u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\0\0", 2));
  JobItemList asList, asRequest;
  asList.Load(path, CountRule::EmptyWhenNotPositive);
  asRequest.Load(path, CountRule::Ignore);
  EXPECT_EQ(asList.Size(), 0u);
  EXPECT_EQ(asRequest.Size(), 65536u);
}

TEST_F(JobItemFiles, SaveRoundTripsAndLeavesNoTemporaryFile) {
  JobItemList list;
  JobItemRecord r;
  r.Code.Set("301234");
  r.Quantity.Set(3);
  list.Append(r);
  r.Code.Set("301235");
  list.Append(r);
  std::string path = Scratch() + "\\A123.FIT";
  test::WriteFile(path, "old");
  ASSERT_TRUE(list.Save(path));
  std::string bytes = test::ReadFile(path);
  EXPECT_EQ(bytes.size(), 2u + 2 * 1003u);
  EXPECT_EQ(bytes[0], 2);
  JobItemList back;
  back.Load(path, CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(back.Size(), 2u);
  EXPECT_EQ(back[1].Code.Get(), "301235");
  EXPECT_EQ(back[1].Quantity.Get(), 3.0);
  EXPECT_FALSE(test::FileExists(path + ".~new"));
  EXPECT_FALSE(list.Save(Scratch() + "\\NO-FOLDER\\A.FIT"));
}

TEST_F(JobItemFiles, MissingFileIsAnEmptyListNotOpened) {
  JobItemList list;
  EXPECT_FALSE(list.Load(Scratch() + "\\NONE.MW", CountRule::Ignore).opened);
  EXPECT_TRUE(list.Empty());
}

}  // namespace
}  // namespace zmw
