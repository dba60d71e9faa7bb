#include "base/Gcvt.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zmw {
namespace {

void StripFractionZeros(std::string& s) {
  std::size_t point = s.find('.');
  if (point == std::string::npos) return;
  while (s.size() > point + 1 && s.back() == '0') s.pop_back();
}

// The runtime formats from the first 17 significant decimal digits of the value, nothing
// finer. std::to_chars gives them the same on every platform.
struct DecimalDigits {
  std::string digits = std::string(17, '0');
  int magnitude = 0;  // the decade of the first digit
};

DecimalDigits SeventeenDigits(double magnitude) {
  DecimalDigits d;
  if (magnitude == 0) return d;
  char buffer[40];  // d.ddddddddddddddddde+ddd
  std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 16);
  d.digits[0] = buffer[0];
  for (int i = 0; i < 16; ++i) d.digits[std::size_t(1 + i)] = buffer[2 + i];
  std::from_chars(buffer + 20, r.ptr, d.magnitude);
  if (buffer[19] == '-') d.magnitude = -d.magnitude;
  return d;
}

// Adds one in the last place of a digit string, half-up rounding's carry; true when the carry
// runs out of the front (999 becomes 000). The runtime does this on whatever characters it
// holds, so the letters of "1#INF" are raised as well.
bool RaiseLastPlace(std::string& kept) {
  std::size_t i = kept.size();
  while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
  if (i == 0) return true;
  ++kept[i - 1];
  return false;
}

// The runtime's text for an infinity or a NaN, as if it were the digits of a number between
// 1 and 10.
std::string SpecialDigits(double value) {
  if (std::isinf(value)) return "1#INF";
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
  const std::uint64_t quiet = std::uint64_t(1) << 51;
  if (std::signbit(value) && fraction == quiet) return "1#IND";  // the FPU's default NaN
  return (fraction & quiet) ? "1#QNAN" : "1#SNAN";
}

}  // namespace

std::string Gcvt(double value, int digits) {
  if (digits < 1) digits = 1;
  if (digits > 17) digits = 17;
  if (std::isnan(value)) return "1.#QNAN";
  if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
  std::string sign = std::signbit(value) && value != 0 ? "-" : "";
  DecimalDigits all = SeventeenDigits(std::fabs(value));
  int magnitude = all.magnitude;

  // Round the kept digits half up; a carry moves the value up one decade.
  std::string kept = all.digits.substr(0, std::size_t(digits));
  int roundedMagnitude = magnitude;
  if (all.digits[std::size_t(digits)] >= '5' && RaiseLastPlace(kept)) {
    kept.insert(kept.begin(), '1');
    kept.pop_back();
    ++roundedMagnitude;
  }

  // The notation is chosen on the exponent before rounding, as the runtime does.
  if (magnitude < -1 || magnitude > digits - 1) {
    std::string mantissa = kept.substr(0, 1) + "." + kept.substr(1);
    StripFractionZeros(mantissa);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%03d", roundedMagnitude < 0 ? '-' : '+',
                  std::abs(roundedMagnitude));
    return sign + mantissa + exponent;
  }

  int decimals = digits - (magnitude + 1);
  int integerDigits = roundedMagnitude + 1;  // may be 0 or less for values below 1
  std::string integer, fraction;
  if (integerDigits > 0) {
    integer = kept.substr(0, std::size_t(std::min<int>(integerDigits, digits)));
    if (integerDigits > digits) integer.append(std::size_t(integerDigits - digits), '0');
    if (integerDigits < digits) fraction = kept.substr(std::size_t(integerDigits));
  } else {
    integer = "0";
    fraction = std::string(std::size_t(-integerDigits), '0') + kept;
  }
  if (int(fraction.size()) < decimals) fraction.append(std::size_t(decimals - int(fraction.size())), '0');
  fraction.resize(std::size_t(decimals));
  if (decimals == 0) return sign + integer;
  std::string text = integer + "." + fraction;
  StripFractionZeros(text);
  return sign + text;
}

std::string CrtFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  std::string sign = std::signbit(value) ? "-" : "";
  std::string digits;
  int point;  // digits before the decimal point; 0 or less for values below 1
  if (std::isfinite(value)) {
    DecimalDigits all = SeventeenDigits(std::fabs(value));
    digits = all.digits;
    point = all.magnitude + 1;
  } else {
    digits = SpecialDigits(value);
    point = 1;
  }

  // The places the text shows, taken from the digits and filled with zeros past their end;
  // the next digit rounds them half up. A value too small to reach the last place shows
  // zeros only, unrounded.
  std::string kept;
  int shown = point + decimals;
  if (shown >= 0) {
    for (int i = 0; i < shown; ++i) kept += std::size_t(i) < digits.size() ? digits[std::size_t(i)] : '0';
    if (std::size_t(shown) < digits.size() && digits[std::size_t(shown)] >= '5' && RaiseLastPlace(kept)) {
      kept.insert(kept.begin(), '1');
      ++point;
    }
  }

  std::string integer, fraction;
  if (point > 0) {
    integer = kept.substr(0, std::size_t(point));
    fraction = kept.substr(std::size_t(point));
  } else {
    integer = "0";
    fraction = std::string(std::size_t(std::min(-point, decimals)), '0') + kept;
  }
  fraction.resize(std::size_t(decimals), '0');
  return sign + integer + (decimals > 0 ? "." + fraction : std::string());
}

}  // namespace zmw
