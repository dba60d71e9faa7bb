#include <gtest/gtest.h>

#include <optional>

#include "maicowin/WaitDialogs.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

class Wait : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nExport=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\n");
    test::MakeFolders("C:\\MAICOWIN\\EXCH");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    platform::ProfileWriteString("ZELVOMW.INI", "SYSTEM", "LAST_JOB", "A123");
    test::WriteFile(Scratch() + "\\JOBS\\A123.MW", "job");
    // The tests' clock: each step of the loop is one tick of the timers.
    dialogs.driver = [this](test::RecordedDialog& d) {
      for (int tick = 0; tick < 5 && !d.Ended(); ++tick) {
        if (tick == clickAt) d.Click(CMwWaitDlg::kCancelButton);
        if (!d.Ended()) d.Tick();
        ticks = tick + 1;
      }
    };
  }
  // The boxes shown: "caption: text /style", and "active" when owned by the active window.
  std::vector<std::string> Messages() {
    std::vector<std::string> shown;
    for (const auto& m : ui.messages)
      shown.push_back(m.caption + ": " + m.text + " /" + std::to_string(m.style) + (m.owner == platform::Owner::Active ? " active" : ""));
    return shown;
  }
  int clickAt = -1;
  int ticks = 0;
};

// The moment (the answer file, the settings, the calculation window), the action (Annulla at a
// tick and the answer to the question), and how the wait ends.
// answer: RESULT.TXT (nullptr: none); settings: "no folder" or "no export key"; polled: the timer
// of 100 ms started; answers: to the question that Annulla asks.
struct WaitCase {
  const char *name, *answer = nullptr, *settings = ""; bool calcWindow = false; int clickAt = -1; std::deque<int> answers = {};
  int result, ticks; bool polled = true; std::vector<std::string> messages = {}; bool jobStays = true;
};
void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class WaitTable : public Wait, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitTable, EndsAsItShould) {
  const WaitCase& c = GetParam();
  if (c.answer) test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", c.answer);
  if (std::string(c.settings) == "no folder") platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", nullptr);
  if (std::string(c.settings) == "no export key")
    test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nIMPORT=C:\\X.TXT\r\n");
  std::optional<platform::CalcWindow> calc;
  if (c.calcWindow) {
    ASSERT_TRUE(calc.emplace("ZelvoMwCalc").Valid());
  }
  clickAt = c.clickAt;
  ui.messageAnswers = c.answers;
  EXPECT_EQ(CMwWaitDlg().DoModal(), c.result) << "-1: still waiting when the test's patience ends";
  EXPECT_EQ(ticks, c.ticks);
  ASSERT_EQ(dialogs.dialogs.size(), 1u);
  EXPECT_EQ(dialogs.dialogs[0].templateId, 1002);
  using Timers = std::map<unsigned, unsigned>;
  EXPECT_EQ(dialogs.dialogs[0].timersStarted, (c.polled ? Timers{{1u, 100u}} : Timers{}));
  EXPECT_EQ(Messages(), c.messages);
  EXPECT_EQ(test::FileExists(Scratch() + "\\JOBS\\A123.MW"), c.jobStays);
  if (calc) {
    EXPECT_TRUE(calc->WaitForQuit(2000)) << "the quit message";
  }
}

const char* const kSure = "Attenzione: Sei sicuro /36 active";

INSTANTIATE_TEST_SUITE_P(
    Table, WaitTable,
    ::testing::Values(
        WaitCase{.name = "AnAnswerThatIsThereEndsTheWaitAtTheFirstTick", .answer = "result", .result = 1, .ticks = 1},
        WaitCase{.name = "AnEmptyAnswerIsACancel", .answer = "", .result = 2, .ticks = 1},
        WaitCase{.name = "NoAnswerKeepsWaiting", .result = -1, .ticks = 5},
        WaitCase{.name = "WithoutInstallationFolderNothingIsPolled", .answer = "result", .settings = "no folder", .result = -1,
                 .ticks = 5, .polled = false},
        WaitCase{.name = "WithoutExportKeyNothingIsPolled", .answer = "result", .settings = "no export key", .result = -1,
                 .ticks = 5, .polled = false},
        WaitCase{.name = "CancelAskedAndDeniedGoesOnWaiting", .clickAt = 1, .answers = {platform::kIdNo}, .result = -1,
                 .ticks = 5, .messages = {kSure}},
        WaitCase{.name = "CancelWithoutCalculationWindowLeavesEverything", .clickAt = 1, .answers = {platform::kIdYes},
                 .result = -1, .ticks = 5, .messages = {kSure}},
        WaitCase{.name = "CancelWithTheWindowQuitsItDeletesTheJobAndSaysSo", .calcWindow = true, .clickAt = 0,
                 .answers = {platform::kIdYes}, .result = 2, .ticks = 1,
                 .messages = {kSure, "Attenzione: Sara` necessario ricalcolare la commessa. /64 active"}, .jobStays = false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Wait, TheAnswerMayComeWhileTheQuestionIsOpen) {
  platform::CalcWindow calc("ZelvoMwCalc");
  ui.messageAnswers = {platform::kIdYes};
  test::RecordedDialog* window = nullptr;
  dialogs.driver = [&](test::RecordedDialog& d) {
    window = &d;
    d.Click(CMwWaitDlg::kCancelButton);
  };
  ui.whileShowing = [&](const test::ShownMessage& m) {
    if (m.text != "Sei sicuro") return;
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "result");
    window->Tick();  // the timer runs on while the box is open
  };
  EXPECT_EQ(CMwWaitDlg().DoModal(), 1) << "the wait had ended with OK";
  EXPECT_TRUE(calc.WaitForQuit(2000)) << "and the answer Yes is still carried out";
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(Wait, RemoteJobFolderCancelDeletesInTheLocalFolder) {
  if (!test::CanMakeNetworkDrive('n')) GTEST_SKIP() << "no network drive can be made here";
  platform::CalcWindow calc("ZelvoMwCalc");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", "N:\\JOBS\\");
  test::WriteFile("N:\\JOBS\\A123.MW", "remote");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\JOBS\\").c_str());
  clickAt = 0;
  ui.messageAnswers = {platform::kIdYes};
  CMwWaitDlg().DoModal();
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
  EXPECT_TRUE(test::FileExists("N:\\JOBS\\A123.MW"));

  test::WriteFile(Scratch() + "\\JOBS\\A123.MW", "local");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", nullptr);
  ui.messageAnswers = {platform::kIdYes};
  CMwWaitDlg().DoModal();
  EXPECT_FALSE(test::FileExists("N:\\JOBS\\A123.MW")) << "with TMP_PATH empty, in JOB_PATH";
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
}

}  // namespace
}  // namespace zmw
