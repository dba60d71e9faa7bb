// One line of a FIT text file, the accessory archive that Zelvo's import library reads.
#pragma once
#include <string>

namespace zmw {

struct FitLine {
  std::string maker, maker2, code, empty, description, shortCode, unitType, multiplier, group;
  double price = 0;
};

// The ten fields joined by ";" and ended by "\n" (CR LF once written in text mode); the price
// with two decimals and "." whatever the locale.
std::string FormatFitLine(const FitLine& line);
// The same with the price text already made.
std::string FormatFitLine(const FitLine& line, const std::string& priceText);

}  // namespace zmw
