// The library's user interface without a window system: message boxes and dialogs in the
// terminal or in batch, with the JSON log, the answers and the script of control actions. The
// POSIX build always uses it; the Windows build when ZELVOMW_UI=batch, so that scripts and
// tests can drive the real DLL. The few things that differ are the platform's hooks below.
#pragma once
#include <nlohmann/json.hpp>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Ui.h"

namespace zmw::platform::text {

// --- The platform's hooks (posix/TextHost.cpp, win32/TextHost.cpp)

// Whether a person answers at a terminal (POSIX only), rather than the batch answers.
bool UseTerminal();
// Where that person reads: standard error when it is the terminal, else the controlling
// terminal, so that output sent to a file gets none of the dialogs. nullptr in batch, and at
// no terminal at all (said once on standard error), when dialogs a person works are cancelled
// and questions take their default answer.
std::ostream* TerminalOut();
// Sleeps, waking for an interrupt.
void Wait(int milliseconds);
// While one lives, Ctrl-C marks an interrupt instead of ending the program.
class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  void* state_;
};
// Takes a pending interrupt: true once per Ctrl-C.
bool TakeInterrupt();
enum class Reply { Line, Interrupted, End };
// One line typed at the terminal, the open dialogs' timers running meanwhile; End at once when
// there is no terminal.
Reply AskTerminal(const std::string& prompt, std::string& answer);
std::optional<std::string> ReadWholeFile(const std::string& nativePath);

// --- Forms: the dialogs a person works, drawn at the terminal (POSIX, ncurses). The Windows
// build has no terminal forms: there RunForm declines and FormOpen is always false.

// A modal dialog of the text host as its form sees it: the control state, the handlers, and
// whether a handler has ended it.
class FormDialog {
 public:
  virtual ~FormDialog() = default;
  virtual int TemplateId() const = 0;
  virtual DialogWindow& Window() = 0;
  virtual DialogEvents& Events() = 0;
  // What may be typed into an edit control (EM_LIMITTEXT); 0 for no limit.
  virtual std::size_t TextLimit(int control) = 0;
  virtual bool Ended() const = 0;
  // A Ctrl-C reached the dialog; the form clicks its cancel control next.
  virtual void Interrupted() = 0;
};
// Works the dialog as a form until it ends, drawn over the forms already open; false, with
// nothing done, when this terminal cannot show forms.
bool RunForm(FormDialog& dialog);
// Whether a form is open: questions, browsers and pickers then open over it.
bool FormOpen();
// A message box over the open form: the button pressed (a dialog result); Esc and Ctrl-C give
// escapeAnswer, Ctrl-C also sets interrupted. Texts in the system's 8-bit code page.
struct FormButton {
  int result;
  std::string label;
};
int FormQuestion(const std::string& caption, const std::string& text, const std::vector<FormButton>& buttons,
                 int defaultAnswer, int escapeAnswer, bool& interrupted);
// A line typed in a box over the open form, under the lines of text; the note (why the last
// answer was refused) below the field. Enter gives Line, Esc End, Ctrl-C Interrupted.
Reply FormAskLine(const std::string& caption, const std::vector<std::string>& lines, const std::string& note,
                  std::string& answer);
// The folder browser over the open form: the prefix's drives and their folders, calling back
// as the platform's browser does. The status text last shown is given back for the log.
BrowseResult FormBrowseFolder(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                              std::string& folder, std::string& status);

// --- Shared (common/)

void Log(const nlohmann::ordered_json& entry);
// The next batch answer of ZELVOMW_UI_ANSWERS, when there is one.
bool NextAnswer(std::string& answer);
// The next action of ZELVOMW_UI_SCRIPT, when there is one; Peek leaves it in place.
bool NextScriptAction(std::string& action);
bool PeekScriptAction(std::string& action);
// Runs the timers that are due in the modal dialogs that are open, as a message box's loop
// dispatches them on Windows; gives the milliseconds until the next one is due, -1 for none.
int RunDueDialogTimers();

Ui& TextUi();
DialogHost& TextDialogHost();

}  // namespace zmw::platform::text
