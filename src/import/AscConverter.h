// Maico's accessory article list (the ASC file, fixed columns in three layouts told apart by
// the length of their lines) turned into a FIT list for the host's import library.
#pragma once
#include <string>

namespace zmw {

class AscConverter {
 public:
  // The ASC file of ZELVOMW.INI [DIRS] MAICO_FIT; the temporary list ~MTEMP.FIT in Zelvo's
  // start folder (empty without START_PATH).
  AscConverter();
  ~AscConverter() = default;
  AscConverter(const AscConverter&) = delete;
  AscConverter& operator=(const AscConverter&) = delete;

  // Converts, hands the list to FitImport and deletes it: 1, or 0 when the conversion failed.
  int Import();
  // 1 when the temporary list was written (also when an unrecognised line stopped it early),
  // 0 when a file could not be opened.
  int Convert();

  static std::string CutField(const std::string& line, std::size_t start, std::size_t width);

  const std::string& SourcePath() const { return source_; }
  const std::string& TemporaryPath() const { return temporary_; }

 private:
  std::string source_;
  std::string temporary_;
};

// One read from the ASC file: at most this many characters, a longer line coming in pieces.
inline constexpr int kAscReadBuffer = 2048;

// What a line of the ASC file is to the conversion, by its length with its line end: an
// article line of one of the three layouts, a blank line that is passed over, or a line at
// which the conversion stops.
enum class AscLine { LayoutA, LayoutB, LayoutC, Blank, Unrecognised };
AscLine ClassifyAscLine(const std::string& line);

// The price text of a FIT line from the ASC price, multiplier and price unit fields, as the
// import library has always had it; empty when it would not fit the list's 14 characters.
std::string AscPriceText(const std::string& price, const std::string& multiplier, const std::string& priceUnit);

}  // namespace zmw
