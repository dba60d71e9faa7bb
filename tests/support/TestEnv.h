// What the tests need from the machine: a clean place for files, environment variables and
// child processes, on each platform.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "support/RecordingDialogs.h"
#include "support/RecordingUi.h"

namespace zmw::test {

void SetEnv(const char* name, const std::string& value);
void UnsetEnv(const char* name);

// A running child process, ended when the object goes.
class Child {
 public:
  virtual ~Child() = default;
  virtual std::uint32_t Id() const = 0;
};
// Starts the program at a Windows path text with one argument.
std::unique_ptr<Child> StartChild(const std::string& program, const std::string& argument);
// Ends every program started from below the folder (a Windows path text).
void EndProgramsUnder(const std::string& folder);
// Copies a program so that it can run under another name.
void CopyProgram(const std::string& from, const std::string& to);
// The sleeper program's path as a Windows path text.
std::string SleeperProgram();
// The stand-in MaicoWin's path as a Windows path text.
std::string SimulatorProgram();

// A file of the source tree (a POSIX path) as a path text this platform's programs can open.
std::string HostPath(const std::string& posixPath);
// A file of the source tree by its path below the top folder.
std::string SourceFile(const std::string& relative);
// A database file named by a Windows path text, as the ODBC driver must be told it: the
// driver runs outside Wine's file namespace there.
std::string DriverPath(const std::string& windowsPath);

// A disk that fills up: while the object lives, every file this process writes takes at most
// the given number of bytes and further writes fail. Nothing where the platform cannot.
class FullDisk {
 public:
  virtual ~FullDisk() = default;
};
std::unique_ptr<FullDisk> FillDiskAt(std::size_t bytes);

// Whether path texts that begin with "/" are the platform's own POSIX paths.
bool PosixPathsAreNative();

// Whether the Windows build runs under Wine, whose controls differ from Windows' in places.
bool UnderWine();

// Whether the platform under test can hold a UNC share and a network drive of our making.
bool CanMakeUncShare();
bool CanMakeNetworkDrive(char letter);

// Waits until the condition holds, looking again every 20 milliseconds; whether it held.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5));
// A file of this computer named as its programs name it (not a Windows path text), whole.
std::string ReadHostFile(const std::string& path);
// The last line of a text that is not empty, without its line end.
std::string LastLine(const std::string& text);

// A MaicoWin installation in C:\MAICOWIN as the calculation tests use it: ZELVOMW.INI's
// INST_PATH, BIN\MAICOWIN.INI naming EXCH\RESULT.TXT and EXCH\REQUEST.TXT, the EXCH folder,
// and, when a program is given, that program as BIN\MSERVER.EXE started with the command.
void InstallMaicoWin(const std::string& program = "", const char* command = nullptr);
// The link as the configuration dialog finds it after a first configuration: MaicoWin
// installed, Zelvo's start folder (with its POET.CFG, so nothing is copied there), the
// customer code K1 and the ASC file in MaicoWin's DATI folder.
void InstallConfiguredLink(const std::string& startPath);

// A job parameter file at the path: the job's head record, then per position one numeric
// parameter LARGHEZZA = 1200 for a quantity of 1; false when it could not be written.
bool SaveWidthJob(const std::string& path, const std::string& name, int positions = 1);

// Files by Windows path text.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);

// The stand-in import library's log (ZELVOMW_OLTREX_LOG) while the object lives: a file in the
// folder given (a Windows path text).
class OltrexLog {
 public:
  explicit OltrexLog(const std::string& folder);
  ~OltrexLog();
  OltrexLog(const OltrexLog&) = delete;
  OltrexLog& operator=(const OltrexLog&) = delete;
  std::string Text() const;
  // One line per call: the function and the path it was given.
  std::string Calls() const;

 private:
  std::string file_;
};

// Every test starts from nothing: no ZELVOMW.INI, no ZELVO.INI, no C:\MAICOWIN, an empty
// scratch folder, and the recording UI installed.
class CleanMachine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A folder for the test's own files, as a Windows path text without a trailing backslash.
  const std::string& Scratch() const { return scratch_; }
  std::string ZelvoMwIniPath() const;
  std::string ZelvoIniPath() const;

  RecordingUi ui;
  RecordingDialogHost dialogs;

 private:
  std::string scratch_;
};

}  // namespace zmw::test
