// MaicoWin result lines of any content become records without fault.
#include <cstdint>
#include <string>

#include "calc/MwResultReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  std::string code = zmw::ResultField(line, 143, 13);
  if (code.size() > 13) __builtin_trap();
  if (code.empty()) code = zmw::ResultField(line, 130, 13);
  zmw::ReadDecimal(zmw::ResultField(line, 114, 4));
  zmw::ReadDecimal(line);
  return 0;
}
