// The zelvomw command as a person or a script runs it: a real process in a fresh prefix.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "calc/JobItem.h"
#include "platform/Files.h"
#include "StartZelvomw.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

using Outcome = test::CommandOutcome;

Outcome RunCommand(const std::string& arguments, const std::string& env = "") { return test::RunZelvomw(arguments, env); }

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

TEST_F(Command, JobShowPrintsEveryRecordAsJson) {
  JobItemList list;
  JobItemRecord r;
  r.JobCode.Set("A123");
  r.PosNo.Set(3);
  r.Code.Set("301234");
  r.Text.Set("Cerniera \xE8 \x80");
  r.Kind.Set(2);
  r.Value.Set(2.5);
  r.Quantity.Set(-1.5);
  list.Append(r);
  list.Append(JobItemRecord());
  std::string path = Scratch() + "\\A123.FIT";
  ASSERT_TRUE(list.Save(path));
  Outcome o = RunCommand("job show '" + path + "'");
  EXPECT_EQ(o.exitCode, 0);
  std::istringstream lines(o.out);
  std::string head, first, second, none;
  std::getline(lines, head);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_FALSE(std::getline(lines, none));
  EXPECT_NE(head.find("\"count\":2,\"records\":2"), std::string::npos) << head;
  EXPECT_EQ(first.rfind("{\"JobCode\":\"A123\",", 0), 0u) << first;
  for (const char* part : {"\"PosNo\":3,", "\"Code\":\"301234\"", "\"Text\":\"Cerniera \xC3\xA8 \xE2\x82\xAC\"",
                           "\"Kind\":2,", "\"Value\":2.5,", "\"Quantity\":-1.5,", "\"Int754\":1,"})
    EXPECT_NE(first.find(part), std::string::npos) << part << " in " << first;
  EXPECT_NE(second.find("\"JobCode\":\"\""), std::string::npos);
  // The same file, read through a POSIX path.
  std::string posix = RunCommand("job show " + platform::NativePath(path).string()).out;
  EXPECT_EQ(posix.substr(posix.find('\n')), o.out.substr(o.out.find('\n')));
}

struct BadFileCase {
  const char* what;
  std::string bytes;
};

class JobShowBadFile : public Command, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(JobShowBadFile, SaysSoAndFails) {
  std::string path = Scratch() + "\\BAD.MW";
  if (GetParam().what != std::string("missing")) test::WriteFile(path, GetParam().bytes);
  std::string command = std::string(ZMW_COMMAND) + " job show '" + path + "' 2>&1 >/dev/null";
  FILE* pipe = ::popen(("ZELVOMW_PREFIX=" + std::string(std::getenv("ZELVOMW_PREFIX")) + " " + command).c_str(), "r");
  std::string err;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) err += buffer;
  int status = ::pclose(pipe);
  EXPECT_EQ(WEXITSTATUS(status), 1) << GetParam().what;
  EXPECT_NE(err.find("BAD.MW"), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Table, JobShowBadFile,
                         ::testing::Values(BadFileCase{"missing", ""}, BadFileCase{"empty", ""},
                                           BadFileCase{"one byte", "\x01"},
                                           BadFileCase{"half a record", std::string("\x01\0", 2) + std::string(500, 'x')}));

}  // namespace
}  // namespace zmw
