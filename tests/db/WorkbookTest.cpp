// What every workbook route shares: the one query, the texts for Jet and ACE, what a file is by
// its content, and a sheet read as a record pass.
#include <gtest/gtest.h>

#include "db/Workbook.h"
#include "support/Workbooks.h"
#include "DbTests.h"

namespace zmw {
namespace {

using test::CodeOf;

TEST(Workbook, TheQueryNamesOneSheetOrIsRefused) {
  for (auto [query, sheet] : {std::pair{"select * from [Prezzi 2024$]", "Prezzi 2024"}, {"  SELECT   *\tFROM  [a$]  ; ", "a"},
                              {"SELECT*FROM[x$]", "x"}, {"SELECT * FROM [A$B$]", "A$B"}, {"SELECT * FROM [$]", ""}})
    EXPECT_EQ(SheetOfQuery(query), sheet);
  for (const char* query : {"SELECT * FROM [Lis]tino$]", "SELECT * FROM [Listino]$]", "SELECT * FROM Listino$", "SELECT A FROM [x$]",
                            "SELECT * FROM [x]", "SELECT * FROM [x$] WHERE 1=1", "DELETE FROM [x$]", "", "SELECT * FROM [x$",
                            "SELECTED * FROM [x$]"}) {
    std::string description;
    EXPECT_EQ(CodeOf([&] { SheetOfQuery(query); }, &description), kDbErrorsInCommand) << query;
    EXPECT_NE(description.find(query), std::string::npos) << description;
  }
}

TEST(Workbook, TheTextNamesTheFileAndTheProvider) {
  const std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\MAICO\\L.XLS;Extended Properties=Excel 8.0;";
  EXPECT_EQ(WorkbookFileOf(jet), "C:\\MAICO\\L.XLS");
  EXPECT_TRUE(NamesJetProvider(jet));
  EXPECT_TRUE(NamesExcelWorkbook(jet));
  EXPECT_FALSE(NamesJetProvider(AceWorkbookText(jet)));
  EXPECT_TRUE(NamesExcelWorkbook(AceWorkbookText(jet)));
  EXPECT_EQ(WorkbookFileOf("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=Excel 8.0;"), "");
  // ACE's text changes only the provider and the version.
  EXPECT_EQ(AceWorkbookText("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\L.xlsx;Extended Properties=Excel 8.0;"),
            "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\L.xlsx;Extended Properties=Excel 12.0 Xml;");
  EXPECT_EQ(AceWorkbookText("Extended Properties={Excel 8.0; IMEX=1};Provider=Microsoft.Jet.OLEDB.4.0"),
            "Extended Properties={Excel 12.0 Xml; IMEX=1};Provider=Microsoft.ACE.OLEDB.12.0");
}

class Sniffing : public test::CleanMachine {};

TEST_F(Sniffing, GoesByContentNotByName) {
  EXPECT_EQ(SniffWorkbook(test::WorkbookFixture("listino.xls")), WorkbookKind::CompoundFile);
  EXPECT_EQ(SniffWorkbook(test::WorkbookFixture("listino.xlsx")), WorkbookKind::ZipPackage);
  for (auto [name, bytes, kind] : {std::tuple{"REALLY_XLSX.XLS", test::ReadFile(test::WorkbookFixture("listino.xlsx")), WorkbookKind::ZipPackage},
                                   {"NOTES.XLS", std::string("Codice;Descrizione\r\n"), WorkbookKind::Other},
                                   {"EMPTY.XLS", std::string(), WorkbookKind::Other}}) {
    test::WriteFile(Scratch() + "\\" + name, bytes);
    EXPECT_EQ(SniffWorkbook(Scratch() + "\\" + name), kind) << name;
  }
  EXPECT_EQ(SniffWorkbook(Scratch() + "\\MISSING.XLS"), WorkbookKind::Unreadable);
}

SheetCell Cell(SheetCell::Kind kind, double number, std::uint32_t text = 0) { return {0, kind, text, number}; }

TEST(SheetPass, RowsBelowTheHeadingWithGapsAsNull) {
  auto data = std::make_shared<SheetData>();
  data->Put(0, 0, Cell(SheetCell::Text, 0, data->AddText("Codice")));
  data->Put(0, 2, Cell(SheetCell::Text, 0, data->AddText("Prezzo")));  // B1 empty: the column is F2
  data->Put(1, 2, Cell(SheetCell::Number, 12.5));
  data->Put(1, 0, Cell(SheetCell::Text, 0, data->AddText("A1")));  // out of order in its row
  data->Put(3, 1, Cell(SheetCell::Bool, 1));
  data->Put(3, 3, Cell(SheetCell::Date, 39807));
  data->Put(3, 3, Cell(SheetCell::Number, 4));  // a second value for the cell replaces the first
  EXPECT_EQ(data->RowCount(), 4u);
  EXPECT_EQ(data->ColumnCount(), 4u);
  auto pass = MakeSheetRecords(data);
  const auto columns = {"codice", "F2", "prezzo", "F4"};
  std::vector<std::string> rows;
  for (; !pass->AtEnd(); pass->MoveNext()) rows.push_back(test::Describe(*pass, columns) + " / " + test::Describe(*pass, {0, 1, 2, 3}));
  // The empty third row is a row of NULLs.
  EXPECT_EQ(rows, (std::vector<std::string>{"text A1|null|r8 12.5|null / text A1|null|r8 12.5|null",
                                            "null|null|null|null / null|null|null|null",
                                            "null|bool -1|null|r8 4 / null|bool -1|null|r8 4"}));
  pass->MoveFirst();
  EXPECT_EQ(test::Describe(*pass, columns), "text A1|null|r8 12.5|null");
  for (auto call : std::vector<std::function<void()>>{[&] { pass->Field(4); }, [&] { pass->Field(-1); },
                                                      [&] { pass->Field("Descrizione"); }})
    EXPECT_EQ(CodeOf(call), kAdoItemNotFound);
  for (int i = 0; i < 3; ++i) pass->MoveNext();
  EXPECT_THROW(pass->Field(0), DbError);
  EXPECT_THROW(pass->MoveNext(), DbError);
  pass->Close();
  EXPECT_EQ(CodeOf([&] { pass->AtEnd(); }), kAdoClosed) << "a closed pass answered";
  // A heading alone, or nothing, is at its end at once.
  data = std::make_shared<SheetData>();
  EXPECT_TRUE(MakeSheetRecords(data)->AtEnd());
  data->Put(0, 0, Cell(SheetCell::Text, 0, data->AddText("Codice")));
  EXPECT_TRUE(MakeSheetRecords(data)->AtEnd());
}

TEST(SheetData, CellsBeyondTheLargestSheetAreNotKeptAndSerialsBecomeDates) {
  SheetData data;
  data.Put(kSheetMaxRows, 0, Cell(SheetCell::Number, 1));
  data.Put(0, kSheetMaxColumns, Cell(SheetCell::Number, 1));
  EXPECT_EQ(data.RowCount(), 0u);
  data.Put(kSheetMaxRows - 1, kSheetMaxColumns - 1, Cell(SheetCell::Number, 1));
  EXPECT_EQ(data.RowCount(), std::size_t(kSheetMaxRows));
  EXPECT_EQ(data.Value(kSheetMaxRows - 1, kSheetMaxColumns - 1).RealValue(), 1);
  for (auto [serial, system1904, date] :
       {std::tuple{1.0, false, DateSerial(1900, 1, 1)}, {59, false, DateSerial(1900, 2, 28)}, {60, false, DateSerial(1900, 2, 28)},
        {61, false, DateSerial(1900, 3, 1)},
        {39807.4375, false, DateSerial(2008, 12, 25, 10, 30)}, {0.4375, false, 0.4375}, {0, true, DateSerial(1904, 1, 1)}})
    EXPECT_EQ(DateFromSheetSerial(serial, system1904), date) << serial << " " << system1904;
}

}  // namespace
}  // namespace zmw
