// The zelvomw command started as a script starts it: batch interface, standard output to a
// file (its standard error beside it, with ".err"), or both to /dev/null.
#pragma once
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace zmw::test {

struct CommandOutcome {
  int exitCode = -1;
  std::string out;
};

// Runs zelvomw in batch through the shell, with the environment assignments given before it
// (which may name another interface, and a command that starts it): its exit code and standard
// output; standard error goes to the file named.
inline CommandOutcome RunZelvomw(const std::string& arguments, const std::string& env = "",
                                 const std::string& errFile = "/dev/null") {
  CommandOutcome o;
  FILE* pipe = ::popen(("ZELVOMW_UI=batch " + env + " " ZMW_COMMAND " " + arguments + " 2>" + errFile).c_str(), "r");
  char buffer[512];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe)) o.out += buffer;
  int status = pipe ? ::pclose(pipe) : -1;
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

// The product's own command host, the i686 zelvomw.exe with ZelvoMW.DLL beside it, when
// ZELVOMW_TEST_WINDOWS_COMMAND names it: the runs that StartZelvomw makes then go through it
// under Wine's 32-bit side, in the test's prefix; empty for the Linux command.
inline std::string WindowsCommand() {
  const char* named = std::getenv("ZELVOMW_TEST_WINDOWS_COMMAND");
  return named ? named : "";
}

// Wine's 32-bit side for the test's prefix (ZELVOMW_PREFIX), which is made a Wine prefix the
// first time; the shell commands with WINEPREFIX and WINEARCH exported to each of them.
inline int WineInPrefix(const std::string& command) {
  const char* prefix = std::getenv("ZELVOMW_PREFIX");
  if (!prefix) return -1;
  return std::system(
      ("export WINEPREFIX='" + std::string(prefix) + "' WINEARCH=win32 WINEDEBUG=-all; " + command).c_str());
}
// The prefix made ready before a test's first run, so that no run of the test waits for it.
// Wine gives a prefix it makes drive Z: for the whole file system, but this one has its drives
// already: Z: is added, so that zelvomw.exe finds the DLL beside it in the build tree.
inline bool PrepareWinePrefix() {
  return WineInPrefix("sh -c '[ -e \"$WINEPREFIX/dosdevices/z:\" ] || ln -s / \"$WINEPREFIX/dosdevices/z:\"' && "
                      "/usr/lib/wine/wine wineboot -i >/dev/null 2>&1 && /usr/lib/wine/wineserver -w") == 0;
}
// Whatever Wine still runs for the test's prefix ends with its server.
inline void EndWinePrefix() { (void)WineInPrefix("/usr/lib/wine/wineserver -k 2>/dev/null"); }

// In a child: becomes zelvomw with those arguments (zelvomw.exe under Wine, see above).
[[noreturn]] inline void ExecZelvomw(const std::vector<std::string>& args) {
  std::string windows = WindowsCommand();
  if (!windows.empty()) {
    if (const char* prefix = std::getenv("ZELVOMW_PREFIX")) ::setenv("WINEPREFIX", prefix, 1);
    ::setenv("WINEARCH", "win32", 1);
    ::setenv("WINEDEBUG", "-all", 1);
  }
  std::vector<std::string> all{windows.empty() ? ZMW_COMMAND : "/usr/lib/wine/wine"};
  if (!windows.empty()) all.push_back(windows);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

inline pid_t StartZelvomw(const std::vector<std::string>& args, const std::string& out = "") {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("ZELVOMW_UI", "batch", 1);
    if (!std::freopen(out.empty() ? "/dev/null" : out.c_str(), "w", stdout) ||
        !std::freopen(out.empty() ? "/dev/null" : (out + ".err").c_str(), "w", stderr))
      ::_exit(126);
    ExecZelvomw(args);
  }
  return pid;
}

// zelvomw at a terminal of its own (a pseudo-terminal of that size, whose master end is given
// back), as a person starts it; extra environment assignments ("NAME=value") first. With an
// output file, standard output and error go there while the terminal stays the controlling
// one, as "> file 2>&1" leaves it.
inline pid_t StartZelvomwAtTerminal(const std::vector<std::string>& args, int rows, int columns, int& master,
                                    const std::vector<std::string>& env = {}, const std::string& output = "") {
  struct winsize size = {static_cast<unsigned short>(rows), static_cast<unsigned short>(columns), 0, 0};
  pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
  if (pid == 0) {
    if (!output.empty() && (!std::freopen(output.c_str(), "w", stdout) || ::dup2(1, 2) < 0)) ::_exit(126);
    ::setenv("ZELVOMW_UI", "terminal", 1);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    ExecZelvomw(args);
  }
  return pid;
}

}  // namespace zmw::test
