// Statement texts as formats: whatever the text, the formatter reads only the arguments it has.
#include <cstdint>
#include <string>

#include "db/DbError.h"
#include "db/SqlRepository.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string format(reinterpret_cast<const char*>(data), size);
  try {
    zmw::FormatStatement(format, {std::string("O'Brien"), std::int32_t(-3), std::string("%s%n")});
  } catch (const zmw::DbError& e) {
    if (e.Code() != zmw::kEInvalidArg) __builtin_trap();
  }
  return 0;
}
