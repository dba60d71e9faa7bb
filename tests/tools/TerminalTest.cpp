// The calculation as a person at a terminal runs it: the real zelvomw command in a
// pseudo-terminal, the real stand-in MaicoWin, keys and Ctrl-C typed as a person types them.
// And the road under real conditions: two calculations at once, an interrupt outside any
// dialog, a path that is not ASCII.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "calc/JobItem.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "StartZelvomw.h"
#include "support/Database.h"

namespace zmw {
namespace {

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
  return test::Eventually(condition, limit);
}

std::string ReadAll(const std::string& posixFile) { return test::ReadHostFile(posixFile); }

// zelvomw with a pseudo-terminal for its standard input and error (or as its controlling
// terminal only, with output sent to a file): what it shows is read back, what a person types
// is written.
class TerminalRun {
 public:
  explicit TerminalRun(const std::vector<std::string>& args, const std::string& output = "") {
    pid_ = test::StartZelvomwAtTerminal(args, 40, 120, master_, {}, output);
  }
  ~TerminalRun() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
  }

  // Waits until the screen has shown the text since the last look; the screen so far when not.
  bool WaitFor(const std::string& text, std::chrono::milliseconds limit = 10s) {
    auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (std::size_t at = screen_.find(text, seen_); at != std::string::npos) {
        seen_ = at + text.size();
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      Pump(int(left.count() < 50 ? left.count() : 50));
    }
  }
  void Type(const std::string& keys) { ASSERT_EQ(::write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }
  // Ctrl-C as the terminal sends it: the line discipline makes it an interrupt.
  void CtrlC() { Type("\x03"); }

  // The exit code and the last line of standard output... which here is the terminal too.
  int Finish(std::chrono::milliseconds limit = 20s) {
    auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < until) {
      Pump(20);
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        Pump(50);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
      }
    }
    return -1;
  }
  const std::string& Screen() const { return screen_; }

 private:
  void Pump(int milliseconds) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, milliseconds) <= 0) return;
    char buffer[4096];
    ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) screen_.append(buffer, std::size_t(n));
  }

  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
  std::string screen_;
  std::size_t seen_ = 0;
};

class RealCalculation : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin(test::SimulatorProgram(), "MSERVER.EXE --no-answer --idle=60");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    test::MakeFolders(Scratch() + "\\JOBS");
    log_ = platform::NativePath(Scratch() + "\\ui.log").string();
    test::SetEnv("ZELVOMW_UI_LOG", log_);
  }
  void TearDown() override {
    test::UnsetEnv("ZELVOMW_UI_LOG");
    if (platform::CalcWindowExists("ZelvoMwCalc")) platform::PostQuitToCalcWindow("ZelvoMwCalc");
    Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }, 3s);
    test::HostDatabase::TearDown();
  }

  std::string MakeJob(const std::string& name, int positions) {
    std::string path = Scratch() + "\\JOBS\\" + name + ".MW";
    EXPECT_TRUE(test::SaveWidthJob(path, name, positions));
    return path;
  }

  // MaicoWin's answer, as the stand-in with --no-answer leaves it to the test: one hinge for
  // position 1, written whole into place.
  void Answer() {
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.NEW",
                    std::string(114, ' ') + "   1" + std::string(25, ' ') + "301234       3\r\n");
    ASSERT_TRUE(platform::ReplaceFileWith("C:\\MAICOWIN\\EXCH\\RESULT.NEW", "C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  }

  std::string Log() const { return ReadAll(log_); }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }

  std::string log_;
};

// While "Sei sicuro" is open the wait's timer goes on: the answer that arrives meanwhile ends
// the wait with OK, and the Yes that follows is still carried out. Output sent to a file: the
// wait and the questions are at the controlling terminal, the file gets the result alone.
TEST_F(RealCalculation, TheWaitGoesOnWhileTheQuestionIsOpen) {
  std::string job = MakeJob("A123", 1);
  std::string out = platform::NativePath(Scratch() + "\\out.txt").string();
  TerminalRun run({"LanciaCalcoloMW", job}, out);
  ASSERT_TRUE(run.WaitFor("MaicoWin sta calcolando")) << run.Screen();
  ASSERT_TRUE(Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }));
  run.CtrlC();
  ASSERT_TRUE(run.WaitFor("[Attenzione] Sei sicuro")) << run.Screen();
  Answer();
  std::this_thread::sleep_for(500ms);  // several ticks of the wait's timer
  run.Type("s\n");
  ASSERT_TRUE(run.WaitFor("ricalcolare la commessa.")) << run.Screen();
  run.Type("\n");
  ASSERT_TRUE(run.WaitFor("Calcolo MaicoWin terminato.")) << run.Screen();
  run.Type("\n");
  EXPECT_EQ(run.Finish(), 0) << run.Screen();
  EXPECT_EQ(ReadAll(out), "1\n");
  EXPECT_TRUE(Logged("{\"kind\":\"dialog\",\"template\":1002,\"event\":\"end\",\"result\":1}")) << Log();
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
}

// Answers are words or numbers; anything else is asked again; Ctrl-C at a question is its No,
// and the terminal still answers the questions after it.
TEST_F(RealCalculation, AnswersAreReadAsAPersonMeansThem) {
  std::string job = MakeJob("A123", 1);
  TerminalRun run({"LanciaCalcoloMW", job});
  ASSERT_TRUE(run.WaitFor("MaicoWin sta calcolando")) << run.Screen();
  ASSERT_TRUE(Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }));
  run.CtrlC();
  ASSERT_TRUE(run.WaitFor("Sei sicuro")) << run.Screen();
  run.Type("forse\n");
  ASSERT_TRUE(run.WaitFor("Risposta non valida")) << run.Screen();
  run.Type("no\n");
  std::this_thread::sleep_for(300ms);
  run.CtrlC();
  ASSERT_TRUE(run.WaitFor("Sei sicuro")) << run.Screen();
  std::this_thread::sleep_for(100ms);
  run.CtrlC();
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(platform::CalcWindowExists("ZelvoMwCalc")) << "neither No cancelled the calculation";
  Answer();
  ASSERT_TRUE(run.WaitFor("Calcolo MaicoWin terminato.")) << run.Screen();
  run.Type("ok\n");
  EXPECT_EQ(run.Finish(), 0) << run.Screen();
  std::string log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), std::count(log.begin(), log.end(), '}'));
  EXPECT_NE(log.find("\"text\":\"Sei sicuro\",\"style\":36,\"owner\":\"active\",\"answer\":7}"), std::string::npos) << log;
  EXPECT_NE(log.find("\"answer\":7,\"interrupt\":true}"), std::string::npos) << log;
  EXPECT_NE(log.find("\"text\":\"Calcolo MaicoWin terminato.\",\"style\":0,\"owner\":\"none\",\"answer\":1}"),
            std::string::npos) << log;
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
}

// Ctrl-C at the last message is its OK: the cycle still saves and removes the result and asks
// MaicoWin to end.
TEST_F(RealCalculation, CtrlCAtTheLastMessageLeavesNoHalfDoneCycle) {
  std::string job = MakeJob("A123", 1);
  TerminalRun run({"LanciaCalcoloMW", job});
  ASSERT_TRUE(run.WaitFor("MaicoWin sta calcolando")) << run.Screen();
  ASSERT_TRUE(Eventually([] { return platform::CalcWindowExists("ZelvoMwCalc"); }));
  Answer();
  ASSERT_TRUE(run.WaitFor("Calcolo MaicoWin terminato.")) << run.Screen();
  run.CtrlC();
  EXPECT_EQ(run.Finish(), 0) << run.Screen();
  EXPECT_NE(run.Screen().find("\r\n1\r\n"), std::string::npos) << run.Screen();
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  EXPECT_NE(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK").find("301234"), std::string::npos);
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }, 3s)) << "the quit message";
}

// zelvomw in batch, as a script runs it: standard output and error to files.
class BatchRun {
 public:
  BatchRun(const std::vector<std::string>& args, const std::string& out) : pid_(test::StartZelvomw(args, out)) {}
  ~BatchRun() {
    if (!ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  void Signal(int sig) { ::kill(pid_, sig); }
  // The exit code, or 1000 plus the signal that ended it.
  int Finish() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }

 private:
  pid_t pid_;
  bool ended_ = false;
};

std::string LastLine(const std::string& file) { return test::LastLine(ReadAll(file)); }

// Two hosts calculate at once in one installation: the second waits a while, says so and
// touches nothing; the first gets its own accessories.
TEST_F(RealCalculation, TwoCalculationsAtOnceDoNotMixTheirJobs) {
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "MSERVER.EXE --delay=6000 --idle=60");
  std::string first = MakeJob("A111", 1);
  std::string second = MakeJob("B222", 2);
  std::string out1 = platform::NativePath(Scratch() + "\\out1.txt").string();
  std::string out2 = platform::NativePath(Scratch() + "\\out2.txt").string();
  BatchRun one({"LanciaCalcoloMW", first}, out1);
  std::this_thread::sleep_for(500ms);
  BatchRun two({"LanciaCalcoloMW", second}, out2);
  EXPECT_EQ(two.Finish(), 0);
  EXPECT_EQ(LastLine(out2), "0");
  EXPECT_NE(ReadAll(out2 + ".err").find("[Zelvo] \xC3\x88 gi\xC3\xA0 in corso un calcolo MaicoWin"), std::string::npos)
      << ReadAll(out2 + ".err");
  EXPECT_TRUE(test::FileExists(second)) << "the second job's parameters are kept";
  EXPECT_EQ(one.Finish(), 0);
  EXPECT_EQ(LastLine(out1), "1");
  JobItemList fit;
  fit.Load(Scratch() + "\\JOBS\\A111.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(fit.Size(), 2u) << "hinges and locking rod of the one position";
  for (std::size_t i = 0; i < fit.Size(); ++i) EXPECT_EQ(fit[i].JobCode.Get(), "A111");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\B222.FIT"));
}

// An interrupt while no question and no modal dialog is open (the results are being written)
// is held; the cycle runs to its end.
TEST_F(RealCalculation, AnInterruptOutsideADialogIsHeldUntilTheCycleEnds) {
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "MSERVER.EXE --delay=300 --idle=60");
  std::string job = MakeJob("A123", 150);
  std::string out = platform::NativePath(Scratch() + "\\out.txt").string();
  BatchRun run({"LanciaCalcoloMW", job}, out);
  ASSERT_TRUE(Eventually([&] { return Logged("\"template\":1003,\"event\":\"start\""); }, 20s)) << Log();
  run.Signal(SIGINT);
  EXPECT_EQ(run.Finish(), 0) << "an interrupt must not end the process half-way";
  EXPECT_EQ(LastLine(out), "1");
  EXPECT_TRUE(Logged("\"text\":\"Calcolo MaicoWin terminato.\"")) << Log();
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  EXPECT_TRUE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.BAK"));
  EXPECT_TRUE(Eventually([] { return !platform::CalcWindowExists("ZelvoMwCalc"); }, 3s)) << "the quit message";
}

// The shell's UTF-8 becomes the library's ANSI texts, and file names in the prefix are UTF-8
// again.
TEST_F(RealCalculation, NonAsciiPathsFromTheCommandLineKeepTheirLetters) {
  std::string out = platform::NativePath(Scratch() + "\\out.txt").string();
  std::string made = "C:\\zmwtest\\PER\xC3\x92.FIT";  // as the shell gives it: UTF-8
  {
    pid_t pid = ::fork();
    if (pid == 0) {
      if (!::freopen("/dev/null", "r", stdin)) ::_exit(126);
      ::execl(ZMW_COMMAND, ZMW_COMMAND, "job", "make", made.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_TRUE(test::FileExists("C:\\zmwtest\\PER\xD2.FIT")) << "the name the library means, in Windows-1252";
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(std::getenv("ZELVOMW_PREFIX")) / "drive_c" / "zmwtest" /
                                      "PER\xC3\x92.FIT", ec));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(std::getenv("ZELVOMW_PREFIX")) / "drive_c" / "zmwtest" /
                                       "PER\xC3\x83\xE2\x80\x99.FIT", ec));

  // And an export gets the same letters: the job named in the shell's UTF-8.
  MakeJob("CAS\xD2", 1);
  test::WriteFile(Scratch() + "\\ZELVO32.DSN",
                  "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) + "\r\n");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT",
                  std::string(114, ' ') + "   1" + std::string(25, ' ') + "301234       3\r\n");
  BatchRun run({"DebugLeggiMwExport", "CAS\xC3\x92"}, out);
  EXPECT_EQ(run.Finish(), 0);
  EXPECT_EQ(LastLine(out), "0");
  JobItemList fit;
  fit.Load(Scratch() + "\\JOBS\\CAS\xD2.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(fit.Size(), 1u) << ReadAll(out + ".err");
  EXPECT_EQ(fit[0].JobCode.Get(), "CAS\xD2");
}

}  // namespace
}  // namespace zmw
