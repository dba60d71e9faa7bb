// A run killed at any moment (SIGKILL: nothing of the program runs any more) never leaves part
// of a file where the host or Maico reads it: the job's accessory list and the order file are
// the old file or the new one, whole. What a killed run leaves beside them is overwritten or
// removed by the next run. With ZELVOMW_TEST_WINDOWS_COMMAND the runs are the product's own,
// zelvomw.exe and ZelvoMW.DLL under Wine's 32-bit side.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "calc/JobItem.h"
#include "db/Connection.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "StartZelvomw.h"
#include "support/Database.h"

namespace zmw {
namespace {

using Clock = std::chrono::steady_clock;

// zelvomw in batch, killed after the given time (or left to finish when it is negative);
// how long it ran.
std::chrono::milliseconds RunAndKill(const std::vector<std::string>& args, std::chrono::microseconds after) {
  auto start = Clock::now();
  pid_t pid = test::StartZelvomw(args);
  if (after.count() >= 0) {
    std::this_thread::sleep_for(after);
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

class KilledRuns : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin();
    test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nSerramenti\r\nA12345\r\n");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", Scratch().c_str());
    test::MakeFolders(Scratch() + "\\JOBS");
    // The SQLite driver runs on the Linux side under Wine too, and knows only POSIX paths.
    bool wine = !test::WindowsCommand().empty();
    std::string database = wine ? platform::NativePath(DatabaseFile()).string() : test::DriverPath(DatabaseFile());
    if (wine) platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", database.c_str());
    test::WriteFile(Scratch() + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + database + "\r\n");
    if (wine) {
      ASSERT_TRUE(test::PrepareWinePrefix()) << "Wine made no prefix";
    }
  }
  void TearDown() override {
    if (!test::WindowsCommand().empty()) test::EndWinePrefix();
    test::HostDatabase::TearDown();
  }
};

TEST_F(KilledRuns, TheJobsAccessoryListIsTheOldOrTheNewOneWhole) {
  JobItemList old;
  for (int i = 0; i < 3; ++i) {
    JobItemRecord r;
    r.JobCode.Set("K1");
    r.Maker.Set("ZELVO");
    r.Code.Set("VECCHIO" + std::to_string(i));
    old.Append(r);
  }
  ASSERT_TRUE(old.Save(Scratch() + "\\OLD.FIT"));
  const std::string oldBytes = test::ReadFile(Scratch() + "\\OLD.FIT");
  std::string result;
  // Under Wine, where qemu may run it, each lookup costs more: fewer lines, as many kills.
  const int lines = test::WindowsCommand().empty() ? 6000 : 1500;
  for (int i = 0; i < lines; ++i)
    result += std::string(114, ' ') + "   1" + std::string(25, ' ') + (i % 2 ? "301234" : "402010") + "       3\r\n";
  const std::size_t newSize = 2 + std::size_t(3 + lines) * JobItemRecord::kSize;
  auto prepare = [&] {
    test::WriteFile(Scratch() + "\\JOBS\\K1.FIT", oldBytes);
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", result);
  };

  prepare();
  auto whole = RunAndKill({"DebugLeggiMwExport", "K1"}, std::chrono::microseconds(-1));
  ASSERT_EQ(test::ReadFile(Scratch() + "\\JOBS\\K1.FIT").size(), newSize) << "a run left alone writes the new list";

  int sawOld = 0, sawNew = 0;
  for (int k = 0; k < 16; ++k) {
    prepare();
    RunAndKill({"DebugLeggiMwExport", "K1"}, std::chrono::microseconds(whole.count() * 1000 * k / 14));
    std::string now = test::ReadFile(Scratch() + "\\JOBS\\K1.FIT");
    if (now == oldBytes) {
      ++sawOld;
    } else {
      ASSERT_EQ(now.size(), newSize) << "killed after " << k << "/14 of a run: part of a list";
      JobItemList read;
      read.Load(Scratch() + "\\JOBS\\K1.FIT", CountRule::EmptyWhenNotPositive);
      ASSERT_EQ(read.Size(), std::size_t(3 + lines));
      EXPECT_EQ(read[0].Code.Get(), "VECCHIO0");
      ++sawNew;
    }
  }
  EXPECT_GT(sawOld, 0) << "no kill landed before the list was replaced";
  // What a killed run left beside the list is overwritten by the next one.
  prepare();
  RunAndKill({"DebugLeggiMwExport", "K1"}, std::chrono::microseconds(-1));
  EXPECT_EQ(test::ReadFile(Scratch() + "\\JOBS\\K1.FIT").size(), newSize);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\K1.FIT.~new"));
  RecordProperty("old", sawOld);
  RecordProperty("new", sawNew);
}

TEST_F(KilledRuns, TheOrderFileIsTheOldOrTheNewOneWhole) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  Run("INSERT INTO Ordini VALUES ('GRANDE', '2008-12-25', '2008-12-01')");
  Run("BEGIN");
  for (int i = 1; i <= 40000; ++i)
    Run("INSERT INTO RigheOrdine VALUES ('GRANDE', " + std::to_string(i) + ", 'A" + std::to_string(100000 + i) + "', 2)");
  Run("COMMIT");
  ASSERT_EQ(TheZelvoDb().Close(), 1);
  const std::string path = Scratch() + "\\KBA12345.TXT";
  const std::string oldBytes = "AKUN ALTRO ORDINE\r\n";
  test::WriteFile(path, oldBytes);
  auto whole = RunAndKill({"Ordine2Mw", "GRANDE", "Z", "W"}, std::chrono::microseconds(-1));
  const std::string newBytes = test::ReadFile(path);
  ASSERT_EQ(std::count(newBytes.begin(), newBytes.end(), '\n'), 40001) << "the header and every line";

  int sawOld = 0;
  for (int k = 0; k < 16; ++k) {
    test::WriteFile(path, oldBytes);
    RunAndKill({"Ordine2Mw", "GRANDE", "Z", "W"}, std::chrono::microseconds(whole.count() * 1000 * k / 14));
    std::string now = test::ReadFile(path);
    if (now == oldBytes) ++sawOld;
    else ASSERT_EQ(now, newBytes) << "killed after " << k << "/14 of a run: part of an order";
  }
  EXPECT_GT(sawOld, 0);
  test::WriteFile(path, oldBytes);
  RunAndKill({"Ordine2Mw", "GRANDE", "Z", "W"}, std::chrono::microseconds(-1));
  EXPECT_EQ(test::ReadFile(path), newBytes);
  EXPECT_FALSE(test::FileExists(path + ".~new")) << "the next run clears what a killed one left";
}

// The ASC import writes its temporary list (~MTEMP.FIT in the start folder) and hands it to the
// host's import library, which loads it in one transaction: a run killed anywhere leaves Maico's
// archive as it was or wholly updated, and the next run writes the list afresh and removes it.
TEST_F(KilledRuns, TheAscImportLeavesTheArchiveOldOrNewAndItsListIsRedoneNextTime) {
  const int articles = test::WindowsCommand().empty() ? 30000 : 10000;
  std::string asc;
  for (int i = 0; i < articles; ++i) {
    std::string line = std::to_string(700000 + i);
    line.resize(10, ' ');
    line += "Articolo di prova " + std::to_string(i);
    line.resize(75, ' ');
    line += "A1  1  PZ 1,25      \r\n";
    asc += line;
  }
  test::WriteFile(Scratch() + "\\ARTICOLI.ASC", asc);
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  const std::string before = Rows("SELECT COUNT(*) FROM Accessori");
  auto count = [&] { return Rows("SELECT COUNT(*) FROM Accessori WHERE Codice >= '700000' AND Codice < '800000'"); };
  ASSERT_EQ(count(), "0\n");
  // A whole run to time; then the archive back as it was.
  auto whole = RunAndKill({"update", "--accessories"}, std::chrono::microseconds(-1));
  ASSERT_EQ(count(), std::to_string(articles) + "\n");
  ASSERT_FALSE(test::FileExists(Scratch() + "\\~MTEMP.FIT"));

  int sawOld = 0, sawNew = 0;
  for (int k = 0; k < 14; ++k) {
    Apply("DELETE FROM Accessori WHERE Codice >= '700000' AND Codice < '800000'");
    RunAndKill({"update", "--accessories"}, std::chrono::microseconds(whole.count() * 1000 * k / 13));
    std::string now = count();
    if (now == "0\n") ++sawOld;
    else if (now == std::to_string(articles) + "\n") ++sawNew;
    else FAIL() << "killed after " << k << "/13 of a run: " << now << " of " << articles << " articles";
  }
  EXPECT_GT(sawOld, 0) << "no kill landed before the list was loaded";
  Apply("DELETE FROM Accessori WHERE Codice >= '700000' AND Codice < '800000'");
  RunAndKill({"update", "--accessories"}, std::chrono::microseconds(-1));
  EXPECT_EQ(count(), std::to_string(articles) + "\n");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\~MTEMP.FIT")) << "the next run leaves no list behind";
  EXPECT_EQ(std::stoi(Rows("SELECT COUNT(*) FROM Accessori")), std::stoi(before) + articles) << "and nothing else";
  RecordProperty("old", sawOld);
  RecordProperty("new", sawNew);
}

}  // namespace
}  // namespace zmw
