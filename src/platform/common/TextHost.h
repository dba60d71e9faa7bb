// The library's user interface without a window system: message boxes and dialogs in the
// terminal or in batch, with the JSON log, the answers and the script of control actions. The
// POSIX build always uses it; the Windows build when ZELVOMW_UI=batch, so that scripts and
// tests can drive the real DLL. The few things that differ are the platform's hooks below.
#pragma once
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/Ui.h"

namespace zmw::platform::text {

// --- The platform's hooks (posix/TextHost.cpp, win32/TextHost.cpp)

// Whether a person answers at a terminal (POSIX only), rather than the batch answers.
bool UseTerminal();
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
// One line typed at the terminal, the open dialogs' timers running meanwhile.
Reply AskTerminal(const std::string& prompt, std::string& answer);
std::optional<std::string> ReadWholeFile(const std::string& nativePath);

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
