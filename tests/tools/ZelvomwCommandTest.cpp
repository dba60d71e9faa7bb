// The zelvomw command as a person or a script runs it: a real process in a fresh prefix.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "Runs.h"
#include "platform/Files.h"

namespace zmw {
namespace {

class Command : public test::CleanMachine {};

TEST_F(Command, RefusesWrongCallsWithExitTwoAndPrintsTheResultAsTheLastLine) {
  for (const char* wrong : {"", "NoSuchExport", "LanciaCalcoloMW", "LanciaCalcoloMW a b", "Ordine2Mw 1 2", "Test extra"})
    EXPECT_EQ(test::RunZelvomw(wrong).exitCode, 2) << wrong;
  EXPECT_EQ(test::RunZelvomw("--help").exitCode, 0);
  test::CommandOutcome test = test::RunZelvomw("Test");
  EXPECT_EQ(test.exitCode, 0);
  EXPECT_EQ(test::LastLine(test.out), "1");
  EXPECT_EQ(test::LastLine(test::RunZelvomw("order 1 A B").out), "0");
}

TEST_F(Command, CheckInAFreshPrefixAsksThenFindsTheInstallation) {
  std::string log = ::testing::TempDir() + "zmw-ui-" + std::to_string(::getpid()) + ".log";
  std::remove(log.c_str());
  test::CommandOutcome none = test::RunZelvomw("ControllaInstallazioneMW", "ZELVOMW_UI_LOG=" + log);
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(test::LastLine(none.out), "0");
  EXPECT_EQ(test::ReadHostFile(log).substr(0, test::ReadHostFile(log).find('\n')),
            "{\"kind\":\"browse\",\"title\":\"Indicare la cartella di installazione di MaicoWin\",\"answer\":null}");
  std::remove(log.c_str());
  test::WriteFile(Scratch() + "\\MW\\BIN\\MAICOWIN.INI", "");
  EXPECT_EQ(test::LastLine(test::RunZelvomw("check", "ZELVOMW_UI_SCRIPT='browse " + Scratch() + "\\MW'").out), "1");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "");
  EXPECT_EQ(test::LastLine(test::RunZelvomw("ControllaInstallazioneMW").out), "1");
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
  test::CommandOutcome o = test::RunZelvomw("job show '" + path + "'");
  EXPECT_EQ(o.exitCode, 0);
  std::istringstream lines(o.out);
  std::string head, first, second, none;
  std::getline(std::getline(std::getline(lines, head), first), second);
  EXPECT_FALSE(std::getline(lines, none));
  EXPECT_NE(head.find("\"count\":2,\"records\":2"), std::string::npos) << head;
  EXPECT_EQ(first.rfind("{\"JobCode\":\"A123\",", 0), 0u) << first;
  for (const char* part : {"\"PosNo\":3,", "\"Code\":\"301234\"", "\"Text\":\"Cerniera \xC3\xA8 \xE2\x82\xAC\"",
                           "\"Kind\":2,", "\"Value\":2.5,", "\"Quantity\":-1.5,", "\"Int754\":1,"})
    EXPECT_NE(first.find(part), std::string::npos) << part << " in " << first;
  EXPECT_NE(second.find("\"JobCode\":\"\""), std::string::npos);
  // The same file, read through a POSIX path.
  std::string posix = test::RunZelvomw("job show " + platform::NativePath(path).string()).out;
  EXPECT_EQ(posix.substr(posix.find('\n')), o.out.substr(o.out.find('\n')));
}

// A file that is missing, empty or cut short: the command names it and fails.
TEST_F(Command, JobShowOfABadFileSaysSoAndFails) {
  std::string path = Scratch() + "\\BAD.MW", err = ::testing::TempDir() + "zmw-bad-" + std::to_string(::getpid());
  for (const std::string& bytes : {std::string("missing"), std::string(), std::string("\x01"),
                                   std::string("\x01\0", 2) + std::string(500, 'x')}) {
    if (bytes != "missing") test::WriteFile(path, bytes);
    EXPECT_EQ(test::RunZelvomw("job show '" + path + "'", "", err).exitCode, 1) << bytes.size() << " bytes";
    EXPECT_NE(test::ReadHostFile(err).find("BAD.MW"), std::string::npos) << test::ReadHostFile(err);
  }
  std::remove(err.c_str());
}

}  // namespace
}  // namespace zmw
