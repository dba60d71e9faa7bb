#include "base/Gcvt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zmw {
namespace {

void StripFractionZeros(std::string& s) {
  std::size_t point = s.find('.');
  if (point == std::string::npos) return;
  while (s.size() > point + 1 && s.back() == '0') s.pop_back();
}

}  // namespace

std::string Gcvt(double value, int digits) {
  if (digits < 1) digits = 1;
  if (digits > 17) digits = 17;
  if (std::isnan(value)) return "1.#QNAN";
  if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
  std::string sign = std::signbit(value) && value != 0 ? "-" : "";
  double a = std::fabs(value);

  // The runtime works from 17 significant decimal digits of the value.
  std::string all(17, '0');
  int magnitude = 0;
  if (a != 0) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16e", a);
    all[0] = buffer[0];
    for (int i = 0; i < 16; ++i) all[1 + i] = buffer[2 + i];
    magnitude = std::atoi(buffer + 19);
  }

  // Round the kept digits half up; a carry moves the value up one decade.
  std::string kept = all.substr(0, std::size_t(digits));
  int roundedMagnitude = magnitude;
  if (all[std::size_t(digits)] >= '5') {
    int i = digits - 1;
    while (i >= 0 && kept[std::size_t(i)] == '9') kept[std::size_t(i--)] = '0';
    if (i >= 0) {
      ++kept[std::size_t(i)];
    } else {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++roundedMagnitude;
    }
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

}  // namespace zmw
