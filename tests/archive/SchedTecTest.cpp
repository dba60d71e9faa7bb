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
  }
  // Starts from the sheets given, as "code|description" lines.
  void Start(const std::string& known, const char* data) {
    Apply("DELETE FROM SchedeTecniche");
    for (std::size_t at = 0, bar; (bar = known.find('|', at)) != std::string::npos; at = known.find('\n', bar) + 1)
      Apply("INSERT INTO SchedeTecniche (Codice, Descrizione, Numero, Tipo, Produttore, Produttore2) VALUES ('" + known.substr(at, bar - at) +
            "', '" + known.substr(bar + 1, known.find('\n', bar) - bar - 1) + "', 0, 'MW_PARAM', 'MAICOWIN', 'MAICOWIN')");
    if (data) test::WriteFile("C:\\MAICOWIN\\DATI\\SCHEDTEC.DAT", data);
    else test::RemoveTree("C:\\MAICOWIN\\DATI\\SCHEDTEC.DAT");
  }
  std::string All() {
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM SchedeTecniche WHERE NOT (Numero = 0 AND Tipo = 'MW_PARAM' AND Produttore = 'MAICOWIN' "
                   "AND Produttore2 = 'MAICOWIN')"), "0\n");
    return Rows("SELECT Codice, Descrizione FROM SchedeTecniche ORDER BY Codice");
  }
};

class SheetFailures : public Sheets {};

TEST_P(Sheets, NewDescriptionsGetTheNextNumbersAndKnownOnesUseNone) {
  std::string long80 = std::string(45, 'A') + "    B" + std::string(30, 'C');
  struct { std::string known, data; bool open; int result; std::string after; } runs[] = {
      // A sheet added earlier in the run is known; a code that is not numbered counts for nothing.
      {"SCHEDTEC_3|ANTA\nSCHEDTEC_12|VASISTAS\nSCHEDTEC_X|ALTRO\n", "BILICO\r\nANTA\r\nSCORREVOLE\r\nVASISTAS\r\nL'ALZANTE\r\nSCORREVOLE\r\n", false, 1,
       "SCHEDTEC_12|VASISTAS\nSCHEDTEC_13|BILICO\nSCHEDTEC_14|SCORREVOLE\nSCHEDTEC_15|L'ALZANTE\nSCHEDTEC_3|ANTA\nSCHEDTEC_X|ALTRO\n"},
      // Fifty characters without trailing blanks; the bare marker at the end is skipped.
      {"", long80 + "\r\n\r\nCRLF\r\nCRLF", false, 1, "SCHEDTEC_1|" + std::string(45, 'A') + "    B\nSCHEDTEC_2|\nSCHEDTEC_3|CRLF\n"},
      // Past 99 the names simply grow; a leading underscore names no numbered sheet.
      {"SCHEDTEC_99|ANTA\n_500|NON CONTA\n", "BILICO\r\nVASISTAS\r\n", false, 1, "SCHEDTEC_100|BILICO\nSCHEDTEC_101|VASISTAS\nSCHEDTEC_99|ANTA\n_500|NON CONTA\n"},
      {"", "", false, 0, ""},  // no file
      {"", "BILICO\r\n", true, 0, ""}};  // a connection already open ends the run at once, and stays open
  for (const auto& run : runs) {
    SCOPED_TRACE(run.after);
    Start(run.known, run.result || run.open ? run.data.c_str() : nullptr);
    if (run.open) {
      ASSERT_EQ(TheZelvoDb().Open(""), 1);
    }
    EXPECT_EQ(SchedTecScanner().Run(), run.result);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(All(), run.after);
    EXPECT_EQ(TheZelvoDb().Close(), run.open ? 1 : -1) << "the run closes the database it opened";
  }
}

TEST_P(SheetFailures, AreReportedAndTheRunGoesOn) {
  std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
  struct { const char *statement, *data; std::size_t boxes; const char *box, *after; } runs[] = {
      {"MW_GET_ALL_SNAME", "BILICO\r\n", 1, "Function: GetLastIdNumber\nError: 0x80004003\n", "SCHEDTEC_0|BILICO\n"},  // numbered from zero
      {"MW_GET_SCHEDTECH_NAME", "BILICO\r\nVASISTAS\r\n", 2, "Function: NomeSchedTechExists\nError: 0x80004003\n", ""},
      // A refused insertion keeps its number for the next sheet.
      {nullptr, "BILICO\r\nROTTA\r\nVASISTAS\r\n", 1, "Function: AddAsFit\n", "SCHEDTEC_1|BILICO\nSCHEDTEC_2|VASISTAS\n"}};
  Apply("CREATE TRIGGER rifiuta BEFORE INSERT ON SchedeTecniche WHEN NEW.Descrizione = 'ROTTA' BEGIN SELECT RAISE(ABORT, 'scheda rifiutata'); END");
  for (const auto& run : runs) {
    SCOPED_TRACE(run.box);
    std::size_t at = run.statement ? xml.find(std::string("  <") + run.statement + ">") : 0;
    test::WriteFile(Scratch() + "\\ZELVOMW.XML", run.statement ? std::string(xml).erase(at, xml.find("\n", at) + 1 - at) : xml);
    Start("", run.data);
    ui.messages.clear();
    EXPECT_EQ(SchedTecScanner().Run(), 1);
    ASSERT_EQ(ui.messages.size(), run.boxes);
    for (const auto& m : ui.messages) EXPECT_EQ(m.text.rfind(run.box, 0), 0u) << m.text;
    EXPECT_EQ(All(), run.after);
  }
  EXPECT_NE(ui.messages[0].text.find("scheda rifiutata"), std::string::npos) << ui.messages[0].text;
}

ZMW_ON_EVERY_BACKEND(Sheets);
INSTANTIATE_TEST_SUITE_P(Backends, SheetFailures, ::testing::Values(test::Backend::Sqlite), test::BackendName);

}  // namespace
}  // namespace zmw
