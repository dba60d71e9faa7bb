#include <gtest/gtest.h>

#include <cmath>

#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "DbTests.h"

namespace zmw {
namespace {

using test::CodeOf;

class Records : public test::OpenHostDatabase {
 protected:
  static std::string Statement(const std::string& name, const std::vector<SqlArg>& args = {}) {
    SqlRepository repository;
    repository.GetStatement(name);
    return FormatStatement(repository.Text(), args);
  }
  RecordSource& Pass(const std::string& query) { return OpenRecordPass(TheZelvoDb(), query); }
  int Execute(const std::string& statement) { return ExecuteNoRecords(TheZelvoDb(), statement); }
};

TEST_P(Records, ColumnsArriveInTheirTypes) {
  RecordSource& pass = Pass(Statement("MW_GET_INFO_ACC", {Quoted("MAICO"), Quoted("MAICO"), Quoted("402011")}));
  ASSERT_FALSE(pass.AtEnd());
  // Names are matched without regard to case.
  EXPECT_EQ(test::Describe(pass, {"Categoria", "GruppoStampa", "unmis", "TempoMontaggio", "TempoLavorazione"}),
            "text ASTE|null|i4 4|r8 0.6|null");
  EXPECT_DOUBLE_EQ(VariantToDouble(pass.Field(3)), 0.6);
  pass.MoveNext();
  EXPECT_TRUE(pass.AtEnd());
  RecordSource& cost = Pass("SELECT Costo, TempoMontaggio FROM Accessori WHERE Codice = '402011'");
  // SQLite keeps NUMERIC as a floating value; MariaDB gives a true DECIMAL.
  EXPECT_EQ(cost.Field("Costo").Type(), GetParam() == test::Backend::MariaDb ? VarType::Decimal : VarType::R8);
  EXPECT_EQ(VariantToText(cost.Field("Costo")), "7,25");
  RecordSource& order = Pass(Statement("GET_EXP_ORDINE", {std::string("ORD-2008-001")}));
  EXPECT_EQ(test::Describe(order, {"DataConsegna"}), "date " + test::Number(DateSerial(2008, 12, 25)));
}

TEST_P(Records, PassesExecutionsAndTheirFailures) {
  EXPECT_EQ(Execute("UPDATE Accessori SET AccettaTratt = 1 WHERE Codice = 'NONE'"), 0);
  EXPECT_EQ(Execute("UPDATE Accessori SET AccettaTratt = 1 WHERE Codice LIKE '30%' OR Codice = '402010'"), 3);
  // Reading past the end and running again from the start: RecordBlocksTest.cpp.
  RecordSource& pass = Pass("SELECT Codice FROM Accessori WHERE Produttore = 'MAICO' ORDER BY Codice");
  EXPECT_EQ(CodeOf([&] { pass.Field("Nessuna"); }), kAdoItemNotFound);
  CloseRecordPass(TheZelvoDb());
  EXPECT_EQ(TheZelvoDb().CurrentRecordSet(), nullptr);
  std::string description;
  EXPECT_EQ(CodeOf([&] { Pass("SELECT FROM WHERE"); }, &description), kEFail);
  EXPECT_NE(description.find("SQLSTATE"), std::string::npos) << description;
  EXPECT_EQ(CodeOf([&] { Execute("INSERT INTO Nessuna VALUES (1)"); }, &description), kEFail);
  EXPECT_NE(description.find("Nessuna"), std::string::npos) << description;
  ZelvoDbConnection closed;
  EXPECT_EQ(CodeOf([&] { ExecuteNoRecords(closed, "SELECT 1"); }), kEPointer);
}

TEST_P(Records, TextsOutsideAsciiArriveIntact) {
  std::string description = "Maniglia \xE8 \x80 Citt\xE0";
  EXPECT_EQ(Execute("UPDATE Accessori SET Descrizione = '" + description + "' WHERE Codice = '509900'"), 1);
  RecordSource& pass = Pass("SELECT Codice FROM Accessori WHERE Descrizione = '" + description + "'");
  ASSERT_FALSE(pass.AtEnd());
  EXPECT_EQ(VariantToText(pass.Field("Codice")), "509900");
  EXPECT_EQ(Rows("SELECT Descrizione FROM Accessori WHERE Codice = '509900'"), description + "\n");
}

TEST_P(Records, PreparedCommandBindsNamedParametersInOrder) {
  PreparedCommand command(TheZelvoDb(), Statement("MW_UPD_CODES_XLS"),
                          {{"descr", kAdBstr, 100}, {"cost", kAdCurrency, 0}, {"costo_un", kAdCurrency, 0},
                           {"maico_id", kAdNumeric, 0}, {"codice", kAdBstr, 30}});
  command.SetParameter("codice", Variant::Bstr("301234"));
  command.SetParameter("descr", Variant::Bstr("Cerniera l'angolare \xE8"));
  command.SetParameter("cost", Variant::Cy(123456));
  command.SetParameter("COSTO_UN", Variant::R8(1.5));
  command.SetParameter("maico_id", Variant::I4(7));
  command.Execute();
  EXPECT_EQ(CodeOf([&] { command.SetParameter("nessuno", Variant::I4(1)); }), kAdoItemNotFound);
  const std::string query = "SELECT Descrizione, Costo, CostoUnitario FROM Accessori WHERE Codice = '301234'";
  EXPECT_EQ(Rows(query), "Cerniera l'angolare \xE8|12,3456|1,5\n");
  // A price no currency holds overflows, as the variant conversion does, and writes nothing.
  for (double huge : {1e15, -1e300, std::nan("")}) {
    command.SetParameter("COSTO_UN", Variant::R8(huge));
    EXPECT_EQ(CodeOf([&] { command.Execute(); }), kDispOverflow) << huge;
  }
  EXPECT_EQ(Rows(query), "Cerniera l'angolare \xE8|12,3456|1,5\n");
}

// A lookup made for every result line is prepared once with its texts as parameters; it gives
// the rows of the literal query, apostrophes and all.
TEST(ParameterizeQuotedTexts, OnlyWhenEveryConversionIsAWholeQuotedText) {
  const std::string where = "SELECT a FROM t WHERE p ";
  for (auto [format, count, expected] :
       {std::tuple<std::string, std::size_t, const char*>{where + "= '%s' AND c = '%s'", 2, "SELECT a FROM t WHERE p = ? AND c = ?"},
        {"SELECT a FROM t", 0, "SELECT a FROM t"}, {where + "= '%s'", 2, nullptr}, {where + "= %s", 1, nullptr},
        {where + "= '%d'", 1, nullptr}, {where + "= 'x''%s'", 1, nullptr}, {where + "= '%s''x'", 1, nullptr}}) {
    std::string statement = "(untouched)";
    EXPECT_EQ(ParameterizeQuotedTexts(format, count, statement), expected != nullptr) << format;
    EXPECT_EQ(statement, expected ? expected : "(untouched)") << format;
  }
}

TEST_P(Records, APreparedLookupGivesTheRowsOfTheLiteralQuery) {
  Run("INSERT INTO Accessori (Produttore, Produttore2, Codice, Categoria) VALUES ('MAICO', 'MAICO', 'L''ANTA', 'APOSTROFO')");
  const std::string format = "SELECT Categoria FROM Accessori WHERE Produttore = '%s' AND Codice = '%s'";
  auto first = [&](RecordSource& pass) {
    std::string value = pass.AtEnd() ? "(none)" : VariantToText(pass.Field("Categoria"));
    CloseRecordPass(TheZelvoDb());
    return value;
  };
  for (const char* code : {"301234", "L'ANTA", "NESSUNO", "L'ANTA"}) {
    std::string prepared = first(OpenRecordPassWithTexts(TheZelvoDb(), format, {"MAICO", code}));
    EXPECT_EQ(prepared, first(OpenRecordPass(TheZelvoDb(), FormatStatement(format, {Quoted("MAICO"), Quoted(code)})))) << code;
  }
  EXPECT_EQ(first(OpenRecordPassWithTexts(TheZelvoDb(), format, {"MAICO", "L'ANTA"})), "APOSTROFO");
  OpenRecordPassWithTexts(TheZelvoDb(), format, {"MAICO", "L'ANTA"});
  EXPECT_EQ(TheZelvoDb().Close(), 1) << "the prepared statements go with the connection";
}

ZMW_ON_EVERY_BACKEND(Records);

}  // namespace
}  // namespace zmw
