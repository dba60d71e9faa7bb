// What Oltrex reads of a FIT or KIT list before anything reaches the database: the list's
// lines, and each line's fields as the database is given them. A line that cannot be loaded
// is a std::runtime_error that says which ("riga <n>: ...").
#pragma once
#include <array>
#include <string>
#include <vector>

#include "db/Variant.h"

namespace zmw::oltrex {

// The list's lines without their line ends, empty lines left out; a list that cannot be read
// is an error.
std::vector<std::string> ReadList(const std::string& path);

// A FIT line: the accessory's values in the order of its columns (maker, maker 2, code,
// description, short code, unit type, multiplier, print group, price).
using FitRow = std::array<Variant, 9>;
FitRow ParseFitLine(const std::string& line, long number);

// A KIT line: the kit (maker, maker 2, kit code, kit description), one of its articles and
// that article's quantity.
struct KitRow {
  std::array<std::string, 4> kit;
  std::string article;
  Variant quantity;
};
KitRow ParseKitLine(const std::string& line, long number);

}  // namespace zmw::oltrex
