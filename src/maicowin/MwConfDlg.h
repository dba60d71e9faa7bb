// The configuration of the link: MaicoWin's installation, the customer code, Maico's two
// accessory files, the calculation switch, MaicoWin started and stopped by hand, and the doors
// to the Excel format and the archive update.
#pragma once
#include <functional>
#include <string>

#include "base/Dialog.h"

namespace zmw {

// What the dialog opens or asks of the layers above it: the stop request is written by the
// calculation exchange, the two dialogs belong to the import and the archive update.
struct ConfDialogActions {
  std::function<void()> stopMaicoWin;
  std::function<void()> updateArchives;
  std::function<void()> excelFormat;
};

class CMwConfDlg : public CDialog {
 public:
  static constexpr int kTemplate = 1000;
  static constexpr int kInstallEdit = 1000;
  static constexpr int kBrowseInstall = 1001;
  static constexpr int kStartButton = 1002;
  static constexpr int kStopButton = 1003;
  static constexpr int kUpdateButton = 1004;
  static constexpr int kCustomerEdit = 1009;
  static constexpr int kAscEdit = 1024;
  static constexpr int kXlsEdit = 1025;
  static constexpr int kBrowseAsc = 1026;
  static constexpr int kBrowseXls = 1027;
  static constexpr int kEnabledCheck = 1028;
  static constexpr int kFormatButton = 1031;

  explicit CMwConfDlg(ConfDialogActions actions);

  // The fields, bound to the controls.
  std::string m_installFolder;  // 1000
  std::string m_customerCode;   // 1009
  std::string m_ascFile;        // 1024
  std::string m_xlsFile;        // 1025
  int m_enabled = 0;            // 1028

 protected:
  bool OnInitDialog() override;
  void OnCommand(int control) override;
  void OnKillFocus(int control) override;
  void OnOK() override;

 private:
  void UpdateData(bool saveAndValidate);
  void Save();
  void OnBrowseInstallation();
  void OnStartMaicoWin();
  void OnStopMaicoWin();
  void PickFile(const char* filterName, const char* pattern, std::string& field);

  ConfDialogActions actions_;
};

}  // namespace zmw
