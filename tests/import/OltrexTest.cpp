// The stand-in for Zelvo's import library: FIT and KIT lists loaded whole or not at all,
// through the connection settings that the library uses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "db/OltrexImport.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/Database.h"

namespace zmw {
namespace {

class Oltrex : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    log_ = std::make_unique<test::OltrexLog>(Scratch());
  }
  void TearDown() override {
    log_.reset();
    test::AnyHostDatabase::TearDown();
  }
  std::string List(const std::string& name, const std::string& bytes) {
    test::WriteFile(Scratch() + "\\" + name, bytes);
    return Scratch() + "\\" + name;
  }
  std::string Log() const { return log_ ? log_->Text() : ""; }
  std::string Accessories() {
    return Rows("SELECT Codice, Descrizione, UnMis, Moltiplicatore, Costo FROM Accessori WHERE Codice IN "
                "('301234', '700001', '700002') ORDER BY Codice");
  }
  std::unique_ptr<test::OltrexLog> log_;
};

TEST_P(Oltrex, AFitListIsUpsertedByMakerAndCode) {
  std::string path = List("MAICOWIN.FIT", "MAICO;MAICO;301234;;CERNIERA RINNOVATA;A1;1;10;GR;12.50\r\n"
                                          "MAICO;MAICO;700001;;NUOVO ARTICOLO;;4;;GR;0.99\r\n\r\n");
  EXPECT_EQ(FitImport(path.c_str(), 0, 0), 1);
  EXPECT_EQ(Accessories(), "301234|CERNIERA RINNOVATA|1|10|12,5\n700001|NUOVO ARTICOLO|4|(null)|0,99\n");
  EXPECT_EQ(Rows("SELECT Categoria FROM Accessori WHERE Codice = '301234'"), "CERNIERE\n");
  EXPECT_EQ(Log(), "{\"function\":\"FitImport\",\"path\":" + std::string("\"") + "C:\\\\zmwtest\\\\MAICOWIN.FIT" +
                       "\",\"read\":2,\"loaded\":2,\"error\":null}\n");
  EXPECT_TRUE(ui.messages.empty());
}

// One bad line and the list is not loaded at all.
TEST_P(Oltrex, AMalformedListLeavesTheDatabaseAsItWas) {
  std::string before = Accessories();
  std::string path = List("MAICOWIN.FIT", "MAICO;MAICO;301234;;CAMBIATA;A1;1;10;GR;1.00\r\n"
                                          "MAICO;MAICO;700002;;PREZZO SBAGLIATO;;1;1;GR;dodici\r\n");
  EXPECT_EQ(FitImport(path.c_str(), 0, 0), 0);
  EXPECT_EQ(Accessories(), before);
  EXPECT_NE(Log().find("\"read\":2,\"loaded\":0,\"error\":\"riga 2: prezzo non numerico: dodici\"}"), std::string::npos)
      << Log();
  EXPECT_TRUE(ui.messages.empty()) << "the import library shows no message";
}

struct NulCase {
  const char* name;
  std::string line;
  const char* error;
};

// A number field is the whole field: a NUL byte in it neither makes an empty field a zero nor
// ends the number before the characters that follow.
TEST_P(Oltrex, ANulByteInANumberFieldIsNoNumber) {
  // Windows' text-mode reads (the runtime's fgets) end what they give of a line at a NUL byte,
  // so there the stand-in never sees such a field; the parser's own case is the POSIX build's.
  if (test::UnderWine()) GTEST_SKIP() << "the Windows runtime's line reads stop at a NUL byte";
  const NulCase cases[] = {
      {"NUL alone", std::string("MAICO;MAICO;700002;;NUL;;1;") + '\0' + ";GR;1.00\r\n",
       "riga 1: moltiplicatore non numerico"},
      {"NUL after the digits", std::string("MAICO;MAICO;700002;;NUL;;4") + '\0' + "X;1;GR;1.00\r\n",
       "riga 1: tipo unita' non numerico"},
  };
  std::string before = Accessories();
  for (const NulCase& c : cases) {
    EXPECT_EQ(FitImport(List("NUL.FIT", c.line).c_str(), 0, 0), 0) << c.name;
    EXPECT_EQ(Accessories(), before) << c.name;
    EXPECT_NE(Log().find(std::string("\"error\":\"") + c.error), std::string::npos) << c.name << "\n" << Log();
  }
}

struct MissingCase {
  const char* name;
  const char* path;
  const char* error;
};

TEST_P(Oltrex, NoListNoChange) {
  const MissingCase cases[] = {{"empty path", "", "nessun file indicato"},
                               {"missing file", "C:\\zmwtest\\NONCE.FIT", "impossibile aprire C:\\\\zmwtest\\\\NONCE.FIT"}};
  for (const MissingCase& c : cases) {
    EXPECT_EQ(FitImport(c.path, 0, 0), 0) << c.name;
    EXPECT_EQ(KitImport(c.path, 0, 0), 0) << c.name;
    EXPECT_NE(Log().find(std::string("\"error\":\"") + c.error + "\""), std::string::npos) << c.name << "\n" << Log();
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_P(Oltrex, AKitListReplacesTheComponentsOfEachKit) {
  Apply("INSERT INTO Kit (Produttore, Produttore2, Codice, Descrizione) VALUES ('MAICO', 'MAICO', 'K1', 'VECCHIO')");
  Apply("INSERT INTO KitComponenti (Produttore, Produttore2, CodiceKit, CodiceArticolo, Quantita) "
        "VALUES ('MAICO', 'MAICO', 'K1', '999999', 1)");
  std::string path = List("MAICOWIN.KIT", "MAICO;MAICO;K1;KIT ANTA;301234;2\r\n"
                                          "MAICO;MAICO;K1;KIT ANTA;402010;1.5\r\n"
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
