#include "base/Ini.h"
#include "base/MwPath.h"
#include "calc/CalcRequestWriter.h"
#include "calc/ExchangeFile.h"
#include "calc/MwResultReader.h"
#include "db/Connection.h"
#include "maicowin/MaicoWinConf.h"
#include "maicowin/WaitDialogs.h"
#include "module/Calculation.h"
#include "platform/Dialogs.h"
#include "platform/Locks.h"
#include "platform/Programs.h"
#include "platform/Ui.h"

namespace zmw {
namespace {

// The progress dialog around the processing of MaicoWin's result: four steps, then the
// message that the calculation is done.
void ProcessWithProgress(const std::string& jobName, const std::string& connectionText) {
  CWriteFitDlg progress;
  progress.Create();
  progress.SendProgress(platform::kPbmSetRange, 0, (4 << 16) | 1);
  progress.SendProgress(platform::kPbmSetStep, 1, 0);
  TheZelvoDb().Open(connectionText);
  progress.SendProgress(platform::kPbmStepIt, 0, 0);
  {
    MwResultReader reader(jobName);
    progress.SendProgress(platform::kPbmStepIt, 0, 0);
    reader.ProcessResults();
    progress.SendProgress(platform::kPbmStepIt, 0, 0);
    TheZelvoDb().Close();
    progress.SendProgress(platform::kPbmStepIt, 0, 0);
    platform::CurrentUi().ShowMessage(platform::Owner::None, "Calcolo MaicoWin terminato.", "Zelvo", platform::kMbOk);
    progress.DestroyWindow();
  }
}

// How long a second calculation waits for the first one before it gives up.
constexpr int kLockWaitMilliseconds = 3000;

// MaicoWin's exchange files serve one calculation at a time; a second one would take the
// first one's answer for its own job. It gives up, says why and touches nothing.
bool TakeCalculationLock(platform::CalculationLock& lock) {
  if (lock.Acquire(kLockWaitMilliseconds)) return true;
  platform::CurrentUi().ShowMessage(platform::Owner::Active,
                                    "\xC8 gi\xE0 in corso un calcolo MaicoWin su questa postazione.\n"
                                    "Riprovare al termine.",
                                    "Zelvo", platform::kMbOk | platform::kMbIconExclamation);
  return false;
}

}  // namespace

int RunCalculation(const std::string& jobPath) {
  platform::CalculationLock lock;
  if (!TakeCalculationLock(lock)) return 0;
  int result = 0;
  MaicoWinConf conf;
  if (!conf.IsMaicoWinRunning()) {
    if (!StartMaicoWin()) {
      platform::CurrentUi().ShowMessage(platform::Owner::Active, "Errore nell'apertura di MaicoWin", "Zelvo",
                                        platform::kMbOk);
      return 0;
    }
    result = 1;  // no wait for MaicoWin to come up: the cycle goes on at once
  }

  ExchangeFile oldResult(ExchangeFile::Result);
  oldResult.Backup();
  oldResult.Remove();

  std::string jobName;
  MwPath(jobPath).GetFileTitle(jobName);
  {
    CalcRequestWriter writer;
    writer.WriteRequest(jobName);
  }
  ExchangeFile(ExchangeFile::Request).Backup();

  CMwWaitDlg wait;
  if (wait.DoModal() == kIdOk) {
    ProcessWithProgress(jobName, "");
    MaicoWinConf third;
    std::string exportFile;
    third.GetExportFile(exportFile);
    ExchangeFile newResult(ExchangeFile::Result);
    newResult.Backup();
    newResult.Remove();
    result = 1;
  }

  // Whatever the outcome, the calculation is asked to end.
  if (platform::CalcWindowExists(kCalcWindowName)) platform::PostQuitToCalcWindow(kCalcWindowName);
  return result;
}

void ProcessExistingResult(const std::string& jobName) {
  platform::CalculationLock lock;
  if (!TakeCalculationLock(lock)) return;
  std::string startPath = ReadZelvoIni("SYSTEM", "START_PATH");
  ProcessWithProgress(jobName, "fileDSN=" + MwPath(startPath).Append("ZELVO32.DSN").Text());
}

}  // namespace zmw
