// The zelvomw command as a person or a script runs it: a real process in a fresh prefix.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/TestEnv.h"

namespace zmw {
namespace {

struct Outcome {
  int exitCode;
  std::string out;
};

Outcome RunCommand(const std::string& arguments, const std::string& env = "") {
  std::string command = env + " ZELVOMW_UI=batch " ZMW_COMMAND " " + arguments + " 2>/dev/null";
  Outcome o{-1, ""};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return o;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) o.out += buffer;
  int status = ::pclose(pipe);
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

std::string LastLine(const std::string& out) {
  std::string trimmed = out.substr(0, out.find_last_not_of('\n') + 1);
  return trimmed.substr(trimmed.rfind('\n') == std::string::npos ? 0 : trimmed.rfind('\n') + 1);
}

class Command : public test::CleanMachine {};

struct UsageCase {
  const char* arguments;
  int exitCode;
};

class CommandUsage : public Command, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CommandUsage, RefusesWrongCallsWithExitTwo) {
  EXPECT_EQ(RunCommand(GetParam().arguments).exitCode, GetParam().exitCode) << GetParam().arguments;
}

INSTANTIATE_TEST_SUITE_P(Table, CommandUsage,
                         ::testing::Values(UsageCase{"", 2}, UsageCase{"NoSuchExport", 2},
                                           UsageCase{"LanciaCalcoloMW", 2},
                                           UsageCase{"LanciaCalcoloMW a b", 2},
                                           UsageCase{"Ordine2Mw 1 2", 2}, UsageCase{"Test extra", 2},
                                           UsageCase{"--help", 0}, UsageCase{"Test", 0}));

TEST_F(Command, PrintsTheResultAsTheLastLine) {
  Outcome test = RunCommand("Test");
  EXPECT_EQ(LastLine(test.out), "1");
  Outcome order = RunCommand("order 1 A B");
  EXPECT_EQ(LastLine(order.out), "0");
}

TEST_F(Command, CheckInAFreshPrefixAsksThenFindsTheInstallation) {
  std::string log = std::filesystem::temp_directory_path() / ("zmw-ui-" + std::to_string(::getpid()) + ".log");
  std::filesystem::remove(log);
  Outcome none = RunCommand("ControllaInstallazioneMW", "ZELVOMW_UI_LOG=" + log);
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(LastLine(none.out), "0");
  std::ifstream in(log);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "{\"kind\":\"browse\",\"title\":\"Indicare la cartella di installazione di MaicoWin\",\"answer\":null}");
  std::filesystem::remove(log);

  test::WriteFile(Scratch() + "\\MW\\BIN\\MAICOWIN.INI", "");
  Outcome chosen = RunCommand("check", "ZELVOMW_UI_SCRIPT='browse " + Scratch() + "\\MW'");
  EXPECT_EQ(LastLine(chosen.out), "1");

  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "");
  EXPECT_EQ(LastLine(RunCommand("ControllaInstallazioneMW").out), "1");
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath()));
}

}  // namespace
}  // namespace zmw
