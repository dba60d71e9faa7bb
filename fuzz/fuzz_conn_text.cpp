// Connection texts: parsed pairs join back into a text that parses to the same pairs.
#include <cstdint>
#include <string>

#include "db/ConnText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  zmw::ConnPairs pairs = zmw::ParseConnText(text);
  zmw::ConnValue(pairs, "Database");
  bool joinable = true;
  for (const auto& [key, value] : pairs)
    if (key.find_first_of("=;{}") != std::string::npos || value.find('}') != std::string::npos) joinable = false;
  if (joinable && zmw::ParseConnText(zmw::JoinConnText(pairs)) != pairs) __builtin_trap();
  return 0;
}
