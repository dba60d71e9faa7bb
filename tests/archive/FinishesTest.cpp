// MaicoWin's FINITURA.DAT brought into the host database, on each backend.
#include <gtest/gtest.h>

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
    // The sample data holds the accessory that the treatment flag is set on; it starts unset.
    Apply("UPDATE Accessori SET AccettaTratt = 0 WHERE Produttore = 'MAICOWIN' AND Codice = 'FINITURA'");
  }
  void Data(const std::string& bytes) { test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", bytes); }
  int CountOf(const std::string& text) const {
    int n = 0;
    for (const auto& m : ui.messages)
      if (m.text.rfind(text, 0) == 0) ++n;
    return n;
  }
};

TEST_P(Finishes, EveryLineIsDeletedCreatedAndLinkedThenTheTreatmentIsSet) {
  Data("ALLUMINIO ANODIZZATO\r\n\r\nL'ORO\r\nBIANCO    \t\r\n  RAL9010\r\nBIANCO");
  MWDataScanner scanner;
  EXPECT_EQ(scanner.Run(), 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  // The code is the first ten characters with trailing white space gone; leading blanks stay.
  EXPECT_EQ(Rows("SELECT Codice FROM Finiture ORDER BY Codice"), "\n  RAL9010\nALLUMINIO\nBIANCO\nL'ORO\n");
  EXPECT_EQ(Rows("SELECT Produttore, Produttore2, Codice, Finitura FROM FinitureAccessori WHERE Finitura = 'BIANCO'"),
            "MAICOWIN|MAICOWIN|FINITURA|BIANCO\n")
      << "a code twice in the file is made twice and linked once";
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM FinitureAccessori"), "5\n");
  EXPECT_EQ(Rows("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "1\n");
  EXPECT_EQ(TheZelvoDb().Close(), -1) << "the run closed the database";
}

TEST_P(Finishes, AnEmptyFileOnlySetsTheTreatment) {
  Data("");
  EXPECT_EQ(MWDataScanner().Run(), 1);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Finiture"), "0\n");
  EXPECT_EQ(Rows("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "1\n");
}

TEST_P(Finishes, AMissingFileChangesNothingAndSaysNothing) {
  EXPECT_EQ(MWDataScanner().Run(), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Rows("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "0\n");
}

TEST_P(Finishes, ALongLineCountsInPiecesOfTheBuffer) {
  Data(std::string(1023, 'X') + std::string(477, 'Y') + "\r\n");
  EXPECT_EQ(MWDataScanner().Run(), 1);
  EXPECT_EQ(Rows("SELECT Finitura FROM FinitureAccessori ORDER BY Finitura"), "XXXXXXXXXX\nYYYYYYYYYY\n")
      << "1023 characters, then the rest";
}

TEST_P(Finishes, AnExistingFinishIsMadeAgainNotDoubled) {
  Apply("INSERT INTO Finiture (Codice) VALUES ('BIANCO')");
  Data("BIANCO\r\n");
  EXPECT_EQ(MWDataScanner().Run(), 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Rows("SELECT Codice FROM Finiture"), "BIANCO\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, Finishes, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                         test::BackendName);

class FinishFailures : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  }
  int CountOf(const std::string& text) const {
    int n = 0;
    for (const auto& m : ui.messages)
      if (m.text.rfind(text, 0) == 0) ++n;
    return n;
  }
};

// Every operation reports on its own and the scan goes on: 200 finishes on a database that
// does not open give 3 reports a line and one for the treatment.
TEST_F(FinishFailures, ABrokenConnectionIsReportedByEveryOperation) {
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "F" + std::to_string(i) + "\r\n";
  test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", lines);
  test::RemoveTree(DatabaseFile());
  EXPECT_EQ(MWDataScanner().Run(), 1);
  EXPECT_EQ(CountOf("Function: ApriZelvoDb\n"), 1);
  EXPECT_EQ(CountOf("Function: CancellaFinitura\n"), 200);
  EXPECT_EQ(CountOf("Function: CreaFinitura\n"), 200);
  EXPECT_EQ(CountOf("Function: AggFinituraSuAcc\n"), 200);
  EXPECT_EQ(CountOf("Function: SetAccettaTratt\n"), 1);
  EXPECT_EQ(ui.messages[1].caption, "ZelvoMW");
  EXPECT_EQ(ui.messages[1].style, platform::kMbIconExclamation);
}

TEST_F(FinishFailures, AMissingStatementIsReportedAndTheOthersStillRun) {
  std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
  std::size_t at = xml.find("  <MW_INS_FINITURA>");
  xml.erase(at, xml.find("\n", at) + 1 - at);
  test::WriteFile(Scratch() + "\\ZELVOMW.XML", xml);
  test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", "ROSSO\r\nVERDE\r\n");
  EXPECT_EQ(MWDataScanner().Run(), 1);
  ASSERT_EQ(CountOf("Function: CreaFinitura\nError: 0x80004003\n"), 2);
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Finiture"), "0\n");
  EXPECT_EQ(Rows("SELECT Finitura FROM FinitureAccessori ORDER BY Finitura"), "ROSSO\nVERDE\n");
}

// What the scanner sends: the apostrophe doubled in every statement.
TEST_F(FinishFailures, ApostrophesAreDoubledInEveryStatement) {
  std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
  // A statement file that shows what it receives: the texts end up in a table of their own.
  xml.replace(xml.find("<MW_DEL_FINITURA>"), xml.find("</MW_DEL_FINITURA>") - xml.find("<MW_DEL_FINITURA>"),
              "<MW_DEL_FINITURA>INSERT INTO Finiture (Codice) VALUES ('del %s')");
  test::WriteFile(Scratch() + "\\ZELVOMW.XML", xml);
  test::WriteFile("C:\\MAICOWIN\\DATI\\FINITURA.DAT", "L'ORO\r\n");
  EXPECT_EQ(MWDataScanner().Run(), 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_EQ(Rows("SELECT Codice FROM Finiture ORDER BY Codice"), "L'ORO\ndel L'ORO\n");
  EXPECT_EQ(Rows("SELECT Finitura FROM FinitureAccessori"), "L'ORO\n");
}

}  // namespace
}  // namespace zmw
