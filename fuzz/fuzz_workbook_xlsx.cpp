// .xlsx workbooks as our reader meets them, in two shapes chosen by the first byte: a package
// whose parts (sheet, shared strings, styles, workbook) come from the input, or the input as a
// file of its own. Every sheet is read and every cell converted to text: nothing may crash,
// and what is no workbook is a DbError. The import's query text goes through its parser too.
// The reader runs in this process; a file that would go to the .xls reader, which forks a
// child for each file, is fuzz_workbook_xls's.
#include <cstdint>
#include <string>

#include "WorkbookInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string& path = zmw::fuzz::WorkFile("workbook-xlsx");
  if (data[0] % 2 == 0) {
    if (!zmw::fuzz::WriteXlsx(path, input)) return 0;
  } else {
    if (input.rfind("\xD0\xCF\x11\xE0", 0) == 0) return 0;
    zmw::fuzz::WriteRaw(path, input);
  }
  zmw::fuzz::ReadEveryCell(path);
  try {
    zmw::SheetOfQuery(input);
  } catch (const zmw::DbError&) {
  }
  return 0;
}
