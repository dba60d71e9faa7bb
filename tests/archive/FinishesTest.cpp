// MaicoWin's FINITURA.DAT brought into the host database, on each backend.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/MWDataScanner.h"
#include "db/Connection.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

class Finishes : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  }
  void Data(const std::string& bytes) { test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", bytes); }
  int CountOf(const std::string& start) const {
    return int(std::count_if(ui.messages.begin(), ui.messages.end(), [&](const auto& m) { return m.text.rfind(start, 0) == 0; }));
  }
};

class FinishFailures : public Finishes {};

TEST_P(Finishes, EveryLineIsDeletedCreatedAndLinkedThenTheTreatmentIsSet) {
  // The code is the first ten characters with trailing white space gone; leading blanks stay.
  // A code twice in the file is made twice and linked once; a long line counts in pieces of
  // the buffer, 1023 characters then the rest.
  struct { std::string data; int result; const char *finishes, *links, *treatment; } runs[] = {
      {"ALLUMINIO ANODIZZATO\r\n\r\nL'ORO\r\nBIANCO    \t\r\n  RAL9010\r\nBIANCO", 1, "\n  RAL9010\nALLUMINIO\nBIANCO\nL'ORO\n",
       "\n  RAL9010\nALLUMINIO\nBIANCO\nL'ORO\n", "1\n"},
      {"", 1, "", "", "1\n"},
      {"", 0, "", "", "0\n"},  // a missing file changes nothing
      {std::string(1023, 'X') + std::string(477, 'Y') + "\r\n", 1, "XXXXXXXXXX\nYYYYYYYYYY\n", "XXXXXXXXXX\nYYYYYYYYYY\n", "1\n"}};
  for (auto& run : runs) {
    SCOPED_TRACE(run.finishes);
    Apply("DELETE FROM Finiture");
    Apply("DELETE FROM FinitureAccessori");
    // The sample data holds the accessory that the treatment flag is set on; it starts unset.
    Apply("UPDATE Accessori SET AccettaTratt = 0 WHERE Produttore = 'MAICOWIN' AND Codice = 'FINITURA'");
    if (run.result) Data(run.data);
    else test::RemoveTree("C:\\MAICOWIN\\DATI\\FINITURA.DAT");
    EXPECT_EQ(MWDataScanner().Run(), run.result);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(Rows("SELECT Codice FROM Finiture ORDER BY Codice"), run.finishes);
    EXPECT_EQ(Rows("SELECT Finitura FROM FinitureAccessori ORDER BY Finitura"), run.links);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM FinitureAccessori WHERE Produttore <> 'MAICOWIN' OR Produttore2 <> 'MAICOWIN' OR Codice <> 'FINITURA'"), "0\n");
    EXPECT_EQ(Rows("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), run.treatment);
    EXPECT_EQ(TheZelvoDb().Close(), -1) << "the run closed the database";
  }
}

// Every operation reports on its own and the scan goes on: 200 finishes on a database that
// does not open give 3 reports a line and one for the treatment.
TEST_P(FinishFailures, ABrokenConnectionIsReportedByEveryOperation) {
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "F" + std::to_string(i) + "\r\n";
  Data(lines);
  test::RemoveTree(DatabaseFile());
  EXPECT_EQ(MWDataScanner().Run(), 1);
  for (auto [function, count] : {std::pair{"ApriZelvoDb", 1}, {"CancellaFinitura", 200}, {"CreaFinitura", 200}, {"AggFinituraSuAcc", 200}, {"SetAccettaTratt", 1}})
    EXPECT_EQ(CountOf(std::string("Function: ") + function + "\n"), count) << function;
  EXPECT_EQ(ui.messages[1].caption, "ZelvoMW");
  EXPECT_EQ(ui.messages[1].style, platform::kMbIconExclamation);
}

TEST_P(FinishFailures, AMissingStatementIsReportedAndTheOthersStillRun) {
  std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
  std::size_t at = xml.find("  <MW_INS_FINITURA>");
  test::WriteFile(Scratch() + "\\ZELVOMW.XML", xml.erase(at, xml.find("\n", at) + 1 - at));
  Data("ROSSO\r\nVERDE\r\n");
  EXPECT_EQ(MWDataScanner().Run(), 1);
  ASSERT_EQ(CountOf("Function: CreaFinitura\nError: 0x80004003\n"), 2);
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Finiture"), "0\n");
  EXPECT_EQ(Rows("SELECT Finitura FROM FinitureAccessori ORDER BY Finitura"), "ROSSO\nVERDE\n");
}

ZMW_ON_EVERY_BACKEND(Finishes);
INSTANTIATE_TEST_SUITE_P(Backends, FinishFailures, ::testing::Values(test::Backend::Sqlite), test::BackendName);

}  // namespace
}  // namespace zmw
