#include <gtest/gtest.h>

#include "base/Ini.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

class Conf : public test::CleanMachine {
 protected:
  // A MaicoWin installation: BIN\MAICOWIN.INI below the folder.
  void Install(const std::string& folder) { test::WriteFile(folder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n"); }
  void SetZelvoMw(const char* section, const char* key, const char* value) {
    platform::ProfileWriteString("ZELVOMW.INI", section, key, value);
  }
  void SetZelvo(const char* section, const char* key, const char* value) {
    platform::ProfileWriteString("ZELVO.INI", section, key, value);
  }
};

TEST_F(Conf, ConstructionReadsTheInstallationFolder) {
  SetZelvoMw("DIRS", "INST_PATH", "D:\\WHEREVER\\");
  MaicoWinConf conf;
  EXPECT_EQ(conf.InstallationFolder(), "D:\\WHEREVER\\");
  std::string out;
  conf.GetBinFolder(out);
  EXPECT_EQ(out, "D:\\WHEREVER\\BIN");
  conf.GetDatiFolder(out);
  EXPECT_EQ(out, "D:\\WHEREVER\\DATI");
  conf.GetMaicoWinIni(out);
  EXPECT_EQ(out, "D:\\WHEREVER\\BIN\\MAICOWIN.INI");
  conf.GetSchedTecFile(out);
  EXPECT_EQ(out, "D:\\WHEREVER\\DATI\\SCHEDTEC.DAT");
  conf.GetFinituraFile(out);
  EXPECT_EQ(out, "D:\\WHEREVER\\DATI\\FINITURA.DAT");
}

TEST_F(Conf, KnownFolderIsTrustedWithoutLookingAtTheDisk) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\GONE\\");
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation("", 1), 1);
  EXPECT_TRUE(ui.browseTitles.empty());
}

TEST_F(Conf, DefaultFolderIsFoundWithATrailingBackslash) {
  Install("C:\\MAICOWIN");
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation("", 1), 1);
  EXPECT_EQ(conf.InstallationFolder(), "C:\\MAICOWIN\\");
  EXPECT_TRUE(ui.browseTitles.empty());
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath())) << "the search writes nothing";
}

TEST_F(Conf, ProposedFolderIsProbedInsteadOfTheDefault) {
  Install("C:\\MAICOWIN");
  Install(Scratch() + "\\MW");
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation(Scratch() + "\\MW\\", 0), 1);
  EXPECT_EQ(conf.InstallationFolder(), Scratch() + "\\MW\\");
}

TEST_F(Conf, NothingFoundAndNoAskingGivesZero) {
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation("", 0), 0);
  EXPECT_TRUE(ui.browseTitles.empty());
  EXPECT_EQ(conf.InstallationFolder(), "");
}

TEST_F(Conf, BrowserOpensAgainUntilAValidFolderOrCancel) {
  Install(Scratch() + "\\GOOD");
  test::MakeFolders(Scratch() + "\\BAD");
  ui.browseAnswers = {Scratch() + "\\BAD", Scratch() + "\\ALSO-BAD", Scratch() + "\\GOOD"};
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation("", 1), 1);
  EXPECT_EQ(conf.InstallationFolder(), Scratch() + "\\GOOD\\");
  ASSERT_EQ(ui.browseTitles.size(), 3u);
  EXPECT_EQ(ui.browseTitles[0], "Indicare la cartella di installazione di MaicoWin");

  MaicoWinConf other;
  ui.browseTitles.clear();
  ui.browseAnswers = {Scratch() + "\\BAD"};  // then the user cancels
  EXPECT_EQ(other.CheckInstallation("", 1), 0);
  EXPECT_EQ(ui.browseTitles.size(), 2u);
  EXPECT_EQ(other.InstallationFolder(), "");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Conf, DefaultConfigurationWritesEveryKeyInOrder) {
  Install("C:\\MAICOWIN");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "first\r\nsecond\r\nA12345\r\nfourth\r\n");
  SetZelvo("SYSTEM", "START_PATH", "C:\\ZELVO");
  MaicoWinConf conf;
  ASSERT_EQ(conf.CheckInstallation("", 0), 1);
  EXPECT_EQ(conf.WriteDefaultConfig(), 1);
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()),
            "[DIRS]\r\n"
            "INST_PATH=C:\\MAICOWIN\\\r\n"
            "MW_FIT=C:\\ZELVO\\ZELVOMW\\MAICOWIN.FIT\r\n"
            "MW_KIT=C:\\ZELVO\\ZELVOMW\\MAICOWIN.KIT\r\n"
            "MAICO_FIT=C:\\MAICOWIN\\DATI\\ARTICOLI.ASC\r\n"
            "[GENERAL]\r\n"
            "CODCLIENTE=A12345\r\n"
            "MW_CMD_STRING=MSERVER.EXE\r\n"
            "EXCEL_CONN_STRING=Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];"
            "Extended Properties=Excel 8.0;\r\n");
}

TEST_F(Conf, DefaultConfigurationAfterACancelledSearch) {
  SetZelvo("SYSTEM", "START_PATH", "C:\\ZELVO\\");
  SetZelvoMw("DIRS", "INST_PATH", "C:\\OLD\\");
  SetZelvoMw("GENERAL", "CODCLIENTE", "OLD");
  SetZelvoMw("DIRS", "INST_PATH", nullptr);
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation("", 1), 0);
  EXPECT_EQ(conf.WriteDefaultConfig(), 1);
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), "");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT"), "\\DATI\\ARTICOLI.ASC");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MW_FIT"), "C:\\ZELVO\\ZELVOMW\\MAICOWIN.FIT");
  EXPECT_EQ(ReadIni(ZelvoMwIniPath(), "GENERAL", "CODCLIENTE", 1024, "deleted"), "deleted");
}

TEST_F(Conf, DefaultConfigurationNeedsTheStartFolder) {
  Install("C:\\MAICOWIN");
  MaicoWinConf conf;
  conf.CheckInstallation("", 0);
  EXPECT_EQ(conf.WriteDefaultConfig(), 0);
  EXPECT_FALSE(test::FileExists(ZelvoMwIniPath()));
}

struct CommandCase {
  const char* command;
  int result;
  const char* program;
  const char* parameters;
};

class StartCommand : public Conf, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(StartCommand, SplitsAtTheFirstBlank) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  if (*GetParam().command) SetZelvoMw("GENERAL", "MW_CMD_STRING", GetParam().command);
  MaicoWinConf conf;
  std::string program = "untouched", parameters = "untouched";
  EXPECT_EQ(conf.GetStartCommand(program, parameters), GetParam().result);
  EXPECT_EQ(program, GetParam().program);
  EXPECT_EQ(parameters, GetParam().parameters);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartCommand,
    ::testing::Values(CommandCase{"MSERVER.EXE", 1, "C:\\MAICOWIN\\BIN\\MSERVER.EXE", ""},
                      CommandCase{"MW.EXE /a /b", 1, "C:\\MAICOWIN\\BIN\\MW.EXE", "/a /b"},
                      CommandCase{"MW.EXE  two", 1, "C:\\MAICOWIN\\BIN\\MW.EXE", " two"},
                      CommandCase{"", 0, "untouched", "untouched"}));

struct CodeCase {
  const char* file;
  const char* code;
};

class CustomerCode : public Conf, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(CustomerCode, IsTheThirdLineOrTheLastThereIs) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", GetParam().file);
  MaicoWinConf conf;
  std::string code = "untouched";
  EXPECT_EQ(conf.ReadCustomerCode(code), 1);
  EXPECT_EQ(code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Table, CustomerCode,
                         ::testing::Values(CodeCase{"a\r\nb\r\nC123\r\nd\r\n", "C123"},
                                           CodeCase{"a\r\nsecond\r\n", "second"},
                                           CodeCase{"a\r\nb\r\nlast", "last"},
                                           CodeCase{"only", "only"}, CodeCase{"", ""}));

TEST_F(Conf, CustomerCodeWithoutMwIniLeavesTheCode) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  MaicoWinConf conf;
  std::string code = "untouched";
  EXPECT_EQ(conf.ReadCustomerCode(code), 0);
  EXPECT_EQ(code, "untouched");
}

TEST_F(Conf, DirsLookupsLeaveOutputAloneWhenEmpty) {
  MaicoWinConf conf;
  std::string out = "untouched";
  EXPECT_EQ(conf.GetMwFit(out), 0);
  EXPECT_EQ(conf.GetMaicoFitXls(out), 0);
  EXPECT_EQ(out, "untouched");
  SetZelvoMw("DIRS", "MW_KIT", "C:\\K.KIT");
  SetZelvoMw("DIRS", "MAICO_FIT", "C:\\A.ASC");
  EXPECT_EQ(conf.GetMwKit(out), 1);
  EXPECT_EQ(out, "C:\\K.KIT");
  EXPECT_EQ(conf.GetMaicoFit(out), 1);
  EXPECT_EQ(out, "C:\\A.ASC");
}

TEST_F(Conf, ExportFileComesFromMaicoWinIni) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  MaicoWinConf conf;
  std::string out = "untouched";
  EXPECT_EQ(conf.GetExportFile(out), 1);
  EXPECT_EQ(out, "untouched");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[Export-Import]\r\nexport=C:\\MW\\OUT.TXT\r\n");
  EXPECT_EQ(conf.GetExportFile(out), 1);
  EXPECT_EQ(out, "C:\\MW\\OUT.TXT");
}

TEST_F(Conf, WriteConfValueDeletesOnEmpty) {
  MaicoWinConf conf;
  EXPECT_EQ(conf.WriteConfValue("GENERAL", "CODCLIENTE", "X1"), 1);
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "X1");
  EXPECT_EQ(conf.WriteConfValue("GENERAL", "CODCLIENTE", ""), 1);
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), "[GENERAL]\r\n");
}

TEST_F(Conf, CopyConfigFilesFromADriveLetterCopiesPoetOnly) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  test::WriteFile("C:\\MAICOWIN\\BIN\\POET.CFG", "poet");
  test::WriteFile("C:\\MAICOWIN\\BIN\\VENOVA.INI", "venova");
  MaicoWinConf conf;
  EXPECT_EQ(conf.CopyConfigFiles(Scratch()), 1);
  EXPECT_EQ(test::ReadFile(Scratch() + "\\POET.CFG"), "poet");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\VENOVA.INI"));
}

TEST_F(Conf, CopyConfigFilesFromAShareCopiesBoth) {
  if (!test::CanMakeUncShare()) GTEST_SKIP() << "no share can be made here";
  SetZelvoMw("DIRS", "INST_PATH", "\\\\server\\mw\\");
  test::WriteFile("\\\\server\\mw\\BIN\\POET.CFG", "poet");
  test::WriteFile("\\\\server\\mw\\BIN\\VENOVA.INI", "venova");
  MaicoWinConf conf;
  EXPECT_EQ(conf.CopyConfigFiles(Scratch()), 1);
  EXPECT_EQ(test::ReadFile(Scratch() + "\\POET.CFG"), "poet");
  EXPECT_EQ(test::ReadFile(Scratch() + "\\VENOVA.INI"), "venova");
}

TEST_F(Conf, CopyConfigFilesReportsNothingWhenFilesAreMissing) {
  SetZelvoMw("DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  MaicoWinConf conf;
  EXPECT_EQ(conf.CopyConfigFiles(Scratch()), 1);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\POET.CFG"));
  EXPECT_TRUE(ui.messages.empty());
}

struct UseCase {
  const char* stored;  // nullptr: key absent
  int expected;
};

class UseMaicoWin : public Conf, public ::testing::WithParamInterface<UseCase> {};

TEST_P(UseMaicoWin, OnlyUpperCaseYesCountsAsYes) {
  if (GetParam().stored) SetZelvo("GENERAL", "USE_MAICOWIN", GetParam().stored);
  EXPECT_EQ(MaicoWinConf::GetUseMaicoWin(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, UseMaicoWin,
                         ::testing::Values(UseCase{nullptr, 1}, UseCase{"YES", 1},
                                           UseCase{"yes", 0}, UseCase{"NO", 0},
                                           UseCase{"", 0}));

TEST_F(Conf, SetUseMaicoWinWritesYesOrNo) {
  MaicoWinConf::SetUseMaicoWin(false);
  EXPECT_EQ(test::ReadFile(ZelvoIniPath()), "[GENERAL]\r\nUSE_MAICOWIN=NO\r\n");
  MaicoWinConf::SetUseMaicoWin(true);
  EXPECT_EQ(test::ReadFile(ZelvoIniPath()), "[GENERAL]\r\nUSE_MAICOWIN=YES\r\n");
}

}  // namespace
}  // namespace zmw
