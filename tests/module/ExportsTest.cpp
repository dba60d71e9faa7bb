#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Ini.h"
#include "module/Module.h"
#include "module/ModuleKit.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"
#include "zelvomw.h"

namespace zmw { namespace {

class Exports : public test::CleanMachine {
 protected:
  void Install(const std::string& folder) { test::WriteFile(folder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n"); }
};

// Where and how the installation is searched is MaicoWinConf's (the maicowin suite): the export
// looks in the default folder and asks the user.
TEST_F(Exports, CheckAsksForTheFolderWhenMaicoWinIsNowhere) {
  EXPECT_EQ(ControllaInstallazioneMW(), 0) << "the user gives up";
  ui.browseAnswers = {Scratch() + "\\MW"};
  Install(Scratch() + "\\MW");
  EXPECT_EQ(ControllaInstallazioneMW(), 1);
  EXPECT_EQ(ui.browseTitles.size(), 2u);
}

// The configurator writes the defaults only when no folder is known, and copies POET.CFG only
// into a start folder without one.
TEST_F(Exports, ConfiguratorWritesTheDefaultsOnlyWhenNoFolderIsKnown) {
  dialogs.driver = [](test::RecordedDialog& d) { d.Click(2); };  // Esc: the dialog itself saves nothing
  Install("C:\\MAICOWIN");
  test::WriteFile("C:\\MAICOWIN\\BIN\\POET.CFG", "poet");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "1\r\n2\r\nK77\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  EXPECT_EQ(LanciaConfiguratoreMW(), 2);
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K77") << "the defaults, as MaicoWinConf writes them";
  EXPECT_EQ(test::ReadFile(Scratch() + "\\POET.CFG"), "poet");
  test::WriteFile("C:\\MAICOWIN\\BIN\\POET.CFG", "new poet");
  test::WriteFile(Scratch() + "\\POET.CFG", "host's own poet");
  test::RemoveTree(ZelvoMwIniPath());
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  std::string before = test::ReadFile(ZelvoMwIniPath());
  EXPECT_EQ(LanciaConfiguratoreMW(), 2);
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), before);
  EXPECT_EQ(test::ReadFile(Scratch() + "\\POET.CFG"), "host's own poet");
  EXPECT_TRUE(ui.browseTitles.empty());
}

TEST_F(Exports, UnfinishedExportsDoNothingAndAnEscapedFailureIsShownOnce) {
  EXPECT_EQ(Ordine2Mw("1", "A", "B"), 0);
  EXPECT_EQ(GuardExport(7, []() -> int { throw std::runtime_error("boom"); }), 7);
  EXPECT_EQ(GuardExport(0, []() -> int { throw 42; }), 0);
  EXPECT_EQ(GuardExport(0, [] { return 5; }), 5);
  EXPECT_EQ(moduletest::Shown(ui), "ZelvoMW/0: Errore interno: boom\nZelvoMW/0: Errore interno: eccezione sconosciuta\n");
}

} }  // namespace zmw
