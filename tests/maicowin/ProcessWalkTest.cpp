#include <gtest/gtest.h>

#include <cstring>

#include "maicowin/MaicoWinConf.h"
#include "maicowin/ProcessWalk.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct NameCase {
  const char* fileName;
  int expected;
};

TEST(MaicoWinProcessName, MatchesTheLastComponentInUpperCase) {
  for (auto [fileName, expected] : {NameCase{"C:\\MAICOWIN\\BIN\\MSERVER.EXE", 2}, NameCase{"D:\\any\\where\\mserver.exe", 2},
                                    NameCase{"C:\\X\\MaicoWin.Exe", 2}, NameCase{"C:\\X\\MAICOWIN.EXE.OLD", 1},
                                    NameCase{"C:\\X\\MYMAICOWIN.EXE", 1}, NameCase{"MSERVER.EXE", 1}, NameCase{"", 1},
                                    NameCase{"C:/X/MSERVER.EXE", 1}, NameCase{"\\\\srv\\mw\\MSERVER.EXE", 2}})
    EXPECT_EQ(IsMaicoWinProcess(1, 0, fileName, 0), expected) << fileName;
}

// Finds what the walk reports for one process id.
struct Seen {
  std::uint32_t id;
  std::string name;
  int visits = 0;
};

int Remember(std::uint32_t id, std::uint16_t, const char* fileName, std::intptr_t value) {
  auto* seen = reinterpret_cast<Seen*>(value);
  ++seen->visits;
  if (id == seen->id) seen->name = fileName;
  return 1;
}

int StopAtOnce(std::uint32_t, std::uint16_t, const char*, std::intptr_t value) {
  ++*reinterpret_cast<int*>(value);
  return 0;
}

class RunningPrograms : public test::CleanMachine, public ::testing::WithParamInterface<NameCase> {};

TEST_P(RunningPrograms, AreSeenByTheirProgramFile) {
  std::string program = Scratch() + "\\" + GetParam().fileName;
  test::CopyProgram(test::SleeperProgram(), program);
  auto child = test::StartChild(program, "30");
  ASSERT_TRUE(child);
  Seen seen{child->Id(), "", 0};
  ProcessWalk(Remember, reinterpret_cast<std::intptr_t>(&seen));
  EXPECT_GT(seen.visits, 1);
  ASSERT_GE(seen.name.size(), program.size()) << "the walk did not see the child: " << seen.name;
  EXPECT_EQ(seen.name.substr(seen.name.size() - std::strlen(GetParam().fileName)), GetParam().fileName);
  EXPECT_EQ(IsMaicoWinProcess(seen.id, 0, seen.name.c_str(), 0), GetParam().expected) << seen.name;
  if (GetParam().expected == 2) {
    MaicoWinConf conf;  // sees it from its construction on
    EXPECT_EQ(conf.Running(), 1);
    EXPECT_EQ(conf.IsMaicoWinRunning(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RunningPrograms,
                         ::testing::Values(NameCase{"MSERVER.EXE", 2}, NameCase{"mserver.exe", 2},
                                           NameCase{"MAICOWIN.EXE.OLD", 1}, NameCase{"MYMAICOWIN.EXE", 1}));

TEST(ProcessWalkContract, ZeroStopsTheWalk) {
  int calls = 0;
  EXPECT_EQ(ProcessWalk(StopAtOnce, reinterpret_cast<std::intptr_t>(&calls)), 0);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace zmw
