// A lookup made for every result line is prepared once with its texts as parameters; it gives
// the rows of the literal query, apostrophes and all.
#include <gtest/gtest.h>

#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "support/Database.h"

namespace zmw {
namespace {

struct ShapeCase {
  const char* format;
  std::size_t count;
  const char* expected;  // nullptr: stays literal
};

class QuotedTexts : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(QuotedTexts, BecomeParametersOnlyWhenEveryConversionIsAWholeQuotedText) {
  std::string statement = "(untouched)";
  bool made = ParameterizeQuotedTexts(GetParam().format, GetParam().count, statement);
  if (GetParam().expected) {
    EXPECT_TRUE(made);
    EXPECT_EQ(statement, GetParam().expected);
  } else {
    EXPECT_FALSE(made);
    EXPECT_EQ(statement, "(untouched)");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, QuotedTexts,
    ::testing::Values(ShapeCase{"SELECT a FROM t WHERE p = '%s' AND c = '%s'", 2, "SELECT a FROM t WHERE p = ? AND c = ?"},
                      ShapeCase{"SELECT a FROM t", 0, "SELECT a FROM t"},
                      ShapeCase{"SELECT a FROM t WHERE p = '%s'", 2, nullptr},
                      ShapeCase{"SELECT a FROM t WHERE p = %s", 1, nullptr},
                      ShapeCase{"SELECT a FROM t WHERE p = '%d'", 1, nullptr},
                      ShapeCase{"SELECT a FROM t WHERE p = '%-5s'", 1, nullptr},
                      ShapeCase{"SELECT a FROM t WHERE p LIKE '%s%%'", 1, nullptr},
                      ShapeCase{"SELECT a FROM t WHERE p = 'x''%s'''", 1, nullptr},
                      ShapeCase{"SELECT '%%' FROM t WHERE p = '%s'", 1, nullptr}));

class PreparedLookup : public test::AnyHostDatabase {};

TEST_P(PreparedLookup, GivesTheRowsOfTheLiteralQuery) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  Run("INSERT INTO Accessori (Produttore, Produttore2, Codice, Categoria) VALUES ('MAICO', 'MAICO', 'L''ANTA', 'APOSTROFO')");
  const std::string format = "SELECT Categoria FROM Accessori WHERE Produttore = '%s' AND Codice = '%s'";
  for (const char* code : {"301234", "L'ANTA", "NESSUNO", "301235", "L'ANTA"}) {
    RecordSource& prepared = OpenRecordPassWithTexts(TheZelvoDb(), format, {"MAICO", code});
    std::string viaPrepared = prepared.AtEnd() ? "(none)" : VariantToText(prepared.Field("Categoria"));
    CloseRecordPass(TheZelvoDb());
    RecordSource& literal = OpenRecordPass(TheZelvoDb(), FormatStatement(format, {Quoted("MAICO"), Quoted(code)}));
    std::string viaLiteral = literal.AtEnd() ? "(none)" : VariantToText(literal.Field("Categoria"));
    CloseRecordPass(TheZelvoDb());
    EXPECT_EQ(viaPrepared, viaLiteral) << code;
  }
  RecordSource& again = OpenRecordPassWithTexts(TheZelvoDb(), format, {"MAICO", "L'ANTA"});
  ASSERT_FALSE(again.AtEnd());
  EXPECT_EQ(VariantToText(again.Field("Categoria")), "APOSTROFO");
  again.MoveFirst();  // runs again with the same texts
  EXPECT_EQ(VariantToText(again.Field("Categoria")), "APOSTROFO");
  EXPECT_EQ(TheZelvoDb().Close(), 1) << "the prepared statements go with the connection";
}

ZMW_ON_EVERY_BACKEND(PreparedLookup);

}  // namespace
}  // namespace zmw
