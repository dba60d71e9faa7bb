// A prefix as the Windows machine it stands for: how Windows path texts find their files in it,
// and a process walk that sees its own drives' programs and the programs that Wine runs for it,
// not those of another prefix.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/posix/Prefix.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

class MachineProcesses : public test::CleanMachine {
 protected:
  // The sleeper as a POSIX file.
  static fs::path Copy(const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(NativePath(test::SleeperProgram()), to, fs::copy_options::overwrite_existing);
    return to;
  }
  // What the walk names a program started with that command line, folder and WINEPREFIX (none
  // when empty), and how many MaicoWins are counted while it runs.
  static std::pair<std::string, int> Run(const fs::path& program, const std::string& argv0, const fs::path& folder,
                                         const fs::path& winePrefix) {
    pid_t pid = ::fork();
    if (pid == 0) {
      if (!winePrefix.empty()) ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
      const char* argv[] = {argv0.c_str(), "30", nullptr};
      if (::chdir(folder.c_str()) == 0) ::execv(program.c_str(), const_cast<char**>(argv));
      ::_exit(127);
    }
    // The exec names its new program before it lays out the new command line: both must be
    // there before anyone looks.
    std::string proc = "/proc/" + std::to_string(pid);
    std::error_code ec;
    for (int i = 0; i < 500 && (fs::read_symlink(proc + "/exe", ec) != fs::canonical(program) ||
                                test::ReadHostFile(proc + "/cmdline").empty()); ++i)
      ::usleep(2000);
    std::pair<std::uint32_t, std::string> seen{pid, "(not visited)"};
    WalkProcesses([](std::uint32_t id, std::uint16_t, const char* fileName, std::intptr_t value) {
      auto* seen = reinterpret_cast<std::pair<std::uint32_t, std::string>*>(value);
      if (id == seen->first) seen->second = fileName;
      return 1;
    }, reinterpret_cast<std::intptr_t>(&seen));
    int running = MaicoWinConf().Running();
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return {seen.second, running};
  }
};

// Wine's loader runs the program and leaves the program's own command line in place: a
// Windows path, or a POSIX one relative to where it was started.
TEST_F(MachineProcesses, AreNamedByTheirWindowsPathOnlyWhenTheyRunForThisPrefix) {
  char pattern[] = "/tmp/zmw-other-XXXXXX";
  fs::path prefix = std::getenv("ZELVOMW_PREFIX"), bin = prefix / "drive_c/MAICOWIN/BIN", other = ::mkdtemp(pattern);
  Copy(bin / "MSERVER.EXE");
  fs::path theirs = Copy(other / "drive_c/MAICOWIN/BIN/MSERVER.EXE");
  fs::path loader = Copy(other / "usr/lib/wine/wine64");
  const std::string windows = "C:\\MAICOWIN\\BIN\\MSERVER.EXE";
  struct { const char* name; fs::path program; std::string argv0; fs::path folder, prefix; std::string expected; } rows[] = {
      {"another prefix's, passed on as a process that cannot be looked at", theirs, theirs.string(), "/", "", ""},
      {"Wine, relative POSIX path", loader, "./MSERVER.EXE", bin, prefix, windows},
      {"Wine, Windows path", loader, windows, bin, prefix, windows},
      {"Wine, another prefix", loader, windows, bin, other, ""}};
  for (const auto& r : rows)
    EXPECT_EQ(Run(r.program, r.argv0, r.folder, r.prefix), std::make_pair(r.expected, r.expected.empty() ? 0 : 1))
        << r.name;
  // A drive for the whole file system does not make every program ours.
  fs::create_directory_symlink("/", prefix / "dosdevices/z:");
  EXPECT_EQ(Run(theirs, theirs.string(), "/", ""), std::make_pair(std::string(), 0));
  fs::remove_all(other);
}

using PathMapping = test::CleanMachine;

TEST_F(PathMapping, MapsEachRoot) {
  const fs::path dos = fs::path(std::getenv("ZELVOMW_PREFIX")) / "dosdevices", c = dos / "c:";
  EXPECT_EQ(NativePath("C:\\ZELVO\\JOB.MW"), c / "ZELVO/JOB.MW");
  EXPECT_EQ(fs::read_symlink(c), "../drive_c") << "drive C is made as a link to drive_c";
  EXPECT_EQ(NativePath("/tmp/x\\ZELVOMW.XML"), fs::path("/tmp/x/ZELVOMW.XML"));
  EXPECT_EQ(NativePath("\\\\server\\share\\dir\\f.txt"), dos / "unc/server/share/dir/f.txt");
  EXPECT_EQ(NativePath("D:\\x"), dos / "d:/x");
  EXPECT_EQ(NativePath("D:"), dos / "d:");
  EXPECT_EQ(NativePath("\\ROOTED"), c / "ROOTED");
  EXPECT_EQ(NativePath("rel\\f.txt"), fs::path("rel/f.txt"));
  EXPECT_EQ(NativePath("C:\\X\\\\Y\\"), c / "X/Y");
  EXPECT_EQ(DriveType("C:"), DriveFixed);
  EXPECT_EQ(DriveType("Q:"), DriveNoRoot);
  EXPECT_EQ(DriveType(""), DriveNoRoot);
}

// Only an installation check remembers what it read; outside one, a file another program
// rewrites is read anew. (Wine keeps its own profile cache, hence a POSIX case.)
TEST_F(PathMapping, OnlyACheckRemembersWhatItRead) {
  auto read = [] { return ProfileReadString("C:\\M.INI", "S", "k", "", 10); };
  test::WriteFile("C:\\M.INI", "[S]\r\nk=1\r\n");
  EXPECT_EQ(read(), "1");
  test::WriteFile("C:\\M.INI", "[S]\r\nk=2\r\n");
  EXPECT_EQ(read(), "2");
  {
    FileCheckScope check;
    EXPECT_EQ(read(), "2");
    test::WriteFile("C:\\M.INI", "[S]\r\nk=3\r\n");
    EXPECT_EQ(read(), "2");
  }
  EXPECT_EQ(read(), "3");
}

// The folder browser's texts: a folder as Windows writes it, and the one above it.
TEST(FolderTexts, AreWrittenAsWindowsWritesThem) {
  for (auto [in, out] : {std::pair{" c:/X/ ", "C:\\X"}, {"ab\\", "ab"}, {"d:", "D:\\"}, {"C:\\", "C:\\"}, {"\\\\", "\\\\"},
                         {"   ", ""}})
    EXPECT_EQ(posix::FolderText(in), out) << in;
  for (auto [in, out] : {std::pair{"C:\\X\\Y", "C:\\X"}, {"C:\\X", "C:\\"}, {"C:\\", ""}, {"\\\\srv\\share", "\\\\srv"},
                         {"X", ""}, {"", ""}})
    EXPECT_EQ(posix::ParentFolder(in), out) << in;
}

// Existing components match without regard to case, the exact name first; a new one keeps
// the case it was given. Windows names are UTF-8 names in the prefix.
TEST_F(PathMapping, FindsExistingNamesInAnyCase) {
  const fs::path prefix = std::getenv("ZELVOMW_PREFIX"), c = prefix / "dosdevices/c:";
  fs::create_directories(prefix / "drive_c/MaicoWin/Bin");
  test::WriteFile((prefix / "drive_c/MaicoWin/Bin/MaicoWin.ini").string(), "x");
  EXPECT_EQ(NativePath("c:\\MAICOWIN\\BIN\\MAICOWIN.INI"), c / "MaicoWin/Bin/MaicoWin.ini");
  EXPECT_EQ(NativePath("C:\\MAICOWIN\\BIN\\New.Txt"), c / "MaicoWin/Bin/New.Txt");
  fs::create_directories(prefix / "drive_c/dir");
  fs::create_directories(prefix / "drive_c/DIR");
  EXPECT_EQ(NativePath("C:\\DIR"), c / "DIR");
  EXPECT_EQ(NativePath("C:\\dir"), c / "dir");
  test::WriteFile("C:\\Citt\xE0.txt", "x");
  EXPECT_TRUE(fs::exists(prefix / "drive_c/Citt\xC3\xA0.txt"));
  EXPECT_TRUE(FindFirstExists("C:\\CITT\xC0.TXT"));
}

}  // namespace
}  // namespace zmw::platform
