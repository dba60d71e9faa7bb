// The Excel price import: its settings, the format dialog that keeps them, and whole runs
// against the host database with price lists made by real spreadsheet writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "db/Connection.h"
#include "import/ExcelFileFormatDlg.h"
#include "import/ExcelPriceImport.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "support/Database.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

TEST(ColumnLetters, CountAsTheSpreadsheetLettersColumns) {
  const std::pair<const char*, std::int32_t> rows[] = {
      {"", 0},     {"A", 1},      {"a", 1},    {"E", 5},         {"f", 6},    {"Z", 26},      {"AA", 27},       {"az", 52},
      {"BA", 53},  {"ZZ", 702},   {"AAA", 703}, {"XFD", 16384},  {"1", 0},    {"A1", 0},      {"\xC8", 0},      {"ZZZZZZZ", 0}};
  for (const auto& [letters, number] : rows) EXPECT_EQ(ColumnLetterToNumber(letters), number) << letters;
}

void StartPath(const std::string& folder) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", folder.empty() ? nullptr : folder.c_str());
}
void Settings(const std::string& folder, const std::string& keys) {
  test::WriteFile(folder + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\n" + keys);
}

class ImportSettings : public test::CleanMachine {
  void SetUp() override {
    CleanMachine::SetUp();
    StartPath(Scratch());
  }
};

TEST_F(ImportSettings, PositionsComeFromTheLetters) {
  // The keys (empty: no file), and the sheet|article|description|net price|price unit read.
  const struct { const char* name; std::string keys; bool startPath; std::string positions; } rows[] = {
      {"defaults", "", true, "Listino|0|1|4|5"},
      {"letters", "FOGLIO=Prezzi\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=AB\r\nDIM_PREZZO=\r\n", true, "Prezzi|2|0|27|-1"},
      {"not a letter", "ARTICOLO=7\r\n", true, "Listino|-1|1|4|5"},
      {"values through buffers of 260", "FOGLIO=" + std::string(300, 'x') + "\r\n", true, std::string(259, 'x') + "|0|1|4|5"},
      {"no start path: nothing read, no default", "FOGLIO=Prezzi\r\n", false, "|-1|-1|-1|-1"},
  };
  for (const auto& row : rows) {
    if (!row.keys.empty()) Settings(Scratch(), row.keys);
    StartPath(row.startPath ? Scratch() : "");
    ExcelPriceImport i;
    EXPECT_EQ(i.SheetName() + "|" + std::to_string(i.ArticleColumn()) + "|" + std::to_string(i.DescriptionColumn()) + "|" +
                  std::to_string(i.NetPriceColumn()) + "|" + std::to_string(i.PriceUnitColumn()),
              row.positions) << row.name;
  }
}

// The format dialog, driven as the user would: the moment (settings before it opens), each
// action (a text typed, or a click when no text) with the file after it, and what it says.
TEST_F(ImportSettings, FormatDialogShowsAndWritesTheSettings) {
  // A step types the text, or clicks when there is none, and then the dialog has ended or not; the
  // settings file after it ("": none; nullptr: not looked at).
  struct Step { int control; const char* text; bool ended = true; const char* file = nullptr; };
  // The keys written before the dialog opens, the sheet and the four columns it shows.
  const struct {
    const char *name, *keys; bool startPath; const char* shown; std::vector<Step> steps; int result;
    std::vector<std::string> messages = {};
  } rows[] = {
      {"annulla writes nothing", "FOGLIO=Nuovo\r\nARTICOLO=X\r\n", true, "Nuovo|X|B|E|F", {{2, nullptr, true,
          "[PREZZO_NETTO_EXCEL]\r\nFOGLIO=Nuovo\r\nARTICOLO=X\r\n"}}, 2},
      {"ok writes the five keys in order", nullptr, true, "Listino|A|B|E|F",
       {{1029, "Prezzi 2024"}, {1031, "c"}, {1032, "a"}, {1033, ""}, {1, nullptr, true,
        "[PREZZO_NETTO_EXCEL]\r\nFOGLIO=Prezzi 2024\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=\r\nDIM_PREZZO=F\r\n"}}, 1},
      // What the file holds is shown whole; a longer column value fails and the dialog stays open.
      {"a longer column value is refused", "ARTICOLO=AB\r\n", true, "Listino|AB|B|E|F",
       {{1, nullptr, false, "[PREZZO_NETTO_EXCEL]\r\nARTICOLO=AB\r\n"}, {1031, "B"}, {1, nullptr, true,
        "[PREZZO_NETTO_EXCEL]\r\nARTICOLO=B\r\nFOGLIO=Listino\r\nDESCR=B\r\nPREZZO_NETTO=E\r\nDIM_PREZZO=F\r\n"}}, 1,
       {"ZelvoMW: Immettere non pi\xF9 di 1 caratteri."}},
      {"without start path nothing is written", nullptr, false, "||||", {{1029, "Listino"}, {1031, "A"}, {1, nullptr, true, ""}}, 1},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string folder = Scratch() + "\\" + std::to_string(++n);
    test::MakeFolders(folder);
    StartPath(row.startPath ? folder : "");
    ui.messages.clear();
    dialogs.dialogs.clear();
    CExcelFileFormatDlg dlg;  // made before the file is: what it shows is read as it opens
    if (row.keys) Settings(folder, row.keys);
    std::string shown;
    std::vector<int> limited;
    dialogs.driver = [&](test::RecordedDialog& d) {
      for (int id : {1029, 1031, 1032, 1033, 1034}) shown += (id == 1029 ? "" : "|") + d.ControlText(id);
      for (const auto& m : d.Record().progress)
        if (m.message == platform::kEmLimitText && m.wParam == 1u) limited.push_back(m.control);
      for (const Step& step : row.steps) {
        if (step.text) {
          d.SetControlText(step.control, step.text);
        } else {
          d.Click(step.control);
          EXPECT_EQ(d.Ended(), step.ended) << "after the click on " << step.control;
        }
        std::string path = folder + "\\ZelvoMwImport.ini";
        if (step.file) {
          EXPECT_EQ(test::FileExists(path) ? test::ReadFile(path) : "", step.file);
        }
      }
    };
    EXPECT_EQ(dlg.DoModal(), row.result);
    EXPECT_EQ(shown, row.shown);
    // The four column fields take one character as typed; the sheet name has no limit.
    std::sort(limited.begin(), limited.end());
    EXPECT_EQ(limited, (std::vector<int>{1031, 1032, 1033, 1034}));
    ASSERT_EQ(dialogs.dialogs.size(), 1u);
    EXPECT_EQ(dialogs.dialogs[0].templateId, 1017);
    std::vector<std::string> messages;
    for (const auto& m : ui.messages) messages.push_back(m.caption + ": " + m.text + (m.style == 0x30u ? "" : " (style)"));
    EXPECT_EQ(messages, row.messages);
    EXPECT_FALSE(test::FileExists("C:\\ZelvoMwImport.ini"));
  }
}

TEST_F(ImportSettings, FormatDialogReadsAtConstructionToo) {
  Settings(Scratch(), "FOGLIO=Prezzi\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=b\r\nDIM_PREZZO=d\r\n");
  CExcelFileFormatDlg dlg;
  EXPECT_EQ(dlg.m_foglio + "|" + dlg.m_articolo + dlg.m_descrizione + dlg.m_prezzoNetto + dlg.m_dimPrezzo, "Prezzi|cabd");
}

// Whole runs: the moment (backend, price list, settings, database), what is done before the
// import, and the report and the accessories expected after it.
class PriceRun;
// Before the run: the settings file's keys, statements on the database, DB_FILE, MAICO_FIT_XLS,
// START_PATH and anything else. After it: the report ("operation code", or "caption: text"), the
// accessories (empty: as they were) and what the first message's text holds. oursOnly: the codes
// are those of our workbook provider.
struct RunCase {
  std::string name; const char* workbook = "listino.xlsx"; test::Backend backend = test::Backend::Sqlite;
  const char *keys = nullptr, *sql = nullptr, *dbFile = nullptr, *xls = nullptr; bool startPath = true;
  std::function<void(PriceRun&)> before = {}; std::vector<std::string> report = {}; std::string rows = {};
  bool needsWorkbook = true, oursOnly = false; const char* detail = "";
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class PriceRun : public test::HostDatabase, public ::testing::WithParamInterface<RunCase> {
 public:
  test::Backend Which() const override { return GetParam().backend; }
  void SetUp() override {
    if (Which() == test::Backend::MariaDb && test::ServerConnectionText().empty())
      GTEST_SKIP() << "no MariaDB server named in ZELVOMW_TEST_MARIADB";
    if (GetParam().needsWorkbook && test::WorkbookProviderHere() == test::WorkbookProvider::None)
      GTEST_SKIP() << test::WhyNoWorkbookProvider();
    HostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
                                 "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
    // Maico under another id than the seed's, so that the id written is seen to be looked up.
    Apply("UPDATE Produttori SET PkId = 42 WHERE Nome = 'MAICO'");
    Apply("UPDATE Accessori SET IdProduttore = NULL");
    std::string workbook = GetParam().workbook, path = Scratch() + "\\LISTINO" + workbook.substr(workbook.rfind('.'));
    test::WriteFile(path, test::ReadFile(test::WorkbookFixture(workbook)));
    Xls(path);
  }
  std::string Accessories() {
    return Rows("SELECT Produttore, Codice, Descrizione, Costo, CostoUnitario, IdProduttore FROM Accessori "
                "ORDER BY Produttore, Codice");
  }
  void Xls(const std::string& path) { platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", path.c_str()); }
  void DbFile(const std::string& path) { platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", path.c_str()); }
  using HostDatabase::Scratch;
};

TEST_P(PriceRun, ReportsAndLeavesTheAccessories) {
  const RunCase& c = GetParam();
  std::string before = Accessories();
  if (c.keys) Settings(Scratch(), c.keys);
  if (c.sql) Apply(c.sql);
  if (c.dbFile) DbFile(c.dbFile);
  if (c.xls) Xls(c.xls);
  if (!c.startPath) StartPath("");
  if (c.before) c.before(*this);
  ExcelPriceImport().Run();
  // Another provider than ours gives codes of its own: then the operations alone are compared.
  bool exact = !c.oursOnly || test::WorkbookProviderHere() == test::WorkbookProvider::Ours;
  std::vector<std::string> report, expected;
  for (const auto& m : ui.messages) {
    std::size_t nl = m.text.find('\n'), nl2 = m.text.find('\n', nl + 1);
    std::string r = m.text.rfind("Function: ", 0) == 0 ? m.text.substr(10, nl - 10) + " " + m.text.substr(nl + 10, nl2 - nl - 10)
                                                        : m.caption + ": " + m.text;
    report.push_back((exact ? r : r.substr(0, r.find(' '))) +
                     (m.owner == platform::Owner::None && m.style == 0x30u ? "" : " (not ownerless with the exclamation)"));
  }
  for (const std::string& r : c.report) expected.push_back(exact ? r : r.substr(0, r.find(' ')));
  EXPECT_EQ(report, expected);
  std::string first = ui.messages.empty() ? "" : ui.messages[0].text;
  EXPECT_NE(first.find(c.detail), std::string::npos) << first;
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  StartPath(Scratch());
  if (Which() == test::Backend::Sqlite) DbFile(test::DriverPath(DatabaseFile()));
  EXPECT_EQ(Accessories(), c.rows.empty() ? before : c.rows);
}

const std::string kLong100 =
    "Cremonese con asta regolabile per finestre e portefinestre ad anta ribalta, finitura argento, entrat";  // 100 characters
// The seed's rows from 402011 on, as no run that stops before them changes them.
const std::string kSeedFrom402011 = "MAICO|402011|Asta di chiusura|7,25|7,25|(null)\nMAICO|509900|Maniglia Martellina|21|21|(null)\n"
                                    "MAICOWIN|FINITURA|Finitura MaicoWin|0|0|(null)\n";
const std::vector<std::string> kNoXls = {"ApriExcel 80004005", "ATTENZIONE: Impossibile aprire XLS", "ChiudiExcel 800A0E78"};
const char* const kNoDb = "C:\\NESSUNO\\ZELVO.DB";

std::vector<RunCase> Runs() {
  std::vector<RunCase> runs;
  for (test::Backend backend : {test::Backend::Sqlite, test::Backend::MariaDb})
    for (const char* workbook : {"listino.xls", "listino.xlsx", "listino-lo.xls", "listino-lo.xlsx"}) {
      std::string name = std::string(backend == test::Backend::Sqlite ? "SQLite_" : "MariaDB_") + workbook;
      std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
      runs.push_back({.name = name, .workbook = workbook, .backend = backend,
                      .rows = "MAICO|301234|Cerniera angolare rinforzata|12,5|12,5|42\n"  // 12,50 as text, no unit
                              "MAICO|301235|Forbice anta ribalta|2,5|2,5|42\n"            // 250 for 100 pieces
                              "MAICO|402010|" + kLong100 + "|9,9|9,9|42\n"                // unit 0 divides by 1
                              "MAICO|402011|Asta di chiusura|0|0|42\n"                    // a price that is no number
                              "MAICO|509900|25/12/2008|2,1|2,1|42\n"                      // a date as description
                              "MAICOWIN|FINITURA|Finitura MaicoWin|0|0|(null)\n"});
    }
  std::vector<RunCase> more = {
      {.name = "LowerCaseLettersAndAnotherSheet", .keys = "FOGLIO=altro\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=b\r\nDIM_PREZZO=d\r\n",
       .rows = "MAICO|301234|Cerniera (altro foglio)|7,5|7,5|42\nMAICO|301235|Forbice (altro foglio)|3|3|42\n"
               "MAICO|402010|Asta cremonese|9,9|9,9|(null)\n" + kSeedFrom402011},
      {.name = "TextsWrittenInlineInTheCells", .workbook = "inline.xlsx",
       .rows = "MAICO|301234|Cerniera (testo in linea)|14|14|42\nMAICO|301235|Forbice (testo in linea)|3|3|42\n"
               "MAICO|402010|Asta cremonese|9,9|9,9|(null)\n" + kSeedFrom402011},
      {.name = "RowsWrittenBeforeAFailureStay", .workbook = "listino.xls",
       .sql = "CREATE TRIGGER fermo BEFORE UPDATE ON Accessori WHEN NEW.Codice = '402011' "
              "BEGIN SELECT RAISE(ABORT, 'aggiornamento fermato'); END",
       .report = {"UpdateXlsArticoli 80004005"},
       .rows = "MAICO|301234|Cerniera angolare rinforzata|12,5|12,5|42\nMAICO|301235|Forbice anta ribalta|2,5|2,5|42\n"
               "MAICO|402010|" + kLong100 + "|9,9|9,9|42\n" + kSeedFrom402011,
       .detail = "aggiornamento fermato"},
      // Every failure ends in its own report with nothing changed.
      {.name = "WorkbookMissing", .xls = "C:\\MAICO\\NESSUNO.XLS", .report = kNoXls, .needsWorkbook = false, .oursOnly = true},
      {.name = "WorkbookDamaged",
       .before = [](PriceRun& t) {
         std::string bytes = test::ReadFile(test::WorkbookFixture("listino.xlsx"));
         test::WriteFile(t.Scratch() + "\\LISTINO.xlsx", bytes.substr(0, bytes.size() / 3));
       },
       .report = kNoXls, .oursOnly = true},
      {.name = "NoStartPath", .startPath = false, .report = kNoXls, .needsWorkbook = false, .oursOnly = true},
      {.name = "UnknownSheet", .keys = "FOGLIO=Nessuno\r\n", .report = {"UpdateXlsArticoli 80040E37"}, .oursOnly = true},
      {.name = "SheetNameWithBracket", .keys = "FOGLIO=Lis]tino\r\n", .report = {"UpdateXlsArticoli 80040E14"}, .oursOnly = true},
      {.name = "ColumnOutsideTheSheet", .keys = "ARTICOLO=Z\r\n", .report = {"UpdateXlsArticoli 800A0CC1"}},
      {.name = "ColumnNotSet", .keys = "DESCR=\r\n", .report = {"UpdateXlsArticoli 800A0CC1"}},
      {.name = "HeadingOnlyNeverOpensTheDatabase", .keys = "FOGLIO=Vuoto\r\n", .dbFile = kNoDb},
      {.name = "DatabaseDoesNotOpen", .dbFile = kNoDb, .report = {"ApriZelvoDb 80004005", "ChiudiZelvoDb 800A0E78"}},
      {.name = "NoMaicoRow", .sql = "DELETE FROM Produttori WHERE Nome = 'MAICO'"},
      {.name = "StatementMissing",
       .before = [](PriceRun& t) {
         std::string xml = test::ReadFile(t.Scratch() + "\\ZELVOMW.XML");
         std::size_t from = xml.find("<MW_UPD_CODES_XLS>"), to = xml.find("</MW_UPD_CODES_XLS>");
         test::WriteFile(t.Scratch() + "\\ZELVOMW.XML", xml.erase(from, to + 19 - from));
       },
       .report = {"UpdateXlsArticoli 80004003"}},
  };
  runs.insert(runs.end(), more.begin(), more.end());
  return runs;
}

INSTANTIATE_TEST_SUITE_P(Table, PriceRun, ::testing::ValuesIn(Runs()),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zmw
