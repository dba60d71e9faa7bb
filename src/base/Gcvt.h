// Numbers as the Visual C++ 2005 runtime's _gcvt writes them, which MaicoWin reads.
#pragma once
#include <string>

namespace zmw {

// _gcvt(value, digits): `digits` significant digits, rounded half up on the decimal digits;
// fixed notation unless the value's exponent is below -1 or above digits - 1, then exponent
// notation with at least three exponent digits. Trailing fraction zeros go, the point stays.
// 1500 gives "1500.", 0.05 "5.e-002", 1234567890 "1234567890". The point is always ".".
std::string Gcvt(double value, int digits);

}  // namespace zmw
