#include <windows.h>

#include "ExportLibrary.h"
#include "platform/Text.h"

namespace zmw::tools {

ExportLibrary::ExportLibrary() {
  char path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string own(path, n < MAX_PATH ? n : 0);
  std::string dll = own.substr(0, own.find_last_of("\\/") + 1) + "ZelvoMW.DLL";
  HMODULE module = ::LoadLibraryA(dll.c_str());
  if (!module) module = ::LoadLibraryA("ZelvoMW.DLL");
  if (!module) error_ = "ZelvoMW.DLL non trovata (errore " + std::to_string(::GetLastError()) + ")";
  handle_ = module;
}

ExportLibrary::~ExportLibrary() {
  if (handle_) ::FreeLibrary(static_cast<HMODULE>(handle_));
}

void* ExportLibrary::Find(const char* name) const {
  return handle_ ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

std::string LibraryText(const std::string& argument) { return argument; }
std::string ConsoleText(const std::string& text) { return platform::Cp1252ToUtf8(text); }
void PrepareConsole() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace zmw::tools
