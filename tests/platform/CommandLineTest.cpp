#include <gtest/gtest.h>

#include "platform/Programs.h"

namespace zmw::platform { namespace {

// MaicoWin's command line from MW_CMD_STRING is split as the Visual C++ runtime splits argv.
TEST(SplitCommandLine, SplitsAsTheRuntimeDoes) {
  const struct { const char* line; std::vector<std::string> args; } rows[] = {
      {"  a\tb  ", {"a", "b"}},
      {R"("C:\Program Files\MW.EXE" /x)", {R"(C:\Program Files\MW.EXE)", "/x"}},
      {R"("b ""c"" d" "" e)", {R"(b "c" d)", "", "e"}},  // a doubled quote inside quotes is one quote
      {R"(a\\"b c" d\"e f\g)", {R"(a\b c)", R"(d"e)", R"(f\g)"}},
      {"", {}}};
  for (const auto& r : rows) EXPECT_EQ(SplitCommandLine(r.line), r.args) << r.line;
}

} }  // namespace zmw::platform
