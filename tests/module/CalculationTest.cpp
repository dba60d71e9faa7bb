// The calculation cycle from end to end, with the stand-in MaicoWin as a separate process.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "calc/CalcKit.h"
#include "maicowin/ProcessWalk.h"
#include "module/ModuleKit.h"
#include "platform/Dialogs.h"
#include "platform/Locks.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "support/Database.h"
#include "zelvomw.h"

namespace zmw { namespace {

using calctest::Has;
using moduletest::Shown;
const char* const kBusy = "\xC8 gi\xE0 in corso un calcolo MaicoWin su questa postazione.\nRiprovare al termine.";
const char* const kDone = "Calcolo MaicoWin terminato.";
bool CalcWindow() { return platform::CalcWindowExists("ZelvoMwCalc"); }
bool NoCalcWindow() { return !CalcWindow(); }
std::string Exch(const char* name) { return std::string("C:\\MAICOWIN\\EXCH\\") + name; }

class Cycle : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", "A12345");
    test::InstallMaicoWin(test::SimulatorProgram(), "MSERVER.EXE --idle=60");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    test::MakeFolders(Scratch() + "\\JOBS");
    SaveJob();
  }
  // Position 1 is F1 for one piece, position 2 F2 for two.
  void SaveJob() {
    JobItemList job;
    JobItemRecord r;
    r.JobCode.Set("A123");
    job.Append(r);
    r.Sub3.Set(1), r.Code.Set("LARGHEZZA"), r.Kind.Set(2), r.Value.Set(1200);
    for (std::int16_t pos : {1, 2})
      r.PosNo.Set(pos), r.PosText1.Set(pos == 1 ? "F1" : "F2"), r.Quantity.Set(pos), job.Append(r);
    ASSERT_TRUE(job.Save(JobPath()));
  }
  void TearDown() override {
    // No stand-in MaicoWin outlives its test.
    if (CalcWindow()) platform::PostQuitToCalcWindow("ZelvoMwCalc");
    test::Eventually(NoCalcWindow, std::chrono::seconds(3));
    test::HostDatabase::TearDown();
  }
  void Command(const char* command) { platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", command); }
  std::string JobPath(const char* extension = "MW") const { return Scratch() + "\\JOBS\\A123." + extension; }
  // Each dialog's template and its last event.
  std::string Dialogs() {
    std::string all;
    for (const auto& d : dialogs.dialogs) all += std::to_string(d.templateId) + " " + d.events.back() + ", ";
    return all;
  }
  JobItemList Fit() {
    JobItemList fit;
    fit.Load(JobPath("FIT"), CountRule::EmptyWhenNotPositive);
    return fit;
  }
  // Clicks "Annulla" once the calculation window is there, and answers Yes.
  void CancelOnceMaicoWinRuns() {
    ui.messageAnswers = {platform::kIdYes};
    dialogs.driver = [](test::RecordedDialog& d) {
      test::Eventually(CalcWindow);
      d.Click(1018);
    };
  }
};

// Another calculation of this installation, held on a thread of its own (a named mutex is
// recursive for its own thread, a flock belongs to its open file).
class OtherCalculation {
 public:
  OtherCalculation() : thread_([this] {
    platform::CalculationLock lock;
    held_.set_value(lock.Acquire(0));
    release_.get_future().wait();
  }) {}
  ~OtherCalculation() { release_.set_value(), thread_.join(); }
  bool Held() { return held_.get_future().get(); }  // once only

 private:
  std::promise<bool> held_;
  std::promise<void> release_;
  std::thread thread_;  // the last member: it starts once the promises are there
};

TEST_F(Cycle, StartsMaicoWinAndCompletesTheJob) {
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  JobItemList fit = Fit();
  EXPECT_EQ(fit.Size(), 4u) << "two accessories for each of the two positions";
  EXPECT_FALSE(test::FileExists(JobPath()));
  ASSERT_EQ(Dialogs(), "1002 end 1, 1003 destroy, ");
  std::string progress;
  for (const test::ProgressMessage& m : dialogs.dialogs[1].progress)
    progress += std::to_string(m.message) + " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam) + ", ";
  using namespace platform;
  std::string stepIt = std::to_string(kPbmStepIt) + " 0 0, ";
  EXPECT_EQ(progress, std::to_string(kPbmSetRange) + " 0 " + std::to_string(0x40001) + ", " +
                          std::to_string(kPbmSetStep) + " 1 0, " + stepIt + stepIt + stepIt + stepIt);
  EXPECT_EQ(Shown(ui), std::string("Zelvo/0: ") + kDone + "\n");
  EXPECT_FALSE(test::FileExists(Exch("RESULT.TXT")));
  EXPECT_NE(test::ReadFile(Exch("RESULT.BAK")).find("301234"), std::string::npos);
  std::string request = test::ReadFile(Exch("REQUEST.TXT"));
  EXPECT_EQ(request.rfind("CODCLIENTE=A12345\r\nCOMMESSA=A123\r\nNUMPOSIZ=1\r\nQUANTITA=1\r\nLARGHEZZA=1200.0\r\nEND\r\n", 0), 0u)
      << request;
  EXPECT_EQ(test::ReadFile(Exch("REQUEST.BAK")), request);
  EXPECT_TRUE(test::Eventually(NoCalcWindow)) << "the quit message ends MaicoWin";
}

TEST_F(Cycle, WithoutStartCommandNothingHappensButTheMessage) {
  Command(nullptr);
  test::WriteFile(Exch("RESULT.TXT"), "old result");
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 0);
  EXPECT_EQ(Shown(ui), "Zelvo/1: Errore nell'apertura di MaicoWin\n");
  EXPECT_FALSE(test::FileExists(Exch("REQUEST.TXT")));
  EXPECT_EQ(test::ReadFile(Exch("RESULT.TXT")), "old result");
  EXPECT_TRUE(dialogs.dialogs.empty());
}

// Cancelled, the cycle gives 1 only when it started MaicoWin itself (as with the empty answer).
TEST_F(Cycle, CancelGivesZeroWhenMaicoWinAlreadyRan) {
  ASSERT_TRUE(platform::StartProgram("C:\\MAICOWIN\\BIN\\MSERVER.EXE", "--no-answer --idle=60", "C:\\MAICOWIN\\BIN"));
  ASSERT_TRUE(test::Eventually(CalcWindow));
  Command("NOPE.EXE");  // a start would fail with a message
  CancelOnceMaicoWinRuns();
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 0);
  EXPECT_EQ(Shown(ui, false), "Sei sicuro\nSara` necessario ricalcolare la commessa.\n");
  EXPECT_TRUE(test::Eventually(NoCalcWindow));
  EXPECT_FALSE(test::FileExists(JobPath("FIT")));
}

TEST_F(Cycle, AnEmptyAnswerEndsTheWaitWithoutReadingItAndTheLockIsFreeAgain) {
  Command("MSERVER.EXE --empty --idle=60");
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  EXPECT_FALSE(test::FileExists(JobPath("FIT")));
  EXPECT_EQ(test::ReadFile(Exch("RESULT.TXT")), "") << "left untouched";
  EXPECT_TRUE(test::Eventually(NoCalcWindow)) << "the quit message all the same";
  OtherCalculation next;
  EXPECT_TRUE(next.Held()) << "the lock is free again";
}

TEST_F(Cycle, WithoutCalculationWindowNoQuitIsPostedAndNothingReported) {
  // A MaicoWin that runs but has no window: the answer comes from elsewhere.
  test::CopyProgram(test::SleeperProgram(), Scratch() + "\\MSERVER.EXE");
  auto maicowin = test::StartChild(Scratch() + "\\MSERVER.EXE", "30");
  Command("NOPE.EXE");
  dialogs.driver = [](test::RecordedDialog& d) {
    test::Eventually([] { return test::FileExists(Exch("REQUEST.BAK")); });
    test::WriteFile(Exch("RESULT.TXT"), std::string(143, ' ') + "301234       1\r\n");
    for (int i = 0; i < 50 && !d.Ended(); ++i) d.Tick();
  };
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  EXPECT_EQ(Shown(ui, false), std::string(kDone) + "\n");
}

TEST_F(Cycle, DebugReadProcessesAWaitingResultThroughTheFileDsn) {
  Command("NOPE.EXE");
  test::WriteFile(Scratch() + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) + "\r\n");
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");  // only the file DSN leads to the database
  std::string result = std::string(114, ' ') + "   1" + std::string(25, ' ') + "301234       3\r\n";
  test::WriteFile(Exch("RESULT.TXT"), result);
  EXPECT_EQ(DebugLeggiMwExport("A123"), 0);
  JobItemList fit = Fit();
  ASSERT_EQ(fit.Size(), 1u);
  EXPECT_TRUE(Has(fit[0], "Category=CERNIERE|AssemblyTime=4.5"));
  EXPECT_EQ(test::ReadFile(Exch("RESULT.TXT")), result) << "the result stays";
  EXPECT_EQ(Shown(ui, false), std::string(kDone) + "\n");
  EXPECT_EQ(Dialogs(), "1003 destroy, ");
}

TEST_F(Cycle, ASecondCalculationWaitsThenGivesUpAndTouchesNothing) {
  test::WriteFile(Exch("RESULT.TXT"), "the first one's answer");
  OtherCalculation first;
  ASSERT_TRUE(first.Held());
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "it waits a while first";
  EXPECT_FALSE(CalcWindow()) << "MaicoWin is not started";
  EXPECT_FALSE(test::FileExists(Exch("REQUEST.TXT")) || test::FileExists(Exch("RESULT.BAK")));
  EXPECT_EQ(DebugLeggiMwExport("A123"), 0);
  EXPECT_EQ(Shown(ui), std::string("Zelvo/1: ") + kBusy + "\n" + "Zelvo/1: " + kBusy + "\n");
  EXPECT_EQ(test::ReadFile(Exch("RESULT.TXT")), "the first one's answer");
}

// After the last message the cycle makes a third configuration record before it saves and
// removes the result: that record walks the process list, as does the one of the exchange file.
TEST_F(Cycle, TheLastStepsMakeTheirOwnConfigurationRecords) {
  std::uint64_t atMessage = 0;
  ui.whileShowing = [&](const test::ShownMessage& m) {
    if (m.text == kDone) atMessage = ProcessWalksSoFar();
  };
  EXPECT_EQ(LanciaCalcoloMW(JobPath().c_str()), 1);
  ASSERT_NE(atMessage, 0u);
  EXPECT_EQ(ProcessWalksSoFar() - atMessage, 2u);
}

} }  // namespace zmw
