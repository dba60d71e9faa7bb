// The wait and progress dialogs in the platform's own dialog host: real windows from the
// resource templates on Windows, the batch host on POSIX.
#include <gtest/gtest.h>

#include "maicowin/WaitDialogs.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

class PlatformDialogs : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    platform::SetDialogHost(nullptr);
  }
};

TEST_F(PlatformDialogs, WaitEndsWithOkOnceTheAnswerIsThere) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nEXPORT=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\n");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "result");
  EXPECT_EQ(CMwWaitDlg().DoModal(), 1);
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "");
  EXPECT_EQ(CMwWaitDlg().DoModal(), 2);
}

TEST_F(PlatformDialogs, ProgressBarEndsFullAfterFourSteps) {
  CWriteFitDlg progress;
  ASSERT_TRUE(progress.Create());
  progress.SendProgress(platform::kPbmSetRange, 0, (4 << 16) | 1);
  progress.SendProgress(platform::kPbmSetStep, 1, 0);
  for (int i = 0; i < 4; ++i) progress.SendProgress(platform::kPbmStepIt, 0, 0);
  // Wine's progress bar moves a position below a new range into it, so there the fourth step
  // wraps; Windows and our own hosts leave it and end full.
  if (!test::UnderWine()) {
    EXPECT_EQ(progress.SendProgress(platform::kPbmGetPos, 0, 0), 4);
  }
  progress.DestroyWindow();
}

}  // namespace
}  // namespace zmw
