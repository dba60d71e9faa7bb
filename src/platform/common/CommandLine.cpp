#include "platform/Programs.h"

namespace zmw::platform {

// Blanks separate arguments outside quotes; 2n backslashes before a quote give n and the quote
// toggles quoting; 2n+1 give n and a literal quote; a doubled quote inside quotes is one quote.
std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, any = false;
  for (std::size_t i = 0; i < line.size();) {
    char c = line[i];
    if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
      ++i;
      continue;
    }
    any = true;
    if (c == '\\') {
      std::size_t n = 0;
      while (i < line.size() && line[i] == '\\') ++n, ++i;
      if (i < line.size() && line[i] == '"') {
        current.append(n / 2, '\\');
        if (n % 2) {
          current += '"';
          ++i;
        }
      } else {
        current.append(n, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
        current += '"';
        i += 2;
        continue;
      }
      inQuotes = !inQuotes;
      ++i;
      continue;
    }
    current += c;
    ++i;
  }
  if (any) args.push_back(current);
  return args;
}

}  // namespace zmw::platform
