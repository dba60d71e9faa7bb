// The archive update as the dialog's OK runs it: the chosen updates in their fixed order under
// the wait cursor, against the demo installation's data, and one confirmation at the end.
#include <gtest/gtest.h>

#include <memory>

#include "archive/UpdArchDlg.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

class UpdateDialog : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    log_ = std::make_unique<test::OltrexLog>(Scratch());
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  }
  void TearDown() override {
    log_.reset();
    test::AnyHostDatabase::TearDown();
  }

  void InstallSampleData() { test::InstallUpdateData(Scratch()); }

  // Runs the dialog: the boxes given are clicked, then OK.
  int RunWith(std::vector<int> boxes, int button = 1) {
    dialogs.driver = [&](test::RecordedDialog& d) {
      for (int box : boxes) d.Toggle(box);
      d.Click(button);
    };
    return CUpdArchDlg().DoModal();
  }

  std::string Calls() const { return log_ ? log_->Calls() : ""; }

  std::unique_ptr<test::OltrexLog> log_;
};

TEST_P(UpdateDialog, EveryBoxRunsEachUpdateInItsOrderUnderTheWaitCursor) {
  InstallSampleData();
  EXPECT_EQ(RunWith({1019, 1020, 1021, 1032}), 1);
  // The lists of MaicoWin first, then the ASC archive, which goes through FitImport too.
  std::string s = Scratch();
  EXPECT_EQ(Calls(), "FitImport " + s + "\\MAICOWIN.FIT\nKitImport " + s + "\\MAICOWIN.KIT\nFitImport " + s +
                         "\\~MTEMP.FIT\n");
  EXPECT_EQ(Rows("SELECT Codice, Descrizione FROM Kit"), "KAR1|KIT ANTA RIBALTA\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Finiture"), "6\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche WHERE Codice LIKE 'SCHEDTEC%'"), "5\n");
  // The Excel prices come last: the list's price and description stand over the ASC archive's,
  // which stands over MaicoWin's FIT list.
  EXPECT_EQ(Rows("SELECT Codice, Descrizione, Costo FROM Accessori WHERE Codice IN ('301234', '700100') ORDER BY Codice"),
            test::UnderWine() ? "301234|Cerniera angolare rinnovata|13,4\n700100|SUPPORTO FORBICE|3,2\n"
                              : "301234|Cerniera angolare rinforzata|12,5\n700100|SUPPORTO FORBICE|3,2\n");
  EXPECT_EQ(ui.events, (std::vector<std::string>{"cursor wait", "cursor restored", "message Operazione completata."}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Aggiornamento archivi");
  EXPECT_EQ(ui.messages[0].style, platform::kMbIconAsterisk);
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Dialog);
}

TEST_P(UpdateDialog, NothingChosenOnlyConfirmsAndCancelRunsNothing) {
  InstallSampleData();
  EXPECT_EQ(RunWith({}), 1);
  EXPECT_EQ(ui.events, (std::vector<std::string>{"cursor wait", "cursor restored", "message Operazione completata."}));
  EXPECT_EQ(RunWith({1019, 1021}, 2), 2);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Calls(), "");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Kit"), "0\n");
}

// Absent keys: the import library still gets its two calls, with empty paths; the Excel
// import is passed over without a word.
TEST_P(UpdateDialog, AbsentListsGoOnAsEmptyPathsAndNoExcelListSkipsThePrices) {
  EXPECT_EQ(RunWith({1019, 1032}), 1);
  EXPECT_EQ(Calls(), "FitImport \nKitImport \n");
  EXPECT_EQ(ui.events, (std::vector<std::string>{"cursor wait", "cursor restored", "message Operazione completata."}));
}

ZMW_ON_EVERY_BACKEND(UpdateDialog);

}  // namespace
}  // namespace zmw
