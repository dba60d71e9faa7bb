// The configuration dialog as a person uses it, through the recording host.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "base/Ini.h"
#include "maicowin/MaicoWinConf.h"
#include "maicowin/MwConfDlg.h"
#include "module/Configuration.h"
#include "module/ModuleKit.h"
#include "platform/Profile.h"
#include "support/Database.h"
#include "zelvomw.h"

namespace zmw { namespace {

using D = CMwConfDlg;
using Step = std::function<void(test::RecordedDialog&)>;
using Steps = std::map<int, std::deque<Step>>;
constexpr int kConf = D::kTemplate, kUpdate = 1009, kFormat = 1017;

// The person at the screen: each dialog that opens gets the next steps of its template.
void Plan(test::RecordingDialogHost& dialogs, Steps plan) {
  dialogs.driver = [plan = std::make_shared<Steps>(std::move(plan))](test::RecordedDialog& d) {
    auto& steps = (*plan)[d.Record().templateId];
    ASSERT_FALSE(steps.empty()) << "no steps left for dialog " << d.Record().templateId;
    Step step = steps.front();
    steps.pop_front();
    step(d);
  };
}

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
  int RunDialog() { return CMwConfDlg(ConfigurationActions()).DoModal(); }
  std::string Ini() { return test::ReadFile(ZelvoMwIniPath()); }
};

TEST_F(Configuration, ChiudiSavesTheFieldsAndEscSavesNothing) {
  std::string zelvoBefore = test::ReadFile(ZelvoIniPath()), before = Ini();
  for (int button : {2, 1}) {  // Esc (or the close box), then "Chiudi"
    Plan(dialogs, {{kConf, {[button](test::RecordedDialog& d) {
                     d.Type(D::kCustomerEdit, "");
                     d.Type(D::kXlsEdit, "C:\\MAICO\\LISTINO.XLS");
                     d.Toggle(D::kEnabledCheck);  // on, as USE_MAICOWIN is absent: now off
                     d.Click(button);
                   }}}});
    EXPECT_EQ(LanciaConfiguratoreMW(), button);
    if (button == 2) { EXPECT_EQ(Ini() + test::ReadFile(ZelvoIniPath()), before + zelvoBefore); }
  }
  EXPECT_EQ(Ini().find("CODCLIENTE"), std::string::npos) << "an empty field deletes its key";
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT_XLS"), "C:\\MAICO\\LISTINO.XLS");
  EXPECT_EQ(ReadZelvoIni("GENERAL", "USE_MAICOWIN"), "NO");
}

// The update and the Excel format are dialogs of their own; the update comes after the fields are saved.
TEST_F(Configuration, UpdateArchivesSavesFirstAndFormatOpensTheExcelFormatDialog) {
  std::string codeSeenByTheUpdate;
  Plan(dialogs, {{kConf, {[&](test::RecordedDialog& d) {
                   d.Type(D::kCustomerEdit, "K2");
                   d.Click(D::kUpdateButton);
                   d.Click(D::kFormatButton);
                   d.Click(2);
                 }}},
                 {kUpdate, {[&](test::RecordedDialog& d) {
                   codeSeenByTheUpdate = ReadZelvoMwIni("GENERAL", "CODCLIENTE");
                   d.Click(2);
                 }}},
                 {kFormat, {[](test::RecordedDialog& d) { d.Click(1); }}}});
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(codeSeenByTheUpdate, "K2");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K2") << "Esc after the update saves nothing, undoes nothing";
  ASSERT_EQ(dialogs.dialogs.size(), 3u);
  EXPECT_EQ(dialogs.dialogs[2].templateId, kFormat);
  EXPECT_EQ(moduletest::Shown(ui), "") << "a cancelled update runs nothing";
}

TEST_F(Configuration, TheBrowserComesBackUntilAnInstallationAndShowsItWithABackslash) {
  std::string longFolder = Scratch() + "\\CARTELLA-DAL-NOME-MOLTO-LUNGO\\MAICOWIN", shown, afterCancel;
  test::WriteFile(longFolder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  test::MakeFolders(Scratch() + "\\VUOTA");
  ui.browseAnswers = {Scratch() + "\\VUOTA", longFolder};
  Plan(dialogs, {{kConf, {[&](test::RecordedDialog& d) {
                   d.Click(D::kBrowseInstall);
                   shown = d.ControlText(D::kInstallEdit);
                   d.Click(D::kBrowseInstall);  // no answers left: the user cancels
                   afterCancel = d.ControlText(D::kInstallEdit);
                   d.Click(1);
                 }}}});
  EXPECT_EQ(RunDialog(), 1);
  EXPECT_EQ(shown + "|" + afterCancel + "|" + ReadZelvoMwIni("DIRS", "INST_PATH"),
            longFolder + "\\|" + longFolder + "\\|" + longFolder + "\\");
  EXPECT_EQ(ui.browseFlags[0], 4u) << "the status line";
  // Each run opens on the empty initial folder and the status line follows the selection.
  std::string longStatus = "status " + longFolder.substr(0, 35) + "...";
  EXPECT_EQ(ui.browserMessages, (std::vector<std::string>{"select 1 ", "status ", "status " + Scratch() + "\\VUOTA",
                                                          "select 1 ", "status ", longStatus, "select 1 ", "status "}));
}

TEST_F(Configuration, ThePickersTakeExistingFilesAndKeepWhatWasTypedInTheOtherEdits) {
  ui.pickAnswers = {"C:\\MAICO\\NUOVO.ASC", "", "C:\\MAICO\\LISTINO.XLS"};
  std::string seen;
  Plan(dialogs, {{kConf, {[&](test::RecordedDialog& d) {
                   d.Type(D::kCustomerEdit, "K3");
                   // The installation edit keeps what is typed only until the fields go back to the
                   // controls: leaving it saves nothing.
                   d.Type(D::kInstallEdit, "C:\\ALTROVE\\");
                   d.Click(D::kBrowseAsc);
                   for (int id : {D::kAscEdit, D::kInstallEdit, D::kCustomerEdit}) seen += d.ControlText(id) + "|";
                   d.Click(D::kBrowseXls);  // cancelled
                   seen += d.ControlText(D::kXlsEdit) + "|";
                   d.Click(D::kBrowseXls);
                   seen += d.ControlText(D::kXlsEdit);
                   d.Click(1);
                 }}}});
  EXPECT_EQ(RunDialog(), 1);
  EXPECT_EQ(seen, "C:\\MAICO\\NUOVO.ASC|C:\\MAICOWIN\\|K3||C:\\MAICO\\LISTINO.XLS");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT"), "C:\\MAICO\\NUOVO.ASC");
  ASSERT_EQ(ui.picks.size(), 3u);
  const auto& asc = ui.picks[0];
  EXPECT_EQ(asc.filterName + "|" + asc.filterPattern + "|" + asc.defaultExtension,
            "Accessori Maico (*.asc)|*.asc|C:\\MAICOWIN\\DATI\\ARTICOLI.ASC");
  EXPECT_EQ(asc.flags, 0x100Eu);
  EXPECT_EQ(ui.picks[2].filterName + "|" + ui.picks[2].filterPattern, "Accessori Maico formato XLS (*.xls)|*.xls");
}

// What the dialog shows, and which of start and stop is enabled at first and after each click.
TEST_F(Configuration, ShowsTheSettingsAndStartsAndStopsByHand) {
  std::string state;
  auto buttons = [&](test::RecordedDialog& d) {
    state += std::string(d.IsControlEnabled(D::kStartButton) ? "start" : "-") +
             (d.IsControlEnabled(D::kStopButton) ? "/stop " : "/- ");
  };
  auto click = [&](test::RecordedDialog& d, int button) { d.Click(button), buttons(d); };
  // Without a start command the start fails and says so; the buttons stay.
  Plan(dialogs, {{kConf, {[&](test::RecordedDialog& d) { buttons(d), click(d, D::kStartButton), d.Click(2); },
                          [&](test::RecordedDialog& d) {
                            click(d, D::kStartButton), click(d, D::kStopButton), d.Click(2);
                          },
                          [&](test::RecordedDialog& d) {
                            for (int id : {D::kInstallEdit, D::kCustomerEdit, D::kAscEdit, D::kXlsEdit}) state += d.ControlText(id) + "|";
                            buttons(d), state += std::to_string(d.Check(D::kEnabledCheck)), d.Click(2);
                          }}}});
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(moduletest::Shown(ui), "MaicoWinConf/1: Impossibile eseguire MaicoWin. Controllare l'installazione o i percorsi.\n");
  EXPECT_EQ(ui.messages[0].style, platform::kMbOk);
  test::InstallMaicoWin(test::SleeperProgram(), "MSERVER.EXE 30");
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT"), "FINE\r\n");
  ASSERT_TRUE(test::Eventually([] { return MaicoWinConf().Running() == 1; })) << "the program was started";
  platform::ProfileWriteString("ZELVO.INI", "GENERAL", "USE_MAICOWIN", "NO");
  EXPECT_EQ(RunDialog(), 2);
  EXPECT_EQ(state, "start/- start/- -/stop start/- C:\\MAICOWIN\\|K1|C:\\MAICOWIN\\DATI\\ARTICOLI.ASC||-/stop 0");
}

} }  // namespace zmw
