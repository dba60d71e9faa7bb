#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "calc/MwResultReader.h"
#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

// A result line with the fields at MaicoWin's columns.
std::string Line(const std::string& position, const std::string& code, const std::string& quantity,
                 const std::string& description = "", const std::string& number = "", const std::string& code130 = "") {
  std::string line(272, ' ');
  line.replace(114, position.size(), position);
  line.replace(130, code130.size(), code130);
  line.replace(143, code.size(), code);
  line.replace(156, quantity.size(), quantity);
  line.replace(171, description.size(), description);
  line.replace(262, number.size(), number);
  return line + "\r\n";
}

struct FieldCase {
  std::string line;
  std::size_t column, width;
  const char* expected;
};

class Fields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(Fields, AreCutByColumnAndWidth) {
  EXPECT_EQ(ResultField(GetParam().line, GetParam().column, GetParam().width), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Fields,
                         ::testing::Values(FieldCase{std::string(114, 'x') + "  12 \n", 114, 4, "  12"},
                                           FieldCase{std::string(114, 'x') + "12\t\r\n", 114, 4, "12"},
                                           FieldCase{std::string(120, 'x'), 143, 13, ""},
                                           FieldCase{std::string(120, 'x'), 114, 4, "xxxx"},
                                           FieldCase{std::string(143, ' ') + "ABCDEFGHIJKLMNOP", 143, 13, "ABCDEFGHIJKLM"}));

struct DecimalCase {
  const char* text;
  long expected;
};

class Decimals : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(Decimals, ReadAsAtoiDoes) { EXPECT_EQ(ReadDecimal(GetParam().text), GetParam().expected) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(Table, Decimals,
                         ::testing::Values(DecimalCase{"  12", 12}, DecimalCase{"A12", 0}, DecimalCase{"2,5", 2},
                                           DecimalCase{"2.5", 2}, DecimalCase{"-7x", -7}, DecimalCase{"+3", 3},
                                           DecimalCase{"", 0}, DecimalCase{"99999999999", 2147483647}));

class Reader : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nEXPORT=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\n");
    test::MakeFolders("C:\\MAICOWIN\\EXCH");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\").c_str());
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
  }
  void Result(const std::string& text) { test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", text); }
  void JobFile(const std::string& name, std::int16_t count, std::vector<JobItemRecord> records) {
    std::string bytes = {char(count & 0xFF), char((count >> 8) & 0xFF)};
    for (const JobItemRecord& r : records) {
      std::string b(1003, '\0');
      r.ToBytes(reinterpret_cast<unsigned char*>(b.data()));
      bytes += b;
    }
    test::WriteFile(Scratch() + "\\" + name, bytes);
  }
  static JobItemRecord Position(std::int16_t pos, const char* text1, const char* text2 = "T2") {
    JobItemRecord r;
    r.PosNo.Set(pos);
    r.PosText1.Set(text1);
    r.PosText2.Set(text2);
    r.PosText3.Set("T3");
    r.PosText4.Set("T4");
    return r;
  }
};

TEST_F(Reader, EveryLineBecomesARecordCompletedFromTheArchive) {
  JobFile("A123.MW", 2, {Position(0, "HEAD"), Position(7, "F7")});
  Result(Line("   7", "301234", "3", "Cerniera", "5") + Line("  12", "", "2", "", "", "402010") + "\r\n" +
         Line("A12", "509900", "2,5"));
  MwResultReader reader("A123");
  EXPECT_EQ(reader.ProcessResults(), 1);
  const JobItemList& list = reader.Accessories();
  ASSERT_EQ(list.Size(), 4u);
  const JobItemRecord& hinge = list[0];
  EXPECT_EQ(hinge.JobCode.Get(), "A123");
  EXPECT_EQ(hinge.PosNo.Get(), 7);
  EXPECT_EQ(hinge.Maker.Get(), "MAICO");
  EXPECT_EQ(hinge.Code.Get(), "301234");
  EXPECT_EQ(hinge.Text.Get(), "Cerniera");
  EXPECT_EQ(hinge.Category.Get(), "CERNIERE");
  EXPECT_EQ(hinge.PrintGroup.Get(), "FERRAMENTA");
  EXPECT_EQ(hinge.Kind.Get(), 1);
  EXPECT_EQ(hinge.Int754.Get(), 5);
  EXPECT_EQ(hinge.Quantity.Get(), 3.0);
  EXPECT_EQ(hinge.AssemblyTime.Get(), 4.5) << "3 x 1.5";
  EXPECT_EQ(hinge.ProcessingTime.Get(), 1.5);
  EXPECT_EQ(hinge.PosText1.Get(), "F7");
  EXPECT_EQ(hinge.PosText4.Get(), "T4");
  const JobItemRecord& rod = list[1];
  EXPECT_EQ(rod.Code.Get(), "402010") << "column 143 blank: the code of column 130";
  EXPECT_EQ(rod.PosNo.Get(), 12);
  EXPECT_EQ(rod.Kind.Get(), 2);
  EXPECT_EQ(rod.AssemblyTime.Get(), 0.0) << "by length, and a new accessory's length is 0";
  EXPECT_EQ(rod.Category.Get(), "");
  EXPECT_EQ(rod.PosText1.Get(), "") << "no position 12 in the job";
  const JobItemRecord& blank = list[2];
  EXPECT_EQ(blank.Code.Get(), "");
  EXPECT_EQ(blank.Quantity.Get(), 0.0);
  EXPECT_EQ(blank.Kind.Get(), 1) << "no archive row: as made";
  const JobItemRecord& handle = list[3];
  EXPECT_EQ(handle.PosNo.Get(), 0);
  EXPECT_EQ(handle.Quantity.Get(), 2.0);
  EXPECT_EQ(handle.Kind.Get(), 0) << "UnMis NULL";
  EXPECT_EQ(handle.AssemblyTime.Get(), 0.0);
  EXPECT_EQ(handle.PosText1.Get(), "HEAD") << "the first record of the job file takes part";
  EXPECT_FALSE(test::FileExists(Scratch() + "\\A123.MW"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Reader, LoadedRecordsComeFirstAndMaicoRecordsAreNormalised) {
  JobItemRecord old;
  old.Maker.Set("MAICO");
  old.Code.Set("OLD");
  old.Kind.Set(0);
  JobItemRecord other;
  other.Maker.Set("ALTRO");
  other.Kind.Set(0);
  JobFile("A123.FIT", 2, {old, other});
  Result(Line("1", "301234", "1"));
  MwResultReader reader("A123");
  reader.ProcessResults();
  JobItemList saved;
  saved.Load(Scratch() + "\\A123.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(saved.Size(), 3u);
  EXPECT_EQ(saved[0].Code.Get(), "OLD");
  EXPECT_EQ(saved[0].Category.Get(), "ACC. A PEZZO");
  EXPECT_EQ(saved[0].Kind.Get(), 1);
  EXPECT_EQ(saved[1].Category.Get(), "");
  EXPECT_EQ(saved[1].Kind.Get(), 0);
  EXPECT_EQ(saved[2].Code.Get(), "301234");
}

TEST_F(Reader, AFitWithCountZeroIsRewrittenWithTheNewRecordsOnly) {
  JobItemRecord old;
  old.Code.Set("OLD");
  JobFile("A123.FIT", 0, {old, old});
  Result(Line("1", "301234", "1"));
  MwResultReader reader("A123");
  reader.ProcessResults();
  JobItemList saved;
  saved.Load(Scratch() + "\\A123.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(saved.Size(), 1u);
  EXPECT_EQ(saved[0].Code.Get(), "301234");
}

TEST_F(Reader, ArchiveNullsReloadAsPieceAccessories) {
  Result(Line("1", "509900", "1"));
  { MwResultReader(std::string("A123")).ProcessResults(); }
  Result("");
  MwResultReader again("A123");
  again.ProcessResults();
  ASSERT_EQ(again.Accessories().Size(), 1u);
  EXPECT_EQ(again.Accessories()[0].Kind.Get(), 1);
  EXPECT_EQ(again.Accessories()[0].Category.Get(), "MANIGLIE");
}

TEST_F(Reader, QuotesInCodesAreDoubledAndLongTextsCut) {
  Run("INSERT INTO Accessori (Produttore, Produttore2, Codice, Categoria, GruppoStampa, UnMis) VALUES "
      "('MAICO', 'MAICO', 'AB''C', '" + std::string(40, 'C') + "', '" + std::string(40, 'G') + "', 1)");
  Result(Line("1", "AB'C", "1"));
  MwResultReader reader("A123");
  reader.ProcessResults();
  ASSERT_EQ(reader.Accessories().Size(), 1u);
  EXPECT_EQ(reader.Accessories()[0].Category.Get(), std::string(29, 'C'));
  EXPECT_EQ(reader.Accessories()[0].PrintGroup.Get(), std::string(30, 'G'));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Reader, ADatabaseErrorIsShownForEveryLineAndTheLinesStay) {
  Run("DROP TABLE Accessori");
  Result(Line("1", "301234", "1") + Line("2", "402010", "1"));
  MwResultReader reader("A123");
  EXPECT_EQ(reader.ProcessResults(), 1);
  EXPECT_EQ(reader.Accessories().Size(), 2u);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: ControllaTipoAcc\nError: 0x80004005\n", 0), 0u) << ui.messages[0].text;
  EXPECT_EQ(ui.messages[0].caption, "ZelvoMW");
}

TEST_F(Reader, WithoutResultFileTheListIsStillRewrittenAndTheJobFilesGo) {
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  JobFile("A123.MW", 1, {Position(1, "P")});
  MwResultReader reader("A123");
  EXPECT_EQ(reader.ReadResults(), 0);
  EXPECT_EQ(reader.ProcessResults(), 1);
  EXPECT_EQ(test::ReadFile(Scratch() + "\\A123.FIT"), std::string("\0\0", 2));
  EXPECT_FALSE(test::FileExists(Scratch() + "\\A123.MW"));
}

TEST_F(Reader, AChangedJobFileIsReadAgain) {
  JobFile("A123.MW", 1, {Position(3, "BEFORE")});
  MwResultReader reader("A123");
  JobItemRecord r = reader.MakeAccessory("3", "X", "", "1", "");
  EXPECT_EQ(reader.CompleteFromJobFile(r, reader.WorkBase()), 1);
  EXPECT_EQ(r.PosText1.Get(), "BEFORE");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  JobFile("A123.MW", 1, {Position(3, "AFTER!")});
  EXPECT_EQ(reader.CompleteFromJobFile(r, reader.WorkBase()), 1);
  EXPECT_EQ(r.PosText1.Get(), "AFTER!");
  JobFile("A123.MW", 0, {Position(3, "COUNT0")});
  JobItemRecord fresh = reader.MakeAccessory("3", "X", "", "1", "");
  EXPECT_EQ(reader.CompleteFromJobFile(fresh, reader.WorkBase()), 0);
  EXPECT_EQ(fresh.PosText1.Get(), "");
}

TEST_F(Reader, RemoteJobFolderWorksInTheLocalOneAndDeletesBoth) {
  if (!test::CanMakeNetworkDrive('n')) GTEST_SKIP() << "no network drive can be made here";
  test::MakeFolders("N:\\JOBS");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", "N:\\JOBS\\");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\").c_str());
  JobFile("A123.MW", 1, {Position(1, "LOCAL")});
  test::WriteFile("N:\\JOBS\\A123.MW", "remote copy");
  Result(Line("1", "301234", "1"));
  MwResultReader reader("A123");
  EXPECT_EQ(reader.ProcessResults(), 1);
  EXPECT_EQ(reader.Accessories()[0].PosText1.Get(), "LOCAL");
  EXPECT_TRUE(test::FileExists(Scratch() + "\\A123.FIT"));
  EXPECT_FALSE(test::FileExists(Scratch() + "\\A123.MW"));
  EXPECT_FALSE(test::FileExists("N:\\JOBS\\A123.MW"));
}

// Ten bytes of an x87 extended value: the significand, then sign and exponent.
std::string Ext80(std::uint64_t significand, unsigned top) {
  std::string b(10, '\0');
  for (int i = 0; i < 8; ++i) b[std::size_t(i)] = char(significand >> (8 * i));
  b[8] = char(top);
  b[9] = char(top >> 8);
  return b;
}

struct Ext80Pattern {
  const char* what;
  std::string bytes;
};

class ReaderKeepsExtendedFields : public Reader, public ::testing::WithParamInterface<Ext80Pattern> {};

// A rewrite of the list carries the records it loaded unchanged, the host's own and MaicoWin's,
// whatever their extended fields hold, a double or not.
TEST_P(ReaderKeepsExtendedFields, ThroughARewriteByteForByte) {
  JobItemRecord own;
  own.JobCode.Set("A123");
  own.Maker.Set("ALTRO");
  own.Code.Set("OWN-1");
  own.Kind.Set(0);
  JobItemRecord maico;
  maico.JobCode.Set("A123");
  maico.Maker.Set("MAICO");
  maico.Category.Set("CERNIERE");
  maico.Kind.Set(2);
  std::string records;
  for (JobItemRecord* r : {&own, &maico}) {
    std::string b(1003, '\0');
    r->ToBytes(reinterpret_cast<unsigned char*>(b.data()));
    for (std::size_t offset : {881u, 891u, 980u, 990u}) b.replace(offset, 10, GetParam().bytes);
    records += b;
  }
  test::WriteFile(Scratch() + "\\A123.FIT", std::string("\2\0", 2) + records);
  Result(Line("1", "301234", "1"));
  MwResultReader reader("A123");
  ASSERT_EQ(reader.ProcessResults(), 1);
  std::string saved = test::ReadFile(Scratch() + "\\A123.FIT");
  ASSERT_EQ(saved.size(), 2u + 3u * 1003u);
  EXPECT_EQ(saved.substr(0, 2), std::string("\3\0", 2));
  for (std::size_t i = 0; i < records.size(); ++i)
    ASSERT_EQ(saved[2 + i], records[i]) << GetParam().what << ": byte " << i % 1003 << " of record " << i / 1003;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderKeepsExtendedFields,
    ::testing::Values(Ext80Pattern{"low bits set", Ext80(0x80000000000007FFull, 16383)},
                      Ext80Pattern{"negative, every bit used", Ext80(0xC123456789ABCDEFull, 0x8000 | 16390)},
                      Ext80Pattern{"plus infinity", Ext80(0x8000000000000000ull, 0x7FFF)},
                      Ext80Pattern{"a NaN with a payload", Ext80(0xC000000000000123ull, 0x7FFF)},
                      Ext80Pattern{"2^-16000", Ext80(0x8000000000000000ull, 16383 - 16000)},
                      Ext80Pattern{"2^+16000", Ext80(0x8000000000000000ull, 16383 + 16000)},
                      Ext80Pattern{"below 2^-1022 by one", Ext80(0x8000000000000000ull, 16383 - 1023)},
                      Ext80Pattern{"an x87 denormal", Ext80(0x0000000000000001ull, 0)}));

}  // namespace
}  // namespace zmw
