#include <gtest/gtest.h>

#include <deque>

#include "base/Ini.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

void SetZelvoMw(const char* section, const char* key, const char* value) {
  platform::ProfileWriteString("ZELVOMW.INI", section, key, value);
}
void SetZelvo(const char* section, const char* key, const char* value) {
  platform::ProfileWriteString("ZELVO.INI", section, key, value);
}
// A MaicoWin installation: BIN\MAICOWIN.INI below the folder.
void Install(const std::string& folder) { test::WriteFile(folder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n"); }

using Conf = test::CleanMachine;

TEST_F(Conf, ConstructionReadsTheInstallationFolder) {
  SetZelvoMw("DIRS", "INST_PATH", "D:\\WHEREVER\\");
  MaicoWinConf conf;
  std::string all = conf.InstallationFolder(), out;
  for (auto get : {&MaicoWinConf::GetBinFolder, &MaicoWinConf::GetDatiFolder, &MaicoWinConf::GetMaicoWinIni,
                   &MaicoWinConf::GetSchedTecFile, &MaicoWinConf::GetFinituraFile})
    (conf.*get)(out), all += "|" + out;
  EXPECT_EQ(all, "D:\\WHEREVER\\|D:\\WHEREVER\\BIN|D:\\WHEREVER\\DATI|D:\\WHEREVER\\BIN\\MAICOWIN.INI|"
                 "D:\\WHEREVER\\DATI\\SCHEDTEC.DAT|D:\\WHEREVER\\DATI\\FINITURA.DAT");
}

// The moment (what is installed, what INST_PATH says), the search (folder proposed, the user
// asked or not, the browser's answers), and what it finds.
TEST_F(Conf, TheInstallationIsFoundAskedForOrNot) {
  const std::string s = Scratch();
  test::MakeFolders(s + "\\BAD");
  Install(s + "\\GOOD");
  const struct {  // the browser's answers, then the user cancels; how many times it opened
    const char *name, *instPath; bool defaultInstalled; std::string proposed; int ask; std::deque<std::string> answers;
    int result; std::string folder; std::size_t browsed;
  } rows[] = {
      {"a known folder is trusted without looking at the disk", "C:\\GONE\\", false, "", 1, {}, 1, "C:\\GONE\\", 0},
      {"the default folder, with a trailing backslash", nullptr, true, "", 1, {}, 1, "C:\\MAICOWIN\\", 0},
      {"a proposed folder is probed instead of the default", nullptr, true, s + "\\GOOD\\", 0, {}, 1, s + "\\GOOD\\", 0},
      {"nothing found and no asking", nullptr, false, "", 0, {}, 0, "", 0},
      {"the browser opens again until a valid folder", nullptr, false, "", 1, {s + "\\BAD", s + "\\ALSO-BAD", s + "\\GOOD"}, 1,
       s + "\\GOOD\\", 3},
      {"or until the user cancels", nullptr, false, "", 1, {s + "\\BAD"}, 0, "", 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::RemoveTree("C:\\MAICOWIN");
    if (row.defaultInstalled) Install("C:\\MAICOWIN");
    SetZelvoMw("DIRS", "INST_PATH", row.instPath);
    ui.browseTitles.clear();
    ui.browseAnswers = row.answers;
    MaicoWinConf conf;
    auto ini = [&] { return test::FileExists(ZelvoMwIniPath()) ? test::ReadFile(ZelvoMwIniPath()) : "none"; };
    std::string before = ini();
    EXPECT_EQ(conf.CheckInstallation(row.proposed, row.ask), row.result);
    EXPECT_EQ(conf.InstallationFolder(), row.folder);
    EXPECT_EQ(ui.browseTitles, std::vector<std::string>(row.browsed, "Indicare la cartella di installazione di MaicoWin"));
    EXPECT_EQ(ini(), before) << "the search writes nothing";
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST_F(Conf, DefaultConfigurationWritesEveryKeyInOrder) {
  Install("C:\\MAICOWIN");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "first\r\nsecond\r\nA12345\r\nfourth\r\n");
  MaicoWinConf conf;
  ASSERT_EQ(conf.CheckInstallation("", 0), 1);
  EXPECT_EQ(conf.WriteDefaultConfig(), 0) << "without the start folder";
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath()));
  SetZelvo("SYSTEM", "START_PATH", "C:\\ZELVO");
  EXPECT_EQ(conf.WriteDefaultConfig(), 1);
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()),
            "[DIRS]\r\nINST_PATH=C:\\MAICOWIN\\\r\nMW_FIT=C:\\ZELVO\\ZELVOMW\\MAICOWIN.FIT\r\n"
            "MW_KIT=C:\\ZELVO\\ZELVOMW\\MAICOWIN.KIT\r\nMAICO_FIT=C:\\MAICOWIN\\DATI\\ARTICOLI.ASC\r\n"
            "[GENERAL]\r\nCODCLIENTE=A12345\r\nMW_CMD_STRING=MSERVER.EXE\r\n"
            "EXCEL_CONN_STRING=Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;\r\n");
}

TEST_F(Conf, DefaultConfigurationAfterACancelledSearch) {
  SetZelvo("SYSTEM", "START_PATH", "C:\\ZELVO\\");
  SetZelvoMw("DIRS", "INST_PATH", "C:\\OLD\\");
  SetZelvoMw("GENERAL", "CODCLIENTE", "OLD");
  SetZelvoMw("DIRS", "INST_PATH", nullptr);
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation("", 1), 0);
  EXPECT_EQ(conf.WriteDefaultConfig(), 1);
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH") + "|" + ReadZelvoMwIni("DIRS", "MAICO_FIT") + "|" + ReadZelvoMwIni("DIRS", "MW_FIT"),
            "|\\DATI\\ARTICOLI.ASC|C:\\ZELVO\\ZELVOMW\\MAICOWIN.FIT");
  EXPECT_EQ(ReadIni(ZelvoMwIniPath(), "GENERAL", "CODCLIENTE", 1024, "deleted"), "deleted");
}

TEST_F(Conf, TheStartCommandSplitsAtTheFirstBlank) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  const struct { const char* command; int result; const char *program, *parameters; } rows[] = {  // command nullptr: no key{"MSERVER.EXE", 1, "C:\\MAICOWIN\\BIN\\MSERVER.EXE", ""},
              {"MW.EXE /a /b", 1, "C:\\MAICOWIN\\BIN\\MW.EXE", "/a /b"},
              {"MW.EXE  two", 1, "C:\\MAICOWIN\\BIN\\MW.EXE", " two"},
              {nullptr, 0, "untouched", "untouched"}};
  for (const auto& row : rows) {
    SetZelvoMw("GENERAL", "MW_CMD_STRING", row.command);
    std::string program = "untouched", parameters = "untouched";
    EXPECT_EQ(MaicoWinConf().GetStartCommand(program, parameters), row.result) << row.command;
    EXPECT_EQ(program + "|" + parameters, std::string(row.program) + "|" + row.parameters);
  }
}

TEST_F(Conf, TheCustomerCodeIsTheThirdLineOfMwIniOrTheLastThereIs) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  const struct { const char *file, *code; } rows[] = {  // file nullptr: no MW.INI, the code left alone{nullptr, "untouched"}, {"a\r\nb\r\nC123\r\nd\r\n", "C123"}, {"a\r\nsecond\r\n", "second"},
              {"a\r\nb\r\nlast", "last"}, {"only", "only"}, {"", ""}};
  for (const auto& row : rows) {
    if (row.file) test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", row.file);
    std::string code = "untouched";
    EXPECT_EQ(MaicoWinConf().ReadCustomerCode(code), row.file ? 1 : 0) << row.code;
    EXPECT_EQ(code, row.code);
  }
}

TEST_F(Conf, LookupsLeaveTheOutputAloneWhenEmpty) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  MaicoWinConf conf;
  std::string out = "untouched";
  EXPECT_EQ(conf.GetMwFit(out), 0);
  EXPECT_EQ(conf.GetMaicoFitXls(out), 0);
  EXPECT_EQ(conf.GetExportFile(out), 1);
  EXPECT_EQ(out, "untouched");
  SetZelvoMw("DIRS", "MW_KIT", "C:\\K.KIT");
  SetZelvoMw("DIRS", "MAICO_FIT", "C:\\A.ASC");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[Export-Import]\r\nexport=C:\\MW\\OUT.TXT\r\n");
  std::string kit, fit, exported;
  EXPECT_EQ((std::vector<int>{conf.GetMwKit(kit), conf.GetMaicoFit(fit), conf.GetExportFile(exported)}),
            (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(kit + "|" + fit + "|" + exported, "C:\\K.KIT|C:\\A.ASC|C:\\MW\\OUT.TXT");
}

TEST_F(Conf, WriteConfValueDeletesOnEmpty) {
  MaicoWinConf conf;
  EXPECT_EQ(conf.WriteConfValue("GENERAL", "CODCLIENTE", "X1"), 1);
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "X1");
  EXPECT_EQ(conf.WriteConfValue("GENERAL", "CODCLIENTE", ""), 1);
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), "[GENERAL]\r\n");
}

// From a drive letter only POET.CFG is copied; from a share VENOVA.INI too; a missing file is no error.
TEST_F(Conf, CopyConfigFilesTakesVenovaOnlyFromAShare) {
  const bool share = test::CanMakeUncShare();
  int n = 0;
  for (std::string folder : {"C:\\MAICOWIN\\", "\\\\server\\mw\\", "C:\\EMPTY\\"}) {
    if (folder[0] == '\\' && !share) continue;
    SCOPED_TRACE(folder);
    std::string to = Scratch() + "\\" + std::to_string(++n);
    test::MakeFolders(to);
    SetZelvoMw("DIRS", "INST_PATH", folder.c_str());
    if (folder != "C:\\EMPTY\\") {
      test::WriteFile(folder + "BIN\\POET.CFG", "poet");
      test::WriteFile(folder + "BIN\\VENOVA.INI", "venova");
    }
    EXPECT_EQ(MaicoWinConf().CopyConfigFiles(to), 1);
    auto copied = [&](const char* name) { return test::FileExists(to + name) ? test::ReadFile(to + name) : "-"; };
    EXPECT_EQ(copied("\\POET.CFG"), folder == "C:\\EMPTY\\" ? "-" : "poet");
    EXPECT_EQ(copied("\\VENOVA.INI"), folder[0] == '\\' ? "venova" : "-");
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Conf, UseMaicoWinOnlyUpperCaseYesCountsAsYes) {
  EXPECT_EQ(MaicoWinConf::GetUseMaicoWin(), 1) << "no key";
  for (auto [stored, expected] : std::initializer_list<std::pair<const char*, int>>{{"YES", 1}, {"yes", 0}, {"NO", 0}, {"", 0}}) {
    SetZelvo("GENERAL", "USE_MAICOWIN", stored);
    EXPECT_EQ(MaicoWinConf::GetUseMaicoWin(), expected) << stored;
  }
  MaicoWinConf::SetUseMaicoWin(false);
  EXPECT_EQ(test::ReadFile(ZelvoIniPath()), "[GENERAL]\r\nUSE_MAICOWIN=NO\r\n");
  MaicoWinConf::SetUseMaicoWin(true);
  EXPECT_EQ(test::ReadFile(ZelvoIniPath()), "[GENERAL]\r\nUSE_MAICOWIN=YES\r\n");
}

}  // namespace
}  // namespace zmw
