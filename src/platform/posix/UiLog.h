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

}  // namespace zmw::platform::posix
