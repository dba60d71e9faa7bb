// The archive update is run after every MaicoWin release, on the same data more often than
// not: a run on archives that are already up to date must leave every table as it was.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "StartZelvomw.h"
#include "support/Database.h"

namespace zmw {
namespace {

// Every row of every table, each table's rows sorted: a copy too many shows as a row twice.
using Tables = std::map<std::string, std::vector<std::string>>;

struct WrittenTable {
  const char* name;
  const char* rowsAfterAnUpdate;
};

// What the demo's update data makes of the seed: the articles of the FIT list and the ASC file
// beside the seed's own, MaicoWin's six finishes each linked once, its five new sheets.
const WrittenTable kWritten[] = {
    {"Accessori", "9\n"},         {"Finiture", "6\n"}, {"FinitureAccessori", "6\n"}, {"SchedeTecniche", "6\n"},
    {"Kit", "1\n"},               {"KitComponenti", "3\n"},
};

class RepeatedUpdate : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    test::InstallMaicoWin();
    test::InstallUpdateData(Scratch());
    err_ = (std::filesystem::temp_directory_path() / ("zmw-repeat-" + std::to_string(::getpid()) + ".err")).string();
  }
  void TearDown() override {
    std::filesystem::remove(err_);
    test::AnyHostDatabase::TearDown();
  }

  Tables Snapshot() {
    Tables tables;
    std::istringstream names(Rows(Which() == test::Backend::Sqlite
                                      ? "SELECT name FROM sqlite_master WHERE type = 'table'"
                                      : "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()"));
    for (std::string table; std::getline(names, table);) {
      std::istringstream rows(Rows("SELECT * FROM " + table));
      std::vector<std::string>& kept = tables[table];
      for (std::string row; std::getline(rows, row);) kept.push_back(row);
      std::sort(kept.begin(), kept.end());
    }
    return tables;
  }

  // One `zelvomw update --all`: what it printed, and the boxes it showed besides its closing one.
  void Update(const char* run) {
    test::CommandOutcome o = test::RunZelvomw("update --all", "", err_);
    EXPECT_EQ(o.exitCode, 0) << run;
    EXPECT_EQ(o.out, "eseguito: FitImport\neseguito: KitImport\neseguito: finiture\neseguito: schede tecniche\n"
                     "eseguito: accessori ASC\neseguito: prezzi netti\n")
        << run;
    EXPECT_EQ(test::ReadHostFile(err_), "[Aggiornamento archivi] Operazione completata.\n") << run;
  }

  std::string err_;
};

TEST_P(RepeatedUpdate, LeavesEveryTableAsTheFirstRunLeftIt) {
  Tables seed = Snapshot();
  Update("first run");
  Tables first = Snapshot();
  for (const WrittenTable& t : kWritten) {
    EXPECT_NE(first[t.name], seed[t.name]) << t.name << " untouched by the update";
    EXPECT_EQ(Rows(std::string("SELECT COUNT(*) FROM ") + t.name), t.rowsAfterAnUpdate) << t.name;
  }
  Update("second run");
  Update("third run");
  Tables third = Snapshot();
  ASSERT_EQ(first.size(), seed.size());
  for (const auto& [table, rows] : first) EXPECT_EQ(third[table], rows) << table;
}

ZMW_ON_EVERY_BACKEND(RepeatedUpdate);

}  // namespace
}  // namespace zmw
