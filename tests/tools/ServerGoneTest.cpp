// The server database goes away in the middle of an operation: the MariaDB server is killed
// (SIGKILL, as a crash), told to stop (SIGTERM) or frozen (SIGSTOP, as a server whose machine
// has gone from the network) while the operation runs in a zelvomw process of its own. The
// operation reports the failure with the boxes it shows for any failed statement, ends on its
// own (no crash, no hang), loses nothing already written, and the same operation run again once
// the server is back gives the whole result.
//
// Each case has a server of its own, started in a temporary folder by scripts/mariadb.sh, so
// that it may be killed; without mariadbd on the machine the cases are skipped. The server is
// stopped when the operation is seen to be in the middle of its work, by what the server itself
// shows (statements counted, rows committed, a query waiting) or by the output file growing.
// With ZELVOMW_TEST_WINDOWS_COMMAND the operations are the product's own: zelvomw.exe and
// ZelvoMW.DLL under Wine's 32-bit side, through the i386 MariaDB driver.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/close_range.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "StartZelvomw.h"
#include "calc/JobItem.h"
#include "db/ConnText.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace fs = std::filesystem;

namespace zmw {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string Shell(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Only standard input, output and error go on to a program started here. The server that a
// script leaves running must not keep what the test was given: a lock held on the descriptor of
// whoever ran the tests would be held for as long as the server lives.
void KeepOnlyStandardFiles() { ::close_range(3, ~0U, 0); }

// Standard output and error of a shell command, and whether it ended with 0.
bool Capture(const std::string& command, std::string& out) {
  out.clear();
  int pipe[2];
  if (::pipe(pipe) != 0) return false;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipe[1], 1);
    ::dup2(pipe[1], 2);
    int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    KeepOnlyStandardFiles();
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe[1]);
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    out.append(buffer, std::size_t(n));
  }
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OnPath(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// A port of 127.0.0.1 that nothing listens on now.
int FreePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
    port = ntohs(a.sin_port);
  ::close(s);
  return port;
}

// The state letter of /proc/<pid>/stat; none when the process is gone.
char ProcessState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t paren = text.rfind(')');
  return paren == std::string::npos || paren + 2 >= text.size() ? '\0' : text[paren + 2];
}

// Whether the process is gone (a zombie that nobody has reaped yet is gone too).
bool ProcessGone(pid_t pid) {
  char state = ProcessState(pid);
  return state == '\0' || state == 'Z';
}

// A MariaDB server of this test alone, through scripts/mariadb.sh.
class PrivateServer {
 public:
  static bool Installed() { return OnPath("mariadbd") && OnPath("mariadb-install-db") && OnPath("mariadb"); }

  ~PrivateServer() {
    if (dir_.empty()) return;
    Unfreeze();
    if (running_) Stop(SIGTERM);
    std::error_code ec;
    fs::remove_all(dir_, ec);
    ::close(guard_);  // the guard finds nothing left to do
  }

  bool Start() {
    char pattern[] = "/tmp/zmw-server-XXXXXX";
    if (!::mkdtemp(pattern)) return false;
    dir_ = pattern;
    port_ = FreePort();
    Guard();
    return Script("start");
  }
  // The server again on the data it had when it was stopped; one that was frozen is killed
  // first.
  bool Resume() {
    Unfreeze();
    return Script("resume");
  }
  // A frozen server killed, so that nobody waits for it any more.
  void Unfreeze() {
    if (frozen_ <= 0) return;
    ::kill(frozen_, SIGKILL);
    WaitUntil([&] { return ProcessGone(frozen_); });
    frozen_ = 0;
  }

  // Sends the signal to the server's process and waits until the process is gone, or, for
  // SIGSTOP, until it is frozen: alive, its connections open, and answering nothing, as a
  // server whose machine has vanished from the network looks to its clients.
  bool Stop(int signal) {
    std::ifstream in(dir_ + "/db/mysqld.pid");
    pid_t pid = 0;
    if (!(in >> pid) || pid <= 0) return false;
    ::kill(pid, signal);
    running_ = false;
    if (signal == SIGSTOP) {
      frozen_ = pid;
      return WaitUntil([&] { return ProcessState(pid) == 'T'; });
    }
    return WaitUntil([&] { return ProcessGone(pid); });
  }

  // What the mariadb client prints for the statements, run as root through the server's
  // socket: one row a line, fields separated by tabs, no heading.
  std::string Query(const std::string& statements) const {
    std::string out;
    Capture("mariadb --no-defaults -S " + dir_ + "/db/mysqld.sock -u root -N -B -e " + Shell(statements), out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  long Number(const std::string& query) const {
    std::string text = Query(query);
    std::size_t tab = text.rfind('\t');
    try {
      return std::stol(tab == std::string::npos ? text : text.substr(tab + 1));
    } catch (...) {
      return -1;
    }
  }
  // A client that runs the statements as root and stays connected while they run.
  pid_t StartClient(const std::string& statements) const {
    pid_t pid = ::fork();
    if (pid == 0) {
      int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
      KeepOnlyStandardFiles();
      std::string socket = dir_ + "/db/mysqld.sock";
      ::execlp("mariadb", "mariadb", "--no-defaults", "-S", socket.c_str(), "-u", "root", "-e", statements.c_str(),
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return pid;
  }

  const std::string& Text() const { return text_; }
  bool Running() const { return running_; }
  std::string ErrorLog() const { return test::ReadHostFile(dir_ + "/db/error.log"); }

 private:
  static bool WaitUntil(const std::function<bool()>& condition) {
    auto until = Clock::now() + std::chrono::seconds(60);
    while (!condition() && Clock::now() < until) std::this_thread::sleep_for(milliseconds(10));
    return condition();
  }

  // A process that outlives this one to end the server and remove its folder when the test
  // ends in any other way, a crash or a timeout's kill included: it waits for the end of a pipe
  // that only this process holds open. It runs apart from this process, in a session of its
  // own and no child of it, so that whoever ends this process and its children leaves it be.
  void Guard() {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return;
    pid_t first = ::fork();
    if (first == 0) {
      ::setsid();
      if (::fork() != 0) ::_exit(0);
      ::dup2(pipe[0], 0);
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      KeepOnlyStandardFiles();
      const char* script =
          "cat >/dev/null; pid=$(cat \"$1/db/mysqld.pid\" 2>/dev/null) || pid=; "
          "if [ -n \"$pid\" ] && tr '\\0' ' ' </proc/$pid/cmdline 2>/dev/null | grep -q -- \"--datadir=$1/db/data\"; "
          "then kill -9 \"$pid\"; sleep 1; fi; "
          "rm -rf \"$1\"";
      ::execl("/bin/sh", "sh", "-c", script, "guard", dir_.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::waitpid(first, nullptr, 0);
    ::close(pipe[0]);
    guard_ = pipe[1];
  }

  bool Script(const char* action) {
    std::string out;
    bool ok = Capture("bash " + Shell(std::string(ZMW_SOURCE_DIR) + "/scripts/mariadb.sh") + " " + action + " " + dir_ +
                          "/db " + std::to_string(port_),
                      out);
    text_ = test::LastLine(out);
    running_ = ok && text_.rfind("Driver=", 0) == 0;
    if (!running_) text_ = out;
    return running_;
  }

  std::string dir_, text_;
  int port_ = 0;
  bool running_ = false;
  pid_t frozen_ = 0;
  int guard_ = -1;
};

struct Box {
  std::string caption, text;
};

// How long an operation may take before it counts as hung: every one of them ends within a few
// seconds on a server that works (natively; the product's zelvomw.exe under Wine, where qemu
// may run Wine's 32-bit side, gets three times as long).
std::chrono::seconds Deadline() { return std::chrono::seconds(test::WindowsCommand().empty() ? 40 : 120); }

// How one run of zelvomw in batch went.
struct Outcome {
  bool exited = false;  // on its own, with an exit code
  int exitCode = -1;
  int signal = 0;               // the signal that ended it, when one did
  bool hung = false;            // still running at the deadline, and ended then
  bool stopped = false;         // the server was stopped while it ran
  bool outlivedServer = false;  // and it still ran once the server was gone
  milliseconds took{0}, stoppedAt{0};
  std::string out, err;
  std::vector<Box> boxes;

  std::string Result() const { return test::LastLine(out); }
  int Count(const std::string& operation) const {
    return int(std::count_if(boxes.begin(), boxes.end(),
                             [&](const Box& b) { return b.text.rfind("Function: " + operation + "\n", 0) == 0; }));
  }
  // The boxes in order, one line each, for a failure message; long runs of one box shortened.
  std::string Shown() const {
    std::string text;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (i > 6 && i + 3 < boxes.size()) {
        if (i == 7) text += "  ... " + std::to_string(boxes.size() - 10) + " more\n";
        continue;
      }
      std::string line = "[" + boxes[i].caption + "] " + boxes[i].text;
      std::replace(line.begin(), line.end(), '\n', '|');
      text += "  " + line + "\n";
    }
    return text;
  }
};

// The whole of a run that must have ended by itself.
void ExpectEndedByItself(const Outcome& r, const char* result) {
  EXPECT_FALSE(r.hung) << "still running after " << Deadline().count() << " s; its boxes:\n" << r.Shown();
  EXPECT_EQ(r.signal, 0) << "ended by signal " << r.signal << "\n" << r.err.substr(0, 2000);
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(r.exitCode, 0) << r.err.substr(0, 2000);
  EXPECT_EQ(r.Result(), result);
}

// Every box of the operation's failure: its own name, the provider's failure code and the
// driver's own words (an SQLSTATE), in the library's box for database errors.
void ExpectDatabaseBoxes(const Outcome& r, const std::string& operation, const std::string& caption) {
  for (const Box& b : r.boxes) {
    if (b.text.rfind("Function: " + operation + "\n", 0) != 0) continue;
    EXPECT_EQ(b.caption, caption);
    EXPECT_EQ(b.text.rfind("Function: " + operation + "\nError: 0x80004005\n", 0), 0u) << b.text;
    EXPECT_NE(b.text.find("(SQLSTATE "), std::string::npos) << b.text;
  }
}

class ServerGone;

// One operation, stopped in its middle by the server's end: how it is set up, when the server
// goes, what the run that saw the server go showed and left (looked at once the server is back),
// and what the next run gives.
struct Case {
  const char* name;
  int signal;
  std::vector<std::string> command;
  std::function<void(ServerGone&)> arrange;
  std::function<bool(ServerGone&)> inTheMiddle;
  std::function<void(ServerGone&, const Outcome&)> broken;
  std::function<void(ServerGone&, const Outcome&)> again;
  // Why the product's zelvomw.exe cannot run it under Wine; null when it can.
  const char* notUnderWine = nullptr;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ServerGone : public test::HostDatabase, public ::testing::WithParamInterface<Case> {
 public:
  void SetUp() override {
    if (!PrivateServer::Installed()) GTEST_SKIP() << "mariadbd is not installed";
    if (const char* named = std::getenv("ZELVOMW_TEST_MARIADB")) sharedServer_ = named;
    ASSERT_TRUE(server.Start()) << server.Text();
    // The host database of the test on this server, not on the one the other tests share.
    test::SetEnv("ZELVOMW_TEST_MARIADB", server.Text());
    machine_ = true;
    test::HostDatabase::SetUp();
    if (!test::WindowsCommand().empty()) {
      if (GetParam().notUnderWine) GTEST_SKIP() << GetParam().notUnderWine;
      ASSERT_TRUE(test::PrepareWinePrefix()) << "Wine made no prefix";
    }
  }
  void TearDown() override {
    if (locker > 0) {
      ::kill(locker, SIGKILL);
      ::waitpid(locker, nullptr, 0);
    }
    // The database goes with the server's folder; a frozen server would only keep the drop
    // waiting.
    server.Unfreeze();
    if (!test::WindowsCommand().empty()) test::EndWinePrefix();
    if (machine_) test::HostDatabase::TearDown();
    if (sharedServer_.empty())
      test::UnsetEnv("ZELVOMW_TEST_MARIADB");
    else
      test::SetEnv("ZELVOMW_TEST_MARIADB", sharedServer_);
  }

  test::Backend Which() const override { return test::Backend::MariaDb; }

  // The operation in zelvomw, the server stopped with the signal once the condition holds
  // (never, without one), the process ended if it passes the deadline.
  Outcome Operation(const std::vector<std::string>& args, const std::function<bool()>& inTheMiddle, int signal) {
    static int runs = 0;
    std::string name = "run" + std::to_string(++runs);
    std::string base = platform::NativePath(Scratch()).string() + "/" + name;
    // The library opens its log itself: by Windows path under Wine.
    std::string log = base + ".log";
    test::SetEnv("ZELVOMW_UI_LOG", test::WindowsCommand().empty() ? log : Scratch() + "\\" + name + ".log");
    Outcome r;
    auto start = Clock::now();
    pid_t pid = test::StartZelvomw(args, base + ".out");
    test::UnsetEnv("ZELVOMW_UI_LOG");
    int status = 0;
    for (;;) {
      pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid) break;
      if (Clock::now() - start > Deadline()) {
        r.hung = true;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        break;
      }
      if (inTheMiddle && !r.stopped && inTheMiddle()) {
        // Still running when the server goes: the operation is in its middle.
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        r.stoppedAt = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        EXPECT_TRUE(server.Stop(signal)) << "the server did not end";
        r.stopped = true;
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        r.outlivedServer = true;
        continue;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
    r.took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    r.exited = WIFEXITED(status);
    r.exitCode = r.exited ? WEXITSTATUS(status) : -1;
    r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    r.out = test::ReadHostFile(base + ".out");
    r.err = test::ReadHostFile(base + ".out.err");
    std::istringstream lines(test::ReadHostFile(log));
    for (std::string line; std::getline(lines, line);) {
      auto entry = nlohmann::json::parse(line, nullptr, false);
      if (!entry.is_discarded() && entry.value("kind", "") == "message")
        r.boxes.push_back({entry.value("caption", ""), entry.value("text", "")});
    }
    return r;
  }

  long Count(const std::string& table, const std::string& where = "") {
    return server.Number("SELECT COUNT(*) FROM " + DatabaseName() + "." + table +
                         (where.empty() ? "" : " WHERE " + where));
  }
  // The rows of the test's database, as the mariadb client prints them.
  std::string Select(const std::string& query) { return server.Query("USE " + DatabaseName() + "; " + query); }
  void Sql(const std::string& statements) {
    std::string out = server.Query("USE " + DatabaseName() + "; " + statements);
    ASSERT_EQ(out, "") << statements;
  }

  std::string Native(const std::string& windowsPath) const { return platform::NativePath(windowsPath).string(); }
  std::uintmax_t SizeOf(const std::string& windowsPath) const {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(Native(windowsPath), ec);
    return ec ? 0 : size;
  }

  using test::HostDatabase::ConnectionText;
  using test::HostDatabase::DatabaseName;
  using test::HostDatabase::Scratch;

  PrivateServer server;
  // Kept by a case for its checks: what the server showed before it was stopped, the bytes
  // that were there before the run, a client of its own that holds a lock.
  long observed = 0;
  std::string oldBytes;
  pid_t locker = 0;

 private:
  std::string sharedServer_;
  bool machine_ = false;
};

TEST_P(ServerGone, TheOperationReportsEndsAndRunsAgainOnceTheServerIsBack) {
  const Case& c = GetParam();
  c.arrange(*this);
  if (HasFatalFailure()) return;

  auto inTheMiddle = [&] { return c.inTheMiddle(*this); };
  Outcome first = Operation(c.command, inTheMiddle, c.signal);
  ASSERT_TRUE(first.stopped) << "the operation ended (after " << first.took.count()
                             << " ms) before it was seen in the middle of its work";
  // A killed server is gone at once, and the operation must have gone on without it; one told
  // to stop ends its connections first and may take a while longer to end itself.
  if (c.signal == SIGKILL) {
    ASSERT_TRUE(first.outlivedServer) << "the operation ended (after " << first.took.count()
                                      << " ms) while the server was being killed";
  }
  ASSERT_FALSE(first.hung) << "still running " << Deadline().count() << " s after it started; its boxes:\n"
                           << first.Shown();
  ASSERT_EQ(first.signal, 0) << "ended by signal " << first.signal << "\n" << first.err.substr(0, 2000);

  ASSERT_TRUE(server.Resume()) << server.Text() << server.ErrorLog();
  c.broken(*this, first);
  if (HasFatalFailure()) return;
  Outcome again = Operation(c.command, nullptr, 0);
  c.again(*this, again);

  RecordProperty("stopped_ms", int(first.stoppedAt.count()));
  RecordProperty("first_run_ms", int(first.took.count()));
  RecordProperty("boxes", int(first.boxes.size()));
  if (!first.boxes.empty()) RecordProperty("first_box", first.boxes.front().text);
  if (first.boxes.size() > 1) RecordProperty("second_box", first.boxes[1].text);
  RecordProperty("second_run_ms", int(again.took.count()));
}

// --- MaicoWin's result processed into the job's accessory list (DebugLeggiMwExport) ---------

// A job's list holds at most 32767 records: the old ones and the result twice must fit.
constexpr int kResultLines = 12000;
constexpr std::size_t kOldRecords = 3;

std::size_t FitSize(std::size_t records) { return 2 + records * JobItemRecord::kSize; }

void ArrangeResult(ServerGone& t) {
  test::InstallMaicoWin();
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (t.Scratch() + "\\JOBS\\").c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", t.Scratch().c_str());
  test::MakeFolders(t.Scratch() + "\\JOBS");
  // DebugLeggiMwExport reaches the database through the file DSN of Zelvo's start folder.
  std::string dsn = "[ODBC]\r\n";
  for (const ConnAttribute& a : ParseConnText(t.server.Text())) dsn += a.key + "=" + a.value + "\r\n";
  test::WriteFile(t.Scratch() + "\\ZELVO32.DSN", dsn + "Database=" + t.DatabaseName() + "\r\n");
  JobItemList old;
  for (std::size_t i = 0; i < kOldRecords; ++i) {
    JobItemRecord r;
    r.JobCode.Set("K1");
    r.Maker.Set("ZELVO");
    r.Code.Set("VECCHIO" + std::to_string(i));
    old.Append(r);
  }
  ASSERT_TRUE(old.Save(t.Scratch() + "\\JOBS\\K1.FIT"));
  std::string result;
  for (int i = 0; i < kResultLines; ++i)
    result += std::string(114, ' ') + "   1" + std::string(25, ' ') + (i % 2 ? "301235" : "301234") + "       3\r\n";
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", result);
  t.oldBytes = result;
  t.observed = t.server.Number("SHOW GLOBAL STATUS LIKE 'Questions'");
}

// The accessories of the list from the one given on: how many have their category from the
// archive, and whether those come first.
struct Completed {
  std::size_t count = 0;
  bool leading = true;
};
Completed CompletedFrom(const JobItemList& list, std::size_t from) {
  Completed c;
  bool gap = false;
  for (std::size_t i = from; i < list.Size(); ++i) {
    std::string expected = (i - from) % 2 ? "FORBICI" : "CERNIERE";
    if (list[i].Category.Get() == expected) {
      ++c.count;
      if (gap) c.leading = false;
    } else {
      gap = true;
    }
  }
  return c;
}

const Case kResultProcessing{
    "ResultProcessing",
    SIGKILL,
    {"DebugLeggiMwExport", "K1"},
    ArrangeResult,
    // A quarter of the result's lookups done.
    [](ServerGone& t) {
      return t.server.Number("SHOW GLOBAL STATUS LIKE 'Questions'") - t.observed > kResultLines / 4;
    },
    [](ServerGone& t, const Outcome& r) {
      // The list is written whole: the old accessories, then every line of the result, those
      // looked up before the server went completed from the archive, the others as MaicoWin
      // gave them.
      std::string fit = t.Scratch() + "\\JOBS\\K1.FIT";
      ASSERT_EQ(t.SizeOf(fit), FitSize(kOldRecords + kResultLines));
      JobItemList list;
      list.Load(fit, CountRule::EmptyWhenNotPositive);
      ASSERT_EQ(list.Size(), kOldRecords + kResultLines);
      for (std::size_t i = 0; i < kOldRecords; ++i) EXPECT_EQ(list[i].Code.Get(), "VECCHIO" + std::to_string(i));
      EXPECT_EQ(list[kOldRecords + kResultLines - 1].Code.Get(), "301235");
      Completed done = CompletedFrom(list, kOldRecords);
      EXPECT_GT(done.count, 0u) << "nothing was looked up before the server went";
      EXPECT_LT(done.count, std::size_t(kResultLines)) << "the server went after the last lookup";
      EXPECT_TRUE(done.leading);
      // Each line looked up after that is one box, and the run ends as it always does.
      EXPECT_EQ(std::size_t(r.Count("ControllaTipoAcc")), kResultLines - done.count) << r.Shown();
      ExpectDatabaseBoxes(r, "ControllaTipoAcc", "ZelvoMW");
      ASSERT_FALSE(r.boxes.empty());
      EXPECT_EQ(r.boxes.back().text, "Calcolo MaicoWin terminato.");
      EXPECT_EQ(r.boxes.size(), kResultLines - done.count + 1) << r.Shown();
      EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), t.oldBytes) << "the result stays for the next run";
      EXPECT_FALSE(test::FileExists(fit + ".~new"));
    },
    [](ServerGone& t, const Outcome& r) {
      ExpectEndedByItself(r, "0");
      ASSERT_EQ(r.boxes.size(), 1u) << r.Shown();
      EXPECT_EQ(r.boxes[0].text, "Calcolo MaicoWin terminato.");
      // The result once more after the list that the broken run wrote, every line completed.
      std::string fit = t.Scratch() + "\\JOBS\\K1.FIT";
      ASSERT_EQ(t.SizeOf(fit), FitSize(kOldRecords + 2 * kResultLines));
      JobItemList list;
      list.Load(fit, CountRule::EmptyWhenNotPositive);
      ASSERT_EQ(list.Size(), kOldRecords + 2 * kResultLines);
      EXPECT_EQ(CompletedFrom(list, kOldRecords + kResultLines).count, std::size_t(kResultLines));
      EXPECT_EQ(list[0].Code.Get(), "VECCHIO0");
    }};

// --- The order for Maico (Ordine2Mw) -------------------------------------------------------

// As many lines as the order file numbers (five digits): its writing takes a while.
constexpr int kOrderLines = 90000;

std::string OrderFile(ServerGone& t) { return t.Scratch() + "\\KBA12345.TXT"; }

long LineCount(const std::string& text) { return long(std::count(text.begin(), text.end(), '\n')); }

void ArrangeOrder(ServerGone& t) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nSerramenti\r\nA12345\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", t.Scratch().c_str());
  t.Sql(
      "INSERT INTO Ordini VALUES ('GRANDE', '2008-12-25', '2008-12-01');"
      "INSERT INTO RigheOrdine SELECT 'GRANDE', seq, CONCAT('A', 100000 + seq), 2 FROM seq_1_to_" +
      std::to_string(kOrderLines) + ";");
  ASSERT_EQ(t.Count("RigheOrdine", "IdOrdine = 'GRANDE'"), kOrderLines);
  t.oldBytes = "AKUN ALTRO ORDINE\r\n";
  test::WriteFile(OrderFile(t), t.oldBytes);
}

// The order as a run on a working server writes it.
void ExpectWholeOrder(const std::string& bytes) {
  ASSERT_EQ(LineCount(bytes), kOrderLines + 1) << "the header and every line";
  EXPECT_EQ(bytes.rfind("AKGRANDE", 0), 0u);
  std::string last = test::LastLine(bytes);
  EXPECT_EQ(
      last.rfind("APGRANDE         " + std::to_string(kOrderLines) + "A" + std::to_string(100000 + kOrderLines), 0), 0u)
      << last;
}

const Case kOrderWaitingForItsLines{
    "OrderWhileItsLinesAreQueried",
    SIGTERM,
    {"Ordine2Mw", "GRANDE", "Z", "W"},
    [](ServerGone& t) {
      ArrangeOrder(t);
      // Another user holds the order lines: the export's query for them waits on the server.
      t.locker = t.server.StartClient("LOCK TABLES " + t.DatabaseName() + ".RigheOrdine WRITE; SELECT SLEEP(600);");
      ASSERT_TRUE(test::Eventually([&] {
        return t.server.Number("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO LIKE 'SELECT SLEEP%'") ==
               1;
      }));
    },
    [](ServerGone& t) {
      return t.server.Number(
                 "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = 'zelvo' AND "
                 "INFO LIKE '%FROM RigheOrdine%' AND STATE LIKE 'Waiting%'") == 1;
    },
    [](ServerGone& t, const Outcome& r) {
      ::waitpid(t.locker, nullptr, 0);  // its connection went with the server
      t.locker = 0;
      ExpectEndedByItself(r, "0");
      ASSERT_EQ(r.boxes.size(), 1u) << r.Shown();
      EXPECT_EQ(r.Count("ExportClsForFittings"), 1);
      ExpectDatabaseBoxes(r, "ExportClsForFittings", "Oltrex");
      // The header was written before the lines were asked for: the order file holds it, whole,
      // and no longer the previous order.
      std::string bytes = test::ReadFile(OrderFile(t));
      EXPECT_EQ(LineCount(bytes), 1) << bytes.substr(0, 500);
      EXPECT_EQ(bytes.rfind("AKGRANDE", 0), 0u) << bytes.substr(0, 500);
      t.oldBytes = bytes;
      EXPECT_FALSE(test::FileExists(OrderFile(t) + ".~new"));
    },
    [](ServerGone& t, const Outcome& r) {
      ExpectEndedByItself(r, "0");
      EXPECT_TRUE(r.boxes.empty()) << r.Shown();
      std::string bytes = test::ReadFile(OrderFile(t));
      ExpectWholeOrder(bytes);
      EXPECT_EQ(bytes.rfind(t.oldBytes, 0), 0u) << "the same header";
      EXPECT_FALSE(test::FileExists(OrderFile(t) + ".~new"));
    }};

const Case kOrderWhileWritten{
    "OrderWhileItsLinesAreWritten",
    SIGKILL,
    {"Ordine2Mw", "GRANDE", "Z", "W"},
    ArrangeOrder,
    // The first lines on their way, beside the order file.
    [](ServerGone& t) { return t.SizeOf(OrderFile(t) + ".~new") > 64 * 1024; },
    [](ServerGone& t, const Outcome& r) {
      ExpectEndedByItself(r, "0");
      // The lines had all come from the server when their query ran: the order is written
      // whole from them, and the end of the connection is no failure of the export.
      EXPECT_TRUE(r.boxes.empty()) << r.Shown();
      std::string bytes = test::ReadFile(OrderFile(t));
      ExpectWholeOrder(bytes);
      t.oldBytes = bytes;
      EXPECT_FALSE(test::FileExists(OrderFile(t) + ".~new"));
    },
    [](ServerGone& t, const Outcome& r) {
      ExpectEndedByItself(r, "0");
      EXPECT_TRUE(r.boxes.empty()) << r.Shown();
      EXPECT_EQ(test::ReadFile(OrderFile(t)), t.oldBytes) << "the same order";
    }};

// --- MaicoWin's finishes (the finishes scan of `zelvomw update --openings`) ------------------

constexpr int kFinishes = 400;

// The scan, the server stopped with the signal; the connection text of the host database with
// the attributes given.
Case FinishesScan(const char* name, int signal, std::string attributes) {
  return Case{
      name,
      signal,
      {"update", "--openings"},
      [attributes](ServerGone& t) {
        if (!attributes.empty())
          test::WriteFile(t.Scratch() + "\\ZelvoDbConn.ini",
                          "[ZELVOMYSQL]\r\nCONN_STRING=" + t.ConnectionText(t.DatabaseName()) + attributes + "\r\n");
        platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
        std::string lines;
        char code[16];
        for (int i = 0; i < kFinishes; ++i) {
          std::snprintf(code, sizeof code, "F%05d", i);
          lines += std::string(code) + "\r\n";
        }
        test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", lines);
        t.Sql("UPDATE Accessori SET AccettaTratt = 0 WHERE Produttore = 'MAICOWIN' AND Codice = 'FINITURA'");
      },
      // A tenth of the finishes made, as another connection sees them.
      [](ServerGone& t) {
        long made = t.Count("Finiture");
        if (made > 0) t.observed = made;
        return made >= kFinishes / 10;
      },
      [](ServerGone& t, const Outcome& r) {
        ExpectEndedByItself(r, "eseguito: finiture");
        // What was committed before the server went is there after it comes back; each of the
        // other lines is one box for each of its statements, and the treatment one more.
        long made = t.Count("Finiture"), linked = t.Count("FinitureAccessori");
        EXPECT_GE(made, t.observed);
        EXPECT_LT(made, kFinishes);
        EXPECT_TRUE(linked == made || linked == made - 1) << linked << " links for " << made;
        // A statement that the server had done as it went may have been reported all the same.
        EXPECT_GE(made + r.Count("CreaFinitura"), kFinishes) << r.Shown();
        EXPECT_LE(made + r.Count("CreaFinitura"), kFinishes + 1) << r.Shown();
        EXPECT_GE(linked + r.Count("AggFinituraSuAcc"), kFinishes);
        EXPECT_LE(linked + r.Count("AggFinituraSuAcc"), kFinishes + 1);
        EXPECT_GE(r.Count("CancellaFinitura"), kFinishes - made - 1);
        EXPECT_LE(r.Count("CancellaFinitura"), kFinishes - made);
        EXPECT_EQ(r.Count("SetAccettaTratt"), 1);
        for (const char* operation : {"CancellaFinitura", "CreaFinitura", "AggFinituraSuAcc", "SetAccettaTratt"})
          ExpectDatabaseBoxes(r, operation, "ZelvoMW");
        EXPECT_EQ(std::size_t(r.Count("CancellaFinitura") + r.Count("CreaFinitura") + r.Count("AggFinituraSuAcc") +
                              r.Count("SetAccettaTratt") + 1),
                  r.boxes.size())
            << r.Shown();
        EXPECT_EQ(r.boxes.back().text, "Operazione completata.");
        EXPECT_EQ(t.Select("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "0");
      },
      [](ServerGone& t, const Outcome& r) {
        ExpectEndedByItself(r, "eseguito: finiture");
        ASSERT_EQ(r.boxes.size(), 1u) << r.Shown();
        EXPECT_EQ(r.boxes[0].text, "Operazione completata.");
        EXPECT_EQ(t.Count("Finiture"), kFinishes);
        EXPECT_EQ(t.Select("SELECT MIN(Codice), MAX(Codice) FROM Finiture"), "F00000\tF00399");
        // The links the first run made are kept, not made twice.
        EXPECT_EQ(t.Count("FinitureAccessori"), kFinishes);
        EXPECT_EQ(t.Select("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "1");
      }};
}

const Case kFinishesScan = FinishesScan("FinishesScan", SIGKILL, "");
// A server that answers nothing any more (its machine gone from the network) leaves the driver
// waiting for an answer for as long as the connection text lets it: with a read timeout there
// the scan reports and ends as it does for a server that is gone.
const Case kFinishesScanFrozenServer =
    FinishesScan("FinishesScanOnAFrozenServer", SIGSTOP, "READ_TIMEOUT=2;WRITE_TIMEOUT=2;");

// --- Maico's net prices from the Excel list (Test) ------------------------------------------

constexpr int kPriceRows = 1500;

std::string PriceCode(int row) { return "X" + std::to_string(100000 + row); }
double NetPrice(int row) { return 10 + row % 500 * 0.5; }

bool WritePriceList(const std::string& path) {
  lxw_workbook* book = workbook_new(path.c_str());
  if (!book) return false;
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Listino");
  const char* heading[] = {"Codice", "Descrizione", "Finitura", "Listino", "Netto", "Unita"};
  for (int c = 0; c < 6; ++c) worksheet_write_string(sheet, 0, lxw_col_t(c), heading[c], nullptr);
  for (int i = 1; i <= kPriceRows; ++i) {
    lxw_row_t r = lxw_row_t(i);
    worksheet_write_string(sheet, r, 0, PriceCode(i).c_str(), nullptr);
    worksheet_write_string(sheet, r, 1, ("Ferramenta Maico " + std::to_string(i)).c_str(), nullptr);
    worksheet_write_string(sheet, r, 2, "Argento", nullptr);
    worksheet_write_number(sheet, r, 3, NetPrice(i) * 2, nullptr);
    worksheet_write_number(sheet, r, 4, NetPrice(i), nullptr);
    worksheet_write_number(sheet, r, 5, 1, nullptr);
  }
  return workbook_close(book) == LXW_NO_ERROR;
}

const std::string kUpdated = "Codice LIKE 'X%' AND IdProduttore = 7";

const Case kExcelImport{
    "ExcelPriceImport",
    SIGTERM,
    {"Test"},
    [](ServerGone& t) {
      std::string list = t.Scratch() + "\\LISTINO.XLSX";
      ASSERT_TRUE(WritePriceList(t.Native(list)));
      platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", list.c_str());
      platform::ProfileWriteString(
          "ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
          "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
      t.Sql(
          "INSERT INTO Accessori (Produttore, Produttore2, Codice, Costo, CostoUnitario) "
          "SELECT 'MAICO', 'MAICO', CONCAT('X', 100000 + seq), 0, 0 FROM seq_1_to_" +
          std::to_string(kPriceRows) + ";");
    },
    // A tenth of the prices written, as another connection sees them.
    [](ServerGone& t) {
      long written = t.Count("Accessori", kUpdated);
      if (written > 0) t.observed = written;
      return written >= kPriceRows / 10;
    },
    [](ServerGone& t, const Outcome& r) {
      ExpectEndedByItself(r, "1");
      // The first statement that fails ends the import, in its one box.
      ASSERT_EQ(r.boxes.size(), 1u) << r.Shown();
      EXPECT_EQ(r.Count("UpdateXlsArticoli"), 1);
      ExpectDatabaseBoxes(r, "UpdateXlsArticoli", "ZelvoMW");
      // The rows written before stay, in the list's order, with their prices.
      long written = t.Count("Accessori", kUpdated);
      EXPECT_GE(written, t.observed);
      EXPECT_LT(written, kPriceRows);
      EXPECT_EQ(t.Count("Accessori", kUpdated + " AND Codice > '" + PriceCode(int(written)) + "'"), 0);
      EXPECT_EQ(
          t.Select("SELECT ROUND(CostoUnitario * 100) FROM Accessori WHERE Codice = '" + PriceCode(int(written)) + "'"),
          std::to_string(std::lround(NetPrice(int(written)) * 100)));
    },
    [](ServerGone& t, const Outcome& r) {
      ExpectEndedByItself(r, "1");
      EXPECT_TRUE(r.boxes.empty()) << r.Shown();
      EXPECT_EQ(t.Count("Accessori", kUpdated), kPriceRows);
      EXPECT_EQ(t.Select("SELECT Descrizione, ROUND(CostoUnitario * 100) FROM Accessori WHERE Codice = '" +
                         PriceCode(kPriceRows) + "'"),
                "Ferramenta Maico " + std::to_string(kPriceRows) + "\t" +
                    std::to_string(std::lround(NetPrice(kPriceRows) * 100)));
    },
    "the DLL reads workbooks through Microsoft's Jet provider, which Wine does not have"};

INSTANTIATE_TEST_SUITE_P(Operations, ServerGone,
                         ::testing::Values(kResultProcessing, kOrderWaitingForItsLines, kOrderWhileWritten,
                                           kFinishesScan, kFinishesScanFrozenServer, kExcelImport),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zmw
