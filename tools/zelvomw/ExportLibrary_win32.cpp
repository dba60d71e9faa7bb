#include <windows.h>

#include "ExportLibrary.h"
#include "platform/Text.h"

namespace zmw::tools {

std::string LibraryText(const std::string& argument) { return argument; }
std::string ConsoleText(const std::string& text) { return platform::Cp1252ToUtf8(text); }
void PrepareConsole() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace zmw::tools
