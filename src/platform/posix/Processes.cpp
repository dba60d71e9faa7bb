// The process list of the Windows machine that the prefix stands for. /proc shows the whole
// computer, but a prefix is one machine: a program counts when its file lies in one of the
// prefix's drives, or when Wine runs it for this prefix. Every other process is passed on as
// one the walk cannot open, with an empty file name, so it never matches.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "platform/Processes.h"
#include "platform/Text.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

bool IsWineLoader(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  return name == "wine" || name == "wine64" || name == "wine-preloader" || name == "wine64-preloader";
}

// Where the kernel runs no 32-bit code, binfmt_misc hands such programs to qemu-user, and /proc
// shows qemu as the program: the program it runs is its first argument (the full path that
// binfmt_misc gives it), and the program's own command line follows.
bool IsUserModeEmulator(const std::string& path) { return fs::path(path).filename().string().starts_with("qemu-"); }

std::string ReadProcFile(const std::string& pid, const char* name) {
  std::ifstream in("/proc/" + pid + "/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> NulSeparated(const std::string& all) {
  std::vector<std::string> items;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t end = all.find('\0', i);
    if (end == std::string::npos) end = all.size();
    items.push_back(all.substr(i, end - i));
    i = end + 1;
  }
  return items;
}

std::string EnvironmentValue(const std::string& pid, const std::string& key) {
  for (const std::string& entry : NulSeparated(ReadProcFile(pid, "environ")))
    if (entry.size() > key.size() && entry.compare(0, key.size(), key) == 0 && entry[key.size()] == '=')
      return entry.substr(key.size() + 1);
  return "";
}

fs::path Canonical(const fs::path& p) {
  std::error_code ec;
  fs::path c = fs::weakly_canonical(p, ec);
  return ec ? p : c;
}

// A text that Wine takes as a Windows path: a drive, a UNC name or a backslash in it.
bool IsWindowsPathText(const std::string& text) {
  return (text.size() >= 2 && text[1] == ':') || text.find('\\') != std::string::npos;
}

// The program file of a Wine process of this prefix, as the Windows walk would name it. Wine
// leaves its program's command line in place of its own: either the Windows path it was given
// or a POSIX path, relative to the folder it was started in.
std::string WineProgramFile(const std::string& pid) {
  std::string program;
  for (const std::string& arg : NulSeparated(ReadProcFile(pid, "cmdline")))
    if (!arg.empty() && !IsWineLoader(arg) && !IsUserModeEmulator(arg)) {
      program = arg;
      break;
    }
  if (program.empty()) return "";
  if (IsWindowsPathText(program)) return Utf8ToCp1252(program).substr(0, 259);
  fs::path file = program;
  if (file.is_relative()) {
    std::error_code ec;
    fs::path cwd = fs::read_symlink("/proc/" + pid + "/cwd", ec);
    if (ec) return "";
    file = cwd / file;
  }
  return posix::WindowsPathOf(file, true).substr(0, 259);
}

// The POSIX file of the program a process runs (an emulator's program, not the emulator), or
// empty when it cannot be looked at.
std::string ExecutableOf(const std::string& pid) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/" + pid + "/exe", ec);
  if (ec) return "";
  std::string target = exe.string();
  const std::string deleted = " (deleted)";
  if (target.size() > deleted.size() && target.ends_with(deleted)) target.resize(target.size() - deleted.size());
  if (IsUserModeEmulator(target)) {
    std::vector<std::string> args = NulSeparated(ReadProcFile(pid, "cmdline"));
    return args.size() >= 2 ? args[1] : "";
  }
  return target;
}

// The program file of a process in Windows form, or empty when it is no process of this
// machine (or cannot be looked at).
std::string ProgramFile(const std::string& pid, const fs::path& prefix) {
  std::string target = ExecutableOf(pid);
  if (target.empty()) return "";
  if (IsWineLoader(target)) {
    if (Canonical(posix::WinePrefixOf(std::stoi(pid))) != prefix) return "";
    return WineProgramFile(pid);
  }
  return posix::WindowsPathOf(target, false).substr(0, 259);
}

std::vector<std::string> ProcessIds() {
  std::vector<std::string> ids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) ids.push_back(name);
  }
  return ids;
}

}  // namespace

namespace posix {

fs::path WinePrefixOf(int pid) {
  std::string id = std::to_string(pid);
  std::string prefix = EnvironmentValue(id, "WINEPREFIX");
  if (!prefix.empty()) return prefix;
  std::string home = EnvironmentValue(id, "HOME");
  return home.empty() ? fs::path() : fs::path(home) / ".wine";
}

bool WineRunsInPrefix() {
  fs::path prefix = Canonical(PrefixRoot());
  for (const std::string& pid : ProcessIds()) {
    if (!IsWineLoader(ExecutableOf(pid))) continue;
    if (Canonical(WinePrefixOf(std::stoi(pid))) == prefix && !WineProgramFile(pid).empty()) return true;
  }
  return false;
}

}  // namespace posix

int WalkProcesses(ProcessTest test, std::intptr_t callerValue) {
  std::vector<std::string> ids = ProcessIds();
  if (ids.empty()) return 0;
  fs::path prefix = Canonical(posix::PrefixRoot());
  int found = 0;
  for (const std::string& id : ids) {
    std::string file = ProgramFile(id, prefix);
    int r = test(static_cast<std::uint32_t>(std::strtoul(id.c_str(), nullptr, 10)), 0, file.c_str(), callerValue);
    if (r == 0) break;
    if (r == 2) found = 1;
  }
  return found;
}

}  // namespace zmw::platform
