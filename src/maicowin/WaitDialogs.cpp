#include "maicowin/WaitDialogs.h"

#include "base/FileNames.h"
#include "base/Ini.h"
#include "base/MwPath.h"
#include "platform/Programs.h"
#include "platform/Ui.h"

namespace zmw {

bool CMwWaitDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  std::string installed = ReadZelvoMwIni("DIRS", "INST_PATH");
  if (installed.empty()) return true;  // no polling: only the user can end the wait
  std::string ini = MwPath(installed).Append(kBinFolder).Append(kMaicoWinIni).Text();
  std::string result = ReadIni(ini, "EXPORT-IMPORT", "Export");
  if (result.empty()) return true;
  resultFile_ = result;
  timerId_ = SetTimer(1, 100);
  return true;
}

void CMwWaitDlg::OnTimer(unsigned) {
  MwPath result(resultFile_);
  if (!resultFile_.empty() && result.Exists()) {
    KillTimer(timerId_);
    EndDialog(result.GetSize() != 0 ? kIdOk : kIdCancel);
  }
}

void CMwWaitDlg::OnCommand(int control) {
  if (control == kCancelButton) OnAnnulla();
  else CDialog::OnCommand(control);
}

// While the question is open the wait may end by itself; the answer is still carried out.
void CMwWaitDlg::OnAnnulla() {
  platform::Ui& ui = platform::CurrentUi();
  if (ui.ShowMessage(platform::Owner::Active, "Sei sicuro", "Attenzione",
                     platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes)
    return;
  if (!platform::CalcWindowExists(kCalcWindowName)) return;
  platform::PostQuitToCalcWindow(kCalcWindowName);
  std::string folder = ReadZelvoIni("SYSTEM", "JOB_PATH");
  if (!folder.empty()) {
    if (MwPath(folder).IsRemoteDrive()) {
      std::string local = ReadZelvoIni("SYSTEM", "TMP_PATH");
      if (!local.empty()) folder = local;
    }
    std::string lastJob = ReadZelvoMwIni("SYSTEM", "LAST_JOB");
    if (!lastJob.empty()) MwPath(folder).Append(lastJob + ".MW").Delete();
  }
  DestroyWindow();
  ui.ShowMessage(platform::Owner::Active, "Sara` necessario ricalcolare la commessa.", "Attenzione",
                 platform::kMbOk | platform::kMbIconAsterisk);
}

std::intptr_t CWriteFitDlg::SendProgress(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  return HasWindow() ? Window().SendControlMessage(kProgress, message, wParam, lParam) : 0;
}

}  // namespace zmw
