#include <gtest/gtest.h>

#include "base/Gcvt.h"

#include <cmath>
#include <limits>

namespace zmw {
namespace {

struct GcvtCase {
  double value;
  int digits;
  const char* expected;
};

class GcvtTable : public ::testing::TestWithParam<GcvtCase> {};

TEST_P(GcvtTable, WritesAsTheVisualCpp2005Runtime) {
  EXPECT_EQ(Gcvt(GetParam().value, GetParam().digits), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    TenDigits, GcvtTable,
    ::testing::Values(GcvtCase{1500, 10, "1500."}, GcvtCase{2.5, 10, "2.5"},
                      GcvtCase{1234.5678, 10, "1234.5678"}, GcvtCase{0.0001, 10, "1.e-004"},
                      GcvtCase{0.00001, 10, "1.e-005"}, GcvtCase{1e10, 10, "1.e+010"},
                      GcvtCase{12345678901.0, 10, "1.23456789e+010"}, GcvtCase{-7, 10, "-7."},
                      GcvtCase{0, 10, "0."}, GcvtCase{0.5, 10, "0.5"}, GcvtCase{0.05, 10, "5.e-002"},
                      GcvtCase{-0.0123, 10, "-1.23e-002"}, GcvtCase{1234567890, 10, "1234567890"},
                      GcvtCase{1e100, 10, "1.e+100"}, GcvtCase{12345678.125, 10, "12345678.13"},
                      GcvtCase{9999999999.5, 10, "10000000000"}, GcvtCase{0.1, 10, "0.1"},
                      GcvtCase{0.3, 10, "0.3"}, GcvtCase{1.0 / 3, 10, "0.3333333333"},
                      GcvtCase{2.0 / 3, 10, "0.6666666667"}, GcvtCase{99.999999999, 10, "100."},
                      GcvtCase{1e-300, 10, "1.e-300"}, GcvtCase{-1.5, 10, "-1.5"}));

INSTANTIATE_TEST_SUITE_P(
    MicrosoftExamples, GcvtTable,
    ::testing::Values(GcvtCase{-1234567890.123, 12, "-1234567890.12"},
                      GcvtCase{-12345678901.23, 12, "-12345678901.2"},
                      GcvtCase{-123456789012.3, 12, "-123456789012"},
                      GcvtCase{-1234567890123, 12, "-1.23456789012e+012"},
                      GcvtCase{-12.34567890123, 12, "-12.3456789012"},
                      GcvtCase{-1.234567890123, 12, "-1.23456789012"},
                      GcvtCase{-0.1234567890123, 12, "-0.123456789012"},
                      GcvtCase{-0.01234567890123, 12, "-1.23456789012e-002"},
                      GcvtCase{-3.1415e5, 7, "-314150."}));


struct FixedCase {
  double value;
  int decimals;
  const char* expected;
};

class CrtFixedTable : public ::testing::TestWithParam<FixedCase> {};

TEST_P(CrtFixedTable, WritesAsTheVisualCpp2005RuntimesPrintf) {
  EXPECT_EQ(CrtFixed(GetParam().value, GetParam().decimals), GetParam().expected) << GetParam().value;
}

// The runtime rounds the string of the value's 17 significant digits half up: exact halves go
// up, values just below a half (2.675 is 2.67499999999999982236431605997495353221893310546875)
// go down, and places past the 17th digit are zeros.
INSTANTIATE_TEST_SUITE_P(
    Prices, CrtFixedTable,
    ::testing::Values(FixedCase{0.125, 2, "0.13"}, FixedCase{0.375, 2, "0.38"}, FixedCase{-0.125, 2, "-0.13"},
                      FixedCase{1.125, 2, "1.13"}, FixedCase{2.675, 2, "2.67"}, FixedCase{1.005, 2, "1.00"},
                      FixedCase{12.34, 2, "12.34"}, FixedCase{0, 2, "0.00"}, FixedCase{-3.5, 2, "-3.50"},
                      FixedCase{0.1 + 0.2, 2, "0.30"}, FixedCase{9.999, 2, "10.00"},
                      FixedCase{12345678.125, 2, "12345678.13"}, FixedCase{0.005, 2, "0.01"},
                      FixedCase{0.0049, 2, "0.00"}, FixedCase{0.0001, 2, "0.00"},
                      FixedCase{std::ldexp(1.0, -1074), 2, "0.00"}, FixedCase{1e20, 2, "100000000000000000000.00"},
                      FixedCase{123456789012345678901.0, 2, "123456789012345680000.00"},
                      FixedCase{1000000000000000.125, 2, "1000000000000000.10"}));

INSTANTIATE_TEST_SUITE_P(
    OtherWidths, CrtFixedTable,
    ::testing::Values(FixedCase{0.5, 0, "1"}, FixedCase{2.5, 0, "3"}, FixedCase{9.5, 0, "10"},
                      FixedCase{0.4, 0, "0"}, FixedCase{1.0 / 3, 6, "0.333333"}, FixedCase{2.0 / 3, 6, "0.666667"},
                      FixedCase{0.0625, 3, "0.063"}));

INSTANTIATE_TEST_SUITE_P(
    NotANumber, CrtFixedTable,
    ::testing::Values(FixedCase{std::numeric_limits<double>::infinity(), 2, "1.#J"},
                      FixedCase{-std::numeric_limits<double>::infinity(), 2, "-1.#J"},
                      FixedCase{std::numeric_limits<double>::infinity(), 6, "1.#INF00"},
                      FixedCase{std::numeric_limits<double>::quiet_NaN(), 6, "1.#QNAN0"},
                      FixedCase{-std::numeric_limits<double>::quiet_NaN(), 6, "-1.#IND00"}));

}  // namespace
}  // namespace zmw
