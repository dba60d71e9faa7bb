// Real price lists read through the workbook connection, as the Excel import reads them: the
// rows below the heading of the named sheet, cells by position, each value typed as the
// platform's provider gives it. The files were made by xlwt, openpyxl, XlsxWriter and
// LibreOffice Calc (tests/import/workbooks/make_workbooks.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

constexpr const char* kJetText = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;";

struct Cell {
  VarType type;
  double number = 0;
  std::string text;
};
Cell N(double v) { return {VarType::R8, v, ""}; }
Cell T(const std::string& v) { return {VarType::Bstr, 0, v}; }
Cell B(bool v) { return {VarType::Bool, v ? 1.0 : 0.0, ""}; }
Cell D(double serial) { return {VarType::Date, serial, ""}; }
const Cell Null{VarType::Null, 0, ""};

void ExpectCell(const Variant& got, const Cell& want, const std::string& where) {
  ASSERT_EQ(int(got.Type()), int(want.type)) << where;
  switch (want.type) {
    case VarType::R8:
    case VarType::Date: EXPECT_DOUBLE_EQ(got.RealValue(), want.number) << where; break;
    case VarType::Bstr: EXPECT_EQ(got.Text(), want.text) << where; break;
    case VarType::Bool: EXPECT_EQ(got.IntegerValue() != 0, want.number != 0) << where; break;
    default: break;
  }
}

const std::string kLong =
    "Cremonese con asta regolabile per finestre e portefinestre ad anta ribalta, finitura argento, entrata 15 mm, "
    "altezza maniglia centrale";

// How each writer leaves what our readers cannot take from every file alike.
enum class Writer { Xlwt, Openpyxl, LibreOfficeXls, LibreOfficeXlsx };

struct FileCase {
  const char* file;
  Writer writer;
};

std::string FileName(const ::testing::TestParamInfo<FileCase>& info) {
  std::string name = info.param.file;
  for (char& c : name)
    if (c == '.' || c == '-') c = '_';
  return name;
}

class WorkbookReading : public test::CleanMachine {
 protected:
  void SetUp() override {
    CleanMachine::SetUp();
    if (test::WorkbookProviderHere() == test::WorkbookProvider::None) GTEST_SKIP() << test::WhyNoWorkbookProvider();
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", kJetText);
  }
  void TearDown() override {
    excel_.Release();
    CleanMachine::TearDown();
  }

  // The workbook under the given name in the scratch folder, named in ZELVOMW.INI.
  std::string Install(const std::string& bytes, const std::string& name) {
    std::string path = Scratch() + "\\" + name;
    test::WriteFile(path, bytes);
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", path.c_str());
    return path;
  }
  std::string Fixture(const std::string& name) { return test::ReadFile(test::WorkbookFixture(name)); }

  RecordSource& Sheet(const std::string& file, const std::string& sheet) {
    Install(Fixture(file), file);
    EXPECT_EQ(excel_.Open(""), 1);
    return OpenRecordPass(excel_, "SELECT * FROM [" + sheet + "$]");
  }

  void ExpectRows(RecordSource& pass, const std::vector<std::vector<Cell>>& rows, const std::string& what) {
    std::size_t r = 0;
    for (pass.MoveFirst(); !pass.AtEnd(); pass.MoveNext(), ++r) {
      ASSERT_LT(r, rows.size()) << what << ": more rows than expected";
      for (std::size_t c = 0; c < rows[r].size(); ++c)
        ExpectCell(pass.Field(int(c)), rows[r][c], what + " row " + std::to_string(r + 2) + " column " + std::to_string(c));
    }
    EXPECT_EQ(r, rows.size()) << what;
  }

  ExcelConnection excel_;
};

class EachWriter : public WorkbookReading, public ::testing::WithParamInterface<FileCase> {};

TEST_P(EachWriter, PriceListRowsByPosition) {
  Writer w = GetParam().writer;
  RecordSource& pass = Sheet(GetParam().file, "Listino");
  // The formula column: the value the program computed where it saved one; xlwt saves none.
  bool cached = w == Writer::LibreOfficeXlsx || w == Writer::LibreOfficeXls;
  auto total = [&](double v) { return cached ? N(v) : Null; };
  ExpectRows(pass,
             {{N(301234), T("Cerniera angolare rinforzata"), T("Argento"), N(30), T("12,50"), Null, total(60)},
              {T("301235"), T("Forbice anta ribalta"), T("Argento"), N(400), N(250), N(100), total(800)},
              {N(402010), T(kLong), Null, N(20), N(9.9), N(0), total(40)},
              {Null, Null, Null, Null, Null, Null, Null},
              {T("402011"), T("Asta di chiusura"), T("Bronzo"), N(10), T("n.d."), N(1), total(20)},
              {N(509900), D(DateSerial(2008, 12, 25)), T("Cromo"), N(50), N(21), N(10), total(100)},
              {T("999999"), T("Articolo che Zelvo non ha"), Null, N(1), N(5), N(1), total(2)}},
             GetParam().file);
  // Seven columns, named by the heading.
  pass.MoveFirst();
  try {
    pass.Field(7);
    ADD_FAILURE() << "a column past the sheet";
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), kAdoItemNotFound);
  }
  ExpectCell(pass.Field("Netto"), T("12,50"), "by name");
  CloseRecordPass(excel_);
  EXPECT_EQ(excel_.Close(), 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_P(EachWriter, EveryKindOfCell) {
  Writer w = GetParam().writer;
  RecordSource& pass = Sheet(GetParam().file, "TIPI");  // sheets are found without regard to case
  // Booleans are typed in both formats; LibreOffice writes an .xls boolean as the formula TRUE(),
  // whose saved value is the boolean.
  bool cached = w == Writer::LibreOfficeXlsx || w == Writer::LibreOfficeXls;
  ExpectRows(pass,
             {{T("abc"), N(12.5), B(true), D(DateSerial(2008, 12, 25)), D(DateSerial(2008, 12, 25, 10, 30)),
               D(DateSerial(1899, 12, 30, 10, 30)), cached ? N(25) : Null, cached ? T("abcd") : Null, Null, T("x")},
              {T("\xE0\xE8\xEC \x80"), N(-3), B(false), D(DateSerial(1900, 1, 15)), Null, Null, Null, Null, Null,
               T("y")},
              {Null, Null, Null, Null, Null, Null, Null, Null, Null, Null},
              {T("fine"), Null, Null, Null, Null, Null, Null, Null, Null, Null}},
             GetParam().file);
}

TEST_P(EachWriter, OtherSheetsOfTheWorkbook) {
  RecordSource& pass = Sheet(GetParam().file, "Altro");
  ExpectRows(pass,
             {{T("Cerniera (altro foglio)"), N(7.5), N(301234), N(1)}, {T("Forbice (altro foglio)"), N(300), T("301235"), N(100)}},
             "Altro");
  RecordSource& heading = OpenRecordPass(excel_, "SELECT * FROM [Vuoto$]");
  EXPECT_TRUE(heading.AtEnd());
}

INSTANTIATE_TEST_SUITE_P(Files, EachWriter,
                         ::testing::Values(FileCase{"listino.xls", Writer::Xlwt},
                                           FileCase{"listino.xlsx", Writer::Openpyxl},
                                           FileCase{"listino-lo.xls", Writer::LibreOfficeXls},
                                           FileCase{"listino-lo.xlsx", Writer::LibreOfficeXlsx}),
                         FileName);

TEST_F(WorkbookReading, InlineTexts) {
  RecordSource& pass = Sheet("inline.xlsx", "Listino");
  ExpectRows(pass,
             {{T("301234"), T("Cerniera (testo in linea)"), T("Argento"), N(30), N(14), N(1)},
              {T("301235"), T("Forbice (testo in linea)"), T("Argento"), N(40), N(300), N(100)}},
             "inline.xlsx");
}

TEST_F(WorkbookReading, TheContentTellsTheFormatNotTheName) {
  for (auto [fixture, name] : {std::pair{"listino.xlsx", "LISTINO.XLS"}, std::pair{"listino.xls", "LISTINO.XLSX"}}) {
    Install(Fixture(fixture), name);
    ASSERT_EQ(excel_.Open(""), 1) << name;
    RecordSource& pass = OpenRecordPass(excel_, "SELECT * FROM [Listino$]");
    ExpectCell(pass.Field(1), T("Cerniera angolare rinforzata"), name);
    CloseRecordPass(excel_);
    EXPECT_EQ(excel_.Close(), 1);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WorkbookReading, QueriesItCannotAnswer) {
  struct Case {
    const char* query;
    std::int32_t code;
    const char* mentions;
  };
  Install(Fixture("listino.xlsx"), "LISTINO.XLSX");
  ASSERT_EQ(excel_.Open(""), 1);
  for (const Case& c : {Case{"SELECT * FROM [Nessuno$]", kDbNoTable, "Nessuno"},
                        Case{"SELECT * FROM [Lis]tino$]", kDbErrorsInCommand, "Lis]tino"},
                        Case{"SELECT Codice FROM [Listino$]", kDbErrorsInCommand, "Codice"}}) {
    try {
      OpenRecordPass(excel_, c.query);
      ADD_FAILURE() << c.query;
    } catch (const DbError& e) {
      if (test::WorkbookProviderHere() != test::WorkbookProvider::Ours) continue;
      EXPECT_EQ(e.Code(), c.code) << c.query;
      EXPECT_NE(e.Description().find(c.mentions), std::string::npos) << e.Description();
    }
  }
  try {
    ExecuteNoRecords(excel_, "UPDATE [Listino$] SET Netto = 0");
    if (test::WorkbookProviderHere() == test::WorkbookProvider::Ours) ADD_FAILURE() << "our workbooks are read only";
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), kDbErrorsInCommand);
  }
}

struct BrokenCase {
  const char* what;
  std::function<std::string(const std::string& xls, const std::string& xlsx)> bytes;
  const char* name;
  const char* mentions;
};

class BrokenWorkbook : public WorkbookReading, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenWorkbook, DoesNotOpenAndSaysWhy) {
  const BrokenCase& c = GetParam();
  std::string path = Scratch() + "\\" + c.name;
  if (c.bytes) Install(c.bytes(Fixture("listino.xls"), Fixture("listino.xlsx")), c.name);
  else platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", path.c_str());
  EXPECT_EQ(excel_.Open(""), -1);
  ASSERT_EQ(ui.messages.size(), 1u);
  const std::string& text = ui.messages[0].text;
  EXPECT_EQ(text.rfind("Function: ApriExcel\nError: 0x", 0), 0u) << text;
  if (test::WorkbookProviderHere() != test::WorkbookProvider::Ours) return;
  EXPECT_EQ(text.rfind("Function: ApriExcel\nError: 0x80004005\n", 0), 0u) << text;
  EXPECT_NE(text.find(c.mentions), std::string::npos) << text;
  EXPECT_NE(text.find(path), std::string::npos) << text;
}

std::string Half(const std::string& bytes) { return bytes.substr(0, bytes.size() / 2); }

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenWorkbook,
    ::testing::Values(
        BrokenCase{"missing", nullptr, "NESSUNO.XLS", "cannot be found"},
        BrokenCase{"text", [](const std::string&, const std::string&) { return std::string("Codice;Netto\r\n1;2\r\n"); },
                   "TESTO.XLS", "not an Excel workbook"},
        BrokenCase{"half_xls", [](const std::string& xls, const std::string&) { return Half(xls); }, "META.XLS", "damaged"},
        BrokenCase{"half_xlsx", [](const std::string&, const std::string& xlsx) { return Half(xlsx); }, "META.XLSX",
                   "damaged"},
        BrokenCase{"password_xls",
                   [](const std::string&, const std::string&) {
                     return test::ReadFile(test::WorkbookFixture("protetto.xls"));
                   },
                   "PROTETTO.XLS", "password"}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zmw
