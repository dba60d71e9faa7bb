// The batch and terminal UI's shared pieces: the JSON log, the script of control actions, and
// whether a person is at a terminal.
#pragma once
#include <nlohmann/json.hpp>
#include <string>

namespace zmw::platform::posix {

void LogUi(const nlohmann::ordered_json& entry);
bool UseTerminal();
// The next action of ZELVOMW_UI_SCRIPT, when there is one.
bool NextScriptAction(std::string& action);
// Looks at the next action without taking it.
bool PeekScriptAction(std::string& action);
// Runs the timers that are due in the modal dialogs that are open, as a message box's loop
// dispatches them on Windows; gives the milliseconds until the next one is due, -1 for none.
int RunDueDialogTimers();

}  // namespace zmw::platform::posix
