#include <gtest/gtest.h>

#include <cmath>

#include "db/DbError.h"
#include "db/Variant.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

class Locale {
 public:
  explicit Locale(const char* name) { test::SetEnv("ZELVOMW_LOCALE", name); }
  ~Locale() { test::SetEnv("ZELVOMW_LOCALE", "it-IT"); }
};

std::int32_t CodeOf(void (*f)()) {
  try {
    f();
  } catch (const DbError& e) {
    return e.Code();
  }
  return 0;
}

struct ToLongCase {
  double value;
  std::int32_t expected;
};

class RealToLong : public ::testing::TestWithParam<ToLongCase> {};

TEST_P(RealToLong, RoundsHalfToEven) {
  EXPECT_EQ(VariantToLong(Variant::R8(GetParam().value)), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Table, RealToLong,
                         ::testing::Values(ToLongCase{0.5, 0}, ToLongCase{1.5, 2}, ToLongCase{-0.5, 0},
                                           ToLongCase{-1.5, -2}, ToLongCase{0.6, 1}, ToLongCase{-0.6, -1},
                                           ToLongCase{2.5, 2}, ToLongCase{3.5, 4}, ToLongCase{-2.5, -2},
                                           ToLongCase{3.7, 4}, ToLongCase{-3.7, -4},
                                           ToLongCase{2147483647.49, 2147483647},
                                           ToLongCase{-2147483648.5, -2147483647 - 1}));

TEST(VariantOverflow, IsCheckedAfterRounding) {
  for (double v : {2147483647.5, 2147483648.0, -2147483649.0, 1e10}) {
    std::int32_t code = 0;
    try {
      VariantToLong(Variant::R8(v));
    } catch (const DbError& e) {
      code = e.Code();
    }
    EXPECT_EQ(code, kDispOverflow) << v;
  }
}

struct ParseCase {
  const char* text;
  double itReal;   // NAN: type mismatch
  double enReal;
};

class TextToNumber : public ::testing::TestWithParam<ParseCase> {};

double Parse(const char* locale, const char* text, std::int32_t* code) {
  Locale l(locale);
  *code = 0;
  try {
    return VariantToDouble(Variant::Bstr(text));
  } catch (const DbError& e) {
    *code = e.Code();
    return NAN;
  }
}

TEST_P(TextToNumber, FollowsTheLocalesSeparators) {
  std::int32_t code;
  double it = Parse("it-IT", GetParam().text, &code);
  if (std::isnan(GetParam().itReal)) EXPECT_EQ(code, kDispTypeMismatch) << "it-IT " << GetParam().text;
  else EXPECT_DOUBLE_EQ(it, GetParam().itReal) << "it-IT " << GetParam().text;
  double en = Parse("en-US", GetParam().text, &code);
  if (std::isnan(GetParam().enReal)) EXPECT_EQ(code, kDispTypeMismatch) << "en-US " << GetParam().text;
  else EXPECT_DOUBLE_EQ(en, GetParam().enReal) << "en-US " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextToNumber,
    ::testing::Values(ParseCase{"1,5", 1.5, 15}, ParseCase{"12,50", 12.5, 1250},
                      ParseCase{"1.234,56", 1234.56, 1.23456}, ParseCase{"1,234.56", 1.23456, 1234.56},
                      ParseCase{"1.5", 15, 1.5}, ParseCase{" 12 ", 12, 12}, ParseCase{"\t12", 12, 12},
                      ParseCase{"abc", NAN, NAN}, ParseCase{"12abc", NAN, NAN}, ParseCase{"1 000", NAN, NAN},
                      ParseCase{"0x10", NAN, NAN}, ParseCase{"", NAN, NAN}, ParseCase{" ", NAN, NAN},
                      ParseCase{"1e3", 1000, 1000}, ParseCase{"1E3", 1000, 1000}, ParseCase{"-1,5", -1.5, -15},
                      ParseCase{"(5)", -5, -5}, ParseCase{"3-", -3, -3}, ParseCase{"+3", 3, 3},
                      ParseCase{"$5", NAN, 5}, ParseCase{"&H10", 16, 16}, ParseCase{"1.234.567", 1234567, NAN},
                      ParseCase{"1,234,567", NAN, 1234567}, ParseCase{",5", 0.5, NAN}, ParseCase{"5,", 5, 5},
                      ParseCase{"1.5e-3", 0.015, 0.0015}));

TEST(TextToLong, RoundsAfterParsing) {
  Locale l("it-IT");
  EXPECT_EQ(VariantToLong(Variant::Bstr("2,5")), 2);
  EXPECT_EQ(VariantToLong(Variant::Bstr("3,5")), 4);
  EXPECT_EQ(VariantToLong(Variant::Bstr("1.234,56")), 1235);
  EXPECT_THROW(VariantToLong(Variant::Bstr("2147483648")), DbError);
}

struct TextCase {
  Variant value;
  const char* it;
  const char* en;
};

class ToText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ToText, UsesTheLocale) {
  {
    Locale l("it-IT");
    EXPECT_EQ(VariantToText(GetParam().value), GetParam().it);
  }
  Locale l("en-US");
  EXPECT_EQ(VariantToText(GetParam().value), GetParam().en);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToText,
    ::testing::Values(
        TextCase{Variant::R8(0.1), "0,1", "0.1"}, TextCase{Variant::R8(1234.5), "1234,5", "1234.5"},
        TextCase{Variant::R8(-0.5), "-0,5", "-0.5"}, TextCase{Variant::R8(100), "100", "100"},
        TextCase{Variant::R8(0.1 + 0.2), "0,3", "0.3"}, TextCase{Variant::R8(1.0 / 3), "0,333333333333333", "0.333333333333333"},
        TextCase{Variant::R8(123456789.123456789), "123456789,123457", "123456789.123457"},
        TextCase{Variant::R8(1e14), "100000000000000", "100000000000000"},
        TextCase{Variant::R8(1e15), "1E+15", "1E+15"}, TextCase{Variant::R8(1.5e-7), "1,5E-07", "1.5E-07"},
        TextCase{Variant::R8(0.000123), "0,000123", "0.000123"}, TextCase{Variant::R8(1e-300), "1E-300", "1E-300"},
        TextCase{Variant::I4(-1234567), "-1234567", "-1234567"}, TextCase{Variant::I2(-32768), "-32768", "-32768"},
        TextCase{Variant::Bool(true), "-1", "-1"}, TextCase{Variant::Bool(false), "0", "0"},
        TextCase{Variant(), "", ""}, TextCase{Variant::Cy(15000), "1,5", "1.5"},
        TextCase{Variant::Cy(9), "0,0009", "0.0009"}, TextCase{Variant::Cy(12345678), "1234,5678", "1234.5678"},
        TextCase{Variant::Cy(10000000000LL), "1000000", "1000000"},
        TextCase{Variant::DecimalFromText("1.500"), "1,5", "1.5"}, TextCase{Variant::DecimalFromText("1.0"), "1", "1"},
        TextCase{Variant::DecimalFromText("-1234.5678"), "-1234,5678", "-1234.5678"},
        TextCase{Variant::DecimalFromText("0.001"), "0,001", "0.001"},
        TextCase{Variant::Date(DateSerial(2008, 12, 25)), "25/12/2008", "12/25/2008"},
        TextCase{Variant::Date(DateSerial(2008, 12, 25, 10, 30)), "25/12/2008 10:30:00", "12/25/2008 10:30:00 AM"},
        TextCase{Variant::Date(DateSerial(2008, 12, 25, 22, 30)), "25/12/2008 22:30:00", "12/25/2008 10:30:00 PM"},
        TextCase{Variant::Date(DateSerial(2008, 3, 5, 9, 5)), "05/03/2008 09:05:00", "3/5/2008 9:05:00 AM"},
        TextCase{Variant::Date(0.0), "00:00:00", "12:00:00 AM"}, TextCase{Variant::Date(365.0), "30/12/1900", "12/30/1900"},
        TextCase{Variant::Date(1461.5), "31/12/1903 12:00:00", "12/31/1903 12:00:00 PM"},
        TextCase{Variant::Date(-657434), "01/01/100", "1/1/100"}));

TEST(VariantNull, ConvertsToNothing) {
  for (auto convert : {+[] { VariantToText(Variant::Null()); }, +[] { VariantToLong(Variant::Null()); },
                       +[] { VariantToDouble(Variant::Null()); }})
    EXPECT_EQ(CodeOf(convert), kDispTypeMismatch);
  EXPECT_EQ(VariantToLong(Variant()), 0);
  EXPECT_EQ(VariantToDouble(Variant()), 0.0);
}

TEST(VariantNumbers, CurrencyAndDecimalAreExact) {
  EXPECT_EQ(VariantToLong(Variant::Cy(-25000)), -2);
  EXPECT_EQ(VariantToLong(Variant::Cy(35000)), 4);
  EXPECT_EQ(VariantToLong(Variant::Cy(12345678)), 1235);
  EXPECT_DOUBLE_EQ(VariantToDouble(Variant::Cy(12345678)), 1234.5678);
  EXPECT_EQ(VariantToLong(Variant::DecimalFromText("2.5")), 2);
  EXPECT_EQ(VariantToLong(Variant::DecimalFromText("-3.5")), -4);
  EXPECT_EQ(VariantToLong(Variant::DecimalFromText("2.5000001")), 3);
  EXPECT_EQ(CodeOf([] { VariantToLong(Variant::DecimalFromText("2147483648")); }), kDispOverflow);
  EXPECT_DOUBLE_EQ(VariantToDouble(Variant::DecimalFromText("-12.75")), -12.75);
  EXPECT_EQ(VariantToLong(Variant::Bool(true)), -1);
  EXPECT_DOUBLE_EQ(VariantToDouble(Variant::Date(DateSerial(2008, 3, 5))), 39512.0);
}

}  // namespace
}  // namespace zmw
