// The calculation as a person at a terminal runs it: the real zelvomw command in a
// pseudo-terminal, the real stand-in MaicoWin, keys and Ctrl-C typed as a person types them.
// And the road under real conditions: two calculations at once, an interrupt in a batch run,
// a path that is not ASCII.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "Runs.h"
#include "platform/Files.h"
#include "platform/Programs.h"
#include "support/Database.h"

namespace zmw {
namespace {

using namespace std::chrono_literals;

bool CalcWindow() { return platform::CalcWindowExists("ZelvoMwCalc"); }
std::string LastLineOf(const std::string& file) { return test::LastLine(test::ReadHostFile(file)); }

class RealCalculation : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin(test::SimulatorProgram(), "MSERVER.EXE --no-answer --idle=60");
    test::JobsIn(Scratch());
    test::SetEnv("ZELVOMW_UI_LOG", Native("ui.log"));
  }
  void TearDown() override {
    if (running_ > 0) test::Finish(running_, true);  // what a failed step leaves running
    test::UnsetEnv("ZELVOMW_UI_LOG");
    if (CalcWindow()) platform::PostQuitToCalcWindow("ZelvoMwCalc");
    test::Eventually([] { return !CalcWindow(); }, 3s);
    test::HostDatabase::TearDown();
  }

  std::string Native(const std::string& name) const { return platform::NativePath(Scratch() + "\\" + name).string(); }
  std::string MakeJob(const std::string& name, int positions) {
    std::string path = Scratch() + "\\JOBS\\" + name + ".MW";
    EXPECT_TRUE(test::SaveWidthJob(path, name, positions));
    return path;
  }
  // MaicoWin's answer, as the stand-in with --no-answer leaves it to the test: one hinge for
  // position 1, written whole into place.
  static void Answer() {
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.NEW", test::ResultLine("301234"));
    ASSERT_TRUE(platform::ReplaceFileWith("C:\\MAICOWIN\\EXCH\\RESULT.NEW", "C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  }
  std::string Log() const { return test::ReadHostFile(Native("ui.log")); }
  // A batch run interrupted once the log shows the event: its exit code (the interrupt must
  // not end the process half-way).
  int InterruptedWhen(const std::string& job, const std::string& event, std::chrono::milliseconds pause) {
    pid_t pid = test::StartZelvomw({"LanciaCalcoloMW", job}, Native("out.txt"));
    bool seen = test::Eventually([&] { return Logged(event); }, 20s);
    EXPECT_TRUE(seen) << Log();
    std::this_thread::sleep_for(pause);
    ::kill(pid, SIGINT);
    return test::Finish(pid, !seen);
  }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
  pid_t running_ = 0;
};

// What a person does at the terminal: wait for a text on the screen, for MaicoWin's window,
// type keys, press Ctrl-C (the line discipline makes it an interrupt), let MaicoWin answer,
// pause, or look that the calculation still runs.
enum Act { kSees, kWindow, kTypes, kCtrlC, kAnswer, kPause, kStillCalculating };
struct Step {
  Act act;
  std::string text = "";
};

struct Session {
  const char* name;
  bool toFile;  // output sent to a file: the wait and the questions stay at the controlling terminal
  std::vector<Step> steps;
  const char* shown;  // the result as the terminal or the file shows it
  std::vector<const char*> logged;
};

class AtTheTerminal : public RealCalculation, public ::testing::WithParamInterface<Session> {};

TEST_P(AtTheTerminal, EachStepAndTheCycleEndsWhole) {
  const Session& s = GetParam();
  std::string job = MakeJob("A123", 1), screen;
  int master = -1;
  pid_t pid = running_ = test::StartZelvomwAtTerminal({"LanciaCalcoloMW", job}, 40, 120, master, {},
                                                       s.toFile ? Native("out.txt") : "");
  std::unique_ptr<int, int (*)(int*)> closing(&master, [](int* fd) { return ::close(*fd); });
  auto pump = [&](int ms) {
    pollfd p{master, POLLIN, 0};
    char buffer[4096];
    ssize_t n = ::poll(&p, 1, ms) > 0 ? ::read(master, buffer, sizeof buffer) : 0;
    if (n > 0) screen.append(buffer, std::size_t(n));
  };
  std::size_t seen = 0;
  for (const Step& step : s.steps) {
    SCOPED_TRACE(step.text);
    if (step.act == kSees) {
      ASSERT_TRUE(test::Eventually([&] {
        pump(20);
        std::size_t at = screen.find(step.text, seen);
        return at != std::string::npos && (seen = at + step.text.size());
      }, 10s)) << screen;
    }
    if (step.act == kWindow) { ASSERT_TRUE(test::Eventually(CalcWindow, 10s)); }
    if (step.act == kTypes || step.act == kCtrlC) {
      std::string keys = step.act == kCtrlC ? "\x03" : step.text;
      ASSERT_EQ(::write(master, keys.data(), keys.size()), ssize_t(keys.size()));
    }
    if (step.act == kAnswer) Answer();
    if (step.act == kPause) std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.text)));
    if (step.act == kStillCalculating) { EXPECT_TRUE(CalcWindow()) << "a No cancelled the calculation"; }
  }
  int end = -1;
  ASSERT_TRUE(test::Eventually([&] {
    pump(20);
    return ::waitpid(pid, &end, WNOHANG) == pid && !(running_ = 0);
  }, 20s)) << screen;
  pump(50);
  EXPECT_TRUE(WIFEXITED(end) && WEXITSTATUS(end) == 0) << screen;
  EXPECT_TRUE(s.toFile ? test::ReadHostFile(Native("out.txt")) == s.shown : screen.find(s.shown) != std::string::npos)
      << screen;
  std::string log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), std::count(log.begin(), log.end(), '}')) << "one event a line";
  for (const char* part : s.logged) EXPECT_NE(log.find(part), std::string::npos) << part << " in\n" << log;
  // The cycle saves the list, keeps MaicoWin's result aside and asks MaicoWin to end.
  EXPECT_TRUE(test::FileExists(Scratch() + "\\JOBS\\A123.FIT"));
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  EXPECT_NE(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK").find("301234"), std::string::npos);
  EXPECT_TRUE(test::Eventually([] { return !CalcWindow(); }, 3s)) << "the quit message";
}

const std::vector<Step> kCalculating{{kSees, "MaicoWin sta calcolando"}, {kWindow}};
std::vector<Step> Then(std::vector<Step> more) {
  more.insert(more.begin(), kCalculating.begin(), kCalculating.end());
  return more;
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, AtTheTerminal,
    ::testing::Values(
        // While "Sei sicuro" is open the wait's timer goes on: the answer that arrives meanwhile
        // ends the wait with OK, and the Yes that follows is still carried out.
        Session{"TheWaitGoesOnWhileTheQuestionIsOpen", true,
                Then({{kCtrlC}, {kSees, "[Attenzione] Sei sicuro"}, {kAnswer}, {kPause, "500"}, {kTypes, "s\n"},
                      {kSees, "ricalcolare la commessa."}, {kTypes, "\n"}, {kSees, "Calcolo MaicoWin terminato."},
                      {kTypes, "\n"}}),
                "1\n", {"{\"kind\":\"dialog\",\"template\":1002,\"event\":\"end\",\"result\":1}"}},
        // Answers are words or numbers; anything else is asked again; Ctrl-C at a question is
        // its No, and the terminal still answers the questions after it.
        Session{"AnswersAreReadAsAPersonMeansThem", false,
                Then({{kCtrlC}, {kSees, "Sei sicuro"}, {kTypes, "forse\n"}, {kSees, "Risposta non valida"},
                      {kTypes, "no\n"}, {kPause, "300"}, {kCtrlC}, {kSees, "Sei sicuro"}, {kPause, "100"}, {kCtrlC},
                      {kPause, "300"}, {kStillCalculating}, {kAnswer}, {kSees, "Calcolo MaicoWin terminato."},
                      {kTypes, "ok\n"}}),
                "\r\n1\r\n",
                {"\"text\":\"Sei sicuro\",\"style\":36,\"owner\":\"active\",\"answer\":7}",
                 "\"answer\":7,\"interrupt\":true}",
                 "\"text\":\"Calcolo MaicoWin terminato.\",\"style\":0,\"owner\":\"none\",\"answer\":1}"}},
        // Ctrl-C at the last message is its OK: the cycle still ends whole.
        Session{"CtrlCAtTheLastMessageLeavesNoHalfDoneCycle", false,
                Then({{kAnswer}, {kSees, "Calcolo MaicoWin terminato."}, {kCtrlC}}), "\r\n1\r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Two hosts calculate at once in one installation: the second waits a while, says so and
// touches nothing; the first gets its own accessories.
TEST_F(RealCalculation, TwoCalculationsAtOnceDoNotMixTheirJobs) {
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "MSERVER.EXE --delay=6000 --idle=60");
  std::string first = MakeJob("A111", 1), second = MakeJob("B222", 2);
  pid_t one = test::StartZelvomw({"LanciaCalcoloMW", first}, Native("out1.txt"));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(test::Finish(test::StartZelvomw({"LanciaCalcoloMW", second}, Native("out2.txt"))), 0);
  EXPECT_EQ(LastLineOf(Native("out2.txt")), "0");
  EXPECT_NE(test::ReadHostFile(Native("out2.txt.err")).find("[Zelvo] \xC3\x88 gi\xC3\xA0 in corso un calcolo MaicoWin"),
            std::string::npos) << test::ReadHostFile(Native("out2.txt.err"));
  EXPECT_TRUE(test::FileExists(second)) << "the second job's parameters are kept";
  EXPECT_EQ(test::Finish(one), 0);
  EXPECT_EQ(LastLineOf(Native("out1.txt")), "1");
  JobItemList fit = test::LoadList(Scratch() + "\\JOBS\\A111.FIT");
  ASSERT_EQ(fit.Size(), 2u) << "hinges and locking rod of the one position";
  for (const JobItemRecord& r : fit) EXPECT_EQ(r.JobCode.Get(), "A111");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\B222.FIT"));
}

// Ctrl-C in the wait dialog is a click on "Annulla", and the question's Yes cancels.
TEST_F(RealCalculation, CtrlCInTheBatchWaitIsACancelOfTheCalculation) {
  platform::ProfileWriteString("ZELVOMW.INI", "SYSTEM", "LAST_JOB", "A123");
  test::SetEnv("ZELVOMW_UI_ANSWERS", "6");
  EXPECT_EQ(InterruptedWhen(MakeJob("A123", 1), "\"template\":1002,\"event\":\"start\"", 300ms), 0);
  test::UnsetEnv("ZELVOMW_UI_ANSWERS");
  EXPECT_EQ(LastLineOf(Native("out.txt")), "1") << "MaicoWin was started by this call";
  EXPECT_TRUE(Logged("\"text\":\"Sei sicuro\"")) << Log();
  EXPECT_TRUE(Logged("\"text\":\"Sara` necessario ricalcolare la commessa.\"")) << Log();
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\A123.MW")) << "LAST_JOB's parameter file is deleted";
}

// An interrupt while no question and no modal dialog is open (the results are being written)
// is held; the cycle runs to its end.
TEST_F(RealCalculation, AnInterruptOutsideADialogIsHeldUntilTheCycleEnds) {
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", "MSERVER.EXE --delay=300 --idle=60");
  EXPECT_EQ(InterruptedWhen(MakeJob("A123", 150), "\"template\":1003,\"event\":\"start\"", 0ms), 0);
  EXPECT_EQ(LastLineOf(Native("out.txt")), "1");
  EXPECT_TRUE(Logged("\"text\":\"Calcolo MaicoWin terminato.\"")) << Log();
  EXPECT_TRUE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.BAK"));
}

// The shell's UTF-8 becomes the library's ANSI texts, and file names in the prefix are UTF-8
// again; an export named in the shell's UTF-8 gets the same letters.
TEST_F(RealCalculation, NonAsciiPathsFromTheCommandLineKeepTheirLetters) {
  ASSERT_EQ(test::RunZelvomw("job make 'C:\\zmwtest\\PER\xC3\x92.FIT' </dev/null").exitCode, 0);
  EXPECT_TRUE(test::FileExists("C:\\zmwtest\\PER\xD2.FIT")) << "the name the library means, in Windows-1252";
  std::filesystem::path drive = std::filesystem::path(std::getenv("ZELVOMW_PREFIX")) / "drive_c" / "zmwtest";
  EXPECT_TRUE(std::filesystem::exists(drive / "PER\xC3\x92.FIT"));
  EXPECT_FALSE(std::filesystem::exists(drive / "PER\xC3\x83\xE2\x80\x99.FIT"));

  MakeJob("CAS\xD2", 1);
  test::WriteFile(Scratch() + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) + "\r\n");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", test::ResultLine("301234"));
  EXPECT_EQ(test::Finish(test::StartZelvomw({"DebugLeggiMwExport", "CAS\xC3\x92"}, Native("out.txt"))), 0);
  EXPECT_EQ(LastLineOf(Native("out.txt")), "0");
  JobItemList fit = test::LoadList(Scratch() + "\\JOBS\\CAS\xD2.FIT");
  ASSERT_EQ(fit.Size(), 1u) << test::ReadHostFile(Native("out.txt.err"));
  EXPECT_EQ(fit[0].JobCode.Get(), "CAS\xD2");
}

}  // namespace
}  // namespace zmw
