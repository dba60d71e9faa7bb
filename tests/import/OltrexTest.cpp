// The stand-in for Zelvo's import library: FIT and KIT lists loaded whole or not at all,
// through the connection settings that the library uses.
#include <gtest/gtest.h>

#include <optional>

#include "db/OltrexImport.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

class Oltrex : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (!IsSkipped()) log_.emplace(Scratch());
  }
  std::string List(const std::string& name, const std::string& bytes) {
    test::WriteFile(Scratch() + "\\" + name, bytes);
    return Scratch() + "\\" + name;
  }
  std::string Accessories() {
    return Rows("SELECT Codice, Descrizione, UnMis, Moltiplicatore, Costo, Categoria FROM Accessori WHERE Codice IN "
                "('301234', '700001', '700002') ORDER BY Codice");
  }
  std::optional<test::OltrexLog> log_;
};

TEST_P(Oltrex, AFitListIsUpsertedByMakerAndCode) {
  std::string path = List("MAICOWIN.FIT", "MAICO;MAICO;301234;;CERNIERA RINNOVATA;A1;1;10;GR;12.50\r\n"
                                          "MAICO;MAICO;700001;;NUOVO ARTICOLO;;4;;GR;0.99\r\n\r\n");
  EXPECT_EQ(FitImport(path.c_str(), 0, 0), 1);
  // What the list does not carry (the category) stays.
  EXPECT_EQ(Accessories(), "301234|CERNIERA RINNOVATA|1|10|12,5|CERNIERE\n700001|NUOVO ARTICOLO|4|(null)|0,99|(null)\n");
  EXPECT_EQ(log_->Text(), "{\"function\":\"FitImport\",\"path\":\"C:\\\\zmwtest\\\\MAICOWIN.FIT\",\"read\":2,\"loaded\":2,\"error\":null}\n");
  EXPECT_TRUE(ui.messages.empty());
}

// No list, or one bad line, and nothing is loaded; the import library shows no message.
TEST_P(Oltrex, ANoListOrABadOneChangesNothing) {
  // The list's bytes (empty: the path alone, for both imports) and what the call's log line says.
  const struct { const char* name; std::string bytes; const char *path, *logged; } rows[] = {
      {"malformed", "MAICO;MAICO;301234;;CAMBIATA;A1;1;10;GR;1.00\r\nMAICO;MAICO;700002;;PREZZO SBAGLIATO;;1;1;GR;dodici\r\n",
       "MALE.FIT", "\"read\":2,\"loaded\":0,\"error\":\"riga 2: prezzo non numerico: dodici\"}"},
      // A number field is the whole field: a NUL byte in it neither makes an empty field a zero
      // nor ends the number before the characters that follow.
      {"NUL alone", std::string("MAICO;MAICO;700002;;NUL;;1;") + '\0' + ";GR;1.00\r\n", "NUL.FIT",
       "\"error\":\"riga 1: moltiplicatore non numerico"},
      {"NUL after the digits", std::string("MAICO;MAICO;700002;;NUL;;4") + '\0' + "X;1;GR;1.00\r\n", "NUL.FIT",
       "\"error\":\"riga 1: tipo unita' non numerico"},
      {"empty path", "", "", "\"error\":\"nessun file indicato\""},
      {"missing file", "", "C:\\zmwtest\\NONCE.FIT", "\"error\":\"impossibile aprire C:\\\\zmwtest\\\\NONCE.FIT\""},
  };
  std::string before = Accessories();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // Windows' text-mode reads (the runtime's fgets) end what they give of a line at a NUL byte,
    // so there the stand-in never sees such a field; the parser's own case is the POSIX build's.
    if (row.bytes.find('\0') != std::string::npos && test::UnderWine()) continue;
    std::string path = row.bytes.empty() ? row.path : List(row.path, row.bytes);
    EXPECT_EQ(FitImport(path.c_str(), 0, 0), 0);
    EXPECT_NE(test::LastLine(log_->Text()).find(row.logged), std::string::npos) << log_->Text();
    if (row.bytes.empty()) {
      EXPECT_EQ(KitImport(path.c_str(), 0, 0), 0);
      EXPECT_NE(test::LastLine(log_->Text()).find(row.logged), std::string::npos) << log_->Text();
    }
    EXPECT_EQ(Accessories(), before);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_P(Oltrex, AKitListReplacesTheComponentsOfEachKit) {
  Apply("INSERT INTO Kit (Produttore, Produttore2, Codice, Descrizione) VALUES ('MAICO', 'MAICO', 'K1', 'VECCHIO')");
  Apply("INSERT INTO KitComponenti (Produttore, Produttore2, CodiceKit, CodiceArticolo, Quantita) "
        "VALUES ('MAICO', 'MAICO', 'K1', '999999', 1)");
  std::string path = List("MAICOWIN.KIT", "MAICO;MAICO;K1;KIT ANTA;301234;2\r\nMAICO;MAICO;K1;KIT ANTA;402010;1.5\r\n"
                                          "MAICO;MAICO;K2;KIT VASISTAS;301235;4\r\n");
  EXPECT_EQ(KitImport(path.c_str(), 0, 0), 1);
  EXPECT_EQ(Rows("SELECT Codice, Descrizione FROM Kit ORDER BY Codice"), "K1|KIT ANTA\nK2|KIT VASISTAS\n");
  EXPECT_EQ(Rows("SELECT CodiceKit, CodiceArticolo, Quantita FROM KitComponenti ORDER BY CodiceKit, CodiceArticolo"),
            "K1|301234|2\nK1|402010|1,5\nK2|301235|4\n");
  EXPECT_EQ(KitImport(List("ROTTO.KIT", "MAICO;MAICO;K3\r\n").c_str(), 0, 0), 0);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM Kit"), "2\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, Oltrex, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb),
                         test::BackendName);

}  // namespace
}  // namespace zmw
