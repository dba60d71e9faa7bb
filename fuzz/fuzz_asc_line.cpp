// ASC lines of any content are cut into fields and priced without fault: fields never wider
// than their columns, price texts that fit the FIT list or are refused.
#include <cstdint>
#include <string>

#include "import/AscConverter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  static const std::size_t columns[][2] = {{0, 10}, {10, 65}, {75, 4}, {79, 3}, {82, 5}, {85, 11}, {87, 11},
                                          {98, 5}, {130, 20}, {150, 4}, {154, 5}, {159, 11}, {170, 5}};
  for (const auto& c : columns)
    if (zmw::AscConverter::CutField(line, c[0], c[1]).size() > c[1]) __builtin_trap();
  std::string price = zmw::AscPriceText(zmw::AscConverter::CutField(line, 85, 11),
                                        zmw::AscConverter::CutField(line, 79, 3),
                                        zmw::AscConverter::CutField(line, 98, 5));
  if (price.size() > 14 || price.find(';') != std::string::npos) __builtin_trap();
  // The whole input as each field, too: its own lengths and characters.
  std::string whole = zmw::AscPriceText(line, line, line);
  if (whole.size() > 14) __builtin_trap();
  return 0;
}
