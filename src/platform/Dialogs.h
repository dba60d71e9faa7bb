// The platform's dialog windows. A dialog's logic (CDialog and the classes built on it) talks to
// its window through DialogWindow; the platform's DialogHost makes the window: from the
// resource template on Windows, in the terminal or in batch on POSIX, recorded in tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace zmw::platform {

// Progress bar messages, with the platform's values.
enum : unsigned { kPbmSetRange = 0x401, kPbmSetPos = 0x402, kPbmSetStep = 0x404, kPbmStepIt = 0x405, kPbmGetPos = 0x408 };
// An edit control's limit on what the user types (EM_LIMITTEXT), in characters.
enum : unsigned { kEmLimitText = 0xC5 };

class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  virtual bool OnInitDialog() = 0;
  virtual void OnTimer(unsigned id) = 0;
  virtual void OnCommand(int control) = 0;
  // An edit control lost the focus (EN_KILLFOCUS): the user typed and moved on.
  virtual void OnKillFocus(int control) = 0;
  // The control that Esc, the close box or an interrupt stands for.
  virtual int CancelControl() const = 0;
};

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  // Runs until EndModal or Destroy; gives the modal result (-1 when the window could not be made).
  virtual int RunModal() = 0;
  // Creates and shows the window without a loop of its own.
  virtual bool ShowModeless() = 0;
  virtual void EndModal(int result) = 0;
  virtual void Destroy() = 0;
  // SetTimer: the id the platform gives, 0 on failure.
  virtual unsigned StartTimer(unsigned id, unsigned milliseconds) = 0;
  virtual void StopTimer(unsigned id) = 0;
  virtual void SetControlText(int control, const std::string& text) = 0;
  virtual std::string ControlText(int control) = 0;
  virtual void EnableControl(int control, bool enabled) = 0;
  virtual bool IsControlEnabled(int control) = 0;
  virtual void SetCheck(int control, int state) = 0;
  virtual int Check(int control) = 0;
  virtual std::intptr_t SendControlMessage(int control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual std::unique_ptr<DialogWindow> MakeWindow(int templateId, DialogEvents& events) = 0;
};

DialogHost& CurrentDialogHost();
// Installs another host (tests); nullptr goes back to the platform's.
void SetDialogHost(DialogHost* host);

}  // namespace zmw::platform
