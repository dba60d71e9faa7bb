// Numbers as the Visual C++ 2005 runtime writes them: _gcvt for the request file that MaicoWin
// reads, printf's "%.*f" for the prices of the FIT files that Zelvo's import library reads.
#pragma once
#include <string>

namespace zmw {

// _gcvt(value, digits): `digits` significant digits, rounded half up on the decimal digits;
// fixed notation unless the value's exponent is below -1 or above digits - 1, then exponent
// notation with at least three exponent digits. Trailing fraction zeros go, the point stays.
// 1500 gives "1500.", 0.05 "5.e-002", 1234567890 "1234567890". The point is always ".".
std::string Gcvt(double value, int digits);

// printf("%.*f", decimals, value): the value's 17 significant decimal digits, rounded half up
// at the last decimal kept; places beyond the 17th digit print as zeros. So 0.125 gives "0.13"
// with 2 decimals, and 2.675, whose digits are 26749999999999998, gives "2.67". Infinities and
// NaNs are written as the runtime does ("1.#J" for an infinity with 2 decimals). The point is
// always ".".
std::string CrtFixed(double value, int decimals);

}  // namespace zmw
