#include <gtest/gtest.h>

#include "calc/FitLine.h"

namespace zmw {
namespace {

struct FitCase {
  double price;
  const char* text;
};

class FitPrice : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitPrice, HasTwoDecimalsAndAPoint) {
  FitLine l{"MAICO", "MAICO", "301234", "", "CERNIERA", "A1", "1", "10", "GR", GetParam().price};
  EXPECT_EQ(FormatFitLine(l), std::string("MAICO;MAICO;301234;;CERNIERA;A1;1;10;GR;") + GetParam().text + "\n");
}

// Exact halves go up, as the Windows runtime's "%.2f" has them; 2.675 and 1.005 lie just
// below their halves as doubles and go down.
INSTANTIATE_TEST_SUITE_P(Table, FitPrice,
                         ::testing::Values(FitCase{12.34, "12.34"}, FitCase{0, "0.00"},
                                           FitCase{1500, "1500.00"}, FitCase{0.125, "0.13"},
                                           FitCase{0.375, "0.38"}, FitCase{-0.125, "-0.13"},
                                           FitCase{2.675, "2.67"}, FitCase{1.005, "1.00"},
                                           FitCase{-3.5, "-3.50"}, FitCase{1e9, "1000000000.00"}));

}  // namespace
}  // namespace zmw
