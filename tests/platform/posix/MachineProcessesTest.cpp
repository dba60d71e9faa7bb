// The process walk of a prefix sees the machine that the prefix stands for: its own drives'
// programs and the programs that Wine runs for it, not those of another prefix.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace zmw {
namespace {

// A process started by hand: the program file, argv and environment of our choosing.
class Process {
 public:
  Process(const fs::path& program, const std::vector<std::string>& argv, const fs::path& folder,
          const std::string& winePrefix) {
    pid_ = ::fork();
    if (pid_ == 0) {
      if (!winePrefix.empty()) ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(program.c_str(), args.data());
      ::_exit(127);
    }
    // The exec names its new program before it lays out the new command line: both must be
    // there before anyone looks.
    std::error_code ec;
    fs::path expected = fs::canonical(program, ec);
    std::string proc = "/proc/" + std::to_string(pid_);
    for (int i = 0; i < 500; ++i) {
      if (fs::read_symlink(proc + "/exe", ec) == expected && test::ReadHostFile(proc + "/cmdline").size() > 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  ~Process() {
    ::kill(pid_, SIGKILL);
    int status;
    ::waitpid(pid_, &status, 0);
  }
  std::uint32_t Id() const { return std::uint32_t(pid_); }

 private:
  pid_t pid_;
};

struct Seen {
  std::uint32_t id;
  std::string name = "(not visited)";
};

int Remember(std::uint32_t id, std::uint16_t, const char* fileName, std::intptr_t value) {
  auto* seen = reinterpret_cast<Seen*>(value);
  if (id == seen->id) seen->name = fileName;
  return 1;
}

class MachineProcesses : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    prefix_ = std::getenv("ZELVOMW_PREFIX");
    char pattern[] = "/tmp/zmw-other-XXXXXX";
    other_ = ::mkdtemp(pattern);
    fs::create_directories(other_ / "drive_c" / "MAICOWIN" / "BIN");
    fs::create_directories(other_ / "dosdevices");
    fs::create_directory_symlink("../drive_c", other_ / "dosdevices" / "c:");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(other_, ec);
    test::CleanMachine::TearDown();
  }
  std::string NameOf(const Process& p) {
    Seen seen{p.Id()};
    platform::WalkProcesses(Remember, reinterpret_cast<std::intptr_t>(&seen));
    return seen.name;
  }
  // The sleeper, copied to a POSIX file.
  static fs::path Copy(const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(platform::NativePath(test::SleeperProgram()), to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_all);
    return to;
  }

  fs::path prefix_;
  fs::path other_;
};

TEST_F(MachineProcesses, AProgramOfThisPrefixIsNamedByItsWindowsPath) {
  fs::path exe = Copy(prefix_ / "drive_c" / "MAICOWIN" / "BIN" / "MSERVER.EXE");
  Process p(exe, {exe.string(), "30"}, "/", "");
  EXPECT_EQ(NameOf(p), "C:\\MAICOWIN\\BIN\\MSERVER.EXE");
  EXPECT_EQ(MaicoWinConf().Running(), 1);
}

TEST_F(MachineProcesses, AMaicoWinOfAnotherPrefixIsNotThisMachines) {
  fs::path exe = Copy(other_ / "drive_c" / "MAICOWIN" / "BIN" / "MSERVER.EXE");
  Process p(exe, {exe.string(), "30"}, "/", "");
  EXPECT_EQ(NameOf(p), "") << "passed on as a process that cannot be looked at";
  EXPECT_EQ(MaicoWinConf().Running(), 0);
}

TEST_F(MachineProcesses, ADriveForTheWholeFileSystemDoesNotMakeEveryProgramOurs) {
  fs::create_directory_symlink("/", prefix_ / "dosdevices" / "z:");
  fs::path exe = Copy(other_ / "drive_c" / "MAICOWIN" / "BIN" / "MSERVER.EXE");
  Process p(exe, {exe.string(), "30"}, "/", "");
  EXPECT_EQ(NameOf(p), "");
  EXPECT_EQ(MaicoWinConf().Running(), 0);
}

// Wine's loader runs the program and leaves the program's own command line in place: a
// Windows path, or a POSIX one relative to where it was started.
struct WineCase {
  const char* name;
  const char* argv0;
  bool ourPrefix;
  const char* expected;
};

class WinePrograms : public MachineProcesses, public ::testing::WithParamInterface<WineCase> {};

TEST_P(WinePrograms, AreNamedByTheirWindowsPathWhenTheyRunForThisPrefix) {
  const WineCase& c = GetParam();
  fs::path bin = prefix_ / "drive_c" / "MAICOWIN" / "BIN";
  Copy(bin / "MSERVER.EXE");
  fs::path loader = Copy(other_ / "usr" / "lib" / "wine" / "wine64");
  Process p(loader, {c.argv0, "30"}, bin, (c.ourPrefix ? prefix_ : other_).string());
  EXPECT_EQ(NameOf(p), c.expected);
  EXPECT_EQ(MaicoWinConf().Running(), std::string(c.expected).empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WinePrograms,
    ::testing::Values(WineCase{"RelativePosixPath", "./MSERVER.EXE", true, "C:\\MAICOWIN\\BIN\\MSERVER.EXE"},
                      WineCase{"WindowsPath", "C:\\MAICOWIN\\BIN\\MSERVER.EXE", true, "C:\\MAICOWIN\\BIN\\MSERVER.EXE"},
                      WineCase{"BareName", "MSERVER.EXE", true, "C:\\MAICOWIN\\BIN\\MSERVER.EXE"},
                      WineCase{"AnotherPrefix", "C:\\MAICOWIN\\BIN\\MSERVER.EXE", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zmw
