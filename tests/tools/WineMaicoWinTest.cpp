// A MaicoWin that is a Windows program, run by Wine for the prefix: the Linux library starts
// it, sees it running, and reaches its calculation window with the quit message. Needs Wine
// and the Windows build of the stand-in, named by ZELVOMW_TEST_WINDOWS_SIM (the test script
// does so after the Windows build); skipped without them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "Runs.h"
#include "maicowin/MaicoWinConf.h"
#include "maicowin/ProcessWalk.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Programs.h"
#include "support/Database.h"

namespace zmw {
namespace {

using namespace std::chrono_literals;

int CountMaicoWin(std::uint32_t, std::uint16_t, const char* name, std::intptr_t out) {
  if (IsMaicoWinProcess(0, 0, name, 0) == 2) ++*reinterpret_cast<int*>(out);
  return 1;
}
bool NoMaicoWinRuns() {
  int count = 0;
  platform::WalkProcesses(CountMaicoWin, reinterpret_cast<std::intptr_t>(&count));
  return count == 0;
}

class WineMaicoWin : public test::HostDatabase {
 protected:
  void SetUp() override {
    const char* sim = std::getenv("ZELVOMW_TEST_WINDOWS_SIM");
    if (!sim || !*sim) GTEST_SKIP() << "no Windows stand-in named in ZELVOMW_TEST_WINDOWS_SIM";
    test::HostDatabase::SetUp();
    test::InstallMaicoWin(sim, "MSERVER.EXE --idle=300");
    test::JobsIn(Scratch());
  }
  void TearDown() override {
    if (IsSkipped()) return;  // nothing was set up
    test::EndWinePrefix();    // Wine's processes of this prefix end with its server
    test::HostDatabase::TearDown();
  }
  // The calculation of a new job in batch: the last line of its output, and its list of two.
  void Calculate(const std::string& job) {
    ASSERT_TRUE(test::SaveWidthJob(Scratch() + "\\JOBS\\" + job + ".MW", job));
    test::Finish(test::StartZelvomw({"LanciaCalcoloMW", Scratch() + "\\JOBS\\" + job + ".MW"}, Out()));
    EXPECT_EQ(test::LastLine(test::ReadHostFile(Out())), "1");
    EXPECT_EQ(test::LoadList(Scratch() + "\\JOBS\\" + job + ".FIT").Size(), 2u);
  }
  std::string Out() const { return platform::NativePath(Scratch() + "\\out.txt").string(); }
};

TEST_F(WineMaicoWin, IsStartedSeenAndAskedToEnd) {
  // Not running: the calculation starts it through Wine and, at its end, asks it to quit.
  Calculate("A123");
  EXPECT_TRUE(test::Eventually(NoMaicoWinRuns, 20s)) << "the quit message reached it";
  // Already running: seen, not started a second time, and asked to quit again at the end.
  ASSERT_TRUE(platform::StartProgram("C:\\MAICOWIN\\BIN\\MSERVER.EXE", "--idle=300", "C:\\MAICOWIN\\BIN"));
  ASSERT_TRUE(test::Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }, 60s));
  EXPECT_EQ(MaicoWinConf().Running(), 1);
  // A start would fail now, with its message: the calculation must use the one that runs.
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "NOPE.EXE");
  Calculate("B222");
  EXPECT_EQ(test::ReadHostFile(Out() + ".err").find("Errore nell'apertura di MaicoWin"), std::string::npos);
  EXPECT_TRUE(test::Eventually(NoMaicoWinRuns, 20s));
  EXPECT_FALSE(platform::CalcWindowExists("ZelvoMwCalc"));
}

}  // namespace
}  // namespace zmw
