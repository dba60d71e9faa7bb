// The archive update as the dialog's OK runs it: the chosen updates in their fixed order under
// the wait cursor, against the demo installation's data, and one confirmation at the end.
#include <gtest/gtest.h>

#include <memory>

#include "archive/UpdArchDlg.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

const std::vector<std::string> kConfirmed = {"cursor wait", "cursor restored", "message Operazione completata."};

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
  // Runs the dialog: the boxes given are clicked, then the button.
  int RunWith(std::vector<int> boxes, int button = 1) {
    ui.events.clear();
    dialogs.driver = [&](test::RecordedDialog& d) {
      for (int box : boxes) d.Toggle(box);
      d.Click(button);
    };
    return CUpdArchDlg().DoModal();
  }
  std::unique_ptr<test::OltrexLog> log_;
};

TEST_P(UpdateDialog, EveryBoxRunsEachUpdateInItsOrderUnderTheWaitCursor) {
  test::InstallUpdateData(Scratch());
  EXPECT_EQ(RunWith({1019, 1020, 1021, 1032}), 1);
  // The lists of MaicoWin first, then the ASC archive, which goes through FitImport too.
  std::string s = Scratch();
  EXPECT_EQ(log_->Calls(), "FitImport " + s + "\\MAICOWIN.FIT\nKitImport " + s + "\\MAICOWIN.KIT\nFitImport " + s + "\\~MTEMP.FIT\n");
  EXPECT_EQ(Rows("SELECT Codice, Descrizione FROM Kit"), "KAR1|KIT ANTA RIBALTA\n");
  EXPECT_EQ(Rows("SELECT Codice FROM Finiture ORDER BY Codice"), "ARGENTO\nBIANCO\nBRONZO\nF9\nNERO\nOTTONE\n");
  EXPECT_EQ(Rows("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "1\n");
  // The sample archive knows "Anta ribalta standard" as MW_SCHEDA_001: five new sheets follow.
  EXPECT_EQ(Rows("SELECT Codice, Descrizione FROM SchedeTecniche WHERE Codice LIKE 'SCHEDTEC%' ORDER BY Codice"),
            "SCHEDTEC_2|Anta ribalta con microventilazione\nSCHEDTEC_3|Vasistas\nSCHEDTEC_4|Scorrevole parallelo\n"
            "SCHEDTEC_5|Alzante scorrevole\nSCHEDTEC_6|Porta d'ingresso\n");
  // The Excel prices come last: the list's price and description stand over the ASC archive's,
  // which stands over MaicoWin's FIT list.
  EXPECT_EQ(Rows("SELECT Codice, Descrizione, Costo FROM Accessori WHERE Codice IN ('301234', '700100') ORDER BY Codice"),
            test::UnderWine() ? "301234|Cerniera angolare rinnovata|13,4\n700100|SUPPORTO FORBICE|3,2\n"
                              : "301234|Cerniera angolare rinforzata|12,5\n700100|SUPPORTO FORBICE|3,2\n");
  EXPECT_EQ(ui.events, kConfirmed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(std::tie(ui.messages[0].caption, ui.messages[0].style, ui.messages[0].owner),
            std::make_tuple("Aggiornamento archivi", unsigned(platform::kMbIconAsterisk), platform::Owner::Dialog));
}

TEST_P(UpdateDialog, AbsentListsGoOnAsEmptyPathsNothingChosenOnlyConfirmsAndCancelRunsNothing) {
  // Absent keys: the import library still gets its two calls, with empty paths; the Excel
  // import is passed over without a word.
  EXPECT_EQ(RunWith({1019, 1032}), 1);
  EXPECT_EQ(log_->Calls(), "FitImport \nKitImport \n");
  EXPECT_EQ(ui.events, kConfirmed);
  test::InstallUpdateData(Scratch());
  EXPECT_EQ(RunWith({}), 1);
  EXPECT_EQ(ui.events, kConfirmed);
  EXPECT_EQ(RunWith({1019, 1021}, 2), 2);
  EXPECT_EQ(ui.events, std::vector<std::string>{});
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(log_->Calls(), "FitImport \nKitImport \n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Kit"), "0\n");
}

ZMW_ON_EVERY_BACKEND(UpdateDialog);

}  // namespace
}  // namespace zmw
