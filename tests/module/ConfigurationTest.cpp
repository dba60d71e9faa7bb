// The configuration dialog as a person uses it, through the recording host: what it shows,
// what it saves and when, the browser and the pickers, MaicoWin started and stopped by hand,
// and the dialogs it opens.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "base/Ini.h"
#include "maicowin/MaicoWinConf.h"
#include "maicowin/MwConfDlg.h"
#include "module/Configuration.h"
#include "platform/Profile.h"
#include "platform/Files.h"
#include "support/Database.h"
#include "support/TestEnv.h"
#include "zelvomw.h"

namespace zmw {
namespace {

using Step = std::function<void(test::RecordedDialog&)>;
constexpr int kConf = CMwConfDlg::kTemplate;

class Configuration : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    test::InstallConfiguredLink(Scratch());
  }
  void TearDown() override {
    test::EndProgramsUnder("C:\\MAICOWIN");
    test::CleanMachine::TearDown();
  }

  // The person at the screen: each dialog that opens gets the next steps of its template.
  void Plan(std::map<int, std::deque<Step>> plan) {
    plan_ = std::move(plan);
    dialogs.driver = [this](test::RecordedDialog& d) {
      auto& steps = plan_[d.Record().templateId];
      ASSERT_FALSE(steps.empty()) << "no steps left for dialog " << d.Record().templateId;
      Step step = steps.front();
      steps.pop_front();
      step(d);
    };
  }
  int RunDialog() { return CMwConfDlg(ConfigurationActions()).DoModal(); }
  std::string Ini() { return test::ReadFile(ZelvoMwIniPath()); }

  std::map<int, std::deque<Step>> plan_;
};

struct CloseCase {
  const char* name;
  int button;  // 1 "Chiudi", 2 Esc or the close box
  int result;
  bool saved;
};

class ConfigurationClose : public Configuration, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ConfigurationClose, ChiudiSavesTheFieldsAndEscSavesNothing) {
  std::string zelvoBefore = test::ReadFile(ZelvoIniPath());
  std::string before = Ini();
  Plan({{kConf, {[](test::RecordedDialog& d) {
           d.Type(CMwConfDlg::kCustomerEdit, "");
           d.Type(CMwConfDlg::kXlsEdit, "C:\\MAICO\\LISTINO.XLS");
           d.Toggle(CMwConfDlg::kEnabledCheck);  // on, as USE_MAICOWIN is absent: now off
           d.Click(GetParam().button);
         }}}});
  EXPECT_EQ(LanciaConfiguratoreMW(), GetParam().result);
  if (GetParam().saved) {
    EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "");
    EXPECT_EQ(Ini().find("CODCLIENTE"), std::string::npos) << "an empty field deletes its key";
    EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT_XLS"), "C:\\MAICO\\LISTINO.XLS");
    EXPECT_EQ(ReadZelvoIni("GENERAL", "USE_MAICOWIN"), "NO");
    EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), "C:\\MAICOWIN\\");
  } else {
    EXPECT_EQ(Ini(), before);
    EXPECT_EQ(test::ReadFile(ZelvoIniPath()), zelvoBefore);
  }
}

INSTANTIATE_TEST_SUITE_P(Buttons, ConfigurationClose,
                         ::testing::Values(CloseCase{"Chiudi", 1, 1, true}, CloseCase{"Esc", 2, 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OpenCase {
  const char* name;
  bool running;
  const char* useMaicoWin;  // nullptr: absent
  int checked;
};

class ConfigurationOpen : public Configuration, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(ConfigurationOpen, ShowsTheSettingsAndTheButtonsOfTheProcessState) {
  const OpenCase& c = GetParam();
  std::unique_ptr<test::Child> maicowin;
  if (c.running) {
    test::CopyProgram(test::SleeperProgram(), "C:\\MAICOWIN\\BIN\\MSERVER.EXE");
    maicowin = test::StartChild("C:\\MAICOWIN\\BIN\\MSERVER.EXE", "30");
  }
  if (c.useMaicoWin) platform::ProfileWriteString("ZELVO.INI", "GENERAL", "USE_MAICOWIN", c.useMaicoWin);
  std::map<int, std::string> texts;
  std::map<int, bool> enabled;
  int checked = -1;
  Plan({{kConf, {[&](test::RecordedDialog& d) {
           for (int id : {CMwConfDlg::kInstallEdit, CMwConfDlg::kCustomerEdit, CMwConfDlg::kAscEdit, CMwConfDlg::kXlsEdit})
             texts[id] = d.ControlText(id);
           for (int id : {CMwConfDlg::kStartButton, CMwConfDlg::kStopButton}) enabled[id] = d.IsControlEnabled(id);
           checked = d.Check(CMwConfDlg::kEnabledCheck);
           d.Click(2);
         }}}});
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(texts[CMwConfDlg::kInstallEdit], "C:\\MAICOWIN\\");
  EXPECT_EQ(texts[CMwConfDlg::kCustomerEdit], "K1");
  EXPECT_EQ(texts[CMwConfDlg::kAscEdit], "C:\\MAICOWIN\\DATI\\ARTICOLI.ASC");
  EXPECT_EQ(texts[CMwConfDlg::kXlsEdit], "");
  EXPECT_EQ(enabled[CMwConfDlg::kStartButton], !c.running);
  EXPECT_EQ(enabled[CMwConfDlg::kStopButton], c.running);
  EXPECT_EQ(checked, c.checked);
}

INSTANTIATE_TEST_SUITE_P(
    States, ConfigurationOpen,
    ::testing::Values(OpenCase{"StoppedUseAbsent", false, nullptr, 1}, OpenCase{"RunningUseYes", true, "YES", 1},
                      OpenCase{"StoppedUseLowerCase", false, "yes", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Configuration, UpdateArchivesSavesFirstEvenWhenTheUpdateIsCancelledAndStaysOpen) {
  std::string codeSeenByTheUpdate;
  std::vector<int> boxesOnReopen;
  Plan({{kConf, {[&](test::RecordedDialog& d) {
           d.Type(CMwConfDlg::kCustomerEdit, "K2");
           d.Click(CMwConfDlg::kUpdateButton);
           d.Click(CMwConfDlg::kUpdateButton);
           d.Click(2);
         }}},
        {1009, {[&](test::RecordedDialog& d) {
                  codeSeenByTheUpdate = ReadZelvoMwIni("GENERAL", "CODCLIENTE");
                  d.Toggle(1021);
                  d.Click(2);
                },
                [&](test::RecordedDialog& d) {
                  for (int id : {1019, 1020, 1021, 1032, 1033}) boxesOnReopen.push_back(d.Check(id));
                  d.Click(2);
                }}}});
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(codeSeenByTheUpdate, "K2");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K2") << "Esc after the update saves nothing, undoes nothing";
  EXPECT_EQ(boxesOnReopen, (std::vector<int>{0, 0, 0, 0, 0}));
  ASSERT_EQ(dialogs.dialogs.size(), 3u);
  EXPECT_TRUE(ui.messages.empty()) << "a cancelled update runs nothing: " << ui.messages[0].text;
}

TEST_F(Configuration, TheBrowserComesBackUntilAnInstallationAndShowsItWithABackslash) {
  std::string longFolder = Scratch() + "\\CARTELLA-DAL-NOME-MOLTO-LUNGO\\MAICOWIN";
  test::WriteFile(longFolder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  test::MakeFolders(Scratch() + "\\VUOTA");
  ui.browseAnswers = {Scratch() + "\\VUOTA", longFolder};
  std::string shown, afterCancel;
  Plan({{kConf, {[&](test::RecordedDialog& d) {
           d.Click(CMwConfDlg::kBrowseInstall);
           shown = d.ControlText(CMwConfDlg::kInstallEdit);
           d.Click(CMwConfDlg::kBrowseInstall);  // no answers left: the user cancels
           afterCancel = d.ControlText(CMwConfDlg::kInstallEdit);
           d.Click(1);
         }}}});
  EXPECT_EQ(RunDialog(), 1);
  EXPECT_EQ(shown, longFolder + "\\");
  EXPECT_EQ(afterCancel, longFolder + "\\");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), longFolder + "\\");
  ASSERT_EQ(ui.browseTitles.size(), 3u);
  EXPECT_EQ(ui.browseTitles[0], "Indicare la cartella di installazione di MaicoWin");
  EXPECT_EQ(ui.browseFlags[0], 4u) << "the status line";
  // Each run opens on the empty initial folder and the status line follows the selection.
  std::string longStatus = "status " + longFolder.substr(0, 35) + "...";
  EXPECT_EQ(ui.browserMessages,
            (std::vector<std::string>{"select 1 ", "status ", "status " + Scratch() + "\\VUOTA", "select 1 ", "status ",
                                      longStatus, "select 1 ", "status "}));
}

TEST_F(Configuration, ThePickersTakeExistingFilesAndKeepWhatWasTypedInTheOtherEdits) {
  ui.pickAnswers = {"C:\\MAICO\\NUOVO.ASC", "", "C:\\MAICO\\LISTINO.XLS"};
  std::map<std::string, std::string> seen;
  std::string iniWhileOpen;
  Plan({{kConf, {[&](test::RecordedDialog& d) {
           d.Type(CMwConfDlg::kCustomerEdit, "K3");
           // The installation edit keeps what is typed only until the fields go back to the
           // controls: leaving it saves nothing.
           d.Type(CMwConfDlg::kInstallEdit, "C:\\ALTROVE\\");
           d.Click(CMwConfDlg::kBrowseAsc);
           seen["asc"] = d.ControlText(CMwConfDlg::kAscEdit);
           seen["install"] = d.ControlText(CMwConfDlg::kInstallEdit);
           seen["code"] = d.ControlText(CMwConfDlg::kCustomerEdit);
           d.Click(CMwConfDlg::kBrowseXls);  // cancelled
           seen["xls after cancel"] = d.ControlText(CMwConfDlg::kXlsEdit);
           d.Click(CMwConfDlg::kBrowseXls);
           seen["xls"] = d.ControlText(CMwConfDlg::kXlsEdit);
           iniWhileOpen = ReadZelvoMwIni("DIRS", "MAICO_FIT");
           d.Click(1);
         }}}});
  EXPECT_EQ(RunDialog(), 1);
  EXPECT_EQ(seen["asc"], "C:\\MAICO\\NUOVO.ASC");
  EXPECT_EQ(seen["install"], "C:\\MAICOWIN\\");
  EXPECT_EQ(seen["code"], "K3");
  EXPECT_EQ(seen["xls after cancel"], "");
  EXPECT_EQ(seen["xls"], "C:\\MAICO\\LISTINO.XLS");
  EXPECT_EQ(iniWhileOpen, "C:\\MAICOWIN\\DATI\\ARTICOLI.ASC") << "nothing is saved before Chiudi";
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT"), "C:\\MAICO\\NUOVO.ASC");
  ASSERT_EQ(ui.picks.size(), 3u);
  EXPECT_EQ(ui.picks[0].filterName, "Accessori Maico (*.asc)");
  EXPECT_EQ(ui.picks[0].filterPattern, "*.asc");
  EXPECT_EQ(ui.picks[0].flags, 0x100Eu);
  EXPECT_EQ(ui.picks[0].defaultExtension, "C:\\MAICOWIN\\DATI\\ARTICOLI.ASC");
  EXPECT_EQ(ui.picks[2].filterName, "Accessori Maico formato XLS (*.xls)");
  EXPECT_EQ(ui.picks[2].filterPattern, "*.xls");
}

TEST_F(Configuration, StartAndStopByHand) {
  // Without a start command the start fails and says so; the buttons stay.
  std::map<std::string, bool> state;
  auto look = [&](test::RecordedDialog& d, const std::string& when) {
    state[when + " start"] = d.IsControlEnabled(CMwConfDlg::kStartButton);
    state[when + " stop"] = d.IsControlEnabled(CMwConfDlg::kStopButton);
  };
  Plan({{kConf, {[&](test::RecordedDialog& d) {
                   d.Click(CMwConfDlg::kStartButton);
                   look(d, "failed");
                   d.Click(2);
                 },
                 [&](test::RecordedDialog& d) {
                   d.Click(CMwConfDlg::kStartButton);
                   look(d, "started");
                   d.Click(CMwConfDlg::kStopButton);
                   look(d, "stopped");
                   d.Click(2);
                 }}}});
  EXPECT_EQ(RunDialog(), 2);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Impossibile eseguire MaicoWin. Controllare l'installazione o i percorsi.");
  EXPECT_EQ(ui.messages[0].caption, "MaicoWinConf");
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Active);
  EXPECT_EQ(ui.messages[0].style, platform::kMbOk);
  EXPECT_TRUE(state["failed start"]);
  EXPECT_FALSE(state["failed stop"]);

  test::InstallMaicoWin(test::SleeperProgram(), "MSERVER.EXE 30");
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_FALSE(state["started start"]);
  EXPECT_TRUE(state["started stop"]);
  EXPECT_TRUE(state["stopped start"]);
  EXPECT_FALSE(state["stopped stop"]);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT"), "FINE\r\n");
  EXPECT_TRUE(test::Eventually([] { return MaicoWinConf().Running() == 1; })) << "the program was started";
}

TEST_F(Configuration, FormatOpensTheExcelFormatDialog) {
  Plan({{kConf, {[](test::RecordedDialog& d) {
           d.Click(CMwConfDlg::kFormatButton);
           d.Click(1);
         }}},
        {1017, {[](test::RecordedDialog& d) {
           d.Type(1031, "c");
           d.Click(1);
         }}}});
  EXPECT_EQ(RunDialog(), 1);
  ASSERT_EQ(dialogs.dialogs.size(), 2u);
  EXPECT_EQ(dialogs.dialogs[1].templateId, 1017);
  EXPECT_EQ(ReadIni(Scratch() + "\\ZelvoMwImport.ini", "PREZZO_NETTO_EXCEL", "ARTICOLO", 260, ""), "c");
}

// The whole road on the demo data: the export, the configuration, the update with every box,
// its confirmation, "Chiudi"; the updates in their order and the INI files as the user left them.
class ConfigurationRoad : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin();
    test::InstallUpdateData(Scratch());
    log_ = std::make_unique<test::OltrexLog>(Scratch());
  }
  void TearDown() override {
    log_.reset();
    test::HostDatabase::TearDown();
  }
  std::unique_ptr<test::OltrexLog> log_;
};

TEST_F(ConfigurationRoad, UpdateEveryArchiveFromTheConfigurationThenChiudi) {
  std::map<int, std::deque<Step>> plan = {
      {kConf, {[](test::RecordedDialog& d) {
         d.Type(CMwConfDlg::kCustomerEdit, "A12345");
         d.Click(CMwConfDlg::kUpdateButton);
         d.Click(1);
       }}},
      {1009, {[](test::RecordedDialog& d) {
         for (int box : {1019, 1020, 1021, 1032}) d.Toggle(box);
         d.Click(1);
       }}}};
  dialogs.driver = [&plan](test::RecordedDialog& d) {
    auto& steps = plan[d.Record().templateId];
    ASSERT_FALSE(steps.empty());
    Step step = steps.front();
    steps.pop_front();
    step(d);
  };
  EXPECT_EQ(LanciaConfiguratoreMW(), 1);
  std::string calls = log_->Text();
  std::size_t fit = calls.find("MAICOWIN.FIT"), kit = calls.find("MAICOWIN.KIT"), asc = calls.find("~MTEMP.FIT");
  ASSERT_NE(asc, std::string::npos) << calls;
  EXPECT_LT(fit, kit);
  EXPECT_LT(kit, asc);
  EXPECT_EQ(Rows("SELECT Codice FROM Kit"), "KAR1\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Finiture"), "6\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche WHERE Codice LIKE 'SCHEDTEC%'"), "5\n");
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().text, "Operazione completata.");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "A12345");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT"), Scratch() + "\\ARTICOLI.ASC");
  EXPECT_EQ(ReadZelvoIni("GENERAL", "USE_MAICOWIN"), "YES");
  EXPECT_EQ(dialogs.dialogs.size(), 2u);
}

}  // namespace
}  // namespace zmw
