// The demo installation's own data files update its database: MaicoWin's finishes and
// technical sheets, and Maico's article list in each of its three layouts.
#include <gtest/gtest.h>

#include "archive/MWDataScanner.h"
#include "archive/SchedTecScanner.h"
#include "import/AscConverter.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

class SampleData : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    for (const char* file : {"FINITURA.DAT", "SCHEDTEC.DAT"})
      test::WriteFile(std::string("C:\\MAICOWIN\\DATI\\") + file,
                      test::ReadFile(test::SourceFile(std::string("samples/maicowin/DATI/") + file)));
  }
};

TEST_P(SampleData, FinishesAndTechnicalSheets) {
  EXPECT_EQ(MWDataScanner().Run(), 1);
  EXPECT_EQ(Rows("SELECT Codice FROM Finiture ORDER BY Codice"), "ARGENTO\nBIANCO\nBRONZO\nF9\nNERO\nOTTONE\n");
  EXPECT_EQ(Rows("SELECT AccettaTratt FROM Accessori WHERE Codice = 'FINITURA'"), "1\n");
  EXPECT_EQ(SchedTecScanner().Run(), 1);
  // The sample archive knows "Anta ribalta standard" as MW_SCHEDA_001: five new sheets follow.
  EXPECT_EQ(Rows("SELECT Codice, Descrizione FROM SchedeTecniche WHERE Codice LIKE 'SCHEDTEC%' ORDER BY Codice"),
            "SCHEDTEC_2|Anta ribalta con microventilazione\nSCHEDTEC_3|Vasistas\nSCHEDTEC_4|Scorrevole parallelo\n"
            "SCHEDTEC_5|Alzante scorrevole\nSCHEDTEC_6|Porta d'ingresso\n");
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
}

struct LayoutCase {
  const char* file;
  const char* rows;
};

class SampleArticles : public test::HostDatabase, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(SampleArticles, ComeIntoTheAccessoryArchive) {
  test::WriteFile(Scratch() + "\\ARTICOLI.ASC", test::ReadFile(test::SourceFile(std::string("samples/maico/") + GetParam().file)));
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  EXPECT_EQ(AscConverter().Import(), 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_EQ(Rows("SELECT Codice, UnMis, Costo FROM Accessori WHERE Produttore = 'MAICO' AND Codice IN "
                 "('301234', '301240', '402010', '402020', '509900', '509910') ORDER BY Codice"),
            GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Backends, SampleData, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                         test::BackendName);
// Layout A has no price unit: its file holds only the articles priced by the piece.
INSTANTIATE_TEST_SUITE_P(
    Layouts, SampleArticles,
    ::testing::Values(LayoutCase{"ARTICOLI_A.ASC",
                                 "301234|1|13,4\n301240|1|18,9\n402010|2|9,9\n509900|1|21,5\n509910|1|29\n"},
                      LayoutCase{"ARTICOLI_B.ASC",
                                 "301234|1|13,4\n301240|1|18,9\n402010|4|9,9\n402020|4|12,5\n509900|1|21,5\n509910|1|29\n"},
                      LayoutCase{"ARTICOLI_C.ASC",
                                 "301234|1|13,4\n301240|1|18,9\n402010|4|9,9\n402020|4|12,5\n509900|1|21,5\n509910|1|29\n"}),
    [](const auto& info) { return std::string(1, info.param.file[9]); });

}  // namespace
}  // namespace zmw
