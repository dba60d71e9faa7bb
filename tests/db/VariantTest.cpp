#include <gtest/gtest.h>

#include <cmath>

#include "db/Variant.h"
#include "DbTests.h"

namespace zmw {
namespace {

using test::CodeOf;

TEST(VariantToLong, RoundsHalfToEvenAndOverflowsOnlyAfterRounding) {
  const std::pair<double, std::int32_t> rows[] = {{0.5, 0}, {1.5, 2}, {-0.5, 0}, {-1.5, -2}, {0.6, 1}, {-0.6, -1},
                                                  {2147483647.49, 2147483647}, {-2147483648.5, INT32_MIN}};
  for (auto [value, expected] : rows) EXPECT_EQ(VariantToLong(Variant::R8(value)), expected) << value;
  for (double v : {2147483647.5, -2147483649.0})
    EXPECT_EQ(CodeOf([&] { VariantToLong(Variant::R8(v)); }), kDispOverflow) << v;
  test::Locale it("it-IT");
  EXPECT_EQ(VariantToLong(Variant::Bstr("2,5")), 2);
  EXPECT_EQ(VariantToLong(Variant::Bstr("1.234,56")), 1235);
  EXPECT_EQ(CodeOf([] { VariantToLong(Variant::Bstr("2147483648")); }), kDispOverflow);
}

TEST(VariantToDouble, TextFollowsTheLocalesSeparators) {
  struct Row {
    const char* text;
    double it, en;  // NAN: type mismatch
  };
  const Row rows[] = {{"1,5", 1.5, 15}, {"1.234,56", 1234.56, 1.23456}, {"1.5", 15, 1.5}, {" 12 ", 12, 12},
                      {"\t12", 12, 12}, {"abc", NAN, NAN}, {"12abc", NAN, NAN}, {"", NAN, NAN}, {"1E3", 1000, 1000},
                      {"-1,5", -1.5, -15}, {"(5)", -5, -5}, {"3-", -3, -3}, {"+3", 3, 3}, {"$5", NAN, 5},
                      {"&H10", 16, 16}, {"1.234.567", 1234567, NAN}, {",5", 0.5, NAN}, {"1.5e-3", 0.015, 0.0015}};
  for (const Row& r : rows)
    for (auto [locale, expected] : {std::pair{"it-IT", r.it}, std::pair{"en-US", r.en}}) {
      test::Locale l(locale);
      double got = NAN;
      std::int32_t code = CodeOf([&] { got = VariantToDouble(Variant::Bstr(r.text)); });
      if (std::isnan(expected)) EXPECT_EQ(code, kDispTypeMismatch) << locale << " " << r.text;
      else EXPECT_DOUBLE_EQ(got, expected) << locale << " " << r.text;
    }
}

TEST(VariantToText, UsesTheLocale) {
  struct Row {
    Variant value;
    const char *it, *en;
  };
  auto D = [](double serial) { return Variant::Date(serial); };
  auto M = [](const char* text) { return Variant::DecimalFromText(text); };
  const Row rows[] = {
      {Variant::R8(0.1), "0,1", "0.1"}, {Variant::R8(100), "100", "100"}, {Variant::R8(0.1 + 0.2), "0,3", "0.3"},
      {Variant::R8(1e14), "100000000000000", "100000000000000"}, {Variant::R8(1e15), "1E+15", "1E+15"},
      {Variant::R8(1.5e-7), "1,5E-07", "1.5E-07"}, {Variant::I4(-1234567), "-1234567", "-1234567"},
      {Variant::Bool(true), "-1", "-1"}, {Variant(), "", ""}, {Variant::Cy(15000), "1,5", "1.5"},
      {Variant::Cy(9), "0,0009", "0.0009"}, {Variant::Cy(10000000000LL), "1000000", "1000000"}, {M("1.0"), "1", "1"},
      {M("-1234.5678"), "-1234,5678", "-1234.5678"}, {M("0.001"), "0,001", "0.001"},
      {D(DateSerial(2008, 12, 25)), "25/12/2008", "12/25/2008"},
      {D(DateSerial(2008, 12, 25, 22, 30)), "25/12/2008 22:30:00", "12/25/2008 10:30:00 PM"},
      {D(DateSerial(2008, 3, 5, 9, 5)), "05/03/2008 09:05:00", "3/5/2008 9:05:00 AM"}, {D(0.0), "00:00:00", "12:00:00 AM"},
      {D(1461.5), "31/12/1903 12:00:00", "12/31/1903 12:00:00 PM"}, {D(-657434), "01/01/100", "1/1/100"}};
  for (const Row& r : rows) {
    EXPECT_EQ(VariantToText(r.value), r.it);
    test::Locale en("en-US");
    EXPECT_EQ(VariantToText(r.value), r.en);
  }
}

TEST(Variant, NullConvertsToNothingCurrencyAndDecimalAreExact) {
  for (auto convert : std::vector<std::function<void()>>{[] { VariantToText(Variant::Null()); }, [] { VariantToLong(Variant::Null()); },
                                                         [] { VariantToDouble(Variant::Null()); }})
    EXPECT_EQ(CodeOf(convert), kDispTypeMismatch);
  EXPECT_EQ(CodeOf([] { VariantToLong(Variant::DecimalFromText("2147483648")); }), kDispOverflow);
  auto M = [](const char* text) { return Variant::DecimalFromText(text); };
  for (auto [v, expected] : {std::pair{Variant(), 0}, {Variant::Cy(-25000), -2}, {Variant::Cy(35000), 4}, {Variant::Cy(12345678), 1235},
                             {M("2.5"), 2}, {M("-3.5"), -4}, {M("2.5000001"), 3}, {Variant::Bool(true), -1}})
    EXPECT_EQ(VariantToLong(v), expected) << VariantToText(v);
  for (auto [v, expected] : {std::pair{Variant(), 0.0}, {Variant::Cy(12345678), 1234.5678}, {M("-12.75"), -12.75},
                             {Variant::Date(DateSerial(2008, 3, 5)), 39512.0}})
    EXPECT_DOUBLE_EQ(VariantToDouble(v), expected) << VariantToText(v);
}

}  // namespace
}  // namespace zmw
