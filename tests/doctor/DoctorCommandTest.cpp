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

struct Outcome {
  int exitCode = -1;
  std::string out;
};

Outcome RunZelvomw(const std::string& arguments) {
  Outcome o;
  FILE* pipe = ::popen((ZMW_COMMAND " " + arguments + " 2>/dev/null").c_str(), "r");
  if (!pipe) return o;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, pipe)) o.out += buffer;
  int status = ::pclose(pipe);
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

class DoctorCommand : public test::DemoOn<test::HostDatabase> {};

TEST_F(DoctorCommand, SaysTheDemoIsSoundAndExitsWithZero) {
  Outcome o = RunZelvomw("doctor");
  EXPECT_EQ(o.exitCode, 0) << o.out;
  EXPECT_NE(o.out.find("Installazione in ordine: nessun ERRORE"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("OK      C:\\windows\\ZELVO.INI [SYSTEM] START_PATH = "), std::string::npos) << o.out;
}

TEST_F(DoctorCommand, NamesWhatToFixAndExitsWithOne) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", nullptr);
  Outcome o = RunZelvomw("doctor");
  EXPECT_EQ(o.exitCode, 1) << o.out;
  // The terminal gets UTF-8.
  EXPECT_NE(o.out.find("ERRORE  C:\\windows\\ZELVO.INI [SYSTEM] TMP_PATH: manca: l'ordine per Maico non viene scritto"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("1 ERRORE"), std::string::npos) << o.out;
}

#ifdef ZMW_HAVE_JSON_READER
TEST_F(DoctorCommand, GivesToolsJson) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", nullptr);
  Outcome o = RunZelvomw("doctor --json");
  EXPECT_EQ(o.exitCode, 1);
  nlohmann::json report = nlohmann::json::parse(o.out);
  EXPECT_EQ(report["sound"], false);
  EXPECT_EQ(report["errors"], 1);
  int errors = 0;
  for (const auto& f : report["findings"])
    if (f["level"] == "error") {
      ++errors;
      EXPECT_EQ(f["key"], "SQL_PATH");
      EXPECT_EQ(f["source"], "default");
      EXPECT_EQ(f["message"], "C:\\windows\\ZELVO.INI [SYSTEM] SQL_PATH: manca: ZELVOMW.XML verrebbe cercato nella radice dell'unità");
    }
  EXPECT_EQ(errors, 1);
}
#endif

}  // namespace
}  // namespace zmw
#endif
