#include <gtest/gtest.h>

#include "base/Gcvt.h"

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

}  // namespace
}  // namespace zmw
