#include <gtest/gtest.h>

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
  int clickAt = -1;
  int ticks = 0;
};

TEST_F(Wait, AnAnswerThatIsThereEndsTheWaitAtTheFirstTick) {
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "result");
  CMwWaitDlg wait;
  EXPECT_EQ(wait.DoModal(), 1);
  EXPECT_EQ(ticks, 1);
  ASSERT_EQ(dialogs.dialogs.size(), 1u);
  EXPECT_EQ(dialogs.dialogs[0].templateId, 1002);
  EXPECT_EQ(dialogs.dialogs[0].timersStarted, (std::map<unsigned, unsigned>{{1u, 100u}}));
}

TEST_F(Wait, AnEmptyAnswerIsACancel) {
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "");
  CMwWaitDlg wait;
  EXPECT_EQ(wait.DoModal(), 2);
}

TEST_F(Wait, NoAnswerKeepsWaiting) {
  CMwWaitDlg wait;
  EXPECT_EQ(wait.DoModal(), -1) << "still waiting when the test's patience ends";
  EXPECT_EQ(ticks, 5);
}

TEST_F(Wait, WithoutInstallationFolderOrExportKeyNothingIsPolled) {
  for (int variant = 0; variant < 2; ++variant) {
    if (variant == 0) platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", nullptr);
    else test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nIMPORT=C:\\X.TXT\r\n");
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "result");
    dialogs.dialogs.clear();
    CMwWaitDlg wait;
    EXPECT_EQ(wait.DoModal(), -1);
    EXPECT_TRUE(dialogs.dialogs[0].timersStarted.empty());
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  }
}

TEST_F(Wait, CancelAskedAndDeniedGoesOnWaiting) {
  clickAt = 1;
  ui.messageAnswers = {platform::kIdNo};
  CMwWaitDlg wait;
  EXPECT_EQ(wait.DoModal(), -1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Sei sicuro");
  EXPECT_EQ(ui.messages[0].caption, "Attenzione");
  EXPECT_EQ(ui.messages[0].style, unsigned(platform::kMbYesNo | platform::kMbIconQuestion));
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Active);
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
}

TEST_F(Wait, CancelWithoutCalculationWindowLeavesEverything) {
  clickAt = 1;
  ui.messageAnswers = {platform::kIdYes};
  CMwWaitDlg wait;
  EXPECT_EQ(wait.DoModal(), -1);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
}

TEST_F(Wait, CancelWithTheWindowQuitsItDeletesTheJobAndSaysSo) {
  platform::CalcWindow calc("ZelvoMwCalc");
  ASSERT_TRUE(calc.Valid());
  clickAt = 0;
  ui.messageAnswers = {platform::kIdYes};
  CMwWaitDlg wait;
  EXPECT_NE(wait.DoModal(), 1);
  EXPECT_TRUE(calc.WaitForQuit(2000)) << "the quit message";
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Sara` necessario ricalcolare la commessa.");
  EXPECT_EQ(ui.messages[1].caption, "Attenzione");
  EXPECT_EQ(ui.messages[1].style, unsigned(platform::kMbOk | platform::kMbIconAsterisk));
  EXPECT_EQ(dialogs.dialogs[0].events.back(), "end 2");
}

TEST_F(Wait, TheAnswerMayComeWhileTheQuestionIsOpen) {
  platform::CalcWindow calc("ZelvoMwCalc");
  clickAt = 0;
  ui.messageAnswers = {platform::kIdYes};
  CMwWaitDlg* running = nullptr;
  test::RecordedDialog* window = nullptr;
  dialogs.driver = [&](test::RecordedDialog& d) {
    window = &d;
    d.Click(CMwWaitDlg::kCancelButton);
  };
  ui.whileShowing = [&](const test::ShownMessage& m) {
    if (m.text == "Sei sicuro") {
      test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "result");
      window->Tick();  // the timer runs on while the box is open
    }
  };
  CMwWaitDlg wait;
  running = &wait;
  EXPECT_EQ(running->DoModal(), 1) << "the wait had ended with OK";
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
  { CMwWaitDlg().DoModal(); }
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
  EXPECT_TRUE(test::FileExists("N:\\JOBS\\A123.MW"));

  test::WriteFile(Scratch() + "\\JOBS\\A123.MW", "local");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", nullptr);
  ui.messageAnswers = {platform::kIdYes};
  { CMwWaitDlg().DoModal(); }
  EXPECT_FALSE(test::FileExists("N:\\JOBS\\A123.MW")) << "with TMP_PATH empty, in JOB_PATH";
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.MW"));
}

}  // namespace
}  // namespace zmw
