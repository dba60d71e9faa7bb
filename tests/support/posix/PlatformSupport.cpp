#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

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
std::string SimulatorProgram() { return ZMW_SIMULATOR; }

void EndProgramsUnder(const std::string& folder) {
  std::error_code ec;
  std::string root = fs::weakly_canonical(platform::NativePath(folder), ec).string();
  if (root.empty()) return;
  std::vector<fs::path> killed;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code linkError;
    std::string exe = fs::read_symlink(it->path() / "exe", linkError).string();
    if (!linkError && exe.rfind(root + "/", 0) == 0) {
      ::kill(std::stoi(name), SIGKILL);
      killed.push_back(it->path() / "exe");
    }
  }
  // Gone means gone for the next test's process walk too.
  for (const fs::path& exe : killed)
    for (int i = 0; i < 500 && fs::exists(fs::symlink_status(exe, ec)) && !fs::read_symlink(exe, ec).empty(); ++i)
      ::usleep(2000);
}
std::string HostPath(const std::string& posixPath) { return posixPath; }
// Our ODBC provider resolves Windows path texts itself.
std::string DriverPath(const std::string& windowsPath) { return windowsPath; }

bool CanMakeUncShare() { return true; }
bool UnderWine() { return false; }

namespace {

// The file size limit of the process: a write past it fails with EFBIG, as one on a full disk
// fails with ENOSPC, and what came before stays in the file. Files already longer are not
// touched unless they grow.
class FileSizeLimit final : public FullDisk {
 public:
  explicit FileSizeLimit(std::size_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousSignal_ = ::signal(SIGXFSZ, SIG_IGN);  // a failed write, not the end of the process
    rlimit limit = previous_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() override {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousSignal_);
  }

 private:
  rlimit previous_{};
  void (*previousSignal_)(int);
};

}  // namespace

std::unique_ptr<FullDisk> FillDiskAt(std::size_t bytes) { return std::make_unique<FileSizeLimit>(bytes); }

bool PosixPathsAreNative() { return true; }

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
