#include "import/AscConverter.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "base/Gcvt.h"
#include "base/Ini.h"
#include "base/MwPath.h"
#include "calc/FitLine.h"
#include "db/OltrexImport.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Ui.h"

namespace zmw {
namespace {

constexpr std::size_t kLayoutB = 103, kLayoutC = 176;
// A layout-A line ends before its price when it is shorter than this (line end counted).
constexpr std::size_t kLayoutAPrice = 85;
constexpr std::size_t kPriceTextWidth = 14;

struct Columns {
  std::size_t start, width;
};
struct Layout {
  Columns code, description, shortCode, multiplier, unit, price, priceUnit;
  bool hasPriceUnit;
};
constexpr Layout kA{{0, 10}, {10, 65}, {75, 4}, {79, 3}, {82, 3}, {85, 11}, {0, 0}, false};
constexpr Layout kB{{0, 10}, {10, 65}, {75, 4}, {79, 3}, {82, 5}, {87, 11}, {98, 5}, true};
constexpr Layout kC{{0, 10}, {10, 120}, {130, 20}, {150, 4}, {154, 5}, {159, 11}, {170, 5}, true};

// atoi: blanks, a sign, digits; nothing readable is 0. Held at the integer's ends.
long Whole(const std::string& text) {
  errno = 0;
  long v = std::strtol(text.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return v;
}

// strtod's decimal form only: blanks, a sign, digits, one point, an exponent; it stops at any
// other character, and words such as "inf" are no number here.
double Decimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < text.size() && text[e] >= '0' && text[e] <= '9') {
      while (e < text.size() && text[e] >= '0' && text[e] <= '9') ++e;
      i = e;
    }
  }
  return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

void Warn(const std::string& text) {
  platform::CurrentUi().ShowMessage(platform::Owner::None, text, "ATTENZIONE", platform::kMbIconExclamation);
}

bool IsBlankLine(const std::string& line) { return line.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

AscLine ClassifyAscLine(const std::string& line) {
  if (line.size() == kLayoutB) return AscLine::LayoutB;
  if (line.size() == kLayoutC) return AscLine::LayoutC;
  if (line.size() > kLayoutB) return AscLine::Unrecognised;
  // A short blank line (the empty last line many files end with) holds no article and is
  // passed over; any other line that ends before its price cannot be an article line.
  if (line.size() < kLayoutAPrice) return IsBlankLine(line) ? AscLine::Blank : AscLine::Unrecognised;
  return AscLine::LayoutA;
}

std::string AscPriceText(const std::string& priceField, const std::string& multiplierField,
                         const std::string& priceUnitField) {
  long multiplier = Whole(multiplierField);
  long unit = Whole(priceUnitField);
  if (unit == 0) unit = 1;
  // The point is a thousands separator here and the comma the decimal one: "1.234,56".
  std::string text = priceField;
  if (std::size_t dot = text.find('.'); dot != std::string::npos) text.erase(dot, 1);
  if (std::size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
  float price = static_cast<float>(Decimal(text));
  float total = static_cast<float>(double(price) * double(multiplier) / double(unit));
  if (!std::isfinite(total)) return "";
  std::string written = CrtFixed(double(total), 2);
  return written.size() > kPriceTextWidth ? std::string() : written;
}

AscConverter::AscConverter() {
  MaicoWinConf conf;
  conf.GetMaicoFit(source_);
  std::string start = ReadZelvoIni("SYSTEM", "START_PATH");
  if (!start.empty()) temporary_ = start + "\\~MTEMP.FIT";
}

std::string AscConverter::CutField(const std::string& line, std::size_t start, std::size_t width) {
  std::string field = start < line.size() ? line.substr(start, width) : std::string();
  std::size_t b = field.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  field = field.substr(b, field.find_last_not_of(' ') - b + 1);
  if (std::size_t quote = field.find('"'); quote != std::string::npos) field.erase(quote, 1);
  return field;
}

int AscConverter::Import() {
  if (!Convert()) {
    Warn("Impossibile convertire " + temporary_);
    return 0;
  }
  FitImport(temporary_.c_str(), 0, 0);
  MwPath(temporary_).Delete();
  return 1;
}

int AscConverter::Convert() {
  platform::File source = platform::File::Open(source_, "rt");
  if (!source) {
    Warn("Impossibile aprire " + source_);
    return 0;
  }
  platform::File output = platform::File::Open(temporary_, "wt");
  if (!output) {
    Warn("Impossibile aprire " + temporary_);
    source.Close();
    return 0;
  }
  std::string line;
  long number = 0;
  while (source.Gets(line, kAscReadBuffer)) {
    ++number;
    AscLine kind = ClassifyAscLine(line);
    if (kind == AscLine::Blank) continue;
    if (kind == AscLine::Unrecognised) {
      platform::CurrentUi().ShowMessage(platform::Owner::Active, "Formato importazione accessori non riconosciuto.",
                                        "Errore", platform::kMbOkCancel);
      break;
    }
    const Layout* layout = kind == AscLine::LayoutA ? &kA : kind == AscLine::LayoutB ? &kB : &kC;
    auto cut = [&](Columns c) { return CutField(line, c.start, c.width); };
    std::string price = cut(layout->price);
    std::string priceUnit = layout->hasPriceUnit ? cut(layout->priceUnit) : "1";
    if (layout->hasPriceUnit) {
      if (price.empty()) price = "0";
      if (priceUnit.empty()) priceUnit = "1";
    }
    FitLine fit;
    fit.maker = fit.maker2 = "MAICO";
    fit.code = cut(layout->code);
    fit.description = cut(layout->description);
    fit.shortCode = cut(layout->shortCode);
    std::string unit = cut(layout->unit);
    fit.unitType = unit == "MT" || unit == "m" ? "4" : "1";
    fit.multiplier = cut(layout->multiplier);
    fit.group = "GR";
    std::string priceText = AscPriceText(price, fit.multiplier, priceUnit);
    if (priceText.empty()) {
      // Too large for the list's price field: the article is left out, and the user is told
      // which one, rather than given a price the import library would misread.
      Warn("Prezzo fuori misura alla riga " + std::to_string(number) + " (articolo " + fit.code +
           "): l'articolo non viene importato.");
      continue;
    }
    output.Puts(FormatFitLine(fit, priceText));
  }
  source.Close();
  output.Close();
  return 1;
}

}  // namespace zmw
