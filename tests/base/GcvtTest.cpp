#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/Gcvt.h"

namespace zmw { namespace {

struct Row { double value; int digits; const char* expected; };
const double kInf = std::numeric_limits<double>::infinity(), kNan = std::numeric_limits<double>::quiet_NaN();

TEST(Gcvt, WritesAsTheVisualCpp2005Runtime) {
  for (const Row& r : {Row{1500, 10, "1500."}, {2.5, 10, "2.5"}, {0.0001, 10, "1.e-004"}, {1e10, 10, "1.e+010"},
       {12345678901.0, 10, "1.23456789e+010"}, {-7, 10, "-7."}, {0, 10, "0."}, {0.5, 10, "0.5"}, {0.05, 10, "5.e-002"},
       {-0.0123, 10, "-1.23e-002"}, {1e100, 10, "1.e+100"}, {1234567890, 10, "1234567890"},
       {12345678.125, 10, "12345678.13"}, {9999999999.5, 10, "10000000000"}, {2.0 / 3, 10, "0.6666666667"},
       {99.999999999, 10, "100."}, {-123456789012.3, 12, "-123456789012"}, {-0.1234567890123, 12, "-0.123456789012"},
       {-3.1415e5, 7, "-314150."}})
    EXPECT_EQ(Gcvt(r.value, r.digits), r.expected) << r.value;
}

// The runtime rounds the string of the value's 17 significant digits half up: exact halves go
// up, values just below a half (2.675 is 2.67499999999999982236431605997495353221893310546875)
// go down, and places past the 17th digit are zeros.
TEST(CrtFixed, WritesAsTheVisualCpp2005RuntimesPrintf) {
  for (const Row& r : {Row{0.125, 2, "0.13"}, {-0.125, 2, "-0.13"}, {2.675, 2, "2.67"}, {0, 2, "0.00"},
       {9.999, 2, "10.00"}, {0.005, 2, "0.01"}, {0.0049, 2, "0.00"}, {std::ldexp(1.0, -1074), 2, "0.00"},
       {123456789012345678901.0, 2, "123456789012345680000.00"}, {0.5, 0, "1"}, {9.5, 0, "10"}, {0.4, 0, "0"},
       {0.0625, 3, "0.063"}, {kInf, 2, "1.#J"}, {-kInf, 2, "-1.#J"}, {kInf, 6, "1.#INF00"}, {kNan, 6, "1.#QNAN0"},
       {-kNan, 6, "-1.#IND00"}})
    EXPECT_EQ(CrtFixed(r.value, r.digits), r.expected) << r.value << " to " << r.digits;
}

} }  // namespace zmw
