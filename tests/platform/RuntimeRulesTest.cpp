#include <gtest/gtest.h>

#include "platform/Programs.h"
#include "platform/Ui.h"

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

// A message box nobody can answer (no terminal) takes its default button, as Windows would on Enter.
TEST(DefaultResultOf, IsTheDefaultButtonsResult) {
  const std::pair<unsigned, int> rows[] = {
      {kMbOk | kMbIconHand, kIdOk}, {kMbOkCancel | kMbDefButton2, kIdCancel}, {kMbYesNo, kIdYes},
      {kMbYesNoCancel | kMbDefButton3, kIdCancel}, {kMbAbortRetryIgnore | kMbDefButton2, kIdRetry},
      {kMbRetryCancel | kMbDefButton3, kIdRetry} /* no third button: the first */};
  for (auto [style, result] : rows) EXPECT_EQ(DefaultResultOf(style), result) << style;
}

} }  // namespace zmw::platform
