#include "archive/ArchiveText.h"

namespace zmw {
namespace {

constexpr std::size_t kFinishCodeWidth = 10;
constexpr std::size_t kSheetDescriptionWidth = 50;

}  // namespace

std::string LeadingField(const std::string& line, std::size_t width) {
  std::string field = line.substr(0, width);
  std::size_t end = field.find_last_not_of(" \t\r\n\v\f");
  field.resize(end == std::string::npos ? 0 : end + 1);
  return field;
}

std::string FinishCodeOfLine(const std::string& line) { return LeadingField(line, kFinishCodeWidth); }

std::optional<std::string> SheetDescriptionOfLine(const std::string& line) {
  if (line == "CRLF") return std::nullopt;
  return LeadingField(line, kSheetDescriptionWidth);
}

}  // namespace zmw
