// Starting another program, and the calculation window through which MaicoWin is asked to end.
#pragma once
#include <string>
#include <vector>

namespace zmw::platform {

// ShellExecuteA "open" with the window hidden: true when the platform started the program.
// POSIX: a detached process (own session, no terminal, no zombie), the parameters split as
// a Windows command line; a Windows program is started through Wine when Wine is there.
bool StartProgram(const std::string& program, const std::string& parameters, const std::string& folder);

// FindWindowA(name, name): whether a top-level window of that class and title exists.
bool CalcWindowExists(const std::string& name);
// PostMessageA(WM_QUIT, 0, 0) to that window; false when there is none.
bool PostQuitToCalcWindow(const std::string& name);

// The owner's side of a calculation window, for the stand-in MaicoWin: the window exists while
// the object lives.
class CalcWindow {
 public:
  explicit CalcWindow(const std::string& name);
  ~CalcWindow();
  CalcWindow(const CalcWindow&) = delete;
  CalcWindow& operator=(const CalcWindow&) = delete;
  bool Valid() const;
  // Waits up to the given time for the quit message; true when it came.
  bool WaitForQuit(int milliseconds);

 private:
  struct State;
  State* state_;
};

// The running program's own file.
std::string OwnProgramPath();
// When the running process was created, in nanoseconds since 1970 (UTC); 0 when unknown.
long long OwnProcessCreationTime();

// Splits parameters as the Windows runtime does (CommandLineToArgvW's rules for arguments).
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace zmw::platform
