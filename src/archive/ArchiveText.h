// Pieces the data-file scanners share: how a line's leading field is taken.
#pragma once
#include <string>

namespace zmw {

// The first `width` characters of a line read from a data file, trailing white space (blanks,
// tabs, the line end) removed; leading blanks stay.
std::string LeadingField(const std::string& line, std::size_t width);

}  // namespace zmw
