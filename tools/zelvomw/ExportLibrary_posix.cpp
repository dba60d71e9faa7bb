#include "ExportLibrary.h"
#include "platform/Text.h"

namespace zmw::tools {

std::string LibraryText(const std::string& argument) { return platform::Utf8ToCp1252(argument); }
std::string ConsoleText(const std::string& text) { return platform::Cp1252ToUtf8(text); }
void PrepareConsole() {}

}  // namespace zmw::tools
