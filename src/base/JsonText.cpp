#include "base/JsonText.h"

#include <cstdio>

#include "platform/Text.h"

namespace zmw {

std::string JsonString(const std::string& cp1252) {
  std::string out = "\"";
  for (unsigned char c : platform::Cp1252ToUtf8(cp1252)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace zmw
