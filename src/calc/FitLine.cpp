#include "calc/FitLine.h"

#include <charconv>

namespace zmw {

std::string FormatFitLine(const FitLine& l) {
  char price[64];
  auto r = std::to_chars(price, price + sizeof price, l.price, std::chars_format::fixed, 2);
  std::string text(price, r.ptr);
  return l.maker + ";" + l.maker2 + ";" + l.code + ";" + l.empty + ";" + l.description + ";" +
         l.shortCode + ";" + l.unitType + ";" + l.multiplier + ";" + l.group + ";" + text + "\n";
}

}  // namespace zmw
