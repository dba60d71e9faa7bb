#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Ini.h"
#include "module/Module.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"
#include "zelvomw.h"

namespace zmw {
namespace {

class Exports : public test::CleanMachine {
 protected:
  void Install(const std::string& folder) { test::WriteFile(folder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n"); }
};

TEST_F(Exports, CheckWithAKnownFolderNeedsNoDialogEvenIfTheFolderIsGone) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\NOT-THERE\\");
  std::string before = test::ReadFile(ZelvoMwIniPath());
  EXPECT_EQ(ControllaInstallazioneMW(), 1);
  EXPECT_TRUE(ui.browseTitles.empty());
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), before);
}

TEST_F(Exports, CheckFindsTheDefaultInstallationAndWritesNothing) {
  Install("C:\\MAICOWIN");
  EXPECT_EQ(ControllaInstallazioneMW(), 1);
  EXPECT_TRUE(ui.browseTitles.empty());
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath()));
}

TEST_F(Exports, CheckAsksAndGivesZeroWhenTheUserGivesUp) {
  EXPECT_EQ(ControllaInstallazioneMW(), 0);
  EXPECT_EQ(ui.browseTitles.size(), 1u);
  ui.browseAnswers = {Scratch() + "\\MW"};
  Install(Scratch() + "\\MW");
  EXPECT_EQ(ControllaInstallazioneMW(), 1);
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath()));
}

TEST_F(Exports, ConfiguratorWritesTheDefaultsWhenNoFolderIsKnown) {
  Install("C:\\MAICOWIN");
  test::WriteFile("C:\\MAICOWIN\\BIN\\POET.CFG", "poet");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "1\r\n2\r\nK77\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  LanciaConfiguratoreMW();
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), "C:\\MAICOWIN\\");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K77");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "MW_CMD_STRING"), "MSERVER.EXE");
  EXPECT_EQ(test::ReadFile(Scratch() + "\\POET.CFG"), "poet");
}

TEST_F(Exports, ConfiguratorWithAKnownFolderWritesNothingAndKeepsPoet) {
  Install("C:\\MAICOWIN");
  test::WriteFile("C:\\MAICOWIN\\BIN\\POET.CFG", "new poet");
  test::WriteFile(Scratch() + "\\POET.CFG", "host's own poet");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  std::string before = test::ReadFile(ZelvoMwIniPath());
  LanciaConfiguratoreMW();
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), before);
  EXPECT_EQ(test::ReadFile(Scratch() + "\\POET.CFG"), "host's own poet");
  EXPECT_TRUE(ui.browseTitles.empty());
}

TEST_F(Exports, UnfinishedExportsDoNothingAndGiveTheirResults) {
  EXPECT_EQ(Ordine2Mw("1", "A", "B"), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath()));
}

TEST_F(Exports, GuardShowsAnEscapedFailureOnceAndGivesTheFailureResult) {
  EXPECT_EQ(GuardExport(7, []() -> int { throw std::runtime_error("boom"); }), 7);
  EXPECT_EQ(GuardExport(0, []() -> int { throw 42; }), 0);
  EXPECT_EQ(GuardExport(0, [] { return 5; }), 5);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Errore interno: boom");
  EXPECT_EQ(ui.messages[0].caption, "ZelvoMW");
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);
}

}  // namespace
}  // namespace zmw
