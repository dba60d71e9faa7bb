// The archive update is run after every MaicoWin release, on the same data more often than
// not: a run on archives that are already up to date must leave every table as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

#include "Runs.h"
#include "support/Database.h"

namespace zmw {
namespace {

class RepeatedUpdate : public test::AnyHostDatabase {
 protected:
  // Every row of every table, each table's rows sorted: a copy too many shows as a row twice.
  std::map<std::string, std::vector<std::string>> Snapshot() {
    std::map<std::string, std::vector<std::string>> tables;
    std::istringstream names(Rows(Which() == test::Backend::Sqlite
                                      ? "SELECT name FROM sqlite_master WHERE type = 'table'"
                                      : "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()"));
    for (std::string table; std::getline(names, table);) {
      std::istringstream rows(Rows("SELECT * FROM " + table));
      for (std::string row; std::getline(rows, row);) tables[table].push_back(row);
      std::sort(tables[table].begin(), tables[table].end());
    }
    return tables;
  }
  // One `zelvomw update --all`: what it printed, and that it showed its closing box alone.
  void Update(const char* run) {
    std::string err = ::testing::TempDir() + "zmw-repeat-" + std::to_string(::getpid()) + ".err";
    test::CommandOutcome o = test::RunZelvomw("update --all", "", err);
    EXPECT_EQ(o.exitCode, 0) << run;
    EXPECT_EQ(o.out, "eseguito: FitImport\neseguito: KitImport\neseguito: finiture\neseguito: schede tecniche\n"
                     "eseguito: accessori ASC\neseguito: prezzi netti\n") << run;
    EXPECT_EQ(test::ReadHostFile(err), "[Aggiornamento archivi] Operazione completata.\n") << run;
    std::remove(err.c_str());
  }
};

TEST_P(RepeatedUpdate, LeavesEveryTableAsTheFirstRunLeftIt) {
  test::InstallMaicoWin();
  test::InstallUpdateData(Scratch());
  auto seed = Snapshot();
  Update("first run");
  auto first = Snapshot();
  // What the demo's update data makes of the seed: the articles of the FIT list and the ASC
  // file beside the seed's own, MaicoWin's six finishes each linked once, its five new sheets.
  for (auto [table, rows] : {std::pair{"Accessori", "9\n"}, {"Finiture", "6\n"}, {"FinitureAccessori", "6\n"},
                             {"SchedeTecniche", "6\n"}, {"Kit", "1\n"}, {"KitComponenti", "3\n"}}) {
    EXPECT_NE(first[table], seed[table]) << table << " untouched by the update";
    EXPECT_EQ(Rows(std::string("SELECT COUNT(*) FROM ") + table), rows) << table;
  }
  Update("second run");
  Update("third run");
  auto third = Snapshot();
  ASSERT_EQ(first.size(), seed.size());
  for (const auto& [table, rows] : first) EXPECT_EQ(third[table], rows) << table;
}

ZMW_ON_EVERY_BACKEND(RepeatedUpdate);

}  // namespace
}  // namespace zmw
