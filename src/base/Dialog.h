// A small dialog framework in the manner of the platform's: a template id, controls by id,
// handlers, a timer, modal and modeless runs. The window itself belongs to the platform's
// dialog host.
#pragma once
#include <memory>
#include <string>

#include "platform/Dialogs.h"

namespace zmw {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class CDialog : public platform::DialogEvents {
 public:
  explicit CDialog(int templateId) : templateId_(templateId) {}
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  virtual int DoModal();
  // Creates the window modeless and shows it; false when it could not be made.
  bool Create();
  void DestroyWindow();
  void EndDialog(int result);
  unsigned SetTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);
  int TemplateId() const { return templateId_; }
  bool HasWindow() const { return static_cast<bool>(window_); }

 protected:
  bool OnInitDialog() override { return true; }
  void OnTimer(unsigned) override {}
  void OnCommand(int control) override;
  void OnKillFocus(int) override {}
  int CancelControl() const override { return kIdCancel; }
  virtual void OnOK() { EndDialog(kIdOk); }
  virtual void OnCancel() { EndDialog(kIdCancel); }
  platform::DialogWindow& Window() { return *window_; }
  // Data exchange of one control: the control into the field when saving, else the field into
  // the control. A check box's field is 1 only for a checked box.
  void ExchangeText(int control, std::string& field, bool save);
  void ExchangeCheck(int control, int& field, bool save);

 private:
  int templateId_;
  std::unique_ptr<platform::DialogWindow> window_;
};

}  // namespace zmw
