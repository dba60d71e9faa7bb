// A MaicoWin that is a Windows program, run by Wine for the prefix: the Linux library starts
// it, sees it running, and reaches its calculation window with the quit message. Needs Wine
// and the Windows build of the stand-in, named by ZELVOMW_TEST_WINDOWS_SIM (the test script
// does so after the Windows build); skipped without them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "calc/JobItem.h"
#include "maicowin/MaicoWinConf.h"
#include "maicowin/ProcessWalk.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "StartZelvomw.h"
#include "support/Database.h"

namespace fs = std::filesystem;

namespace zmw {
namespace {

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  return test::Eventually(condition, limit);
}

int CountMaicoWin(std::uint32_t, std::uint16_t, const char* name, std::intptr_t out) {
  if (IsMaicoWinProcess(0, 0, name, 0) == 2) ++*reinterpret_cast<int*>(out);
  return 1;
}

int RunningMaicoWins() {
  int count = 0;
  platform::WalkProcesses(CountMaicoWin, reinterpret_cast<std::intptr_t>(&count));
  return count;
}

// Runs zelvomw in batch and gives the last line of its standard output.
std::string Zelvomw(const std::vector<std::string>& args, const std::string& out) {
  pid_t pid = test::StartZelvomw(args, out);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return test::LastLine(test::ReadHostFile(out));
}

class WineMaicoWin : public test::HostDatabase {
 protected:
  void SetUp() override {
    const char* sim = std::getenv("ZELVOMW_TEST_WINDOWS_SIM");
    if (!sim || !*sim) GTEST_SKIP() << "no Windows stand-in named in ZELVOMW_TEST_WINDOWS_SIM";
    test::HostDatabase::SetUp();
    test::InstallMaicoWin(sim, "MSERVER.EXE --idle=300");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    test::MakeFolders(Scratch() + "\\JOBS");
  }
  void TearDown() override {
    if (IsSkipped()) return;  // nothing was set up
    // Wine's processes of this prefix end with its server.
    std::string command = "WINEPREFIX='" + std::string(std::getenv("ZELVOMW_PREFIX")) + "' wineserver -k 2>/dev/null";
    (void)!std::system(command.c_str());
    test::HostDatabase::TearDown();
  }
  void MakeJob(const std::string& name) { ASSERT_TRUE(test::SaveWidthJob(Scratch() + "\\JOBS\\" + name + ".MW", name)); }
  std::string Out() const { return platform::NativePath(Scratch() + "\\out.txt").string(); }
};

TEST_F(WineMaicoWin, IsStartedSeenAndAskedToEnd) {
  // Not running: the calculation starts it through Wine and, at its end, asks it to quit.
  MakeJob("A123");
  EXPECT_EQ(Zelvomw({"LanciaCalcoloMW", Scratch() + "\\JOBS\\A123.MW"}, Out()), "1");
  JobItemList fit;
  fit.Load(Scratch() + "\\JOBS\\A123.FIT", CountRule::EmptyWhenNotPositive);
  EXPECT_EQ(fit.Size(), 2u);
  EXPECT_TRUE(Eventually([] { return RunningMaicoWins() == 0; }, 20s)) << "the quit message reached it";

  // Already running: seen, not started a second time, and asked to quit again at the end.
  ASSERT_TRUE(platform::StartProgram("C:\\MAICOWIN\\BIN\\MSERVER.EXE", "--idle=300", "C:\\MAICOWIN\\BIN"));
  ASSERT_TRUE(Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }, 60s));
  EXPECT_EQ(MaicoWinConf().Running(), 1);
  // A start would fail now, with its message: the calculation must use the one that runs.
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "NOPE.EXE");
  MakeJob("B222");
  EXPECT_EQ(Zelvomw({"LanciaCalcoloMW", Scratch() + "\\JOBS\\B222.MW"}, Out()), "1");
  std::ifstream err(Out() + ".err");
  std::string shown((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
  EXPECT_EQ(shown.find("Errore nell'apertura di MaicoWin"), std::string::npos) << shown;
  fit.Load(Scratch() + "\\JOBS\\B222.FIT", CountRule::EmptyWhenNotPositive);
  EXPECT_EQ(fit.Size(), 2u);
  EXPECT_TRUE(Eventually([] { return RunningMaicoWins() == 0; }, 20s));
  EXPECT_FALSE(platform::CalcWindowExists("ZelvoMwCalc"));
}

}  // namespace
}  // namespace zmw
