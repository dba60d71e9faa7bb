// Maico's ASC article file turned into a FIT list and taken into the host database by the
// stand-in import library, a real shared library (a DLL under Wine).
#include <gtest/gtest.h>

#include "import/AscConverter.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

TEST(AscFields, AreTrimmedOfBlanksAndLoseTheirFirstQuote) {
  const struct { const char* line; std::size_t start, width; const char* expected; } rows[] = {{"  ABC  X", 0, 7, "ABC"},  {"\"ABC\"", 0, 5, "ABC\""}, {"A\"B\"C", 0, 5, "AB\"C"}, {"     ", 0, 5, ""},
              {"\tA\t", 0, 3, "\tA\t"} /* only the blank is trimmed */, {"ABCDEF", 4, 10, "EF"} /* the line ends earlier */,
              {"ABC", 3, 2, ""},         {"ABC", 9, 2, ""},         {"XYMT\n", 2, 3, "MT\n"} /* the line end stays */};
  for (const auto& r : rows) EXPECT_EQ(AscConverter::CutField(r.line, r.start, r.width), r.expected) << r.line << " " << r.start;
}

TEST(AscPrices, FollowTheImportLibrarysRules) {
  const struct { const char *price, *multiplier, *unit, *expected; } rows[] = {
      {"1.234,56", "1", "1", "1234.56"}, {"12.50", "1", "1", "1250.00"} /* the point is a thousands separator */,
      {"10,00", "5", "100", "0.50"},     {"12,34", "", "1", "0.00"},    {"1234567,89", "1", "1", "1234567.88"} /* single precision */,
      {"0,125", "1", "1", "0.13"} /* half away from zero */,            {"0,375", "1", "1", "0.38"}, {"-0,125", "1", "1", "-0.13"},
      {"7,50", "2", "0", "15.00"} /* a price unit of 0 is 1 */,         {"  3,5xyz", " 2", "1", "7.00"}, {"abc", "1", "1", "0.00"},
      {"inf", "1", "1", "0.00"} /* no word is a number */,              {"1,5e02", "1", "1", "150.00"},
      {"99999999,00", "1000", "1", "99999997952.00"} /* 14 characters */, {"1000000000,00", "1000", "1", ""} /* 10^12: too wide */,
      {"1e39", "1", "1", ""} /* beyond single precision */};
  for (const auto& r : rows)
    EXPECT_EQ(AscPriceText(r.price, r.multiplier, r.unit), r.expected) << r.price << " x" << r.multiplier << " /" << r.unit;
}

// The three layouts by their field widths (without their line ends 102, 175 characters and up
// to 101): code, description, short code, multiplier, unit, price and, but in A, price unit.
const std::vector<std::size_t> kA = {10, 65, 4, 3, 3, 11}, kB = {10, 65, 4, 3, 5, 11, 4}, kC = {10, 120, 20, 4, 5, 11, 5};

std::string Line(const std::vector<std::size_t>& layout, std::vector<std::string> fields) {
  std::string line;
  fields.resize(layout.size());
  for (std::size_t i = 0; i < layout.size(); ++i) line += fields[i].append(layout[i], ' ').substr(0, layout[i]);
  return line;
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
  std::vector<std::string> Messages() {
    std::vector<std::string> shown;
    for (const auto& m : ui.messages) shown.push_back(m.caption + ": " + m.text);
    return shown;
  }
};

TEST_P(Asc, TheImportLoadsTheListAndDeletesIt) {
  Source(Line(kB, {"301234", "CERNIERA NUOVA", "A1", "1", "PZ", "13,50", "1"}) + "\r\n" +
         Line(kB, {"777777", "ARTICOLO NUOVO", "Z9", "2", "MT", "1,25", "1"}) + "\r\n" +
         Line(kA, {"888888", "ULTIMO SENZA FINE RIGA", "", "1", "PZ", "2,00"}));
  EXPECT_EQ(AscConverter().Import(), 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_FALSE(test::FileExists(Temporary()));
  // What the list does not carry (the category) stays.
  EXPECT_EQ(Rows("SELECT Codice, Descrizione, CodiceBreve, UnMis, Moltiplicatore, GruppoStampa, Costo, Categoria "
                 "FROM Accessori WHERE Codice IN ('301234', '777777', '888888') ORDER BY Codice"),
            "301234|CERNIERA NUOVA|A1|1|1|GR|13,5|CERNIERE\n777777|ARTICOLO NUOVO|Z9|4|2|GR|2,5|(null)\n"
            "888888|ULTIMO SENZA FINE RIGA||1|1|GR|2|(null)\n");
}

// A line of no known length stops the conversion; what came before is imported all the same.
TEST_P(Asc, AnUnrecognisedLineStopsTheConversionButNotTheImport) {
  Source(Line(kB, {"111111", "PRIMO", "", "1", "PZ", "1,00", "1"}) + "\r\n" + std::string(149, 'X') + "\r\n" +
         Line(kB, {"222222", "DOPO", "", "1", "PZ", "1,00", "1"}) + "\r\n");
  ui.messageAnswers = {platform::kIdCancel};
  EXPECT_EQ(AscConverter().Import(), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Errore: Formato importazione accessori non riconosciuto."});
  EXPECT_EQ(ui.messages[0].style, platform::kMbOkCancel);
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Active);
  EXPECT_EQ(Rows("SELECT Codice FROM Accessori WHERE Codice IN ('111111', '222222')"), "111111\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, Asc, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                         test::BackendName);

// The conversion alone, whose file does not depend on the database.
class AscFiles : public Asc {};
INSTANTIATE_TEST_SUITE_P(Sqlite, AscFiles, ::testing::Values(test::Backend::Sqlite), test::BackendName);

TEST_P(AscFiles, AreConvertedLineByLine) {
  const std::string primo = Line(kA, {"111111", "PRIMO", "", "1", "PZ", "1,00"}) + "\r\n";
  const std::string primoFit = "MAICO;MAICO;111111;;PRIMO;;1;1;GR;1.00\r\n";
  const std::string unknown = "Errore: Formato importazione accessori non riconosciuto.";
  const struct { const char* name; std::string source, converted; std::vector<std::string> messages = {}; } rows[] = {
      {"every layout is cut by its own columns",
       Line(kA, {"301234", "CERNIERA", "A1", "10", "PZ", "1,234"}) + "\r\n" +
           Line(kB, {"402010", "\"ASTA\" CREMONESE", "B2", "1", "MT", "10,00", "100"}) + "\r\n" +
           Line(kC, {"509900", "MANIGLIA IN OTTONE", "CORTO-C", "2", "m"}) + "\r\n" + Line(kA, {"600001", "TAPPO", "", "", "mt", "1,5"}) + "\r\n",
       "MAICO;MAICO;301234;;CERNIERA;A1;1;10;GR;12.34\r\nMAICO;MAICO;402010;;ASTA\" CREMONESE;B2;4;1;GR;0.10\r\n"
       "MAICO;MAICO;509900;;MANIGLIA IN OTTONE;CORTO-C;4;2;GR;0.00\r\nMAICO;MAICO;600001;;TAPPO;;1;;GR;0.00\r\n"},
      // Without its line end the last line of layout B is 102 characters long: layout A, whose price
      // field is read without B's price unit.
      {"a last line without its end is one shorter", Line(kB, {"402010", "ASTA", "B2", "1", "PZ", "10,00", "100"}),
       "MAICO;MAICO;402010;;ASTA;B2;1;1;GR;10.00\r\n"},
      {"an 85-character line has its line end in the unit field and no price",
       Line({10, 65, 4, 3, 2}, {"301234", "CERNIERA", "", "1", "MT"}) + "\r\n", "MAICO;MAICO;301234;;CERNIERA;;1;1;GR;0.00\r\n"},
      {"short lines: blank ones are passed over, others stop", primo + "\r\n   \r\nTROPPO CORTA\r\n" + primo, primoFit, {unknown}},
      {"an outsized price leaves its article out and says which line",
       primo + Line(kA, {"999999", "CARISSIMO", "", "100", "PZ", "9999999999"}) + "\r\n" +
           Line(kA, {"222222", "DOPO", "", "1", "PZ", "2,00"}) + "\r\n",
       primoFit + "MAICO;MAICO;222222;;DOPO;;1;1;GR;2.00\r\n",
       {"ATTENZIONE: Prezzo fuori misura alla riga 2 (articolo 999999): l'articolo non viene importato."}},
      // A line longer than a read comes in pieces, each of its own length: here an unknown one.
      {"a line longer than a read is classified in pieces", primo + std::string(3000, 'Z') + "\r\n", primoFit, {unknown}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ui.messages.clear();
    Source(row.source);
    AscConverter converter;
    EXPECT_EQ(converter.TemporaryPath(), Temporary());
    EXPECT_EQ(converter.Convert(), 1);
    EXPECT_EQ(test::ReadFile(Temporary()), row.converted);
    EXPECT_EQ(Messages(), row.messages);
  }
}

TEST_P(AscFiles, EveryFailureToOpenIsSaidTwiceAndNothingIsImported) {
  const std::string cannot = "ATTENZIONE: Impossibile convertire " + Temporary();
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", nullptr);
  EXPECT_EQ(AscConverter().Import(), 0);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ATTENZIONE: Impossibile aprire ", cannot}));
  EXPECT_EQ(ui.messages[0].style, platform::kMbIconExclamation);
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);
  ui.messages.clear();
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", (Scratch() + "\\ARTICOLI.ASC").c_str());
  Source(Line(kA, {"111111", "PRIMO", "", "1", "PZ", "1,00"}) + "\r\n");
  test::MakeFolders(Temporary());  // a folder where the list should go
  EXPECT_EQ(AscConverter().Import(), 0);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ATTENZIONE: Impossibile aprire " + Temporary(), cannot}));
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Accessori WHERE Codice = '111111'"), "0\n");
}

}  // namespace
}  // namespace zmw
