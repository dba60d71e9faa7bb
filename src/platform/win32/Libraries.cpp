#include <windows.h>

#include "platform/Libraries.h"
#include "platform/win32/Handles.h"

namespace zmw::platform {
namespace {

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : "errore " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

}  // namespace

SharedLibrary::SharedLibrary(const std::string& file) {
  handle_ = ::LoadLibraryA(file.c_str());
  if (!handle_) error_ = SystemMessage(::GetLastError());
}

SharedLibrary::~SharedLibrary() {
  if (handle_) ::FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::Find(const char* name) const {
  return handle_ ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

std::string SharedLibraryFile(const std::string& name) { return name + ".dll"; }

LibraryProbe ProbeLibrary(const std::string& name, const std::vector<std::string>& functions) {
  LibraryProbe probe;
  probe.file = SharedLibraryFile(name);
  // A library that is missing, or misses one of its own, is reported here, not in a box.
  UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  win32::UniqueModule library(::LoadLibraryA(probe.file.c_str()));
  DWORD error = library ? 0 : ::GetLastError();
  ::SetErrorMode(previous);
  if (!library) {
    probe.error = SystemMessage(error);
    return probe;
  }
  probe.loaded = true;
  char where[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameA(library.Get(), where, MAX_PATH);
  probe.where = std::string(where, n < MAX_PATH ? n : 0);
  for (const std::string& function : functions)
    if (!::GetProcAddress(library.Get(), function.c_str())) probe.missing.push_back(function);
  return probe;
}

}  // namespace zmw::platform
