#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace zmw::test {
namespace {

std::string prefixDir;

class PosixChild final : public Child {
 public:
  explicit PosixChild(pid_t pid) : pid_(pid) {}
  ~PosixChild() override {
    ::kill(pid_, SIGKILL);
    int status;
    ::waitpid(pid_, &status, 0);
  }
  std::uint32_t Id() const override { return static_cast<std::uint32_t>(pid_); }

 private:
  pid_t pid_;
};

}  // namespace

void SetEnv(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
void UnsetEnv(const char* name) { ::unsetenv(name); }

// Each test gets a prefix of its own, so nothing a test writes is seen by the next.
void PreparePlatform() {
  char pattern[] = "/tmp/zmw-prefix-XXXXXX";
  prefixDir = ::mkdtemp(pattern);
  SetEnv("ZELVOMW_PREFIX", prefixDir);
}

void ReleasePlatform() {
  std::error_code ec;
  fs::remove_all(prefixDir, ec);
}

std::unique_ptr<Child> StartChild(const std::string& program, const std::string& argument) {
  std::string native = platform::NativePath(program).string();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(native.c_str(), native.c_str(), argument.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Wait until the child runs its own program, not our copy of it.
  std::error_code ec;
  fs::path expected = fs::canonical(native, ec);
  for (int i = 0; i < 500; ++i) {
    fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    if (!ec && exe == expected) break;
    ::usleep(2000);
  }
  return std::make_unique<PosixChild>(pid);
}

void CopyProgram(const std::string& from, const std::string& to) {
  WriteFile(to, ReadFile(from));
  fs::permissions(platform::NativePath(to), fs::perms::owner_all);
}

std::string SleeperProgram() { return ZMW_SLEEPER; }
std::string HostPath(const std::string& posixPath) { return posixPath; }
// Our ODBC provider resolves Windows path texts itself.
std::string DriverPath(const std::string& windowsPath) { return windowsPath; }

bool CanMakeUncShare() { return true; }

bool CanMakeNetworkDrive(char letter) {
  fs::path root = std::getenv("ZELVOMW_PREFIX");
  fs::create_directories(root / "drive_n");
  std::error_code ec;
  fs::create_directories(root / "dosdevices", ec);
  fs::create_directory_symlink("../drive_n", root / "dosdevices" / (std::string(1, letter) + ":"), ec);
  std::string ini = "[Drives]\r\n" + std::string(1, letter) + ":=network\r\n";
  WriteFile((root / "drives.ini").string(), ini);
  return true;
}

}  // namespace zmw::test
