// .xls workbooks as our reader meets them, in two shapes chosen by the first byte: a compound
// file whose workbook stream is the input, or the input as a file of its own (a compound file
// to libgsf, or a bare BIFF stream). Every sheet is read and every cell converted to text:
// nothing may crash, and what is no workbook is a DbError.
#include <cstdint>
#include <string>

#include "WorkbookInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string& path = zmw::fuzz::WorkFile("workbook-xls");
  if (data[0] % 2 == 0) zmw::fuzz::WriteXls(path, input);
  else zmw::fuzz::WriteRaw(path, input);
  zmw::fuzz::ReadEveryCell(path);
  return 0;
}
