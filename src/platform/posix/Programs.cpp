#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/Files.h"
#include "platform/Programs.h"
#include "platform/Text.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

bool IsWindowsProgram(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  char magic[2] = {};
  in.read(magic, 2);
  return in && magic[0] == 'M' && magic[1] == 'Z';
}

std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (std::size_t b = 0; b <= dirs.size();) {
    std::size_t e = dirs.find(':', b);
    if (e == std::string::npos) e = dirs.size();
    fs::path candidate = fs::path(dirs.substr(b, e - b)) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    b = e + 1;
  }
  return "";
}

fs::path SocketPath(const std::string& name) {
  return posix::PrefixRoot() / "run" / (Cp1252ToUtf8(name) + ".sock");
}

bool FillAddress(const fs::path& path, sockaddr_un& address) {
  std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return false;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, text.c_str(), text.size());
  return true;
}

// A datagram socket connected to the window's address, or -1.
int ConnectToWindow(const std::string& name) {
  sockaddr_un address;
  if (!FillAddress(SocketPath(name), address)) return -1;
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The Windows helper that reaches Wine's windows: named by ZELVOMW_WINE_HELPER, or beside the
// library.
std::string WineHelper() {
  if (const char* given = std::getenv("ZELVOMW_WINE_HELPER"); given && *given) return given;
  Dl_info info;
  if (::dladdr(reinterpret_cast<void*>(&FindOnPath), &info) == 0 || !info.dli_fname) return "";
  fs::path beside = fs::path(info.dli_fname).parent_path() / "zmw-wincalc.exe";
  std::error_code ec;
  return fs::is_regular_file(beside, ec) ? beside.string() : "";
}

// Runs the helper through Wine for this prefix and waits for it; true when it says yes.
// Wine is asked only when it already runs a program of this prefix: there is no window of
// Wine's to find otherwise, and starting Wine would set up a prefix for nothing.
bool AskWineWindow(const char* verb, const std::string& name) {
  if (!posix::WineRunsInPrefix()) return false;
  std::string helper = WineHelper();
  std::string wine = FindOnPath("wine");
  if (helper.empty() || wine.empty()) return false;
  std::string prefix = posix::PrefixRoot().string();
  std::string title = Cp1252ToUtf8(name);
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execl(wine.c_str(), wine.c_str(), helper.c_str(), verb, title.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    pid_t r = ::waitpid(child, &status, WNOHANG);
    if (r == child) break;
    if (r < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() > until) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool StartProgram(const std::string& program, const std::string& parameters, const std::string& folder) {
  fs::path native = NativePath(program);
  std::error_code ec;
  if (!fs::is_regular_file(native, ec)) return false;
  std::vector<std::string> argv;
  bool windows = IsWindowsProgram(native);
  if (windows) {
    std::string wine = FindOnPath("wine");
    if (wine.empty()) return false;
    argv.push_back(wine);
  }
  // Wine is given the Windows path, so that the program sees itself where the library put it
  // and the process walk finds it there.
  bool windowsText = !program.empty() && program[0] != '/';
  argv.push_back(windows && windowsText ? Cp1252ToUtf8(program) : native.string());
  std::string prefix = posix::PrefixRoot().string();
  for (const std::string& a : SplitCommandLine(parameters)) argv.push_back(Cp1252ToUtf8(a));
  std::string dir = folder.empty() ? std::string() : NativePath(folder).string();

  // The exec's failure comes back through a pipe that a successful exec closes.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    // The grandchild runs the program in a session of its own; the child ends at once, so
    // the program is nobody's zombie.
    ::close(report[0]);
    if (::fork() != 0) ::_exit(0);
    ::setsid();
    // A Windows program runs on the machine that the prefix stands for.
    if (windows) ::setenv("WINEPREFIX", prefix.c_str(), 1);
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) {
      int e = errno;
      (void)!::write(report[1], &e, sizeof e);
      ::_exit(127);
    }
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    int e = errno;
    (void)!::write(report[1], &e, sizeof e);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  int error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  return got == 0;
}

std::string OwnProgramPath() {
  std::error_code ec;
  return Utf8ToCp1252(fs::read_symlink("/proc/self/exe", ec).string());
}

long long OwnProcessCreationTime() {
  // Field 22 of /proc/self/stat: clock ticks since boot; the boot time is in /proc/stat.
  std::ifstream stat("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t close = all.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(all.substr(close + 2));
  std::string field;
  unsigned long long ticks = 0;
  for (int i = 3; i <= 22 && fields >> field; ++i)
    if (i == 22) ticks = std::strtoull(field.c_str(), nullptr, 10);
  std::ifstream system("/proc/stat");
  std::string key;
  long long boot = 0;
  while (system >> key)
    if (key == "btime") {
      system >> boot;
      break;
    }
  if (boot == 0) return 0;
  long hz = ::sysconf(_SC_CLK_TCK);
  return boot * 1'000'000'000LL + static_cast<long long>(ticks) * (1'000'000'000LL / (hz > 0 ? hz : 100));
}

bool CalcWindowExists(const std::string& name) {
  int fd = ConnectToWindow(name);
  if (fd < 0) return AskWineWindow("find", name);
  ::close(fd);
  return true;
}

bool PostQuitToCalcWindow(const std::string& name) {
  int fd = ConnectToWindow(name);
  if (fd < 0) return AskWineWindow("post", name);
  bool sent = ::send(fd, "WM_QUIT", 7, 0) == 7;
  ::close(fd);
  return sent;
}

struct CalcWindow::State {
  int fd = -1;
  fs::path path;
};

CalcWindow::CalcWindow(const std::string& name) : state_(new State) {
  state_->path = SocketPath(name);
  std::error_code ec;
  fs::create_directories(state_->path.parent_path(), ec);
  sockaddr_un address;
  if (!FillAddress(state_->path, address)) return;
  // A window left by a program that died is no window: its address is taken over.
  if (!CalcWindowExists(name)) fs::remove(state_->path, ec);
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return;
  }
  state_->fd = fd;
}

CalcWindow::~CalcWindow() {
  if (state_->fd >= 0) {
    ::close(state_->fd);
    std::error_code ec;
    fs::remove(state_->path, ec);
  }
  delete state_;
}

bool CalcWindow::Valid() const { return state_->fd >= 0; }

bool CalcWindow::WaitForQuit(int milliseconds) {
  if (state_->fd < 0) return false;
  pollfd p{state_->fd, POLLIN, 0};
  if (::poll(&p, 1, milliseconds) <= 0) return false;
  char buffer[64];
  ssize_t n = ::recv(state_->fd, buffer, sizeof buffer, 0);
  return n == 7 && std::memcmp(buffer, "WM_QUIT", 7) == 0;
}

}  // namespace zmw::platform
