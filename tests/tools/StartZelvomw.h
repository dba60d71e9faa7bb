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

// Runs zelvomw in batch through the shell, with the environment assignments given before it:
// its exit code and standard output; standard error goes to the file named.
inline CommandOutcome RunZelvomw(const std::string& arguments, const std::string& env = "",
                                 const std::string& errFile = "/dev/null") {
  std::string command = env + " ZELVOMW_UI=batch " ZMW_COMMAND " " + arguments + " 2>" + errFile;
  CommandOutcome o;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return o;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) o.out += buffer;
  int status = ::pclose(pipe);
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

// In a child: becomes zelvomw with those arguments.
[[noreturn]] inline void ExecZelvomw(const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(ZMW_COMMAND)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(ZMW_COMMAND, argv.data());
  ::_exit(127);
}

inline pid_t StartZelvomw(const std::vector<std::string>& args, const std::string& out = "") {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("ZELVOMW_UI", "batch", 1);
    std::string stdoutFile = out.empty() ? "/dev/null" : out;
    std::string stderrFile = out.empty() ? "/dev/null" : out + ".err";
    if (!std::freopen(stdoutFile.c_str(), "w", stdout) || !std::freopen(stderrFile.c_str(), "w", stderr)) ::_exit(126);
    ExecZelvomw(args);
  }
  return pid;
}

// zelvomw at a terminal of its own (a pseudo-terminal of that size, whose master end is given
// back), as a person starts it; extra environment assignments ("NAME=value") first.
inline pid_t StartZelvomwAtTerminal(const std::vector<std::string>& args, int rows, int columns, int& master,
                                    const std::vector<std::string>& env = {}) {
  struct winsize size = {static_cast<unsigned short>(rows), static_cast<unsigned short>(columns), 0, 0};
  pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
  if (pid == 0) {
    ::setenv("ZELVOMW_UI", "terminal", 1);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    ExecZelvomw(args);
  }
  return pid;
}

}  // namespace zmw::test
