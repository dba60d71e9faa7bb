// What every workbook route has in common: the workbook a connection text names and what kind
// of file it is, the one query the Excel import sends, and a sheet held in memory that is read
// as a forward-only record pass, its first row giving the column names.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/Variant.h"

namespace zmw {

// What a workbook file is by its first bytes, whatever its name says. An .xls (BIFF8) is an OLE
// compound file, and so is an .xlsx that a password protects; a plain .xlsx is a ZIP package.
// The sheets of Excel 2 to 4 are a bare stream of BIFF records, starting with their BOF.
enum class WorkbookKind { Unreadable, CompoundFile, ZipPackage, BiffStream, Other };
WorkbookKind SniffWorkbook(const std::string& path);

// The "Data Source" of the connection text: the workbook's path.
std::string WorkbookFileOf(const std::string& connectionText);
// Whether the text names the Jet provider, which reads BIFF workbooks only.
bool NamesJetProvider(const std::string& connectionText);
// The same text for the ACE provider and the Office Open XML format: the provider and the Excel
// version in the extended properties change, every other byte stays.
std::string AceWorkbookText(const std::string& connectionText);

// The sheet that "SELECT * FROM [<sheet>$]" names, the words in any case. Any other text is a
// DbError (kDbErrorsInCommand): a workbook answers that one query only.
std::string SheetOfQuery(const std::string& statement);

// The largest sheet the spreadsheet programs make.
inline constexpr std::uint32_t kSheetMaxRows = 1048576;
inline constexpr std::uint32_t kSheetMaxColumns = 16384;

// One cell that holds a value; a cell that is not stored is empty (NULL).
struct SheetCell {
  enum Kind : std::uint8_t { Number, Text, Bool, Date };
  std::uint16_t column = 0;
  Kind kind = Number;
  std::uint32_t text = 0;  // Text: the index into the sheet's texts
  double number = 0;       // Number; Date as a date serial; Bool as 1 or 0
};

// A sheet as its reader found it. Rows and columns count from 0 at A1; only rows up to the last
// one that holds a value are kept, and in each row only the cells with values.
class SheetData {
 public:
  // Texts are Windows-1252; the reader may fill them first and refer to them by index.
  std::vector<std::string> texts;

  std::uint32_t AddText(std::string text);
  // A cell's value: row and column below kSheetMaxRows and kSheetMaxColumns.
  void Put(std::uint32_t row, std::uint32_t column, const SheetCell& cell);

  std::size_t RowCount() const { return rows_.size(); }
  std::size_t ColumnCount() const { return columns_; }
  // The value as the platform's provider gives it: R8, BSTR, BOOL, DATE, or NULL when empty.
  Variant Value(std::size_t row, std::size_t column) const;

 private:
  std::vector<std::vector<SheetCell>> rows_;
  std::size_t columns_ = 0;
};

// A pass over the rows below the first, whose cells name the columns (F1, F2, ... where empty).
std::unique_ptr<RecordSource> MakeSheetRecords(std::shared_ptr<const SheetData> sheet);

// A spreadsheet's day number as a date serial: in the 1900 system the days before March 1900
// are one off, as the spreadsheet counts a 29 February 1900; the 1904 system starts 1462 days on.
double DateFromSheetSerial(double serial, bool system1904);

}  // namespace zmw
