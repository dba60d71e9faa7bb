#include "archive/ArchiveText.h"

namespace zmw {

std::string LeadingField(const std::string& line, std::size_t width) {
  std::string field = line.substr(0, width);
  std::size_t end = field.find_last_not_of(" \t\r\n\v\f");
  field.resize(end == std::string::npos ? 0 : end + 1);
  return field;
}

}  // namespace zmw
