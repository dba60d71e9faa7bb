// Price lists read through the workbook connection, as the Excel import reads them, and what
// it says of workbooks and queries it cannot read. Every cell of files by the same writers is
// compared with an independent reader in posix/FieldWorkbooksTest.cpp, and the price lists
// reach the database, writer by writer, in the import's suite.
#include <gtest/gtest.h>

#include "db/RecordAccess.h"
#include "platform/Profile.h"
#include "support/Workbooks.h"
#include "DbTests.h"

namespace zmw {
namespace {

bool Ours() { return test::WorkbookProviderHere() == test::WorkbookProvider::Ours; }

class WorkbookReading : public test::CleanMachine {
 protected:
  void SetUp() override {
    CleanMachine::SetUp();
    if (test::WorkbookProviderHere() == test::WorkbookProvider::None) GTEST_SKIP() << test::WhyNoWorkbookProvider();
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
                                 "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
  }
  void TearDown() override {
    excel_.Release();
    CleanMachine::TearDown();
  }
  // The workbook under the given name in the scratch folder, named in ZELVOMW.INI.
  std::string Install(const std::string& bytes, const std::string& name) {
    std::string path = Scratch() + "\\" + name;
    if (!bytes.empty()) test::WriteFile(path, bytes);
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", path.c_str());
    return path;
  }
  static std::string Fixture(const std::string& name) { return test::ReadFile(test::WorkbookFixture(name)); }
  RecordSource& Sheet(const std::string& file, const std::string& sheet, const std::string& name = "") {
    Install(Fixture(file), name.empty() ? file : name);
    EXPECT_EQ(excel_.Open(""), 1);
    return OpenRecordPass(excel_, "SELECT * FROM [" + sheet + "$]");
  }
  ExcelConnection excel_;
};

TEST_F(WorkbookReading, TheContentTellsTheFormatNotTheName) {
  for (auto [fixture, name] : {std::pair{"listino.xlsx", "LISTINO.XLS"}, std::pair{"listino.xls", "LISTINO.XLSX"}}) {
    // Sheets are found without regard to case.
    EXPECT_EQ(test::Describe(Sheet(fixture, "LISTINO", name), {1}), "text Cerniera angolare rinforzata") << name;
    CloseRecordPass(excel_);
    EXPECT_EQ(excel_.Close(), 1);
  }
  EXPECT_TRUE(ui.messages.empty());
}

// The codes of a sheet that is not there and of a bracket in its name: the import's suite.
TEST_F(WorkbookReading, QueriesItCannotAnswer) {
  Sheet("listino.xlsx", "Listino", "LISTINO.XLSX");
  std::string description;
  EXPECT_NE(test::CodeOf([&] { OpenRecordPass(excel_, "SELECT * FROM [Nessuno$]"); }, &description), 0);
  EXPECT_TRUE(!Ours() || description.find("Nessuno") != std::string::npos) << description;
  std::int32_t update = test::CodeOf([&] { ExecuteNoRecords(excel_, "UPDATE [Listino$] SET Netto = 0"); });
  EXPECT_TRUE(update == kDbErrorsInCommand || (update == 0 && !Ours())) << update << ": our workbooks are read only";
}

TEST_F(WorkbookReading, BrokenWorkbookDoesNotOpenAndSaysWhy) {
  std::string xls = Fixture("listino.xls"), xlsx = Fixture("listino.xlsx");
  for (auto [bytes, name, mentions] : {std::tuple{std::string(), "NESSUNO.XLS", "cannot be found"},
                                       {std::string("Codice;Netto\r\n1;2\r\n"), "TESTO.XLS", "not an Excel workbook"},
                                       {xls.substr(0, xls.size() / 2), "META.XLS", "damaged"},
                                       {xlsx.substr(0, xlsx.size() / 2), "META.XLSX", "damaged"},
                                       {Fixture("protetto.xls"), "PROTETTO.XLS", "password"}}) {
    SCOPED_TRACE(name);
    std::string path = Install(bytes, name);
    EXPECT_EQ(excel_.Open(""), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string text = ui.messages[0].text;
    excel_.Release();
    ui.messages.clear();
    EXPECT_EQ(text.rfind("Function: ApriExcel\nError: 0x", 0), 0u) << text;
    if (!Ours()) continue;
    EXPECT_EQ(text.rfind("Function: ApriExcel\nError: 0x80004005\n", 0), 0u) << text;
    EXPECT_NE(text.find(mentions), std::string::npos) << text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace zmw
