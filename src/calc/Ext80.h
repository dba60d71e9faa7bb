// The x87 80-bit extended format of Zelvo's job item records, converted in portable code.
#pragma once
#include <cstdint>

namespace zmw {

// Reads ten bytes as Zelvo's readers do: exponents outside the double window give 0.0, and the
// significand's bits 62..11 become the fraction, cut, not rounded.
double Ext80ToDouble(const unsigned char* bytes);
// Writes a double exactly.
void DoubleToExt80(double value, unsigned char* bytes);

}  // namespace zmw
