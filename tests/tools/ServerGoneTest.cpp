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
#include <linux/close_range.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "Runs.h"
#include "db/ConnText.h"
#include "platform/Files.h"
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

// The shell command with its input from `in` and its output and error to `out` (/dev/null for
// -1). Only those three go on to it: a server that a script leaves running must not keep what
// the test was given, or a lock held on the descriptor of whoever ran the tests would be held
// for as long as the server lives. Detached, it runs in a session of its own and is no child of
// this process, so that whoever ends this process and its children leaves it be.
pid_t Spawn(const std::string& command, int in = -1, int out = -1, bool detached = false) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (detached && (::setsid() < 0 || ::fork() != 0)) ::_exit(0);
  int null = ::open("/dev/null", O_RDWR);
  ::dup2(in < 0 ? null : in, 0);
  ::dup2(out < 0 ? null : out, 1);
  ::dup2(out < 0 ? null : out, 2);
  ::close_range(3, ~0U, 0);
  ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
  ::_exit(127);
}

// Standard output and error of a shell command, and whether it ended with 0.
bool Capture(const std::string& command, std::string& out) {
  FILE* file = std::tmpfile();
  bool ok = test::Finish(Spawn(command, -1, ::fileno(file))) == 0;
  out.assign(std::size_t(::lseek(::fileno(file), 0, SEEK_END)), '\0');
  ok = ::pread(::fileno(file), out.data(), out.size(), 0) == ssize_t(out.size()) && ok;
  std::fclose(file);
  return ok;
}

// A port of 127.0.0.1 that nothing listens on now.
int FreePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
               ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0;
  ::close(s);
  return bound ? ntohs(a.sin_port) : 0;
}

// The state letter of /proc/<pid>/stat; none when the process is gone (a zombie that nobody
// has reaped yet is gone too).
char ProcessState(pid_t pid) {
  std::string text = test::ReadHostFile("/proc/" + std::to_string(pid) + "/stat");
  std::size_t paren = text.rfind(')');
  char state = paren == std::string::npos || paren + 2 >= text.size() ? '\0' : text[paren + 2];
  return state == 'Z' ? '\0' : state;
}
bool WaitUntil(const std::function<bool()>& condition) { return test::Eventually(condition, std::chrono::seconds(60)); }

// A MariaDB server of this test alone, through scripts/mariadb.sh.
class PrivateServer {
 public:
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
    // A guard outlives this process to end the server and remove its folder when the test ends
    // in any other way, a crash or a timeout's kill included: it waits for the end of a pipe
    // that only this process holds open.
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) == 0) {
      std::string d = Shell(dir_);
      test::Finish(Spawn("cat >/dev/null; pid=$(cat " + d + "/db/mysqld.pid 2>/dev/null) || pid=; if [ -n \"$pid\" ] && "
                         "tr '\\0' ' ' </proc/$pid/cmdline 2>/dev/null | grep -q -- --datadir=" + d + "/db/data; then "
                         "kill -9 \"$pid\"; sleep 1; fi; rm -rf " + d, pipe[0], -1, true));
      ::close(pipe[0]);
      guard_ = pipe[1];
    }
    return Script("start");
  }
  // The server again on the data it had when it was stopped; one that was frozen is killed first.
  bool Resume() {
    Unfreeze();
    return Script("resume");
  }
  void Unfreeze() {
    if (frozen_ <= 0) return;
    ::kill(frozen_, SIGKILL);
    WaitUntil([&] { return !ProcessState(frozen_); });
    frozen_ = 0;
  }
  // Waits until the server's process is gone, or, for SIGSTOP, frozen: alive, its connections
  // open, and answering nothing, as a server whose machine has vanished looks to its clients.
  bool Stop(int signal) {
    pid_t pid = std::atoi(test::ReadHostFile(dir_ + "/db/mysqld.pid").c_str());
    if (pid <= 0) return false;
    ::kill(pid, signal);
    running_ = false;
    if (signal == SIGSTOP) frozen_ = pid;
    return WaitUntil([&] { return ProcessState(pid) == (signal == SIGSTOP ? 'T' : '\0'); });
  }

  // The statements run as root by the mariadb client: one row a line, fields tab-separated.
  std::string Query(const std::string& statements) const {
    std::string out;
    Capture(Client() + " -N -B -e " + Shell(statements), out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  // The last field of the query's answer as a number.
  long Number(const std::string& query) const {
    std::string text = Query(query);
    return std::strtol(text.c_str() + text.find_last_of('\t') + 1, nullptr, 10);
  }
  // A client that runs the statements and stays connected while they run.
  pid_t StartClient(const std::string& statements) const { return Spawn("exec " + Client() + " -e " + Shell(statements)); }

  std::string text;  // the connection text, or what the script said when it failed
  std::string ErrorLog() const { return test::ReadHostFile(dir_ + "/db/error.log"); }

 private:
  std::string Client() const { return "mariadb --no-defaults -S " + dir_ + "/db/mysqld.sock -u root"; }
  bool Script(const char* action) {
    std::string out;
    bool ok = Capture("bash " + Shell(std::string(ZMW_SOURCE_DIR) + "/scripts/mariadb.sh") + " " + action + " " + dir_ +
                          "/db " + std::to_string(port_), out);
    text = test::LastLine(out);
    running_ = ok && text.rfind("Driver=", 0) == 0;
    if (!running_) text = out;
    return running_;
  }

  std::string dir_;
  int port_ = 0, guard_ = -1;
  bool running_ = false;
  pid_t frozen_ = 0;
};

// How long an operation may take before it counts as hung: a few seconds do on a server that
// works; the product's zelvomw.exe under Wine, where qemu may run it, gets three times as long.
std::chrono::seconds Deadline() { return std::chrono::seconds(test::WindowsCommand().empty() ? 40 : 120); }

struct Box {
  std::string caption, text;
};
// How one run of zelvomw in batch went.
struct Outcome {
  int end = -1;  // the exit code, or 1000 plus the signal that ended it
  // Still running at the deadline, and ended then; the server stopped while it ran; and it
  // still ran once the server was gone.
  bool hung = false, stopped = false, outlivedServer = false;
  std::string out, err;
  std::vector<Box> boxes;

  int Count(const std::string& operation) const {
    return int(std::count_if(boxes.begin(), boxes.end(),
                             [&](const Box& b) { return b.text.rfind("Function: " + operation + "\n", 0) == 0; }));
  }
  // The first boxes, for a failure message.
  std::string Shown() const {
    std::string text;
    for (std::size_t i = 0; i < boxes.size() && i < 8; ++i) text += "[" + boxes[i].caption + "] " + boxes[i].text + "\n";
    return text;
  }
};

class ServerGone;

// One operation, stopped in its middle by the server's end. Both runs end by themselves with
// the result line; the failed statements of the operations named show one box each in the
// library's box for database errors, with the caption given; the closing box, when there is
// one, comes last, and is all that the run on a working server shows.
struct Case {
  const char* name;
  int signal;
  std::vector<std::string> command;
  const char *result, *caption;
  std::vector<const char*> operations;
  const char* closing;
  std::function<void(ServerGone&)> arrange;
  std::function<bool(ServerGone&)> moment;                   // the server goes once it holds
  std::function<void(ServerGone&, const Outcome&)> broken;   // the data the broken run left
  std::function<void(ServerGone&, const Outcome&)> again;    // and the next run's
  const char* notUnderWine = nullptr;                        // why zelvomw.exe cannot run it
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ServerGone : public test::HostDatabase, public ::testing::WithParamInterface<Case> {
 public:
  void SetUp() override {
    if (std::system("command -v mariadbd mariadb-install-db mariadb >/dev/null 2>&1"))
      GTEST_SKIP() << "mariadbd is not installed";
    if (const char* named = std::getenv("ZELVOMW_TEST_MARIADB")) shared_ = named;
    ASSERT_TRUE(server.Start()) << server.text;
    // The host database of the test on this server, not on the one the other tests share.
    test::SetEnv("ZELVOMW_TEST_MARIADB", server.text);
    machine_ = true;
    test::HostDatabase::SetUp();
    if (!test::WindowsCommand().empty()) {
      if (GetParam().notUnderWine) GTEST_SKIP() << GetParam().notUnderWine;
      ASSERT_TRUE(test::PrepareWinePrefix()) << "Wine made no prefix";
    }
  }
  void TearDown() override {
    if (locker > 0) test::Finish(locker, true);
    server.Unfreeze();  // the database goes with the server's folder; a frozen one would keep the drop waiting
    if (!test::WindowsCommand().empty()) test::EndWinePrefix();
    if (machine_) test::HostDatabase::TearDown();
    if (shared_.empty()) test::UnsetEnv("ZELVOMW_TEST_MARIADB");
    else test::SetEnv("ZELVOMW_TEST_MARIADB", shared_);
  }
  test::Backend Which() const override { return test::Backend::MariaDb; }

  // The operation in zelvomw, the server stopped with the signal once the moment has come
  // (never, without one), the process ended if it passes the deadline.
  Outcome Operation(const std::vector<std::string>& args, const std::function<bool()>& moment, int signal) {
    static int runs = 0;
    std::string name = "run" + std::to_string(++runs), base = Native(Scratch()) + "/" + name;
    // The library opens its log itself: by Windows path under Wine.
    test::SetEnv("ZELVOMW_UI_LOG", test::WindowsCommand().empty() ? base + ".log" : Scratch() + "\\" + name + ".log");
    Outcome r;
    auto start = Clock::now();
    pid_t pid = test::StartZelvomw(args, base + ".out");
    test::UnsetEnv("ZELVOMW_UI_LOG");
    int status = 0;
    while (::waitpid(pid, &status, r.hung ? 0 : WNOHANG) != pid) {
      if ((r.hung = Clock::now() - start > Deadline())) ::kill(pid, SIGKILL);
      if (r.hung || r.stopped || !moment || !moment()) {
        std::this_thread::sleep_for(milliseconds(5));
      } else if (::waitpid(pid, &status, WNOHANG) != pid) {  // not ended before the server went
        EXPECT_TRUE(server.Stop(signal)) << "the server did not end";
        r.stopped = true;
        r.outlivedServer = ::waitpid(pid, &status, WNOHANG) != pid;
        if (!r.outlivedServer) break;
      } else break;
    }
    r.end = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    r.out = test::ReadHostFile(base + ".out");
    r.err = test::ReadHostFile(base + ".out.err");
    std::istringstream lines(test::ReadHostFile(base + ".log"));
    for (std::string line; std::getline(lines, line);) {
      auto entry = nlohmann::json::parse(line, nullptr, false);
      if (!entry.is_discarded() && entry.value("kind", "") == "message")
        r.boxes.push_back({entry.value("caption", ""), entry.value("text", "")});
    }
    return r;
  }

  long Count(const std::string& table, const std::string& where = "") {
    return server.Number("SELECT COUNT(*) FROM " + DatabaseName() + "." + table + (where.empty() ? "" : " WHERE " + where));
  }
  std::string Select(const std::string& query) { return server.Query("USE " + DatabaseName() + "; " + query); }
  void Sql(const std::string& statements) { ASSERT_EQ(Select(statements), "") << statements; }
  std::string Native(const std::string& windowsPath) const { return platform::NativePath(windowsPath).string(); }

  using test::HostDatabase::ConnectionText, test::HostDatabase::DatabaseName, test::HostDatabase::Scratch;

  PrivateServer server;
  // Kept by a case for its checks: what the server showed before it was stopped, the bytes
  // that were there before the run, a client of its own that holds a lock.
  long observed = 0;
  std::string oldBytes;
  pid_t locker = 0;

 private:
  std::string shared_;
  bool machine_ = false;
};

// The run ended by itself with the result; its boxes are the report the case expects.
void ExpectReport(const Case& c, const Outcome& r, bool broken) {
  EXPECT_FALSE(r.hung) << "still running at the deadline; its boxes:\n" << r.Shown();
  EXPECT_EQ(r.end, 0) << r.err.substr(0, 2000);
  EXPECT_EQ(test::LastLine(r.out), c.result);
  std::size_t failed = 0;
  for (const char* operation : c.operations)
    for (const Box& b : r.boxes) {
      std::string head = "Function: " + std::string(operation) + "\n";
      if (b.text.rfind(head, 0) != 0) continue;
      ++failed;
      EXPECT_EQ(b.caption, c.caption);
      EXPECT_EQ(b.text.rfind(head + "Error: 0x80004005\n", 0), 0u) << b.text;
      EXPECT_NE(b.text.find("(SQLSTATE "), std::string::npos) << b.text;
    }
  EXPECT_TRUE(broken ? failed > 0 || c.operations.empty() : failed == 0) << r.Shown();
  ASSERT_EQ(r.boxes.size(), failed + (c.closing ? 1 : 0)) << r.Shown();
  if (c.closing) { EXPECT_EQ(r.boxes.back().text, c.closing); }
}

TEST_P(ServerGone, TheOperationReportsEndsAndRunsAgainOnceTheServerIsBack) {
  const Case& c = GetParam();
  c.arrange(*this);
  if (HasFatalFailure()) return;
  Outcome first = Operation(c.command, [&] { return c.moment(*this); }, c.signal);
  ASSERT_TRUE(first.stopped) << "the operation ended before its middle";
  // A killed server is gone at once, and the operation must have gone on without it; one told
  // to stop ends its connections first and may take a while longer to end itself.
  if (c.signal == SIGKILL) { ASSERT_TRUE(first.outlivedServer) << "it ended while the server was being killed"; }
  ASSERT_TRUE(server.Resume()) << server.text << server.ErrorLog();
  ExpectReport(c, first, true);
  c.broken(*this, first);
  if (HasFatalFailure()) return;
  Outcome again = Operation(c.command, nullptr, 0);
  ExpectReport(c, again, false);
  c.again(*this, again);
}

// --- MaicoWin's result processed into the job's accessory list (DebugLeggiMwExport) ---------

// A job's list holds at most 32767 records: the old ones and the result twice must fit.
constexpr int kResultLines = 12000;
constexpr std::size_t kOld = 3;
const std::string kFit = "\\JOBS\\K1.FIT";

// How many accessories of the list from the one given on have their category from the archive,
// and whether those come first.
std::pair<std::size_t, bool> CompletedFrom(const JobItemList& list, std::size_t from) {
  std::size_t count = 0;
  bool gap = false, leading = true;
  for (std::size_t i = from; i < list.Size(); ++i) {
    bool done = list[i].Category.Get() == ((i - from) % 2 ? "FORBICI" : "CERNIERE");
    count += done;
    leading = leading && !(done && gap);
    gap = gap || !done;
  }
  return {count, leading};
}

const Case kResultProcessing{
    "ResultProcessing", SIGKILL, {"DebugLeggiMwExport", "K1"}, "0", "ZelvoMW", {"ControllaTipoAcc"},
    "Calcolo MaicoWin terminato.",
    [](ServerGone& t) {
      test::InstallMaicoWin();
      test::JobsIn(t.Scratch());
      platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", t.Scratch().c_str());
      // DebugLeggiMwExport reaches the database through the file DSN of Zelvo's start folder.
      std::string dsn = "[ODBC]\r\n";
      for (const ConnAttribute& a : ParseConnText(t.server.text)) dsn += a.key + "=" + a.value + "\r\n";
      test::WriteFile(t.Scratch() + "\\ZELVO32.DSN", dsn + "Database=" + t.DatabaseName() + "\r\n");
      ASSERT_TRUE(test::SaveOldList(t.Scratch() + kFit, kOld));
      for (int i = 0; i < kResultLines; ++i) t.oldBytes += test::ResultLine(i % 2 ? "301235" : "301234");
      test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", t.oldBytes);
      t.observed = t.server.Number("SHOW GLOBAL STATUS LIKE 'Questions'");
    },
    // A quarter of the result's lookups done.
    [](ServerGone& t) { return t.server.Number("SHOW GLOBAL STATUS LIKE 'Questions'") - t.observed > kResultLines / 4; },
    [](ServerGone& t, const Outcome& r) {
      // The list is written whole: the old accessories, then every line of the result, those
      // looked up before the server went completed from the archive, the others as MaicoWin
      // gave them; each of those is one box.
      JobItemList list = test::LoadList(t.Scratch() + kFit);
      ASSERT_EQ(list.Size(), kOld + kResultLines);
      EXPECT_EQ(list[kOld - 1].Code.Get(), "VECCHIO2");
      auto [done, leading] = CompletedFrom(list, kOld);
      EXPECT_GT(done, 0u) << "nothing was looked up before the server went";
      EXPECT_LT(done, std::size_t(kResultLines)) << "the server went after the last lookup";
      EXPECT_TRUE(leading);
      EXPECT_EQ(std::size_t(r.Count("ControllaTipoAcc")), kResultLines - done) << r.Shown();
      EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT"), t.oldBytes) << "the result stays for the next run";
      EXPECT_FALSE(test::FileExists(t.Scratch() + kFit + ".~new"));
    },
    [](ServerGone& t, const Outcome&) {
      // The result once more after the list that the broken run wrote, every line completed.
      JobItemList list = test::LoadList(t.Scratch() + kFit);
      ASSERT_EQ(list.Size(), kOld + 2 * kResultLines);
      EXPECT_EQ(CompletedFrom(list, kOld + kResultLines).first, std::size_t(kResultLines));
    }};

// --- The order for Maico (Ordine2Mw) -------------------------------------------------------

// As many lines as the order file numbers (five digits): its writing takes a while.
constexpr int kOrderLines = 90000;
const std::vector<std::string> kOrder{"Ordine2Mw", "GRANDE", "Z", "W"};

std::string OrderFile(ServerGone& t) { return t.Scratch() + "\\KBA12345.TXT"; }
long LineCount(const std::string& text) { return long(std::count(text.begin(), text.end(), '\n')); }

void ArrangeOrder(ServerGone& t) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nSerramenti\r\nA12345\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", t.Scratch().c_str());
  t.Sql("INSERT INTO Ordini VALUES ('GRANDE', '2008-12-25', '2008-12-01'); INSERT INTO RigheOrdine SELECT 'GRANDE', seq, "
        "CONCAT('A', 100000 + seq), 2 FROM seq_1_to_" + std::to_string(kOrderLines) + ";");
  test::WriteFile(OrderFile(t), t.oldBytes = "AKUN ALTRO ORDINE\r\n");
}

// The order file as a run on a working server writes it, from its start on, and nothing left
// beside it.
void ExpectWholeOrder(ServerGone& t, std::string start) {
  std::string bytes = test::ReadFile(OrderFile(t));
  EXPECT_FALSE(test::FileExists(OrderFile(t) + ".~new"));
  ASSERT_EQ(LineCount(bytes), kOrderLines + 1) << "the header and every line";
  EXPECT_EQ(bytes.rfind(start, 0), 0u);
  EXPECT_EQ(test::LastLine(bytes).rfind("APGRANDE         90000A190000", 0), 0u) << test::LastLine(bytes);
  t.oldBytes = bytes;
}

const Case kOrderWaitingForItsLines{
    "OrderWhileItsLinesAreQueried", SIGTERM, kOrder, "0", "Oltrex", {"ExportClsForFittings"}, nullptr,
    [](ServerGone& t) {
      ArrangeOrder(t);
      // Another user holds the order lines: the export's query for them waits on the server.
      t.locker = t.server.StartClient("LOCK TABLES " + t.DatabaseName() + ".RigheOrdine WRITE; SELECT SLEEP(600);");
      ASSERT_TRUE(test::Eventually([&] {
        return t.server.Number("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO LIKE 'SELECT SLEEP%'") == 1;
      }));
    },
    [](ServerGone& t) {
      return t.server.Number("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = 'zelvo' AND "
                             "INFO LIKE '%FROM RigheOrdine%' AND STATE LIKE 'Waiting%'") == 1;
    },
    [](ServerGone& t, const Outcome& r) {
      test::Finish(t.locker);  // its connection went with the server
      t.locker = 0;
      // The header was written before the lines were asked for: the order file holds it, whole,
      // and no longer the previous order.
      std::string bytes = test::ReadFile(OrderFile(t));
      EXPECT_EQ(LineCount(bytes), 1) << bytes.substr(0, 500);
      EXPECT_EQ(bytes.rfind("AKGRANDE", 0), 0u) << bytes.substr(0, 500);
      t.oldBytes = bytes;
      EXPECT_FALSE(test::FileExists(OrderFile(t) + ".~new"));
    },
    [](ServerGone& t, const Outcome&) { ExpectWholeOrder(t, t.oldBytes); }};

// The lines had all come from the server when their query ran: the order is written whole from
// them, and the end of the connection is no failure of the export.
const Case kOrderWhileWritten{
    "OrderWhileItsLinesAreWritten", SIGKILL, kOrder, "0", "Oltrex", {}, nullptr, ArrangeOrder,
    // The first lines on their way, beside the order file.
    [](ServerGone& t) {
      std::error_code missing;
      return fs::file_size(t.Native(OrderFile(t) + ".~new"), missing) > 64 * 1024 && !missing;
    },
    [](ServerGone& t, const Outcome&) { ExpectWholeOrder(t, "AKGRANDE"); },
    [](ServerGone& t, const Outcome&) { EXPECT_EQ(test::ReadFile(OrderFile(t)), t.oldBytes) << "the same order"; }};

// --- MaicoWin's finishes (the finishes scan of `zelvomw update --openings`) ------------------

constexpr int kFinishes = 400;

// The scan, the server stopped with the signal; the host database's connection text with the
// attributes given.
Case FinishesScan(const char* name, int signal, std::string attributes) {
  return Case{
      name, signal, {"update", "--openings"}, "eseguito: finiture", "ZelvoMW",
      {"CancellaFinitura", "CreaFinitura", "AggFinituraSuAcc", "SetAccettaTratt"}, "Operazione completata.",
      [attributes](ServerGone& t) {
        if (!attributes.empty())
          test::WriteFile(t.Scratch() + "\\ZelvoDbConn.ini",
                          "[ZELVOMYSQL]\r\nCONN_STRING=" + t.ConnectionText(t.DatabaseName()) + attributes + "\r\n");
        platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
        std::string lines;
        for (int i = 0; i < kFinishes; ++i) lines += "F" + std::to_string(100000 + i).substr(1) + "\r\n";
        test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", lines);
        t.Sql("UPDATE Accessori SET AccettaTratt = 0 WHERE Produttore = 'MAICOWIN' AND Codice = 'FINITURA'");
      },
      // A tenth of the finishes made, as another connection sees them.
      [](ServerGone& t) { return (t.observed = t.Count("Finiture")) >= kFinishes / 10; },
      [](ServerGone& t, const Outcome& r) {
        // What was committed before the server went is there after it comes back; each of the
        // other lines is one box for each of its statements, and the treatment one more. A
        // statement that the server had done as it went may have been reported all the same.
        long made = t.Count("Finiture"), linked = t.Count("FinitureAccessori");
        EXPECT_GE(made, t.observed);
        EXPECT_TRUE(linked == made || linked == made - 1) << linked << " links for " << made;
        for (auto [done, operation] : {std::pair{made, "CreaFinitura"}, std::pair{linked, "AggFinituraSuAcc"},
                                       std::pair{made + 1, "CancellaFinitura"}}) {
          EXPECT_GE(done + r.Count(operation), kFinishes) << operation << "\n" << r.Shown();
          EXPECT_LE(done + r.Count(operation), kFinishes + 1) << operation << "\n" << r.Shown();
        }
        EXPECT_EQ(r.Count("SetAccettaTratt"), 1);
        EXPECT_EQ(t.Select("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "0");
      },
      [](ServerGone& t, const Outcome&) {
        EXPECT_EQ(t.Select("SELECT COUNT(*), MIN(Codice), MAX(Codice) FROM Finiture"), "400\tF00000\tF00399");
        EXPECT_EQ(t.Count("FinitureAccessori"), kFinishes) << "the links the first run made are not made twice";
        EXPECT_EQ(t.Select("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "1");
      }};
}

// --- Maico's net prices from the Excel list (Test) ------------------------------------------

constexpr int kPriceRows = 1500;
const std::string kUpdated = "Codice LIKE 'X%' AND IdProduttore = 7";

std::string PriceCode(int row) { return "X" + std::to_string(100000 + row); }
double NetPrice(int row) { return 10 + row % 500 * 0.5; }
std::string Cents(int row) { return std::to_string(std::lround(NetPrice(row) * 100)); }

bool WritePriceList(const std::string& path) {
  lxw_workbook* book = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Listino");
  const char* heading[] = {"Codice", "Descrizione", "Finitura", "Listino", "Netto", "Unita"};
  for (int c = 0; c < 6; ++c) worksheet_write_string(sheet, 0, lxw_col_t(c), heading[c], nullptr);
  for (int i = 1; i <= kPriceRows; ++i) {
    worksheet_write_string(sheet, lxw_row_t(i), 0, PriceCode(i).c_str(), nullptr);
    worksheet_write_string(sheet, lxw_row_t(i), 1, ("Ferramenta Maico " + std::to_string(i)).c_str(), nullptr);
    worksheet_write_string(sheet, lxw_row_t(i), 2, "Argento", nullptr);
    worksheet_write_number(sheet, lxw_row_t(i), 3, NetPrice(i) * 2, nullptr);
    worksheet_write_number(sheet, lxw_row_t(i), 4, NetPrice(i), nullptr);
    worksheet_write_number(sheet, lxw_row_t(i), 5, 1, nullptr);
  }
  return workbook_close(book) == LXW_NO_ERROR;
}

const Case kExcelImport{
    "ExcelPriceImport", SIGTERM, {"Test"}, "1", "ZelvoMW", {"UpdateXlsArticoli"}, nullptr,
    [](ServerGone& t) {
      std::string list = t.Scratch() + "\\LISTINO.XLSX";
      ASSERT_TRUE(WritePriceList(t.Native(list)));
      platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", list.c_str());
      platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
                                   "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
      t.Sql("INSERT INTO Accessori (Produttore, Produttore2, Codice, Costo, CostoUnitario) SELECT 'MAICO', 'MAICO', "
            "CONCAT('X', 100000 + seq), 0, 0 FROM seq_1_to_" + std::to_string(kPriceRows) + ";");
    },
    // A tenth of the prices written, as another connection sees them.
    [](ServerGone& t) { return (t.observed = t.Count("Accessori", kUpdated)) >= kPriceRows / 10; },
    [](ServerGone& t, const Outcome& r) {
      // The first statement that fails ends the import; the rows written before stay, in the
      // list's order, with their prices.
      EXPECT_EQ(r.Count("UpdateXlsArticoli"), 1);
      int written = int(t.Count("Accessori", kUpdated));
      EXPECT_GE(written, t.observed);
      EXPECT_LT(written, kPriceRows);
      EXPECT_EQ(t.Count("Accessori", kUpdated + " AND Codice > '" + PriceCode(written) + "'"), 0);
      EXPECT_EQ(t.Select("SELECT ROUND(CostoUnitario * 100) FROM Accessori WHERE Codice = '" + PriceCode(written) + "'"),
                Cents(written));
    },
    [](ServerGone& t, const Outcome&) {
      EXPECT_EQ(t.Count("Accessori", kUpdated), kPriceRows);
      EXPECT_EQ(t.Select("SELECT Descrizione, ROUND(CostoUnitario * 100) FROM Accessori WHERE Codice = 'X101500'"),
                "Ferramenta Maico 1500\t" + Cents(kPriceRows));
    },
    "the DLL reads workbooks through Microsoft's Jet provider, which Wine does not have"};

// A server that answers nothing any more (its machine gone from the network) leaves the driver
// waiting for as long as the connection text lets it: with a read timeout there the scan
// reports and ends as it does for a server that is gone.
INSTANTIATE_TEST_SUITE_P(Operations, ServerGone,
                         ::testing::Values(kResultProcessing, kOrderWaitingForItsLines, kOrderWhileWritten,
                                           FinishesScan("FinishesScan", SIGKILL, ""),
                                           FinishesScan("FinishesScanOnAFrozenServer", SIGSTOP,
                                                        "READ_TIMEOUT=2;WRITE_TIMEOUT=2;"),
                                           kExcelImport),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zmw
