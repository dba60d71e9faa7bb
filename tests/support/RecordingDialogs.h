// The dialog host of the tests: records what each dialog did and drives its modal loop, with a
// clock of its own when a test wants one.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace zmw::test {

struct ProgressMessage {
  int control;
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class RecordedDialog;

class RecordingDialogHost : public platform::DialogHost {
 public:
  std::unique_ptr<platform::DialogWindow> MakeWindow(int templateId, platform::DialogEvents& events) override;

  // Runs a modal dialog once it is initialised. The default waits in real time, firing the
  // timers as they fall due, until the dialog ends (at most `patience` milliseconds).
  std::function<void(RecordedDialog&)> driver;
  int patience = 20000;

  struct Record {
    int templateId;
    std::vector<std::string> events;  // "start", "modeless", "end <result>", "destroy"
    std::vector<ProgressMessage> progress;
    std::map<unsigned, unsigned> timersStarted;  // id and interval
  };
  std::vector<Record> dialogs;
};

class RecordedDialog : public platform::DialogWindow {
 public:
  RecordedDialog(RecordingDialogHost& host, std::size_t index, platform::DialogEvents& events)
      : host_(host), index_(index), events_(events) {}

  int RunModal() override;
  bool ShowModeless() override;
  void EndModal(int result) override;
  void Destroy() override;
  unsigned StartTimer(unsigned id, unsigned milliseconds) override;
  void StopTimer(unsigned id) override { timers_.erase(id); }
  void SetControlText(int control, const std::string& text) override { texts_[control] = text; }
  std::string ControlText(int control) override { return texts_[control]; }
  void EnableControl(int control, bool enabled) override { enabled_[control] = enabled; }
  bool IsControlEnabled(int control) override { return enabled_.count(control) ? enabled_[control] : true; }
  void SetCheck(int control, int state) override { checks_[control] = state; }
  int Check(int control) override { return checks_[control]; }
  std::intptr_t SendControlMessage(int control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

  // For drivers: fire every running timer once; click a control.
  void Tick();
  void Click(int control) { events_.OnCommand(control); }
  // As a person does it: types into an edit and leaves it; clicks a check box, which toggles.
  void Type(int control, const std::string& text) {
    texts_[control] = text;
    events_.OnKillFocus(control);
  }
  void Toggle(int control) {
    checks_[control] = checks_[control] == 1 ? 0 : 1;
    events_.OnCommand(control);
  }
  bool Ended() const { return ended_; }
  bool HasTimer() const { return !timers_.empty(); }
  RecordingDialogHost::Record& Record() { return host_.dialogs[index_]; }

 private:
  RecordingDialogHost& host_;
  std::size_t index_;
  platform::DialogEvents& events_;
  std::map<unsigned, unsigned> timers_;
  std::map<int, std::string> texts_;
  std::map<int, bool> enabled_;
  std::map<int, int> checks_;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace zmw::test
