// The calculation cycle from end to end, with the stand-in MaicoWin as a separate process.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "calc/JobItem.h"
#include "maicowin/ProcessWalk.h"
#include "platform/Locks.h"
#include "platform/Dialogs.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "support/Database.h"
#include "zelvomw.h"

namespace zmw {
namespace {

bool Eventually(const std::function<bool()>& condition, int milliseconds = 5000) {
  return test::Eventually(condition, std::chrono::milliseconds(milliseconds));
}

class Cycle : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", "A12345");
    test::InstallMaicoWin(test::SimulatorProgram(), "MSERVER.EXE --idle=60");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    test::MakeFolders(Scratch() + "\\JOBS");
    JobItemList job;
    JobItemRecord head;
    head.JobCode.Set("A123");
    job.Append(head);
    for (std::int16_t pos : {1, 2}) {
      JobItemRecord r;
      r.JobCode.Set("A123");
      r.PosNo.Set(pos);
      r.Sub3.Set(1);
      r.PosText1.Set(pos == 1 ? "F1" : "F2");
      r.Code.Set("LARGHEZZA");
      r.Kind.Set(2);
      r.Value.Set(1200);
      r.Quantity.Set(pos);
      job.Append(r);
    }
    ASSERT_TRUE(job.Save(Scratch() + "\\JOBS\\A123.MW"));
  }
  void TearDown() override {
    // No stand-in MaicoWin outlives its test.
    if (platform::CalcWindowExists("ZelvoMwCalc")) platform::PostQuitToCalcWindow("ZelvoMwCalc");
    Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }, 3000);
    test::HostDatabase::TearDown();
  }
  void Command(const char* command) { platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", command); }
  std::string JobPath() const { return Scratch() + "\\JOBS\\A123.MW"; }
  // Clicks "Annulla" once the calculation window is there, and answers Yes.
  void CancelOnceMaicoWinRuns() {
    ui.messageAnswers = {platform::kIdYes};
    dialogs.driver = [](test::RecordedDialog& d) {
      Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); });
      d.Click(1018);
    };
  }
};

TEST_F(Cycle, StartsMaicoWinAndCompletesTheJob) {
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  JobItemList fit;
  fit.Load(Scratch() + "\\JOBS\\A123.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(fit.Size(), 4u) << "two accessories for each of the two positions";
  EXPECT_EQ(fit[0].Code.Get(), "301234");
  EXPECT_EQ(fit[0].Category.Get(), "CERNIERE");
  EXPECT_EQ(fit[0].PosText1.Get(), "F1");
  EXPECT_EQ(fit[2].PosText1.Get(), "F2");
  EXPECT_EQ(fit[2].Quantity.Get(), 4.0);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));

  ASSERT_EQ(dialogs.dialogs.size(), 2u);
  EXPECT_EQ(dialogs.dialogs[0].templateId, 1002);
  EXPECT_EQ(dialogs.dialogs[1].templateId, 1003);
  const auto& progress = dialogs.dialogs[1].progress;
  ASSERT_EQ(progress.size(), 6u);
  EXPECT_EQ(progress[0].message, unsigned(platform::kPbmSetRange));
  EXPECT_EQ(progress[0].lParam, 0x40001);
  EXPECT_EQ(progress[1].message, unsigned(platform::kPbmSetStep));
  EXPECT_EQ(progress[1].wParam, 1u);
  for (int i = 2; i < 6; ++i) EXPECT_EQ(progress[std::size_t(i)].message, unsigned(platform::kPbmStepIt));
  EXPECT_EQ(dialogs.dialogs[1].events.back(), "destroy");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Calcolo MaicoWin terminato.");
  EXPECT_EQ(ui.messages[0].caption, "Zelvo");
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);

  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  EXPECT_NE(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK").find("301234"), std::string::npos);
  std::string request = test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT");
  EXPECT_EQ(request.rfind("CODCLIENTE=A12345\r\nCOMMESSA=A123\r\nNUMPOSIZ=1\r\nQUANTITA=1\r\nLARGHEZZA=1200.0\r\nEND\r\n", 0), 0u)
      << request;
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.BAK"), request);
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); })) << "the quit message ends MaicoWin";
}

int ListMaicoWin(std::uint32_t id, std::uint16_t, const char* name, std::intptr_t out) {
  std::string n = name;
  if (n.size() >= 11 && (n.find("MSERVER") != std::string::npos || n.find("MAICOWIN.EXE") != std::string::npos))
    *reinterpret_cast<std::string*>(out) += std::to_string(id) + " " + n + "\n";
  return 1;
}

TEST_F(Cycle, WithoutStartCommandNothingHappensButTheMessage) {
  Command(nullptr);
  std::string running;
  platform::WalkProcesses(ListMaicoWin, reinterpret_cast<std::intptr_t>(&running));
  ASSERT_EQ(running, "") << "a MaicoWin of another test still runs";
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "old result");
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Errore nell'apertura di MaicoWin");
  EXPECT_EQ(ui.messages[0].caption, "Zelvo");
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Active);
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\REQUEST.TXT"));
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), "old result");
  EXPECT_TRUE(dialogs.dialogs.empty());
}

TEST_F(Cycle, CancelWhenMaicoWinAlreadyRanGivesZeroAndStartsNothing) {
  ASSERT_TRUE(platform::StartProgram("C:\\MAICOWIN\\BIN\\MSERVER.EXE", "--no-answer --idle=60", "C:\\MAICOWIN\\BIN"));
  ASSERT_TRUE(Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }));
  Command("NOPE.EXE");  // a start would fail with a message
  CancelOnceMaicoWinRuns();
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 0);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Sei sicuro");
  EXPECT_EQ(ui.messages[1].text, "Sara` necessario ricalcolare la commessa.");
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }));
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
}

TEST_F(Cycle, CancelWhenThisCallStartedMaicoWinGivesOne) {
  Command("MSERVER.EXE --no-answer --idle=60");
  CancelOnceMaicoWinRuns();
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }));
  EXPECT_TRUE(test::FileExists("C:\\MAICOWIN\\EXCH\\REQUEST.BAK"));
}

TEST_F(Cycle, AnEmptyAnswerEndsTheWaitWithoutReadingIt) {
  Command("MSERVER.EXE --empty --idle=60");
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), "") << "left untouched";
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); })) << "the quit message all the same";
}

TEST_F(Cycle, WithoutCalculationWindowNoQuitIsPostedAndNothingReported) {
  // A MaicoWin that runs but has no window: the answer comes from elsewhere.
  test::CopyProgram(test::SleeperProgram(), Scratch() + "\\MSERVER.EXE");
  auto maicowin = test::StartChild(Scratch() + "\\MSERVER.EXE", "30");
  Command("NOPE.EXE");
  dialogs.driver = [](test::RecordedDialog& d) {
    Eventually([] { return test::FileExists("C:\\MAICOWIN\\EXCH\\REQUEST.BAK"); });
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", std::string(143, ' ') + "301234       1\r\n");
    for (int i = 0; i < 50 && !d.Ended(); ++i) d.Tick();
  };
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Calcolo MaicoWin terminato.");
}

TEST_F(Cycle, DebugReadProcessesAWaitingResultThroughTheFileDsn) {
  Command("NOPE.EXE");
  test::WriteFile(Scratch() + "\\ZELVO32.DSN",
                  "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) + "\r\n");
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");  // only the file DSN leads to the database
  std::string result = std::string(114, ' ') + "   1" + std::string(25, ' ') + "301234       3\r\n";
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", result);
  EXPECT_EQ(DebugLeggiMwExport("A123"), 0);
  JobItemList fit;
  fit.Load(Scratch() + "\\JOBS\\A123.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(fit.Size(), 1u);
  EXPECT_EQ(fit[0].Category.Get(), "CERNIERE");
  EXPECT_EQ(fit[0].AssemblyTime.Get(), 4.5);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), result) << "the result stays";
  ASSERT_EQ(ui.messages.size(), 1u) << ui.messages[0].text;
  EXPECT_EQ(ui.messages[0].text, "Calcolo MaicoWin terminato.");
  ASSERT_EQ(dialogs.dialogs.size(), 1u);
  EXPECT_EQ(dialogs.dialogs[0].templateId, 1003);
  EXPECT_FALSE(platform::CalcWindowExists("ZelvoMwCalc"));
}

// Another calculation of this installation, held on a thread of its own (a named mutex is
// recursive for its own thread, a flock belongs to its open file).
class OtherCalculation {
 public:
  OtherCalculation()
      : thread_([this] {
          platform::CalculationLock lock;
          std::unique_lock<std::mutex> guard(mutex_);
          held_ = lock.Acquire(0);
          changed_.notify_all();
          changed_.wait(guard, [this] { return done_; });
        }) {
    std::unique_lock<std::mutex> guard(mutex_);
    changed_.wait_for(guard, std::chrono::seconds(5), [this] { return held_; });
  }
  ~OtherCalculation() {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      done_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  bool Held() const { return held_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool done_ = false;
  std::thread thread_;
};

const char* const kBusy = "\xC8 gi\xE0 in corso un calcolo MaicoWin su questa postazione.\nRiprovare al termine.";

TEST_F(Cycle, ASecondCalculationWaitsThenGivesUpAndTouchesNothing) {
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "the first one's answer");
  OtherCalculation first;
  ASSERT_TRUE(first.Held());
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "it waits a while first";
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kBusy);
  EXPECT_EQ(ui.messages[0].caption, "Zelvo");
  EXPECT_TRUE(dialogs.dialogs.empty());
  EXPECT_FALSE(platform::CalcWindowExists("ZelvoMwCalc")) << "MaicoWin is not started";
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\REQUEST.TXT"));
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.BAK"));
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), "the first one's answer");
  EXPECT_TRUE(test::FileExists(JobPath()));

  ui.messages.clear();
  EXPECT_EQ(DebugLeggiMwExport("A123"), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kBusy);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), "the first one's answer");
}

TEST_F(Cycle, TheLockIsFreeAgainAfterACalculation) {
  Command("MSERVER.EXE --empty --idle=60");
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  OtherCalculation next;
  EXPECT_TRUE(next.Held());
}

// After the last message the cycle makes a third configuration record before it saves and
// removes the result: that record walks the process list, as does the one of the exchange file.
TEST_F(Cycle, TheLastStepsMakeTheirOwnConfigurationRecords) {
  std::uint64_t atMessage = 0;
  ui.whileShowing = [&](const test::ShownMessage& m) {
    if (m.text == "Calcolo MaicoWin terminato.") atMessage = ProcessWalksSoFar();
  };
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  ASSERT_NE(atMessage, 0u);
  EXPECT_EQ(ProcessWalksSoFar() - atMessage, 2u);
}

// A job without positions asks MaicoWin nothing: its empty answer ends the wait as cancelled.
TEST_F(Cycle, AJobWithoutPositionsGetsTheEmptyAnswer) {
  JobItemList empty;
  ASSERT_TRUE(empty.Save(JobPath()));
  dialogs.patience = 8000;
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  ASSERT_EQ(dialogs.dialogs.size(), 1u);
  EXPECT_EQ(dialogs.dialogs[0].events.back(), "end 2");
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), "");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
}

// The quit message ends the stand-in also while it takes its time over an answer.
TEST_F(Cycle, TheQuitMessageIsHeardDuringTheCalculationsDelay) {
  ASSERT_TRUE(platform::StartProgram("C:\\MAICOWIN\\BIN\\MSERVER.EXE", "--delay=20000 --idle=60", "C:\\MAICOWIN\\BIN"));
  ASSERT_TRUE(Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }));
  test::WriteFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT", "COMMESSA=A123\r\nNUMPOSIZ=1\r\nEND\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // taken, and the delay begun
  ASSERT_TRUE(platform::PostQuitToCalcWindow("ZelvoMwCalc"));
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }, 2000));
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
}

}  // namespace
}  // namespace zmw
