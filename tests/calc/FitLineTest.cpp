#include <gtest/gtest.h>

#include "calc/FitLine.h"

namespace zmw { namespace {

// The price is the Windows runtime's "%.2f", whose rounding the CrtFixed table holds.
TEST(FitLine, FieldsInOrderAndAPriceWithTwoDecimals) {
  FitLine l{"MAICO", "MAICO2", "301234", "", "CERNIERA", "A1", "1", "10", "GR", 0.125};
  EXPECT_EQ(FormatFitLine(l), "MAICO;MAICO2;301234;;CERNIERA;A1;1;10;GR;0.13\n");
}

} }  // namespace zmw
