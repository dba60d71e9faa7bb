// What every workbook route shares: the one query, the texts for Jet and ACE, what a file is by
// its content, and a sheet read as a record pass.
#include <gtest/gtest.h>

#include <functional>

#include "db/DbError.h"
#include "db/Workbook.h"
#include "support/TestEnv.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

struct QueryCase {
  const char* query;
  const char* sheet;  // nullptr: refused
};

class SheetQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(SheetQuery, NamesOneSheetOrIsRefused) {
  const QueryCase& c = GetParam();
  if (c.sheet) {
    EXPECT_EQ(SheetOfQuery(c.query), c.sheet);
    return;
  }
  try {
    SheetOfQuery(c.query);
    ADD_FAILURE() << "accepted: " << c.query;
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), kDbErrorsInCommand);
    EXPECT_NE(e.Description().find(c.query), std::string::npos) << e.Description();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SheetQuery,
    ::testing::Values(QueryCase{"SELECT * FROM [Listino$]", "Listino"},
                      QueryCase{"select * from [Prezzi 2024$]", "Prezzi 2024"},
                      QueryCase{"  SELECT   *\tFROM  [a$]  ; ", "a"}, QueryCase{"SELECT*FROM[x$]", "x"},
                      QueryCase{"SELECT * FROM [A$B$]", "A$B"}, QueryCase{"SELECT * FROM [$]", ""},
                      QueryCase{"SELECT * FROM [Lis]tino$]", nullptr}, QueryCase{"SELECT * FROM [Listino]$]", nullptr},
                      QueryCase{"SELECT * FROM Listino$", nullptr}, QueryCase{"SELECT A FROM [x$]", nullptr},
                      QueryCase{"SELECT * FROM [x]", nullptr}, QueryCase{"SELECT * FROM [x$] WHERE 1=1", nullptr},
                      QueryCase{"DELETE FROM [x$]", nullptr}, QueryCase{"", nullptr},
                      QueryCase{"SELECT * FROM [x$", nullptr}, QueryCase{"SELECTED * FROM [x$]", nullptr}));

struct TextCase {
  const char* given;
  const char* ace;
};

class AceText : public ::testing::TestWithParam<TextCase> {};

TEST_P(AceText, ChangesOnlyProviderAndVersion) { EXPECT_EQ(AceWorkbookText(GetParam().given), GetParam().ace); }

INSTANTIATE_TEST_SUITE_P(
    Table, AceText,
    ::testing::Values(
        TextCase{"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\L.xlsx;Extended Properties=Excel 8.0;",
                 "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\L.xlsx;Extended Properties=Excel 12.0 Xml;"},
        TextCase{"provider = Microsoft.Jet.OLEDB.4.0 ; Extended Properties=\"Excel 8.0;HDR=YES\";Data Source=x",
                 "provider = Microsoft.ACE.OLEDB.12.0 ; Extended Properties=\"Excel 12.0 Xml;HDR=YES\";Data Source=x"},
        TextCase{"Extended Properties={Excel 8.0; IMEX=1};Provider=Microsoft.Jet.OLEDB.4.0",
                 "Extended Properties={Excel 12.0 Xml; IMEX=1};Provider=Microsoft.ACE.OLEDB.12.0"}));

TEST(WorkbookText, NamesTheFileAndTheProvider) {
  const std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\MAICO\\L.XLS;Extended Properties=Excel 8.0;";
  EXPECT_EQ(WorkbookFileOf(jet), "C:\\MAICO\\L.XLS");
  EXPECT_TRUE(NamesJetProvider(jet));
  EXPECT_TRUE(NamesExcelWorkbook(jet));
  EXPECT_FALSE(NamesJetProvider(AceWorkbookText(jet)));
  EXPECT_TRUE(NamesExcelWorkbook(AceWorkbookText(jet)));
  EXPECT_EQ(WorkbookFileOf("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=Excel 8.0;"), "");
}

class Sniffing : public test::CleanMachine {};

TEST_F(Sniffing, GoesByContentNotByName) {
  EXPECT_EQ(SniffWorkbook(test::WorkbookFixture("listino.xls")), WorkbookKind::CompoundFile);
  EXPECT_EQ(SniffWorkbook(test::WorkbookFixture("listino-lo.xls")), WorkbookKind::CompoundFile);
  EXPECT_EQ(SniffWorkbook(test::WorkbookFixture("protetto.xls")), WorkbookKind::CompoundFile);
  EXPECT_EQ(SniffWorkbook(test::WorkbookFixture("listino.xlsx")), WorkbookKind::ZipPackage);
  test::WriteFile(Scratch() + "\\REALLY_XLSX.XLS", test::ReadFile(test::WorkbookFixture("listino.xlsx")));
  EXPECT_EQ(SniffWorkbook(Scratch() + "\\REALLY_XLSX.XLS"), WorkbookKind::ZipPackage);
  test::WriteFile(Scratch() + "\\NOTES.XLS", "Codice;Descrizione\r\n");
  EXPECT_EQ(SniffWorkbook(Scratch() + "\\NOTES.XLS"), WorkbookKind::Other);
  test::WriteFile(Scratch() + "\\EMPTY.XLS", "");
  EXPECT_EQ(SniffWorkbook(Scratch() + "\\EMPTY.XLS"), WorkbookKind::Other);
  EXPECT_EQ(SniffWorkbook(Scratch() + "\\MISSING.XLS"), WorkbookKind::Unreadable);
}

SheetCell Number(double v) {
  SheetCell c;
  c.kind = SheetCell::Number;
  c.number = v;
  return c;
}

SheetCell Text(SheetData& data, const std::string& text) {
  SheetCell c;
  c.kind = SheetCell::Text;
  c.text = data.AddText(text);
  return c;
}

TEST(SheetPass, RowsBelowTheHeadingWithGapsAsNull) {
  auto data = std::make_shared<SheetData>();
  data->Put(0, 0, Text(*data, "Codice"));
  data->Put(0, 2, Text(*data, "Prezzo"));  // B1 empty: the column is F2
  data->Put(1, 2, Number(12.5));
  data->Put(1, 0, Text(*data, "A1"));  // out of order in its row
  SheetCell yes;
  yes.kind = SheetCell::Bool;
  yes.number = 1;
  data->Put(3, 1, yes);
  SheetCell date;
  date.kind = SheetCell::Date;
  date.number = 39807;
  data->Put(3, 3, date);
  data->Put(3, 3, Number(4));  // a second value for the cell replaces the first
  EXPECT_EQ(data->RowCount(), 4u);
  EXPECT_EQ(data->ColumnCount(), 4u);

  auto pass = MakeSheetRecords(data);
  ASSERT_FALSE(pass->AtEnd());
  EXPECT_EQ(pass->Field(0).Text(), "A1");
  EXPECT_TRUE(pass->Field(1).IsNull());
  EXPECT_EQ(pass->Field("prezzo").RealValue(), 12.5);
  EXPECT_TRUE(pass->Field("F2").IsNull());
  EXPECT_TRUE(pass->Field("F4").IsNull());
  pass->MoveNext();  // the empty third row is a row of NULLs
  for (int c = 0; c < 4; ++c) EXPECT_TRUE(pass->Field(c).IsNull()) << c;
  pass->MoveNext();
  EXPECT_EQ(pass->Field(1).Type(), VarType::Bool);
  EXPECT_EQ(pass->Field(3).Type(), VarType::R8);
  EXPECT_EQ(pass->Field(3).RealValue(), 4);
  pass->MoveNext();
  EXPECT_TRUE(pass->AtEnd());
  pass->MoveFirst();
  EXPECT_EQ(pass->Field(0).Text(), "A1");

  struct Failure {
    std::function<void()> call;
    std::int32_t code;
  };
  std::vector<Failure> failures = {{[&] { pass->Field(4); }, kAdoItemNotFound},
                                   {[&] { pass->Field(-1); }, kAdoItemNotFound},
                                   {[&] { pass->Field("Descrizione"); }, kAdoItemNotFound}};
  for (auto& f : failures) {
    try {
      f.call();
      ADD_FAILURE() << "no error";
    } catch (const DbError& e) {
      EXPECT_EQ(e.Code(), f.code);
    }
  }
  for (int i = 0; i < 3; ++i) pass->MoveNext();
  EXPECT_THROW(pass->Field(0), DbError);
  EXPECT_THROW(pass->MoveNext(), DbError);
  pass->Close();
  try {
    pass->AtEnd();
    ADD_FAILURE() << "a closed pass answered";
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), kAdoClosed);
  }
}

TEST(SheetPass, HeadingAloneIsAtEndAtOnce) {
  auto data = std::make_shared<SheetData>();
  data->Put(0, 0, Text(*data, "Codice"));
  EXPECT_TRUE(MakeSheetRecords(data)->AtEnd());
  EXPECT_TRUE(MakeSheetRecords(std::make_shared<SheetData>())->AtEnd());
}

TEST(SheetPass, CellsBeyondTheLargestSheetAreNotKept) {
  SheetData data;
  data.Put(kSheetMaxRows, 0, Number(1));
  data.Put(0, kSheetMaxColumns, Number(1));
  EXPECT_EQ(data.RowCount(), 0u);
  data.Put(kSheetMaxRows - 1, kSheetMaxColumns - 1, Number(1));
  EXPECT_EQ(data.RowCount(), std::size_t(kSheetMaxRows));
  EXPECT_EQ(data.Value(kSheetMaxRows - 1, kSheetMaxColumns - 1).RealValue(), 1);
}

struct SerialCase {
  double serial;
  bool system1904;
  double date;
};

class SheetSerials : public ::testing::TestWithParam<SerialCase> {};

TEST_P(SheetSerials, BecomeDateSerials) {
  EXPECT_EQ(DateFromSheetSerial(GetParam().serial, GetParam().system1904), GetParam().date);
}

INSTANTIATE_TEST_SUITE_P(Table, SheetSerials,
                         ::testing::Values(SerialCase{1, false, DateSerial(1900, 1, 1)},
                                           SerialCase{15, false, DateSerial(1900, 1, 15)},
                                           SerialCase{59, false, DateSerial(1900, 2, 28)},
                                           SerialCase{61, false, DateSerial(1900, 3, 1)},
                                           SerialCase{39807, false, DateSerial(2008, 12, 25)},
                                           SerialCase{39807.4375, false, DateSerial(2008, 12, 25, 10, 30)},
                                           SerialCase{0.4375, false, 0.4375},
                                           SerialCase{0, true, DateSerial(1904, 1, 1)},
                                           SerialCase{38345, true, DateSerial(2008, 12, 25)}));

}  // namespace
}  // namespace zmw
