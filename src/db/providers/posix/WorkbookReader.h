// Our workbook readers, where the platform has no Excel provider: the binary formats (.xls of
// Excel 97-2003 and Excel 5/95, and the single sheets of Excel 2 to 4) from their compound file
// through libgsf, Office Open XML .xlsx through libzip and expat. The file's content picks the
// reader.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/Workbook.h"

namespace zmw {

class WorkbookReader {
 public:
  virtual ~WorkbookReader() = default;
  // The sheets' names in workbook order, Windows-1252.
  virtual std::vector<std::string> SheetNames() const = 0;
  // The sheet of that name, found without regard to case, read whole. An unknown name is a
  // DbError (kDbNoTable); a sheet the file cannot give is a DbError (E_FAIL).
  virtual std::shared_ptr<const SheetData> ReadSheet(const std::string& name) = 0;
};

// Opens the workbook at a path text (a Windows path, or a POSIX one starting with "/"). A file
// that is missing, not a workbook, damaged or protected by a password is a DbError (E_FAIL)
// that says which.
std::unique_ptr<WorkbookReader> OpenWorkbookFile(const std::string& path);

// The readers themselves, for a file already known to be of their kind; `shown` is the name the
// errors give.
std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const std::string& nativePath, const std::string& shown);
std::unique_ptr<WorkbookReader> OpenXlsxWorkbook(const std::string& nativePath, const std::string& shown);

// What both readers decide alike. A number format shows a date or a time when its first section
// holds a day, month, year, hour or second placeholder outside quoted text, escaped characters
// and brackets other than elapsed time; the built-in formats are dates by their numbers.
bool IsDateFormatCode(const std::string& code);
bool IsBuiltInDateFormat(int id);
// A number as the platform's provider gives it: a date where its style shows a date and the day
// is one the platform can hold (beyond them the spreadsheet shows ####: a number).
SheetCell NumberCell(double number, bool dateStyle, bool system1904);

// The errors the readers share.
[[noreturn]] void ThrowDamagedWorkbook(const std::string& shown, const std::string& detail);
[[noreturn]] void ThrowEncryptedWorkbook(const std::string& shown);
[[noreturn]] void ThrowNoSuchSheet(const std::string& shown, const std::string& sheet);

}  // namespace zmw
