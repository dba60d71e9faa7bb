// A run killed at any moment (SIGKILL: nothing of the program runs any more) never leaves part
// of a file where the host or Maico reads it: the job's accessory list and the order file are
// the old file or the new one, whole. What a killed run leaves beside them is overwritten or
// removed by the next run. With ZELVOMW_TEST_WINDOWS_COMMAND the runs are the product's own,
// zelvomw.exe and ZelvoMW.DLL under Wine's 32-bit side.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "Runs.h"
#include "db/Connection.h"
#include "platform/Files.h"
#include "support/Database.h"

namespace zmw {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

class KilledRuns : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin();
    test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nSerramenti\r\nA12345\r\n");
    test::JobsIn(Scratch());
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", Scratch().c_str());
    // The SQLite driver runs on the Linux side under Wine too, and knows only POSIX paths.
    std::string database = wine_ ? platform::NativePath(DatabaseFile()).string() : test::DriverPath(DatabaseFile());
    if (wine_) platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", database.c_str());
    test::WriteFile(Scratch() + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + database + "\r\n");
    if (wine_) { ASSERT_TRUE(test::PrepareWinePrefix()) << "Wine made no prefix"; }
  }
  void TearDown() override {
    if (wine_) test::EndWinePrefix();
    test::HostDatabase::TearDown();
  }

  // The run left alone, then killed at `kills` moments k/over of the time it took, each time
  // after `prepare`, then left alone once more: `state` (of a killed run or not) must tell "old"
  // or "new" after each, at least one kill must land before the change, and a run left alone
  // gives "new".
  static void KillAlong(const std::vector<std::string>& args, int kills, int over, const std::function<void()>& prepare,
                        const std::function<std::string(bool)>& state) {
    microseconds whole{0};
    int sawOld = 0;
    for (int k = -1; k <= kills; ++k) {
      prepare();
      bool killed = k >= 0 && k < kills;
      auto start = Clock::now();
      pid_t pid = test::StartZelvomw(args);
      if (killed) std::this_thread::sleep_for(whole * k / over);
      test::Finish(pid, killed);
      if (k < 0) whole = std::chrono::duration_cast<microseconds>(Clock::now() - start);
      std::string now = state(killed);
      sawOld += now == "old";
      ASSERT_TRUE(killed ? now == "old" || now == "new" : now == "new")
          << (killed ? "killed after " + std::to_string(k) + "/" + std::to_string(over) : "left alone") << ": " << now;
    }
    EXPECT_GT(sawOld, 0) << "no kill landed before the change";
  }

  const bool wine_ = !test::WindowsCommand().empty();
};

TEST_F(KilledRuns, TheJobsAccessoryListIsTheOldOrTheNewOneWhole) {
  ASSERT_TRUE(test::SaveOldList(Scratch() + "\\OLD.FIT", 3));
  const std::string oldBytes = test::ReadFile(Scratch() + "\\OLD.FIT"), fit = Scratch() + "\\JOBS\\K1.FIT";
  // Under Wine, where qemu may run it, each lookup costs more: fewer lines, as many kills.
  const std::size_t lines = wine_ ? 1500 : 6000;
  std::string result;
  for (std::size_t i = 0; i < lines; ++i) result += test::ResultLine(i % 2 ? "301234" : "402010");
  KillAlong({"DebugLeggiMwExport", "K1"}, 16, 14,
            [&] {
              test::WriteFile(fit, oldBytes);
              test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", result);
            },
            [&](bool killed) -> std::string {
              std::string now = test::ReadFile(fit);
              if (now == oldBytes) return "old";
              JobItemList read = test::LoadList(fit);
              if (now.size() != 2 + (3 + lines) * JobItemRecord::kSize || read.Size() != 3 + lines)
                return "part of a list, " + std::to_string(now.size()) + " bytes";
              if (!killed && test::FileExists(fit + ".~new")) return "what a killed run left beside the list";
              return read[0].Code.Get() == "VECCHIO0" ? "new" : "a list without the old records";
            });
}

TEST_F(KilledRuns, TheOrderFileIsTheOldOrTheNewOneWhole) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  Run("INSERT INTO Ordini VALUES ('GRANDE', '2008-12-25', '2008-12-01')");
  Run("INSERT INTO RigheOrdine WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
      "SELECT 'GRANDE', i, 'A' || (100000 + i), 2 FROM n");
  ASSERT_EQ(TheZelvoDb().Close(), 1);
  const std::string path = Scratch() + "\\KBA12345.TXT", oldBytes = "AKUN ALTRO ORDINE\r\n";
  std::string newBytes;  // what the first run left alone writes, every run after it the same
  KillAlong({"Ordine2Mw", "GRANDE", "Z", "W"}, 16, 14, [&] { test::WriteFile(path, oldBytes); },
            [&](bool killed) -> std::string {
              std::string now = test::ReadFile(path);
              if (newBytes.empty() && std::count(now.begin(), now.end(), '\n') == 40001) newBytes = now;
              if (!killed && test::FileExists(path + ".~new")) return "what a killed run left beside the order";
              return now == oldBytes ? "old" : now == newBytes ? "new" : "part of an order: " + now.substr(0, 100);
            });
}

// The ASC import writes its temporary list (~MTEMP.FIT in the start folder) and hands it to the
// host's import library, which loads it in one transaction: a run killed anywhere leaves Maico's
// archive as it was or wholly updated, and the next run writes the list afresh and removes it.
TEST_F(KilledRuns, TheAscImportLeavesTheArchiveOldOrNewAndItsListIsRedoneNextTime) {
  const int articles = wine_ ? 10000 : 30000;
  std::string asc;
  char line[128];
  for (int i = 0; i < articles; ++i)
    asc.append(line, std::size_t(std::snprintf(line, sizeof line, "%-10dArticolo di prova %-47dA1  1  PZ 1,25      \r\n",
                                               700000 + i, i)));
  test::WriteFile(Scratch() + "\\ARTICOLI.ASC", asc);
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  const int before = std::stoi(Rows("SELECT COUNT(*) FROM Accessori"));
  const std::string range = "Codice >= '700000' AND Codice < '800000'";
  KillAlong({"update", "--accessories"}, 14, 13, [&] { Apply("DELETE FROM Accessori WHERE " + range); },
            [&](bool killed) -> std::string {
              std::string now = Rows("SELECT COUNT(*) FROM Accessori WHERE " + range);
              if (now == "0\n") return "old";
              if (now != std::to_string(articles) + "\n") return now + " of " + std::to_string(articles) + " articles";
              return !killed && test::FileExists(Scratch() + "\\~MTEMP.FIT") ? "its list left behind" : "new";
            });
  EXPECT_EQ(std::stoi(Rows("SELECT COUNT(*) FROM Accessori")), before + articles) << "and nothing else";
}

}  // namespace
}  // namespace zmw
