#include "calc/Ext80.h"

#include <bit>
#include <cstring>

namespace zmw {

double Ext80ToDouble(const unsigned char* b) {
  std::uint64_t significand = 0;
  for (int i = 7; i >= 0; --i) significand = (significand << 8) | b[i];
  unsigned top = unsigned(b[8]) | (unsigned(b[9]) << 8);
  unsigned exponent = top & 0x7FFF;
  bool negative = (top & 0x8000) != 0;
  if (exponent == 0 || exponent == 0x7FFF) return 0.0;
  int biased = int(exponent) - 15360;  // 16383 - 1023
  if (biased < 1 || biased > 2046) return 0.0;
  std::uint64_t bits = (std::uint64_t(negative) << 63) | (std::uint64_t(biased) << 52) |
                       ((significand >> 11) & ((std::uint64_t(1) << 52) - 1));
  return std::bit_cast<double>(bits);
}

void DoubleToExt80(double value, unsigned char* b) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  bool negative = (bits >> 63) != 0;
  int exponent = int((bits >> 52) & 0x7FF);
  std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
  std::uint64_t significand = 0;
  unsigned top = 0;
  if (exponent == 0x7FF) {  // infinity and NaN
    top = 0x7FFF;
    significand = (std::uint64_t(1) << 63) | (fraction << 11);
  } else if (exponent != 0) {
    top = unsigned(exponent - 1023 + 16383);
    significand = (std::uint64_t(1) << 63) | (fraction << 11);
  } else if (fraction != 0) {  // a subnormal double is a normal extended value
    int high = 63 - std::countl_zero(fraction);
    significand = fraction << (63 - high);
    top = unsigned(high - 1074 + 16383);
  }
  if (negative) top |= 0x8000;
  for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(significand >> (8 * i));
  b[8] = static_cast<unsigned char>(top);
  b[9] = static_cast<unsigned char>(top >> 8);
}

}  // namespace zmw
