#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>

#include "platform/win32/Handles.h"
#include "support/TestEnv.h"

namespace zmw::test {
namespace {

class Win32Child final : public Child {
 public:
  explicit Win32Child(const PROCESS_INFORMATION& info)
      : process_(info.hProcess), thread_(info.hThread), id_(info.dwProcessId) {}
  ~Win32Child() override {
    ::TerminateProcess(process_.Get(), 0);
    ::WaitForSingleObject(process_.Get(), 5000);
  }
  std::uint32_t Id() const override { return id_; }

 private:
  platform::win32::UniqueHandle process_;
  platform::win32::UniqueHandle thread_;
  DWORD id_;
};

}  // namespace

void SetEnv(const char* name, const std::string& value) { ::_putenv_s(name, value.c_str()); }
void UnsetEnv(const char* name) { ::_putenv_s(name, ""); }

void PreparePlatform() {}
void ReleasePlatform() {}

std::unique_ptr<Child> StartChild(const std::string& program, const std::string& argument) {
  std::string command = "\"" + program + "\" " + argument;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
    return nullptr;
  // Let the program load its modules before anyone looks at it.
  ::WaitForInputIdle(info.hProcess, 2000);
  ::Sleep(500);
  return std::make_unique<Win32Child>(info);
}

void CopyProgram(const std::string& from, const std::string& to) { WriteFile(to, ReadFile(from)); }

// Under Wine the build tree is reached through drive Z:.
std::string HostPath(const std::string& posixPath) {
  std::string path = posixPath;
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
  return path;
}

std::string SleeperProgram() { return HostPath(ZMW_SLEEPER); }
std::string SimulatorProgram() { return HostPath(ZMW_SIMULATOR); }

// Programs that a test started end with the quit message or their idle time; one started
// through the library (a program that only sleeps, say) is ended here, so that the next test
// can copy another program over its file.
void EndProgramsUnder(const std::string& folder) {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  platform::win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
    platform::win32::UniqueHandle process(
        ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (!process) continue;
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    if (!::QueryFullProcessImageNameA(process.Get(), 0, image, &size)) continue;
    if (::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, image, int(prefix.size()), prefix.c_str(),
                         int(prefix.size())) != CSTR_EQUAL)
      continue;
    ::TerminateProcess(process.Get(), 0);
    ::WaitForSingleObject(process.Get(), 5000);
  }
}

// Wine's odbc32 hands the text to the host's driver manager, which knows only POSIX paths.
std::string DriverPath(const std::string& windowsPath) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return windowsPath;
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* name = unixName(wide.c_str());
  if (!name) return windowsPath;
  std::string result = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

bool CanMakeUncShare() { return false; }
std::unique_ptr<FullDisk> FillDiskAt(std::size_t) { return nullptr; }
bool PosixPathsAreNative() { return false; }
bool UnderWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }
bool CanMakeNetworkDrive(char) { return false; }

}  // namespace zmw::test
