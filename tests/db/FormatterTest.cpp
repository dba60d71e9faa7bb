// The statement formatter writes its common fields itself; every one must come out as the C
// library's printf writes it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "db/SqlRepository.h"

namespace zmw {
namespace {

std::string Printf(const std::string& format, const char* text) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format.c_str(), text);
  return buffer;
}
std::string Printf(const std::string& format, int number) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format.c_str(), number);
  return buffer;
}

TEST(Formatter, TextFieldsAreWhatPrintfWrites) {
  const char* specs[] = {"%s", "%5s", "%-5s", "%.3s", "%-2.2s", "%-15.15s", "%20.4s", "%-.0s", "%0s", "%-s", "%.s"};
  const char* texts[] = {"", "A", "ORD-2008-001", "un testo ben piu' lungo di quindici", "X Y"};
  for (const char* spec : specs)
    for (const char* text : texts) {
      std::string format = std::string("[") + spec + "]";
      EXPECT_EQ(FormatStatement(format, {std::string(text)}), Printf(format, text)) << format << " " << text;
    }
  // A text holding a NUL ends there, as a C string does.
  EXPECT_EQ(FormatStatement("[%-6s]", {std::string("AB\0CD", 5)}), "[AB    ]");
}

TEST(Formatter, NumberFieldsAreWhatPrintfWrites) {
  const char* specs[] = {"%d", "%5d", "%-5d", "%.5d", "%-5.5d", "%-11.11ld", "%-13.13d", "%.0d", "%8.3d", "%i",
                         "%05d", "%+d", "% d", "%x", "%-8X", "%u"};
  const int numbers[] = {0, 1, 4, -3, 42, 100000, -100000, INT_MAX, INT_MIN};
  for (const char* spec : specs)
    for (int number : numbers) {
      std::string format = std::string("[") + spec + "]";
      std::string printed = std::string(spec).find('l') != std::string::npos
                                ? Printf(std::string("[") + std::string(spec).erase(std::string(spec).find('l'), 1) + "]", number)
                                : Printf(format, number);
      EXPECT_EQ(FormatStatement(format, {std::int32_t(number)}), printed) << format << " " << number;
    }
}

}  // namespace
}  // namespace zmw
