#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <functional>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "support/Database.h"

namespace zmw {
namespace {

class Records : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
  }
  std::int32_t CodeOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const DbError& e) {
      lastDescription = e.Description();
      return e.Code();
    }
    return 0;
  }
  std::string Statement(const std::string& name) {
    SqlRepository repository;
    repository.GetStatement(name);
    return repository.Text();
  }
  std::string lastDescription;
};

TEST_P(Records, NullsAreNullAndColumnsArriveInTheirTypes) {
  RecordSource& pass = OpenRecordPass(
      TheZelvoDb(), FormatStatement(Statement("MW_GET_INFO_ACC"), {Quoted("MAICO"), Quoted("MAICO"), Quoted("402011")}));
  ASSERT_FALSE(pass.AtEnd());
  EXPECT_EQ(pass.Field("Categoria").Type(), VarType::Bstr);
  EXPECT_TRUE(pass.Field("GruppoStampa").IsNull());
  EXPECT_EQ(pass.Field("unmis").Type(), VarType::I4) << "names are matched without regard to case";
  EXPECT_EQ(VariantToLong(pass.Field("UnMis")), 4);
  EXPECT_EQ(pass.Field("TempoMontaggio").Type(), VarType::R8);
  EXPECT_DOUBLE_EQ(VariantToDouble(pass.Field(3)), 0.6);
  EXPECT_TRUE(pass.Field("TempoLavorazione").IsNull());
  EXPECT_EQ(CodeOf([&] { VariantToText(pass.Field("GruppoStampa")); }), kDispTypeMismatch);
  pass.MoveNext();
  EXPECT_TRUE(pass.AtEnd());
  CloseRecordPass(TheZelvoDb());
}

TEST_P(Records, DecimalsAndDatesAndTheirTextsFollowTheLocale) {
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Costo, TempoMontaggio FROM Accessori WHERE Codice = '402011'");
  EXPECT_EQ(VariantToText(pass.Field("Costo")), "7,25");
  EXPECT_EQ(VariantToText(pass.Field("TempoMontaggio")), "0,6");
  RecordSource& order = OpenRecordPass(TheZelvoDb(), FormatStatement(Statement("GET_EXP_ORDINE"), {std::string("ORD-2008-001")}));
  EXPECT_EQ(order.Field("DataConsegna").Type(), VarType::Date);
  EXPECT_EQ(VariantToText(order.Field("DataConsegna")), "25/12/2008");
  test::SetEnv("ZELVOMW_LOCALE", "en-US");
  EXPECT_EQ(VariantToText(order.Field("DataConsegna")), "12/25/2008");
  test::SetEnv("ZELVOMW_LOCALE", "it-IT");
}

TEST_P(Records, NumbersHeldAsTextConvertUnderTheLocale) {
  Run("CREATE TABLE T (Testo VARCHAR(20))");
  Run("INSERT INTO T VALUES ('1,5')");
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Testo FROM T");
  EXPECT_DOUBLE_EQ(VariantToDouble(pass.Field("Testo")), 1.5);
  test::SetEnv("ZELVOMW_LOCALE", "en-US");
  EXPECT_DOUBLE_EQ(VariantToDouble(pass.Field("Testo")), 15);
  test::SetEnv("ZELVOMW_LOCALE", "it-IT");
  Run("INSERT INTO T VALUES ('abc')");
  RecordSource& again = OpenRecordPass(TheZelvoDb(), "SELECT Testo FROM T WHERE Testo = 'abc'");
  EXPECT_EQ(CodeOf([&] { VariantToLong(again.Field("Testo")); }), kDispTypeMismatch);
}

TEST_P(Records, ExecuteNoRecordsCountsRows) {
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), "UPDATE Accessori SET AccettaTratt = 1 WHERE Codice = 'NONE'"), 0);
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), "DELETE FROM Finiture"), 0);
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), "UPDATE Accessori SET AccettaTratt = 1 WHERE Codice LIKE '30%' OR Codice = '402010'"), 3);
}

TEST_P(Records, EmptyResultIsAtEndAtOnce) {
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Codice FROM Accessori WHERE 1 = 0");
  EXPECT_TRUE(pass.AtEnd());
  EXPECT_EQ(CodeOf([&] { pass.Field("Codice"); }), kAdoNoCurrentRecord);
  CloseRecordPass(TheZelvoDb());
  EXPECT_EQ(TheZelvoDb().CurrentRecordSet(), nullptr);
}

TEST_P(Records, FailuresCarryTheirCodes) {
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Codice FROM Accessori");
  EXPECT_EQ(CodeOf([&] { pass.Field("Nessuna"); }), kAdoItemNotFound);
  EXPECT_EQ(CodeOf([&] { OpenRecordPass(TheZelvoDb(), "SELECT FROM WHERE"); }), kEFail);
  EXPECT_NE(lastDescription.find("SQLSTATE"), std::string::npos) << lastDescription;
  EXPECT_EQ(CodeOf([&] { ExecuteNoRecords(TheZelvoDb(), "INSERT INTO Nessuna VALUES (1)"); }), kEFail);
  EXPECT_NE(lastDescription.find("Nessuna"), std::string::npos) << lastDescription;
  ZelvoDbConnection closed;
  EXPECT_EQ(CodeOf([&] { ExecuteNoRecords(closed, "SELECT 1"); }), kEPointer);
}

TEST_P(Records, MoveFirstAfterMovingRunsTheQueryAgain) {
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Codice FROM Accessori WHERE Produttore = 'MAICO' ORDER BY Codice");
  int count = 0;
  for (pass.MoveFirst(); !pass.AtEnd(); pass.MoveNext()) ++count;
  EXPECT_EQ(count, 5);
  pass.MoveFirst();
  ASSERT_FALSE(pass.AtEnd());
  EXPECT_EQ(VariantToText(pass.Field("Codice")), "301234");
}

TEST_P(Records, TextsOutsideAsciiArriveIntact) {
  std::string description = "Maniglia \xE8 \x80 Citt\xE0";
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), "UPDATE Accessori SET Descrizione = '" + description + "' WHERE Codice = '509900'"), 1);
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Codice FROM Accessori WHERE Descrizione = '" + description + "'");
  ASSERT_FALSE(pass.AtEnd());
  EXPECT_EQ(VariantToText(pass.Field("Codice")), "509900");
  RecordSource& back = OpenRecordPass(TheZelvoDb(), "SELECT Descrizione FROM Accessori WHERE Codice = '509900'");
  EXPECT_EQ(VariantToText(back.Field("Descrizione")), description);
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
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Descrizione, Costo, CostoUnitario FROM Accessori WHERE Codice = '301234'");
  EXPECT_EQ(VariantToText(pass.Field("Descrizione")), "Cerniera l'angolare \xE8");
  EXPECT_DOUBLE_EQ(VariantToDouble(pass.Field("Costo")), 12.3456);
  EXPECT_DOUBLE_EQ(VariantToDouble(pass.Field("CostoUnitario")), 1.5);
  CloseRecordPass(TheZelvoDb());
  // A price no currency holds overflows, as the variant conversion does, and writes nothing.
  for (double huge : {1e60, 1e15, -1e300, std::numeric_limits<double>::infinity(), std::nan("")}) {
    command.SetParameter("COSTO_UN", Variant::R8(huge));
    EXPECT_EQ(CodeOf([&] { command.Execute(); }), kDispOverflow) << huge;
  }
  RecordSource& after = OpenRecordPass(TheZelvoDb(), "SELECT CostoUnitario FROM Accessori WHERE Codice = '301234'");
  EXPECT_DOUBLE_EQ(VariantToDouble(after.Field("CostoUnitario")), 1.5);
}

// Every statement of the sample ZELVOMW.XML runs against the sample database with the
// arguments and columns its users give it.
TEST_P(Records, EveryStatementOfTheSampleFileRuns) {
  auto firstText = [&](const std::string& statement, const char* column) {
    RecordSource& pass = OpenRecordPass(TheZelvoDb(), statement);
    std::string value = pass.AtEnd() ? "<none>" : VariantToText(pass.Field(column));
    CloseRecordPass(TheZelvoDb());
    return value;
  };
  EXPECT_EQ(firstText(Statement("MW_GET_MAICO_ID"), "PkId"), "7");
  EXPECT_EQ(firstText(FormatStatement(Statement("MW_GET_INFO_ACC"), {Quoted("MAICO"), Quoted("MAICO"), Quoted("301234")}), "Categoria"), "CERNIERE");
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), FormatStatement(Statement("MW_INS_FINITURA"), {Quoted("RAL 9010 'bianco'")})), 1);
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), FormatStatement(Statement("MW_INS_FIN_ACC"),
                                                            {Quoted("MAICOWIN"), Quoted("MAICOWIN"), Quoted("FINITURA"),
                                                             Quoted("RAL 9010 'bianco'")})), 1);
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), FormatStatement(Statement("MW_SET_ACCETTA_TRATT"),
                                                            {Quoted("MAICOWIN"), Quoted("MAICOWIN"), Quoted("FINITURA")})), 1);
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), FormatStatement(Statement("MW_DEL_FINITURA"), {Quoted("RAL 9010 'bianco'")})), 1);
  EXPECT_EQ(firstText(FormatStatement(Statement("MW_GET_SCHEDTECH_NAME"),
                                      {std::string("MAICOWIN"), std::string("MAICOWIN"), Quoted("Anta ribalta standard")}),
                      "Codice"), "MW_SCHEDA_001");
  EXPECT_EQ(ExecuteNoRecords(TheZelvoDb(), FormatStatement(Statement("MW_INS_SCHED_TECH"),
                                                            {Quoted("MW_SCHEDA_002"), Quoted("Porta d'ingresso"), std::int32_t(0),
                                                             std::string("MW_PARAM"), std::string("MAICOWIN"), std::string("MAICOWIN")})), 1);
  EXPECT_EQ(firstText(Statement("MW_GET_ALL_SNAME"), "Codice"), "MW_SCHEDA_001");
  EXPECT_EQ(firstText(FormatStatement(Statement("GET_EXP_ORDINE"), {std::string("ORD-2008-001")}), "DataCompilazione"), "01/12/2008");
  RecordSource& lines = OpenRecordPass(TheZelvoDb(), FormatStatement(Statement("GET_EXP_ORDINE_DETT"), {std::string("ORD-2008-001")}));
  std::vector<std::string> seen;
  for (lines.MoveFirst(); !lines.AtEnd(); lines.MoveNext())
    seen.push_back(VariantToText(lines.Field("Codice")) + "=" +
                   (lines.Field("QtaOrdinata").IsNull() ? "NULL" : VariantToText(lines.Field("QtaOrdinata"))));
  EXPECT_EQ(seen, (std::vector<std::string>{"301234=4", "402010=3,7", "509900=NULL"}));
}

TEST_P(Records, DecimalColumnsArriveAsDecimalWhereTheDriverSaysSo) {
  RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Costo FROM Accessori WHERE Codice = '402011'");
  // SQLite keeps NUMERIC as a floating value; MariaDB gives a true DECIMAL.
  EXPECT_EQ(pass.Field("Costo").Type(), GetParam() == test::Backend::MariaDb ? VarType::Decimal : VarType::R8);
  EXPECT_EQ(VariantToText(pass.Field("Costo")), "7,25");
}

ZMW_ON_EVERY_BACKEND(Records);

}  // namespace
}  // namespace zmw
