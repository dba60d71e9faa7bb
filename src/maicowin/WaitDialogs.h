// The dialogs of a calculation: the wait for MaicoWin's answer, and the progress of writing
// the accessory list.
#pragma once
#include <cstdint>
#include <string>

#include "base/Dialog.h"

namespace zmw {

inline constexpr const char* kCalcWindowName = "ZelvoMwCalc";

// Polls every 100 milliseconds for MaicoWin's answer file: OK when it came and is not empty.
class CMwWaitDlg : public CDialog {
 public:
  static constexpr int kTemplate = 1002;
  static constexpr int kCancelButton = 1018;
  CMwWaitDlg() : CDialog(kTemplate) {}
  const std::string& ResultFile() const { return resultFile_; }

 protected:
  bool OnInitDialog() override;
  void OnTimer(unsigned id) override;
  void OnCommand(int control) override;
  int CancelControl() const override { return kCancelButton; }

 private:
  void OnAnnulla();
  std::string resultFile_;
  unsigned timerId_ = 0;
};

// Shown modeless while the results are processed; the caller drives the progress bar.
class CWriteFitDlg : public CDialog {
 public:
  static constexpr int kTemplate = 1003;
  static constexpr int kProgress = 1007;
  CWriteFitDlg() : CDialog(kTemplate) {}
  std::intptr_t SendProgress(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
};

}  // namespace zmw
