#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "calc/CalcKit.h"
#include "calc/MwResultReader.h"
#include "db/Connection.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw { namespace {

using calctest::Has;

// A result line with the fields at MaicoWin's columns.
std::string Line(const std::string& position, const std::string& code, const std::string& quantity,
                 const std::string& description = "", const std::string& number = "", const std::string& code130 = "") {
  std::string line(272, ' ');
  for (auto [at, text] : {std::pair{114, &position}, {130, &code130}, {143, &code}, {156, &quantity},
                          {171, &description}, {262, &number}})
    line.replace(std::size_t(at), text->size(), *text);
  return line + "\r\n";
}

TEST(ResultLine, FieldsAreCutByColumnAndWidthAndDecimalsReadAsAtoiDoes) {
  struct Row { std::string line; std::size_t column, width; const char* expected; };
  for (const Row& r : {Row{std::string(114, 'x') + "  12 \n", 114, 4, "  12"}, {std::string(120, 'x'), 143, 13, ""},
       {std::string(114, 'x') + "12\t\r\n", 114, 4, "12"}, {std::string(143, ' ') + "ABCDEFGHIJKLMNOP", 143, 13, "ABCDEFGHIJKLM"}})
    EXPECT_EQ(ResultField(r.line, r.column, r.width), r.expected) << r.line;
  for (auto [text, expected] : std::initializer_list<std::pair<const char*, long>>{{"  12", 12}, {"A12", 0},
       {"2,5", 2}, {"-7x", -7}, {"+3", 3}, {"99999999999", 2147483647}})
    EXPECT_EQ(ReadDecimal(text), expected) << text;
}

class Reader : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin();
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\").c_str());
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
  }
  void Result(const std::string& text) { test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", text); }
  std::string Job(const char* name) { return Scratch() + "\\" + name; }
  void JobFile(const char* name, std::int16_t count, std::vector<JobItemRecord> records) {
    test::WriteFile(Job(name), calctest::JobFile(count, records));
  }
  static JobItemRecord Position(std::int16_t pos, const char* text1) {
    JobItemRecord r;
    r.PosNo.Set(pos), r.PosText1.Set(text1), r.PosText2.Set("T2"), r.PosText3.Set("T3"), r.PosText4.Set("T4");
    return r;
  }
  static JobItemRecord Own(const char* maker, const char* code = "", const char* category = "", std::uint16_t kind = 0) {
    JobItemRecord r;
    r.JobCode.Set("A123"), r.Maker.Set(maker), r.Code.Set(code), r.Category.Set(category), r.Kind.Set(kind);
    return r;
  }
  JobItemList Saved() {
    JobItemList saved;
    saved.Load(Job("A123.FIT"), CountRule::EmptyWhenNotPositive);
    return saved;
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
  EXPECT_EQ(calctest::Show(list[0]), "|JobCode=A123|PosNo=7|Maker=MAICO|Code=301234|Text=Cerniera|Category=CERNIERE"
            "|PrintGroup=FERRAMENTA|Kind=1|Int754=5|Quantity=3|AssemblyTime=4.5|ProcessingTime=1.5|PosText1=F7|PosText4=T4|")
      << "the assembly time is 3 x 1.5";
  // Column 143 blank: the code of column 130. By length, and a new accessory's length is 0; no position 12 in the job.
  EXPECT_TRUE(Has(list[1], "Code=402010|PosNo=12|Kind=2|AssemblyTime=0|Category=|PosText1="));
  EXPECT_TRUE(Has(list[2], "Code=|Quantity=0|Kind=1")) << "no archive row: as made";
  // UnMis NULL; the first record of the job file takes part.
  EXPECT_TRUE(Has(list[3], "PosNo=0|Quantity=2|Kind=0|AssemblyTime=0|PosText1=HEAD"));
  EXPECT_FALSE(test::FileExists(Job("A123.MW")));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Reader, LoadedRecordsComeFirstAndMaicoRecordsAreNormalised) {
  JobFile("A123.FIT", 2, {Own("MAICO", "OLD"), Own("ALTRO")});
  Result(Line("1", "301234", "1"));
  MwResultReader(std::string("A123")).ProcessResults();
  JobItemList saved = Saved();
  ASSERT_EQ(saved.Size(), 3u);
  EXPECT_TRUE(Has(saved[0], "Code=OLD|Category=ACC. A PEZZO|Kind=1"));
  EXPECT_TRUE(Has(saved[1], "Category=|Kind=0"));
  EXPECT_TRUE(Has(saved[2], "Code=301234"));
}

TEST_F(Reader, ArchiveNullsReloadAsPieceAccessoriesAndQuotesAreDoubledAndLongTextsCut) {
  Run("INSERT INTO Accessori (Produttore, Produttore2, Codice, Categoria, GruppoStampa, UnMis) VALUES "
      "('MAICO', 'MAICO', 'AB''C', '" + std::string(40, 'C') + "', '" + std::string(40, 'G') + "', 1)");
  Result(Line("1", "509900", "1"));
  MwResultReader(std::string("A123")).ProcessResults();
  Result(Line("1", "AB'C", "1"));
  MwResultReader again("A123");
  again.ProcessResults();
  ASSERT_EQ(again.Accessories().Size(), 2u);
  EXPECT_TRUE(Has(again.Accessories()[0], "Kind=1|Category=MANIGLIE"));
  EXPECT_TRUE(Has(again.Accessories()[1], "Category=" + std::string(29, 'C') + "|PrintGroup=" + std::string(30, 'G')));
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
  EXPECT_EQ(test::ReadFile(Job("A123.FIT")), std::string("\0\0", 2));
  EXPECT_FALSE(test::FileExists(Job("A123.MW")));
}

TEST_F(Reader, AChangedJobFileIsReadAgain) {
  MwResultReader reader("A123");
  for (auto [count, text, result, expected] : {std::tuple{1, "BEFORE", 1, "BEFORE"}, {1, "AFTER!", 1, "AFTER!"},
                                               {0, "COUNT0", 0, ""}}) {
    JobFile("A123.MW", std::int16_t(count), {Position(3, text)});
    JobItemRecord r = reader.MakeAccessory("3", "X", "", "1", "");
    EXPECT_EQ(reader.CompleteFromJobFile(r, reader.WorkBase()), result) << text;
    EXPECT_EQ(r.PosText1.Get(), expected);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a new stamp for the next file
  }
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
  EXPECT_TRUE(test::FileExists(Job("A123.FIT")));
  EXPECT_FALSE(test::FileExists(Job("A123.MW")) || test::FileExists("N:\\JOBS\\A123.MW"));
}

// A rewrite of the list carries the records it loaded unchanged, the host's own and MaicoWin's,
// whatever their extended fields hold, a double or not.
TEST_F(Reader, KeepsExtendedFieldsThroughARewriteByteForByte) {
  std::string file("\2\0", 2), nan = calctest::Ext80(0xC000000000000123ull, 0x7FFF);  // a NaN with a payload
  for (const JobItemRecord& r : {Own("ALTRO", "OWN-1"), Own("MAICO", "", "CERNIERE", 2)}) {
    std::string b = calctest::Bytes(r);
    for (std::size_t offset : {881u, 891u, 980u, 990u}) b.replace(offset, 10, nan);
    file += b;
  }
  test::WriteFile(Job("A123.FIT"), file);
  Result(Line("1", "301234", "1"));
  ASSERT_EQ(MwResultReader(std::string("A123")).ProcessResults(), 1);
  std::string saved = test::ReadFile(Job("A123.FIT"));
  ASSERT_EQ(saved.size(), 2u + 3u * 1003u);
  file[0] = '\3';
  EXPECT_EQ(saved.substr(0, file.size()), file);
}

} }  // namespace zmw
