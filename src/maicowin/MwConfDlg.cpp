#include "maicowin/MwConfDlg.h"

#include "base/Ini.h"
#include "base/MwPath.h"
#include "maicowin/FolderDialog.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Ui.h"

namespace zmw {

CMwConfDlg::CMwConfDlg(ConfDialogActions actions) : CDialog(kTemplate), actions_(std::move(actions)) {}

bool CMwConfDlg::OnInitDialog() {
  MaicoWinConf conf;
  bool running = conf.IsMaicoWinRunning() != 0;
  Window().EnableControl(kStartButton, !running);
  Window().EnableControl(kStopButton, running);
  m_installFolder = ReadZelvoMwIni("DIRS", "INST_PATH");
  m_customerCode = ReadZelvoMwIni("GENERAL", "CODCLIENTE");
  m_ascFile = ReadZelvoMwIni("DIRS", "MAICO_FIT");
  m_xlsFile = ReadZelvoMwIni("DIRS", "MAICO_FIT_XLS");
  m_enabled = MaicoWinConf::GetUseMaicoWin();
  UpdateData(false);
  return true;
}

void CMwConfDlg::UpdateData(bool saveAndValidate) {
  ExchangeText(kInstallEdit, m_installFolder, saveAndValidate);
  ExchangeText(kCustomerEdit, m_customerCode, saveAndValidate);
  ExchangeText(kAscEdit, m_ascFile, saveAndValidate);
  ExchangeText(kXlsEdit, m_xlsFile, saveAndValidate);
  ExchangeCheck(kEnabledCheck, m_enabled, saveAndValidate);
}

void CMwConfDlg::OnCommand(int control) {
  switch (control) {
    case kBrowseInstall: OnBrowseInstallation(); break;
    case kStartButton: OnStartMaicoWin(); break;
    case kStopButton: OnStopMaicoWin(); break;
    case kUpdateButton:
      Save();
      if (actions_.updateArchives) actions_.updateArchives();
      break;
    case kEnabledCheck: UpdateData(true); break;
    case kBrowseAsc: PickFile("Accessori Maico (*.asc)", "*.asc", m_ascFile); break;
    case kBrowseXls: PickFile("Accessori Maico formato XLS (*.xls)", "*.xls", m_xlsFile); break;
    case kFormatButton:
      if (actions_.excelFormat) actions_.excelFormat();
      break;
    default: CDialog::OnCommand(control); break;
  }
}

// Leaving the customer code or a file edit keeps what was typed; the installation folder edit
// is set by the browser and has no such exchange.
void CMwConfDlg::OnKillFocus(int control) {
  if (control == kCustomerEdit || control == kAscEdit || control == kXlsEdit) UpdateData(true);
}

void CMwConfDlg::Save() {
  UpdateData(true);
  MaicoWinConf conf;
  conf.WriteConfValue("DIRS", "INST_PATH", m_installFolder);
  conf.WriteConfValue("GENERAL", "CODCLIENTE", m_customerCode);
  conf.WriteConfValue("DIRS", "MAICO_FIT", m_ascFile);
  conf.WriteConfValue("DIRS", "MAICO_FIT_XLS", m_xlsFile);
  MaicoWinConf::SetUseMaicoWin(m_enabled == 1);
}

void CMwConfDlg::OnOK() {
  Save();
  EndDialog(kIdOk);
}

void CMwConfDlg::OnBrowseInstallation() {
  for (;;) {
    CFolderDialog browser;
    if (browser.Run() != 1) return;
    const std::string& candidate = browser.SelectedFolder();
    if (IsMaicoWinInstallation(candidate)) {
      MwPath found(candidate);
      found.EnsureTrailingBackslash();
      m_installFolder = found.Text();
      UpdateData(false);
      return;
    }
  }
}

void CMwConfDlg::OnStartMaicoWin() {
  if (!StartMaicoWin()) {
    platform::CurrentUi().ShowMessage(platform::Owner::Active,
                                      "Impossibile eseguire MaicoWin. Controllare l'installazione o i percorsi.",
                                      "MaicoWinConf", platform::kMbOk);
    return;
  }
  Window().EnableControl(kStartButton, false);
  Window().EnableControl(kStopButton, true);
}

void CMwConfDlg::OnStopMaicoWin() {
  if (actions_.stopMaicoWin) actions_.stopMaicoWin();
  Window().EnableControl(kStartButton, true);
  Window().EnableControl(kStopButton, false);
}

// The field's value goes where the picker takes its default extension, so the picker opens
// with an empty file name, as the host's users know it.
void CMwConfDlg::PickFile(const char* filterName, const char* pattern, std::string& field) {
  platform::OpenFileRequest request;
  request.filterName = filterName;
  request.filterPattern = pattern;
  request.flags = platform::kOfnHideReadOnly | platform::kOfnOverwritePrompt | platform::kOfnFileMustExist |
                  platform::kOfnNoChangeDir;
  request.defaultExtension = field;
  std::string chosen;
  if (!platform::CurrentUi().PickOpenFile(request, chosen)) return;
  field = chosen;
  UpdateData(false);
}

}  // namespace zmw
