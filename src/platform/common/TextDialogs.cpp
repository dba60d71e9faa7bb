// Dialogs without a window system: the batch host runs a dialog's timers and takes its input
// from ZELVOMW_UI_SCRIPT; the terminal host also shows a status line and a progress bar, and
// hands the dialogs that a person works over to a form (posix/terminal/).
// An interrupt (Ctrl-C) is a click on the dialog's cancel button.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "platform/DialogTemplates.h"
#include "platform/Dialogs.h"
#include "platform/Text.h"
#include "platform/common/DialogTexts.h"
#include "platform/common/TextHost.h"

namespace zmw::platform::text {
namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::ordered_json;

class TextDialog;
// The modal dialogs that run, innermost last: a question asked inside one of them keeps their
// timers going, as the message box's own loop does on Windows.
std::vector<TextDialog*> openModals;

struct Timer {
  unsigned interval;
  Clock::time_point due;
};

struct Control {
  std::string text;
  bool enabled = true;
  int check = 0;
  long low = 0, high = 100, position = 0, step = 10;
  std::size_t limit = 0;  // what may be typed into an edit control; 0 for no limit
};

// Whether a person works the dialog: something to type into or tick, or a choice of buttons.
// A dialog with one button at most (the wait's "Annulla") only shows how things go.
bool WorkedByAPerson(int templateId) {
  const DialogTemplate* t = FindDialogTemplate(templateId);
  if (!t) return false;
  int buttons = 0;
  for (const ControlTemplate& c : t->controls) {
    if (c.IsEdit() || c.kind == ControlKind::AutoCheckBox) return true;
    if (c.IsButton()) ++buttons;
  }
  return buttons > 1;
}

class TextDialog final : public DialogWindow, public FormDialog {
 public:
  TextDialog(int templateId, DialogEvents& events) : id_(templateId), events_(events) {
    // The controls start as the template made them, texts included, as GetWindowText gives
    // a static's or a button's.
    if (const DialogTemplate* t = FindDialogTemplate(templateId))
      for (const ControlTemplate& shape : t->controls)
        if (shape.id != -1) {
          controls_[shape.id].enabled = !shape.Disabled();
          controls_[shape.id].text = shape.text;
        }
  }

  int RunModal() override {
    // A Ctrl-C held from before the dialog is its first click on cancel.
    InterruptScope interrupts;
    openModals.push_back(this);
    Log({{"kind", "dialog"}, {"template", id_}, {"event", "start"}});
    events_.OnInitDialog();
    bool form = false;
    if (!ended_ && UseTerminal() && WorkedByAPerson(id_)) {
      // With nobody who could work it, the dialog is cancelled as its close box would.
      if (!TerminalOut()) events_.OnCommand(events_.CancelControl());
      else form = RunForm(*this);
    }
    auto sleepUntil = Clock::now();
    while (!ended_) {
      auto now = Clock::now();
      if (TakeInterrupt()) {
        Interrupted();
        events_.OnCommand(events_.CancelControl());
        continue;
      }
      if (now >= sleepUntil && RunScriptAction(sleepUntil)) continue;
      FireDueTimer();
      if (ended_) break;
      ShowStatus();
      auto wake = now + std::chrono::milliseconds(50);
      if (auto next = NextDue(); next && *next < wake) wake = *next;
      if (sleepUntil > now && sleepUntil < wake) wake = sleepUntil;
      auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()).count();
      if (wait > 0) Wait(int(wait));
    }
    openModals.erase(std::find(openModals.begin(), openModals.end(), this));
    if (std::ostream* terminal = TerminalOut(); terminal && !form) *terminal << "\r\033[K" << std::flush;
    Log({{"kind", "dialog"}, {"template", id_}, {"event", "end"}, {"result", result_}});
    return result_;
  }

  bool ShowModeless() override {
    Log({{"kind", "dialog"}, {"template", id_}, {"event", "start"}, {"modeless", true}});
    events_.OnInitDialog();
    return true;
  }

  void EndModal(int result) override {
    result_ = result;
    ended_ = true;
  }

  void Destroy() override {
    if (destroyed_) return;
    destroyed_ = true;
    if (!ended_) {
      ended_ = true;
      result_ = 2;  // a dialog whose window goes away has not ended with OK
    }
    timers_.clear();
    if (std::ostream* terminal = TerminalOut(); terminal && progress_) *terminal << std::endl;
    Log({{"kind", "dialog"}, {"template", id_}, {"event", "destroy"}});
  }

  // Runs one timer that is due; the handler may change the timers, so one at a time.
  void FireDueTimer() {
    auto now = Clock::now();
    for (auto& [timerId, timer] : timers_) {
      if (ended_) return;
      if (now >= timer.due) {
        timer.due = now + std::chrono::milliseconds(timer.interval);
        events_.OnTimer(timerId);
        return;
      }
    }
  }

  std::optional<Clock::time_point> NextDue() const {
    std::optional<Clock::time_point> next;
    for (const auto& [timerId, timer] : timers_)
      if (!next || timer.due < *next) next = timer.due;
    return next;
  }

  unsigned StartTimer(unsigned id, unsigned milliseconds) override {
    timers_[id] = {milliseconds, Clock::now() + std::chrono::milliseconds(milliseconds)};
    return id;
  }

  void StopTimer(unsigned id) override { timers_.erase(id); }

  void SetControlText(int control, const std::string& text) override { controls_[control].text = text; }
  std::string ControlText(int control) override { return controls_[control].text; }
  void EnableControl(int control, bool enabled) override { controls_[control].enabled = enabled; }
  bool IsControlEnabled(int control) override { return controls_[control].enabled; }
  void SetCheck(int control, int state) override { controls_[control].check = state; }
  int Check(int control) override { return controls_[control].check; }

  // What the form works with.
  int TemplateId() const override { return id_; }
  DialogWindow& Window() override { return *this; }
  DialogEvents& Events() override { return events_; }
  std::size_t TextLimit(int control) override { return controls_[control].limit; }
  bool Ended() const override { return ended_; }
  void Interrupted() override { Log({{"kind", "dialog"}, {"template", id_}, {"event", "interrupt"}}); }

  std::intptr_t SendControlMessage(int control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    Control& c = controls_[control];
    std::intptr_t previous = c.position;
    const char* name = "";
    switch (message) {
      case kPbmSetRange: c.low = lParam & 0xFFFF; c.high = (lParam >> 16) & 0xFFFF; name = "PBM_SETRANGE"; previous = 0; break;
      case kPbmSetStep: previous = c.step; c.step = long(wParam); name = "PBM_SETSTEP"; break;
      case kPbmStepIt: c.position += c.step; if (c.position > c.high) c.position = c.low; name = "PBM_STEPIT"; break;
      case kPbmSetPos: c.position = long(wParam); name = "PBM_SETPOS"; break;
      case kPbmGetPos: return c.position;
      case kEmLimitText: c.limit = std::size_t(wParam); return 0;
      default: return 0;
    }
    progress_ = true;
    Log({{"kind", "progress"}, {"template", id_}, {"control", control}, {"message", name},
         {"wParam", wParam}, {"lParam", lParam}, {"position", c.position}});
    if (std::ostream* terminal = TerminalOut()) {
      long span = c.high > c.low ? c.high - c.low : 1;
      int filled = int(30 * (c.position - c.low) / span);
      if (filled < 0) filled = 0;
      *terminal << "\r" << Cp1252ToUtf8(DialogStaticText(id_)) << " [" << std::string(std::size_t(filled), '#')
                << std::string(std::size_t(30 - filled > 0 ? 30 - filled : 0), ' ') << "]" << std::flush;
    }
    return previous;
  }

 private:
  static void Log(const Json& entry) { text::Log(entry); }

  void ShowStatus() {
    if (std::ostream* terminal = TerminalOut())
      *terminal << "\r" << Cp1252ToUtf8(DialogStaticText(id_)) << "  (Ctrl-C = Annulla)" << std::flush;
  }

  // "click <id>", "set <id> <text>", "check <id> <0|1>" and "sleep <ms>" act on the dialog
  // that runs, as a person would: "set" types and then leaves the edit, "check" clicks the box
  // when its state differs, a click on a check box toggles it, and a disabled control takes
  // nothing. Anything else is left for whatever asks next. A dialog that only a person could
  // end (no timer of its own) is cancelled when the script has nothing left for it.
  bool RunScriptAction(Clock::time_point& sleepUntil) {
    if (UseTerminal()) return false;
    std::string action;
    bool have = PeekScriptAction(action);
    std::string verb = have ? action.substr(0, action.find(' ')) : "";
    std::string rest = action.size() > verb.size() ? action.substr(verb.size() + 1) : "";
    if (verb != "click" && verb != "set" && verb != "check" && verb != "sleep") {
      if (!timers_.empty()) return false;
      std::cerr << "[" << Cp1252ToUtf8(DialogCaption(id_)) << "] "
                << (have ? "l'azione \"" + action + "\" dello script non \u00e8 per questa finestra"
                         : std::string("nessuna azione rimasta nello script"))
                << ": la finestra viene annullata." << std::endl;
      Log({{"kind", "dialog"}, {"template", id_}, {"event", "script ended"}});
      events_.OnCommand(events_.CancelControl());
      return true;
    }
    NextScriptAction(action);
    Log({{"kind", "script"}, {"template", id_}, {"action", action}});
    int number = std::atoi(rest.c_str());
    if (verb == "sleep") {
      sleepUntil = Clock::now() + std::chrono::milliseconds(number);
      return true;
    }
    const ControlTemplate* shape = nullptr;
    if (const DialogTemplate* t = FindDialogTemplate(id_)) {
      shape = t->Control(number);
      // Enter and Esc (1 and 2) reach every dialog; other ids only the controls it has.
      if (!shape && number != 1 && number != 2) return Refuse(action, "non c'\u00e8 un controllo con questo numero");
    }
    Control& c = controls_[number];
    if (!c.enabled)
      return Refuse(action, "il controllo \u00e8 disattivato");
    bool checkBox = shape && shape->kind == ControlKind::AutoCheckBox;
    if (verb == "click") {
      if (checkBox) c.check = c.check == 1 ? 0 : 1;
      events_.OnCommand(number);
    } else if (verb == "check") {
      int wanted = std::atoi(rest.substr(rest.find(' ') == std::string::npos ? rest.size() : rest.find(' ')).c_str());
      if (wanted != c.check) {
        c.check = wanted;
        if (checkBox) events_.OnCommand(number);
      }
    } else {
      std::string value = rest.find(' ') == std::string::npos ? "" : rest.substr(rest.find(' ') + 1);
      // Typing: an edit control's limit holds, as it does for the user.
      c.text = Utf8ToCp1252(value).substr(0, c.limit ? c.limit : std::string::npos);
      if (shape && shape->IsEdit()) events_.OnKillFocus(number);
    }
    return true;
  }

  bool Refuse(const std::string& action, const char* why) {
    std::cerr << "[" << Cp1252ToUtf8(DialogCaption(id_)) << "] \"" << action << "\": " << why << std::endl;
    Log({{"kind", "script"}, {"template", id_}, {"action", action}, {"refused", why}});
    return true;
  }

  int id_;
  DialogEvents& events_;
  std::map<unsigned, Timer> timers_;
  std::map<int, Control> controls_;
  bool ended_ = false;
  bool destroyed_ = false;
  bool progress_ = false;
  int result_ = 0;
};

class TextDialogHostImpl final : public DialogHost {
 public:
  std::unique_ptr<DialogWindow> MakeWindow(int templateId, DialogEvents& events) override {
    return std::make_unique<TextDialog>(templateId, events);
  }
};

}  // namespace

int RunDueDialogTimers() {
  // A copy: a handler may end a dialog, whose loop then leaves the list.
  std::vector<TextDialog*> open = openModals;
  for (TextDialog* dialog : open) dialog->FireDueTimer();
  std::optional<Clock::time_point> next;
  for (TextDialog* dialog : openModals)
    if (auto due = dialog->NextDue(); due && (!next || *due < *next)) next = due;
  if (!next) return -1;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*next - Clock::now()).count();
  return ms < 0 ? 0 : int(ms);
}

DialogHost& TextDialogHost() {
  static TextDialogHostImpl host;
  return host;
}

}  // namespace zmw::platform::text
