// Pieces the data-file scanners share: how their files are read line by line, and what each
// scanner takes from a line.
#pragma once
#include <optional>
#include <string>

namespace zmw {

// The scanners read their files in text mode as fgets does, through a buffer of this size: a
// line longer than the buffer comes in pieces, and each piece is read as a line of its own.
constexpr int kDataLineBuffer = 1024;

// The first `width` characters of a line read from a data file, trailing white space (blanks,
// tabs, the line end) removed; leading blanks stay.
std::string LeadingField(const std::string& line, std::size_t width);

// The finish a line of FINITURA.DAT names: its code is the line's first ten characters.
std::string FinishCodeOfLine(const std::string& line);

// The description a line of SCHEDTEC.DAT gives a sheet, its first fifty characters; none for
// the bare marker "CRLF" that the file's last line may be, with no line end after it.
std::optional<std::string> SheetDescriptionOfLine(const std::string& line);

}  // namespace zmw
