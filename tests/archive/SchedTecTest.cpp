// MaicoWin's SCHEDTEC.DAT added to the host database under new numbered names.
#include <gtest/gtest.h>

#include "archive/SchedTecScanner.h"
#include "db/Connection.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

class Sheets : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    Apply("DELETE FROM SchedeTecniche");  // each test names the sheets it starts from
  }
  void Data(const std::string& bytes) { test::WriteFile("C:\\MAICOWIN\\DATI\\SCHEDTEC.DAT", bytes); }
  void Known(const std::string& code, const std::string& description) {
    Apply("INSERT INTO SchedeTecniche (Codice, Descrizione, Numero, Tipo, Produttore, Produttore2) VALUES ('" + code +
          "', '" + description + "', 0, 'MW_PARAM', 'MAICOWIN', 'MAICOWIN')");
  }
  std::string Added() { return Rows("SELECT Codice, Descrizione FROM SchedeTecniche WHERE Tipo = 'MW_PARAM' AND Numero = 0 ORDER BY Descrizione"); }
};

TEST_P(Sheets, NewDescriptionsGetTheNextNumbersAndKnownOnesUseNone) {
  Known("SCHEDTEC_3", "ANTA");
  Known("SCHEDTEC_12", "VASISTAS");
  Known("SCHEDTEC_X", "ALTRO");
  Data("BILICO\r\nANTA\r\nSCORREVOLE\r\nVASISTAS\r\nL'ALZANTE\r\nSCORREVOLE\r\n");
  SchedTecScanner scanner;
  EXPECT_EQ(scanner.Run(), 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_EQ(Rows("SELECT Codice, Descrizione, Numero, Tipo, Produttore, Produttore2 FROM SchedeTecniche WHERE "
                 "Codice IN ('SCHEDTEC_13', 'SCHEDTEC_14', 'SCHEDTEC_15', 'SCHEDTEC_16') ORDER BY Codice"),
            "SCHEDTEC_13|BILICO|0|MW_PARAM|MAICOWIN|MAICOWIN\n"
            "SCHEDTEC_14|SCORREVOLE|0|MW_PARAM|MAICOWIN|MAICOWIN\n"
            "SCHEDTEC_15|L'ALZANTE|0|MW_PARAM|MAICOWIN|MAICOWIN\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche"), "6\n") << "a sheet added earlier in the run is known";
  EXPECT_EQ(TheZelvoDb().Close(), -1) << "the run closed the database";
}

TEST_P(Sheets, DescriptionsAreFiftyCharactersWithoutTrailingBlanksAndTheBareMarkerIsSkipped) {
  std::string long80 = std::string(45, 'A') + "    B" + std::string(30, 'C');
  Data(long80 + "\r\n\r\nCRLF\r\nCRLF");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  EXPECT_EQ(Added(), "SCHEDTEC_2|\nSCHEDTEC_1|" + std::string(45, 'A') + "    B\nSCHEDTEC_3|CRLF\n");
}

TEST_P(Sheets, AnEmptyArchiveStartsAtOne) {
  Data("BILICO");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  EXPECT_EQ(Added(), "SCHEDTEC_1|BILICO\n");
}

// Past 99 the names simply grow: the number is never cut.
TEST_P(Sheets, NumbersGoOnPastNinetyNine) {
  Known("SCHEDTEC_99", "ANTA");
  Known("_500", "NON CONTA");  // a leading underscore names no numbered sheet
  Data("BILICO\r\nVASISTAS\r\n");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  EXPECT_EQ(Rows("SELECT Codice FROM SchedeTecniche WHERE Descrizione IN ('BILICO', 'VASISTAS') ORDER BY Codice"),
            "SCHEDTEC_100\nSCHEDTEC_101\n");
}

TEST_P(Sheets, AMissingFileChangesNothing) {
  EXPECT_EQ(SchedTecScanner().Run(), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche"), "0\n");
  EXPECT_EQ(TheZelvoDb().Close(), -1) << "closed again";
}

TEST_P(Sheets, AConnectionAlreadyOpenEndsTheRunAtOnce) {
  Data("BILICO\r\n");
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  EXPECT_EQ(SchedTecScanner().Run(), 0);
  EXPECT_EQ(TheZelvoDb().Close(), 1) << "left open, as it was found";
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche"), "0\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, Sheets, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                         test::BackendName);

class SheetFailures : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    Apply("DELETE FROM SchedeTecniche");
  }
  void DropStatement(const std::string& name) {
    std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
    std::size_t at = xml.find("  <" + name + ">");
    ASSERT_NE(at, std::string::npos);
    xml.erase(at, xml.find("\n", at) + 1 - at);
    test::WriteFile(Scratch() + "\\ZELVOMW.XML", xml);
  }
};

TEST_F(SheetFailures, WithoutTheHighestNumberTheFirstSheetIsZero) {
  DropStatement("MW_GET_ALL_SNAME");
  test::WriteFile("C:\\MAICOWIN\\DATI\\SCHEDTEC.DAT", "BILICO\r\n");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: GetLastIdNumber\nError: 0x80004003\n", 0), 0u) << ui.messages[0].text;
  EXPECT_EQ(Rows("SELECT Codice FROM SchedeTecniche"), "SCHEDTEC_0\n");
}

TEST_F(SheetFailures, AFailedLookupAddsNothing) {
  DropStatement("MW_GET_SCHEDTECH_NAME");
  test::WriteFile("C:\\MAICOWIN\\DATI\\SCHEDTEC.DAT", "BILICO\r\nVASISTAS\r\n");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text.rfind("Function: NomeSchedTechExists\nError: 0x80004003\n", 0), 0u);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche"), "0\n");
}

// A refused insertion is reported and its number stays free for the next sheet.
TEST_F(SheetFailures, AFailedInsertionKeepsItsNumberForTheNextSheet) {
  Apply("CREATE TRIGGER rifiuta BEFORE INSERT ON SchedeTecniche WHEN NEW.Descrizione = 'ROTTA' "
        "BEGIN SELECT RAISE(ABORT, 'scheda rifiutata'); END");
  test::WriteFile("C:\\MAICOWIN\\DATI\\SCHEDTEC.DAT", "BILICO\r\nROTTA\r\nVASISTAS\r\n");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: AddAsFit\n", 0), 0u);
  EXPECT_NE(ui.messages[0].text.find("scheda rifiutata"), std::string::npos) << ui.messages[0].text;
  EXPECT_EQ(Rows("SELECT Codice, Descrizione FROM SchedeTecniche ORDER BY Codice"),
            "SCHEDTEC_1|BILICO\nSCHEDTEC_2|VASISTAS\n");
}

}  // namespace
}  // namespace zmw
