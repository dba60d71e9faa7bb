#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "platform/Processes.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

bool IsWineLoader(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  return name == "wine" || name == "wine64" || name == "wine-preloader" ||
         name == "wine64-preloader";
}

std::vector<std::string> CommandLine(const std::string& pid) {
  std::ifstream in("/proc/" + pid + "/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t end = all.find('\0', i);
    if (end == std::string::npos) end = all.size();
    args.push_back(all.substr(i, end - i));
    i = end + 1;
  }
  return args;
}

// The program file of a process in Windows form: the exe link with "/" turned into "\", or,
// for a program that Wine runs, its Windows program path.
std::string ProgramFile(const std::string& pid) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/" + pid + "/exe", ec);
  if (ec) return "";
  std::string target = exe.string();
  const std::string deleted = " (deleted)";
  if (target.size() > deleted.size() && target.ends_with(deleted))
    target.resize(target.size() - deleted.size());
  if (IsWineLoader(target)) {
    for (const std::string& arg : CommandLine(pid))
      if (!arg.empty() && !IsWineLoader(arg)) return Utf8ToCp1252(arg).substr(0, 259);
  }
  for (char& c : target)
    if (c == '/') c = '\\';
  return Utf8ToCp1252(target).substr(0, 259);
}

}  // namespace

int WalkProcesses(ProcessTest test, std::intptr_t callerValue) {
  std::vector<std::uint32_t> ids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    ids.push_back(static_cast<std::uint32_t>(std::strtoul(name.c_str(), nullptr, 10)));
  }
  if (ids.empty()) return 0;
  int found = 0;
  for (std::uint32_t id : ids) {
    std::string file = ProgramFile(std::to_string(id));
    int r = test(id, 0, file.c_str(), callerValue);
    if (r == 0) break;
    if (r == 2) found = 1;
  }
  return found;
}

}  // namespace zmw::platform
