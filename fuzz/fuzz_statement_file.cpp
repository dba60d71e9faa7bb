// Statement files of any content: a statement or nothing, never a fault.
#include <cstdint>
#include <string>

#include "db/providers/posix/PugiStatementFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  zmw::ReadStatementFromBytes(bytes, "MW_GET_INFO_ACC");
  zmw::ReadStatementFromBytes(bytes, bytes.substr(0, size % 11));
  return 0;
}
