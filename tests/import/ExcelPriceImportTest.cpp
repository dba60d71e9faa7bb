// The Excel price import: its settings and the format dialog that keeps them, and whole runs
// against the host database (SQLite, and MariaDB when a server is named) with price lists made
// by real spreadsheet writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <tuple>

#include "db/Connection.h"
#include "db/DbError.h"
#include "import/ExcelFileFormatDlg.h"
#include "import/ExcelPriceImport.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "support/Database.h"
#include "support/TestEnv.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

constexpr const char* kJetText = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;";

struct LetterCase {
  const char* letters;
  std::int32_t number;
};

class ColumnLetters : public ::testing::TestWithParam<LetterCase> {};

TEST_P(ColumnLetters, CountAsTheSpreadsheetLettersColumns) {
  EXPECT_EQ(ColumnLetterToNumber(GetParam().letters), GetParam().number) << GetParam().letters;
}

INSTANTIATE_TEST_SUITE_P(Table, ColumnLetters,
                         ::testing::Values(LetterCase{"", 0}, LetterCase{"A", 1}, LetterCase{"a", 1}, LetterCase{"E", 5},
                                           LetterCase{"f", 6}, LetterCase{"Z", 26}, LetterCase{"AA", 27},
                                           LetterCase{"az", 52}, LetterCase{"BA", 53}, LetterCase{"ZZ", 702},
                                           LetterCase{"AAA", 703}, LetterCase{"XFD", 16384}, LetterCase{"1", 0},
                                           LetterCase{"A1", 0}, LetterCase{"\xC8", 0}, LetterCase{"ZZZZZZZ", 0}));

class ImportSettings : public test::CleanMachine {
 protected:
  void SetUp() override {
    CleanMachine::SetUp();
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  }
  void Settings(const std::string& keys) {
    test::WriteFile(Scratch() + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\n" + keys);
  }
};

struct PositionsCase {
  const char* file;  // the keys of the settings file; nullptr: no file
  const char* sheet;
  std::int32_t article, description, netPrice, priceUnit;
};

class ImportPositions : public ImportSettings, public ::testing::WithParamInterface<PositionsCase> {};

TEST_P(ImportPositions, ComeFromTheLetters) {
  const PositionsCase& c = GetParam();
  if (c.file) Settings(c.file);
  ExcelPriceImport import;
  EXPECT_EQ(import.SheetName(), c.sheet);
  EXPECT_EQ(import.ArticleColumn(), c.article);
  EXPECT_EQ(import.DescriptionColumn(), c.description);
  EXPECT_EQ(import.NetPriceColumn(), c.netPrice);
  EXPECT_EQ(import.PriceUnitColumn(), c.priceUnit);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ImportPositions,
    ::testing::Values(PositionsCase{nullptr, "Listino", 0, 1, 4, 5},
                      PositionsCase{"FOGLIO=Prezzi\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=AB\r\nDIM_PREZZO=\r\n", "Prezzi",
                                    2, 0, 27, -1},
                      PositionsCase{"ARTICOLO=7\r\n", "Listino", -1, 1, 4, 5}));

TEST_F(ImportSettings, WithoutStartPathNothingIsReadAndNoDefaultApplies) {
  Settings("FOGLIO=Prezzi\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", nullptr);
  ExcelSheetSettings s = ReadExcelSheetSettings();
  EXPECT_EQ(s.sheet + s.article + s.description + s.netPrice + s.priceUnit, "");
  ExcelPriceImport import;
  EXPECT_EQ(import.ArticleColumn(), -1);
  EXPECT_EQ(import.PriceUnitColumn(), -1);
}

TEST_F(ImportSettings, ValuesComeThroughBuffersOf260Characters) {
  Settings("FOGLIO=" + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(ReadExcelSheetSettings().sheet, std::string(259, 'x'));
}

// The dialog, driven as the user would: what it shows, what OK and Annulla write.
class FormatDialog : public ImportSettings {
 protected:
  std::string File() { return test::ReadFile(Scratch() + "\\ZelvoMwImport.ini"); }
  bool HasFile() { return test::FileExists(Scratch() + "\\ZelvoMwImport.ini"); }
};

TEST_F(FormatDialog, ReadsAtConstructionAndAgainWhenItOpens) {
  Settings("FOGLIO=Prezzi\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=b\r\nDIM_PREZZO=d\r\n");
  CExcelFileFormatDlg dlg;
  EXPECT_EQ(dlg.m_foglio, "Prezzi");
  EXPECT_EQ(dlg.m_articolo + dlg.m_descrizione + dlg.m_prezzoNetto + dlg.m_dimPrezzo, "cabd");
  Settings("FOGLIO=Nuovo\r\nARTICOLO=X\r\n");
  std::string written = File();
  std::map<int, std::string> shown;
  std::vector<test::ProgressMessage> messages;
  dialogs.driver = [&](test::RecordedDialog& d) {
    for (int id : {1029, 1031, 1032, 1033, 1034}) shown[id] = d.ControlText(id);
    messages = d.Record().progress;
    d.Click(2);
  };
  EXPECT_EQ(dlg.DoModal(), 2);
  EXPECT_EQ(shown[1029], "Nuovo");
  EXPECT_EQ(shown[1031], "X");
  EXPECT_EQ(shown[1032], "B");
  EXPECT_EQ(shown[1033], "E");
  EXPECT_EQ(shown[1034], "F");
  // The four column fields take one character as typed; the sheet name has no limit.
  std::vector<int> limited;
  for (const auto& m : messages) {
    if (m.message != platform::kEmLimitText) continue;
    limited.push_back(m.control);
    EXPECT_EQ(m.wParam, 1u);
  }
  std::sort(limited.begin(), limited.end());
  EXPECT_EQ(limited, (std::vector<int>{1031, 1032, 1033, 1034}));
  EXPECT_EQ(File(), written);  // Annulla writes nothing
  ASSERT_EQ(dialogs.dialogs.size(), 1u);
  EXPECT_EQ(dialogs.dialogs[0].templateId, 1017);
}

TEST_F(FormatDialog, OkWritesTheFiveKeysInOrder) {
  CExcelFileFormatDlg dlg;
  dialogs.driver = [](test::RecordedDialog& d) {
    EXPECT_EQ(d.ControlText(1029), "Listino");  // the defaults, the file being absent
    d.SetControlText(1029, "Prezzi 2024");
    d.SetControlText(1031, "c");
    d.SetControlText(1032, "a");
    d.SetControlText(1033, "");
    d.Click(1);
  };
  EXPECT_EQ(dlg.DoModal(), 1);
  std::string file = File();
  std::vector<std::size_t> at;
  for (const char* line : {"FOGLIO=Prezzi 2024", "ARTICOLO=c", "DESCR=a", "PREZZO_NETTO=", "DIM_PREZZO=F"}) {
    at.push_back(file.find(line));
    EXPECT_NE(at.back(), std::string::npos) << line << " in " << file;
  }
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << file;
  EXPECT_TRUE(ui.messages.empty());
  ExcelPriceImport import;
  EXPECT_EQ(import.SheetName(), "Prezzi 2024");
  EXPECT_EQ(import.ArticleColumn(), 2);
  EXPECT_EQ(import.NetPriceColumn(), -1);
}

TEST_F(FormatDialog, ALongerColumnValueFailsAndTheDialogStaysOpen) {
  Settings("ARTICOLO=AB\r\n");
  std::string before = File();
  CExcelFileFormatDlg dlg;
  bool endedAfterFirstOk = true;
  std::string afterFirstOk;
  dialogs.driver = [&](test::RecordedDialog& d) {
    EXPECT_EQ(d.ControlText(1031), "AB");  // what the file holds is shown whole
    d.Click(1);
    endedAfterFirstOk = d.Ended();
    afterFirstOk = File();
    d.SetControlText(1031, "B");
    d.Click(1);
  };
  EXPECT_EQ(dlg.DoModal(), 1);
  EXPECT_FALSE(endedAfterFirstOk);
  EXPECT_EQ(afterFirstOk, before);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Immettere non pi\xF9 di 1 caratteri.");
  EXPECT_EQ(ui.messages[0].caption, "ZelvoMW");
  EXPECT_EQ(ui.messages[0].style, 0x30u);
  EXPECT_NE(File().find("ARTICOLO=B"), std::string::npos);
}

TEST_F(FormatDialog, WithoutStartPathOkWritesNothing) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", nullptr);
  CExcelFileFormatDlg dlg;
  dialogs.driver = [](test::RecordedDialog& d) {
    EXPECT_EQ(d.ControlText(1029), "");
    d.SetControlText(1029, "Listino");
    d.SetControlText(1031, "A");
    d.Click(1);
  };
  EXPECT_EQ(dlg.DoModal(), 1);
  EXPECT_FALSE(HasFile());
  EXPECT_FALSE(test::FileExists("C:\\ZelvoMwImport.ini"));
  EXPECT_TRUE(ui.messages.empty());
}

// Whole runs against the host database.
class PriceImportBase : public test::HostDatabase {
 protected:
  void SetUp() override {
    HostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", kJetText);
    // Maico under another id than the seed's, so that the id written is seen to be looked up.
    Apply("UPDATE Produttori SET PkId = 42 WHERE Nome = 'MAICO'");
    Apply("UPDATE Accessori SET IdProduttore = NULL");
  }
  void NeedWorkbooks() {
    if (test::WorkbookProviderHere() == test::WorkbookProvider::None) GTEST_SKIP() << test::WhyNoWorkbookProvider();
  }
  void UseWorkbook(const std::string& fixture) {
    std::string path = Scratch() + "\\LISTINO" + fixture.substr(fixture.rfind('.'));
    test::WriteFile(path, test::ReadFile(test::WorkbookFixture(fixture)));
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", path.c_str());
  }
  void Settings(const std::string& keys) {
    test::WriteFile(Scratch() + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\n" + keys);
  }
  std::string Accessories() {
    return Rows("SELECT Produttore, Codice, Descrizione, Costo, CostoUnitario, IdProduttore FROM Accessori "
                "ORDER BY Produttore, Codice");
  }
  static void RunImport() {
    ExcelPriceImport import;
    import.Run();
  }
  // The reports shown, as "operation code" (or the text of other boxes).
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    for (const auto& m : ui.messages) {
      if (m.text.rfind("Function: ", 0) == 0) {
        std::size_t nl = m.text.find('\n'), nl2 = m.text.find('\n', nl + 1);
        shown.push_back(m.text.substr(10, nl - 10) + " " + m.text.substr(nl + 10, nl2 - nl - 10));
      } else {
        shown.push_back(m.caption + ": " + m.text);
      }
    }
    return shown;
  }
};

const std::string kLong100 =
    "Cremonese con asta regolabile per finestre e portefinestre ad anta ribalta, finitura argento, entrat";  // 100 characters

const std::string kSeedRest =
    "MAICOWIN|FINITURA|Finitura MaicoWin|0|0|(null)\n";

class PriceImport : public PriceImportBase, public ::testing::WithParamInterface<std::tuple<test::Backend, const char*>> {
 protected:
  test::Backend Which() const override { return std::get<0>(GetParam()); }
  void SetUp() override {
    if (Which() == test::Backend::MariaDb && test::ServerConnectionText().empty())
      GTEST_SKIP() << "no MariaDB server named in ZELVOMW_TEST_MARIADB";
    NeedWorkbooks();
    if (IsSkipped()) return;
    PriceImportBase::SetUp();
  }
};

TEST_P(PriceImport, UpdatesMaicosArticlesRowByRow) {
  UseWorkbook(std::get<1>(GetParam()));
  RunImport();
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  EXPECT_EQ(Accessories(),
            "MAICO|301234|Cerniera angolare rinforzata|12,5|12,5|42\n"  // 12,50 as text, no unit
            "MAICO|301235|Forbice anta ribalta|2,5|2,5|42\n"           // 250 for 100 pieces
            "MAICO|402010|" + kLong100 + "|9,9|9,9|42\n"                 // unit 0 divides by 1
            "MAICO|402011|Asta di chiusura|0|0|42\n"                   // a price that is no number
            "MAICO|509900|25/12/2008|2,1|2,1|42\n" +                   // a date as description
                kSeedRest);
}

INSTANTIATE_TEST_SUITE_P(Lists, PriceImport,
                         ::testing::Combine(::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                                            ::testing::Values("listino.xls", "listino.xlsx", "listino-lo.xls",
                                                              "listino-lo.xlsx")),
                         [](const auto& info) {
                           std::string name = std::get<0>(info.param) == test::Backend::Sqlite ? "SQLite_" : "MariaDB_";
                           for (const char* p = std::get<1>(info.param); *p; ++p) name += std::isalnum(*p) ? *p : '_';
                           return name;
                         });

class PriceImportSqlite : public PriceImportBase {};

TEST_F(PriceImportSqlite, LowerCaseLettersAndAnotherSheet) {
  NeedWorkbooks();
  if (IsSkipped()) return;
  UseWorkbook("listino.xlsx");
  Settings("FOGLIO=altro\r\nARTICOLO=c\r\nDESCR=a\r\nPREZZO_NETTO=b\r\nDIM_PREZZO=d\r\n");
  RunImport();
  EXPECT_TRUE(ui.messages.empty());
  std::string rows = Accessories();
  EXPECT_NE(rows.find("MAICO|301234|Cerniera (altro foglio)|7,5|7,5|42\n"), std::string::npos) << rows;
  EXPECT_NE(rows.find("MAICO|301235|Forbice (altro foglio)|3|3|42\n"), std::string::npos) << rows;
  EXPECT_NE(rows.find("MAICO|402010|Asta cremonese|9,9|9,9|(null)\n"), std::string::npos) << rows;
}

TEST_F(PriceImportSqlite, TextsWrittenInlineInTheCells) {
  NeedWorkbooks();
  if (IsSkipped()) return;
  UseWorkbook("inline.xlsx");
  RunImport();
  EXPECT_TRUE(ui.messages.empty());
  std::string rows = Accessories();
  EXPECT_NE(rows.find("MAICO|301234|Cerniera (testo in linea)|14|14|42\n"), std::string::npos) << rows;
  EXPECT_NE(rows.find("MAICO|301235|Forbice (testo in linea)|3|3|42\n"), std::string::npos) << rows;
}

TEST_F(PriceImportSqlite, RowsWrittenBeforeAFailureStay) {
  NeedWorkbooks();
  if (IsSkipped()) return;
  UseWorkbook("listino.xls");
  Apply("CREATE TRIGGER fermo BEFORE UPDATE ON Accessori WHEN NEW.Codice = '402011' "
        "BEGIN SELECT RAISE(ABORT, 'aggiornamento fermato'); END");
  RunImport();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: UpdateXlsArticoli\nError: 0x80004005\n", 0), 0u);
  EXPECT_NE(ui.messages[0].text.find("aggiornamento fermato"), std::string::npos) << ui.messages[0].text;
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  std::string rows = Accessories();
  EXPECT_NE(rows.find("MAICO|301234|Cerniera angolare rinforzata|12,5|12,5|42\n"), std::string::npos) << rows;
  EXPECT_NE(rows.find("MAICO|402010|" + kLong100 + "|9,9|9,9|42\n"), std::string::npos) << rows;
  EXPECT_NE(rows.find("MAICO|402011|Asta di chiusura|7,25|7,25|(null)\n"), std::string::npos) << rows;
  EXPECT_NE(rows.find("MAICO|509900|Maniglia Martellina|21|21|(null)\n"), std::string::npos) << rows;
}

// Every failure ends in its own message with nothing else changed.
struct FailureCase {
  const char* what;
  bool needsWorkbook;
  std::function<void(PriceImportBase&)> arrange;
  std::vector<std::string> shown;  // "operation code", or "caption: text"
  bool oursOnly = false;           // the codes are those of our workbook provider
};

class PriceImportFailure : public PriceImportBase, public ::testing::WithParamInterface<FailureCase> {
 public:
  using PriceImportBase::Apply;
  using PriceImportBase::Settings;
  using PriceImportBase::UseWorkbook;
  std::string scratch() const { return Scratch(); }
};

TEST_P(PriceImportFailure, EndsInItsMessageWithNothingChanged) {
  const FailureCase& c = GetParam();
  if (c.needsWorkbook) NeedWorkbooks();
  if (IsSkipped()) return;
  UseWorkbook("listino.xlsx");
  std::string before = Accessories();
  c.arrange(*this);
  RunImport();
  std::vector<std::string> shown = Shown();
  bool exact = !c.oursOnly || test::WorkbookProviderHere() == test::WorkbookProvider::Ours;
  ASSERT_EQ(shown.size(), c.shown.size()) << (shown.empty() ? "" : shown[0]);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (exact) EXPECT_EQ(shown[i], c.shown[i]);
    else EXPECT_EQ(shown[i].substr(0, shown[i].find(' ')), c.shown[i].substr(0, c.shown[i].find(' ')));
  }
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.owner, platform::Owner::None);
    EXPECT_EQ(m.style, 0x30u);
  }
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", test::DriverPath(DatabaseFile()).c_str());
  EXPECT_EQ(Accessories(), before);
}

const std::string kNoXls = "ATTENZIONE: Impossibile aprire XLS";

INSTANTIATE_TEST_SUITE_P(
    Table, PriceImportFailure,
    ::testing::Values(
        FailureCase{"WorkbookMissing", false,
                    [](PriceImportBase&) {
                      platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", "C:\\MAICO\\NESSUNO.XLS");
                    },
                    {"ApriExcel 80004005", kNoXls, "ChiudiExcel 800A0E78"}, true},
        FailureCase{"WorkbookDamaged", true,
                    [](PriceImportBase& t) {
                      auto& f = static_cast<PriceImportFailure&>(t);
                      std::string bytes = test::ReadFile(test::WorkbookFixture("listino.xlsx"));
                      test::WriteFile(f.scratch() + "\\LISTINO.xlsx", bytes.substr(0, bytes.size() / 3));
                    },
                    {"ApriExcel 80004005", kNoXls, "ChiudiExcel 800A0E78"}, true},
        FailureCase{"NoStartPath", false,
                    [](PriceImportBase&) { platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", nullptr); },
                    {"ApriExcel 80004005", kNoXls, "ChiudiExcel 800A0E78"}, true},
        FailureCase{"UnknownSheet", true,
                    [](PriceImportBase& t) { static_cast<PriceImportFailure&>(t).Settings("FOGLIO=Nessuno\r\n"); },
                    {"UpdateXlsArticoli 80040E37"}, true},
        FailureCase{"SheetNameWithBracket", true,
                    [](PriceImportBase& t) { static_cast<PriceImportFailure&>(t).Settings("FOGLIO=Lis]tino\r\n"); },
                    {"UpdateXlsArticoli 80040E14"}, true},
        FailureCase{"ColumnOutsideTheSheet", true,
                    [](PriceImportBase& t) { static_cast<PriceImportFailure&>(t).Settings("ARTICOLO=Z\r\n"); },
                    {"UpdateXlsArticoli 800A0CC1"}},
        FailureCase{"ColumnNotSet", true,
                    [](PriceImportBase& t) { static_cast<PriceImportFailure&>(t).Settings("DESCR=\r\n"); },
                    {"UpdateXlsArticoli 800A0CC1"}},
        FailureCase{"HeadingOnlyNeverOpensTheDatabase", true,
                    [](PriceImportBase& t) {
                      static_cast<PriceImportFailure&>(t).Settings("FOGLIO=Vuoto\r\n");
                      platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", "C:\\NESSUNO\\ZELVO.DB");
                    },
                    {}},
        FailureCase{"DatabaseDoesNotOpen", true,
                    [](PriceImportBase&) {
                      platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", "C:\\NESSUNO\\ZELVO.DB");
                    },
                    {"ApriZelvoDb 80004005", "ChiudiZelvoDb 800A0E78"}},
        FailureCase{"NoMaicoRow", true,
                    [](PriceImportBase& t) {
                      static_cast<PriceImportFailure&>(t).Apply("DELETE FROM Produttori WHERE Nome = 'MAICO'");
                    },
                    {}},
        FailureCase{"StatementMissing", true,
                    [](PriceImportBase& t) {
                      auto& f = static_cast<PriceImportFailure&>(t);
                      std::string xml = test::ReadFile(f.scratch() + "\\ZELVOMW.XML");
                      std::size_t from = xml.find("<MW_UPD_CODES_XLS>"), to = xml.find("</MW_UPD_CODES_XLS>");
                      xml.erase(from, to + 19 - from);
                      test::WriteFile(f.scratch() + "\\ZELVOMW.XML", xml);
                    },
                    {"UpdateXlsArticoli 80004003"}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zmw
