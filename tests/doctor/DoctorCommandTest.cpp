// `zelvomw doctor` as a person or a script runs it: a real process on the demo installation.
#include <gtest/gtest.h>

#ifdef ZMW_COMMAND
#include <sys/wait.h>

#include <cstdio>

#include "doctor/DemoInstallation.h"
#include "platform/Profile.h"

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define ZMW_HAVE_JSON_READER 1
#endif

namespace zmw {
namespace {

// The exit code and what the command printed.
std::pair<int, std::string> RunZelvomw(const std::string& arguments) {
  std::pair<int, std::string> o{-1, ""};
  FILE* pipe = ::popen((ZMW_COMMAND " " + arguments + " 2>/dev/null").c_str(), "r");
  if (!pipe) return o;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, pipe)) o.second += buffer;
  int status = ::pclose(pipe);
  o.first = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

class DoctorCommand : public test::DemoOn<test::HostDatabase> {};

TEST_F(DoctorCommand, SaysWhatToFixAndExitsWithOneOnlyThen) {
  auto [code, out] = RunZelvomw("doctor");
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("OK      C:\\windows\\ZELVO.INI [SYSTEM] START_PATH = "), std::string::npos) << out;
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", nullptr);
  std::tie(code, out) = RunZelvomw("doctor");
  EXPECT_EQ(code, 1) << out;
  // The terminal gets UTF-8.
  for (const char* line : {"ERRORE  C:\\windows\\ZELVO.INI [SYSTEM] SQL_PATH: manca: ZELVOMW.XML verrebbe cercato nella radice dell'unità", "1 ERRORE"})
    EXPECT_NE(out.find(line), std::string::npos) << out;
#ifdef ZMW_HAVE_JSON_READER
  std::tie(code, out) = RunZelvomw("doctor --json");
  EXPECT_EQ(code, 1);
  nlohmann::json report = nlohmann::json::parse(out);
  EXPECT_EQ(report["errors"], 1);
  for (const auto& f : report["findings"])
    EXPECT_TRUE(f["level"] != "error" || f["message"] == "C:\\windows\\ZELVO.INI [SYSTEM] SQL_PATH: manca: ZELVOMW.XML verrebbe cercato nella radice dell'unità") << f;
#endif
}

}  // namespace
}  // namespace zmw
#endif
