// Maico's ASC article file turned into a FIT list and taken into the host database by the
// stand-in import library, a real shared library (a DLL under Wine).
#include <gtest/gtest.h>

#include "import/AscConverter.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

// --- Fields and numbers -------------------------------------------------------------------

struct CutCase {
  const char* line;
  std::size_t start, width;
  const char* expected;
};

class CutFields : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutFields, AreTrimmedOfBlanksAndLoseTheirFirstQuote) {
  const CutCase& c = GetParam();
  EXPECT_EQ(AscConverter::CutField(c.line, c.start, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CutFields,
    ::testing::Values(CutCase{"  ABC  X", 0, 7, "ABC"}, CutCase{"\"ABC\"", 0, 5, "ABC\""},
                      CutCase{"A\"B\"C", 0, 5, "AB\"C"}, CutCase{"     ", 0, 5, ""},
                      CutCase{"\tA\t", 0, 3, "\tA\t"} /* only the blank is trimmed */,
                      CutCase{"ABCDEF", 4, 10, "EF"} /* the line ends earlier */, CutCase{"ABC", 3, 2, ""},
                      CutCase{"ABC", 9, 2, ""}, CutCase{"XYMT\n", 2, 3, "MT\n"} /* the line end stays */));

struct PriceCase {
  const char* price;
  const char* multiplier;
  const char* unit;
  const char* expected;
};

class AscPrices : public ::testing::TestWithParam<PriceCase> {};

TEST_P(AscPrices, FollowTheImportLibrarysRules) {
  const PriceCase& c = GetParam();
  EXPECT_EQ(AscPriceText(c.price, c.multiplier, c.unit), c.expected) << c.price << " x" << c.multiplier << " /" << c.unit;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AscPrices,
    ::testing::Values(PriceCase{"1.234,56", "1", "1", "1234.56"},
                      PriceCase{"12.50", "1", "1", "1250.00"} /* the point is a thousands separator */,
                      PriceCase{"10,00", "5", "100", "0.50"}, PriceCase{"12,34", "", "1", "0.00"},
                      PriceCase{"1234567,89", "1", "1", "1234567.88"} /* single precision */,
                      PriceCase{"0,125", "1", "1", "0.13"} /* half away from zero */,
                      PriceCase{"0,375", "1", "1", "0.38"}, PriceCase{"-0,125", "1", "1", "-0.13"},
                      PriceCase{"7,50", "2", "0", "15.00"} /* a price unit of 0 is 1 */,
                      PriceCase{"  3,5xyz", " 2", "1", "7.00"}, PriceCase{"abc", "1", "1", "0.00"},
                      PriceCase{"inf", "1", "1", "0.00"} /* no word is a number */,
                      PriceCase{"1,5e2", "1", "1", "150.00"},
                      PriceCase{"99999999,00", "1000", "1", "99999997952.00"} /* 14 characters */,
                      PriceCase{"1000000000,00", "1000", "1", ""} /* 10^12: too wide */,
                      PriceCase{"1e39", "1", "1", ""} /* beyond single precision */));

// --- Conversion and import ------------------------------------------------------------------

std::string Pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

// Lines of the three layouts, without their line ends (102, 175 characters and up to 101).
std::string LineA(const std::string& code, const std::string& description, const std::string& shortCode,
                  const std::string& multiplier, const std::string& unit, const std::string& price) {
  return Pad(code, 10) + Pad(description, 65) + Pad(shortCode, 4) + Pad(multiplier, 3) + Pad(unit, 3) + Pad(price, 11);
}
std::string LineB(const std::string& code, const std::string& description, const std::string& shortCode,
                  const std::string& multiplier, const std::string& unit, const std::string& price,
                  const std::string& priceUnit) {
  return Pad(code, 10) + Pad(description, 65) + Pad(shortCode, 4) + Pad(multiplier, 3) + Pad(unit, 5) + Pad(price, 11) +
         Pad(priceUnit, 4);
}
std::string LineC(const std::string& code, const std::string& description, const std::string& shortCode,
                  const std::string& multiplier, const std::string& unit, const std::string& price,
                  const std::string& priceUnit) {
  return Pad(code, 10) + Pad(description, 120) + Pad(shortCode, 20) + Pad(multiplier, 4) + Pad(unit, 5) +
         Pad(price, 11) + Pad(priceUnit, 5);
}

class Asc : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  }
  void Source(const std::string& bytes) { test::WriteFile(Scratch() + "\\ARTICOLI.ASC", bytes); }
  std::string Temporary() const { return Scratch() + "\\~MTEMP.FIT"; }
};

TEST_P(Asc, EveryLayoutIsCutByItsOwnColumns) {
  ASSERT_EQ(LineB("", "", "", "", "", "", "").size(), 102u);
  ASSERT_EQ(LineC("", "", "", "", "", "", "").size(), 175u);
  Source(LineA("301234", "CERNIERA", "A1", "10", "PZ", "1,234") + "\r\n" +
         LineB("402010", "\"ASTA\" CREMONESE", "B2", "1", "MT", "10,00", "100") + "\r\n" +
         LineC("509900", "MANIGLIA IN OTTONE", "CORTO-C", "2", "m", "", "") + "\r\n" +
         LineA("600001", "TAPPO", "", "", "mt", "1,5") + "\r\n");
  AscConverter converter;
  EXPECT_EQ(converter.TemporaryPath(), Scratch() + "\\~MTEMP.FIT");
  EXPECT_EQ(converter.Convert(), 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(test::ReadFile(Temporary()),
            "MAICO;MAICO;301234;;CERNIERA;A1;1;10;GR;12.34\r\n"
            "MAICO;MAICO;402010;;ASTA\" CREMONESE;B2;4;1;GR;0.10\r\n"
            "MAICO;MAICO;509900;;MANIGLIA IN OTTONE;CORTO-C;4;2;GR;0.00\r\n"
            "MAICO;MAICO;600001;;TAPPO;;1;;GR;0.00\r\n");
}

TEST_P(Asc, TheImportLoadsTheListAndDeletesIt) {
  Source(LineB("301234", "CERNIERA NUOVA", "A1", "1", "PZ", "13,50", "1") + "\r\n" +
         LineB("777777", "ARTICOLO NUOVO", "Z9", "2", "MT", "1,25", "1") + "\r\n" +
         LineA("888888", "ULTIMO SENZA FINE RIGA", "", "1", "PZ", "2,00"));
  EXPECT_EQ(AscConverter().Import(), 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_FALSE(test::FileExists(Temporary()));
  EXPECT_EQ(Rows("SELECT Codice, Descrizione, CodiceBreve, UnMis, Moltiplicatore, GruppoStampa, Costo FROM Accessori "
                 "WHERE Codice IN ('301234', '777777', '888888') ORDER BY Codice"),
            "301234|CERNIERA NUOVA|A1|1|1|GR|13,5\n777777|ARTICOLO NUOVO|Z9|4|2|GR|2,5\n"
            "888888|ULTIMO SENZA FINE RIGA||1|1|GR|2\n");
  EXPECT_EQ(Rows("SELECT Categoria FROM Accessori WHERE Codice = '301234'"), "CERNIERE\n")
      << "what the list does not carry stays";
}

// A line of no known length stops the conversion; what came before is imported all the same.
TEST_P(Asc, AnUnrecognisedLineStopsTheConversionButNotTheImport) {
  Source(LineB("111111", "PRIMO", "", "1", "PZ", "1,00", "1") + "\r\n" + std::string(149, 'X') + "\r\n" +
         LineB("222222", "DOPO", "", "1", "PZ", "1,00", "1") + "\r\n");
  ui.messageAnswers = {platform::kIdCancel};
  EXPECT_EQ(AscConverter().Import(), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Formato importazione accessori non riconosciuto.");
  EXPECT_EQ(ui.messages[0].caption, "Errore");
  EXPECT_EQ(ui.messages[0].style, platform::kMbOkCancel);
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Active);
  EXPECT_EQ(Rows("SELECT Codice FROM Accessori WHERE Codice IN ('111111', '222222')"), "111111\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, Asc, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                         test::BackendName);

class AscFiles : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  }
  void Source(const std::string& bytes) { test::WriteFile(Scratch() + "\\ARTICOLI.ASC", bytes); }
  std::string Converted() {
    AscConverter converter;
    EXPECT_EQ(converter.Convert(), 1);
    return test::ReadFile(Scratch() + "\\~MTEMP.FIT");
  }
};

// Without its line end the last line of layout B is 102 characters long: layout A.
TEST_F(AscFiles, ALastLineWithoutItsEndIsCountedOneShorter) {
  Source(LineB("402010", "ASTA", "B2", "1", "PZ", "10,00", "100"));
  EXPECT_EQ(Converted(), "MAICO;MAICO;402010;;ASTA;B2;1;1;GR;10.00\r\n") << "A's price field, without B's price unit";
}

// A layout-A line of 85 characters has its line end in the unit field.
TEST_F(AscFiles, AnEightyFiveCharacterLineHasNoPriceAndItsUnitHoldsTheLineEnd) {
  std::string line = Pad("301234", 10) + Pad("CERNIERA", 65) + Pad("", 4) + Pad("1", 3) + "MT";
  ASSERT_EQ(line.size(), 84u);
  Source(line + "\r\n");
  EXPECT_EQ(Converted(), "MAICO;MAICO;301234;;CERNIERA;;1;1;GR;0.00\r\n");
}

TEST_F(AscFiles, ShortLinesBlankOnesArePassedOverOthersAreUnrecognised) {
  Source(LineA("111111", "PRIMO", "", "1", "PZ", "1,00") + "\r\n\r\n   \r\n" + "TROPPO CORTA\r\n" +
         LineA("222222", "DOPO", "", "1", "PZ", "1,00") + "\r\n");
  EXPECT_EQ(Converted(), "MAICO;MAICO;111111;;PRIMO;;1;1;GR;1.00\r\n");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Formato importazione accessori non riconosciuto.");
}

TEST_F(AscFiles, AnOutsizedPriceLeavesItsArticleOutAndSaysWhichLine) {
  Source(LineA("111111", "PRIMO", "", "1", "PZ", "1,00") + "\r\n" +
         LineA("999999", "CARISSIMO", "", "100", "PZ", "9999999999") + "\r\n" +
         LineA("222222", "DOPO", "", "1", "PZ", "2,00") + "\r\n");
  EXPECT_EQ(Converted(), "MAICO;MAICO;111111;;PRIMO;;1;1;GR;1.00\r\nMAICO;MAICO;222222;;DOPO;;1;1;GR;2.00\r\n");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Prezzo fuori misura alla riga 2 (articolo 999999): l'articolo non viene importato.");
  EXPECT_EQ(ui.messages[0].caption, "ATTENZIONE");
}

// A line longer than a read comes in pieces, each of its own length: here an unknown one.
TEST_F(AscFiles, ALineLongerThanAReadIsClassifiedInPieces) {
  Source(LineA("111111", "PRIMO", "", "1", "PZ", "1,00") + "\r\n" + std::string(3000, 'Z') + "\r\n");
  EXPECT_EQ(Converted(), "MAICO;MAICO;111111;;PRIMO;;1;1;GR;1.00\r\n");
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(AscFiles, EveryFailureToOpenIsSaidTwiceAndNothingIsImported) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", nullptr);
  EXPECT_EQ(AscConverter().Import(), 0);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Impossibile aprire ");
  EXPECT_EQ(ui.messages[0].caption, "ATTENZIONE");
  EXPECT_EQ(ui.messages[0].style, platform::kMbIconExclamation);
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);
  EXPECT_EQ(ui.messages[1].text, "Impossibile convertire " + Scratch() + "\\~MTEMP.FIT");

  ui.messages.clear();
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  Source(LineA("111111", "PRIMO", "", "1", "PZ", "1,00") + "\r\n");
  test::MakeFolders(Scratch() + "\\~MTEMP.FIT");  // a folder where the list should go
  EXPECT_EQ(AscConverter().Import(), 0);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Impossibile aprire " + Scratch() + "\\~MTEMP.FIT");
  EXPECT_EQ(ui.messages[1].text, "Impossibile convertire " + Scratch() + "\\~MTEMP.FIT");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Accessori WHERE Codice = '111111'"), "0\n");
}

}  // namespace
}  // namespace zmw
