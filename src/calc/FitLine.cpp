#include "calc/FitLine.h"

#include "base/Gcvt.h"

namespace zmw {

// The import library has always read prices written by the Windows runtime's "%.2f", which
// rounds its decimal digits half up: 0.125 is 0.13 there, not the 0.12 of exact rounding.
std::string FormatFitLine(const FitLine& l) { return FormatFitLine(l, CrtFixed(l.price, 2)); }

std::string FormatFitLine(const FitLine& l, const std::string& priceText) {
  return l.maker + ";" + l.maker2 + ";" + l.code + ";" + l.empty + ";" + l.description + ";" + l.shortCode + ";" +
         l.unitType + ";" + l.multiplier + ";" + l.group + ";" + priceText + "\n";
}

}  // namespace zmw
