// Ctrl-C in the wait dialog of a batch run is a click on "Annulla": a real zelvomw process,
// a real stand-in MaicoWin, a real signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "calc/JobItem.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

class Interrupt : public test::CleanMachine {};

TEST_F(Interrupt, CtrlCInTheWaitIsACancelOfTheCalculation) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "MSERVER.EXE --no-answer --idle=30");
  platform::ProfileWriteString("ZELVOMW.INI", "SYSTEM", "LAST_JOB", "A123");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI",
                  "[EXPORT-IMPORT]\r\nEXPORT=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\nIMPORT=C:\\MAICOWIN\\EXCH\\REQUEST.TXT\r\n");
  test::MakeFolders("C:\\MAICOWIN\\EXCH");
  test::CopyProgram(test::SimulatorProgram(), "C:\\MAICOWIN\\BIN\\MSERVER.EXE");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\").c_str());
  JobItemList job;
  job.Append(JobItemRecord());
  JobItemRecord r;
  r.PosNo.Set(1);
  r.Sub3.Set(1);
  r.Code.Set("A");
  r.Kind.Set(1);
  job.Append(r);
  ASSERT_TRUE(job.Save(Scratch() + "\\A123.MW"));

  std::string log = platform::NativePath(Scratch() + "\\ui.log").string();
  std::string out = platform::NativePath(Scratch() + "\\out.txt").string();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("ZELVOMW_UI", "batch", 1);
    ::setenv("ZELVOMW_UI_LOG", log.c_str(), 1);
    ::setenv("ZELVOMW_UI_ANSWERS", "6", 1);
    ::freopen(out.c_str(), "w", stdout);
    ::freopen("/dev/null", "w", stderr);
    ::execl(ZMW_COMMAND, ZMW_COMMAND, "LanciaCalcoloMW", (Scratch() + "\\A123.MW").c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Once the wait runs and MaicoWin's window is there, the user presses Ctrl-C.
  auto logHas = [&](const std::string& text) {
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.find(text) != std::string::npos;
  };
  for (int i = 0; i < 250 && !logHas("\"template\":1002,\"event\":\"start\""); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(logHas("\"template\":1002,\"event\":\"start\""));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(pid, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream result(out);
  std::string last, line;
  while (std::getline(result, line)) last = line;
  EXPECT_EQ(last, "1") << "MaicoWin was started by this call";
  EXPECT_TRUE(logHas("\"text\":\"Sei sicuro\""));
  EXPECT_TRUE(logHas("\"text\":\"Sara` necessario ricalcolare la commessa.\""));
  EXPECT_FALSE(test::FileExists(Scratch() + "\\A123.MW")) << "LAST_JOB's parameter file is deleted";
}

}  // namespace
}  // namespace zmw
