#include "db/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "db/DbError.h"
#include "platform/Locale.h"

namespace zmw {

Variant Variant::Null() { Variant v; v.type_ = VarType::Null; return v; }
Variant Variant::I2(std::int16_t x) { Variant v; v.type_ = VarType::I2; v.integer_ = x; return v; }
Variant Variant::I4(std::int32_t x) { Variant v; v.type_ = VarType::I4; v.integer_ = x; return v; }
Variant Variant::R8(double x) { Variant v; v.type_ = VarType::R8; v.real_ = x; return v; }
Variant Variant::Cy(std::int64_t x) { Variant v; v.type_ = VarType::Cy; v.integer_ = x; return v; }
Variant Variant::Date(double x) { Variant v; v.type_ = VarType::Date; v.real_ = x; return v; }
Variant Variant::Bstr(std::string x) { Variant v; v.type_ = VarType::Bstr; v.text_ = std::move(x); return v; }
Variant Variant::Bool(bool x) { Variant v; v.type_ = VarType::Bool; v.integer_ = x ? -1 : 0; return v; }
Variant Variant::Decimal(DecimalValue x) { Variant v; v.type_ = VarType::Decimal; v.decimal_ = std::move(x); return v; }

void Variant::AssignBstr(std::string_view text) {
  type_ = VarType::Bstr;
  integer_ = 0;
  real_ = 0;
  text_.assign(text);
  decimal_.digits.assign(1, '0');
  decimal_.scale = 0;
  decimal_.negative = false;
}

Variant Variant::DecimalFromText(const std::string& text) {
  DecimalValue d;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) d.negative = text[i++] == '-';
  std::string digits;
  int scale = 0;
  bool point = false, any = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      any = true;
      if (point) ++scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      throw DbError(kDispTypeMismatch);
    }
  }
  if (!any) throw DbError(kDispTypeMismatch);
  std::size_t first = digits.find_first_not_of('0');
  digits = first == std::string::npos ? "0" : digits.substr(first);
  if (int(digits.size()) < scale) digits.insert(0, std::size_t(scale) - digits.size(), '0');
  d.digits = digits;
  d.scale = scale;
  if (digits.find_first_not_of('0') == std::string::npos) d.negative = false;
  return Variant::Decimal(d);
}

namespace {

constexpr double kI4Min = -2147483648.0, kI4Max = 2147483647.0;

// Half to even, and the range checked after rounding.
std::int32_t RoundToLong(double v) {
  if (std::isnan(v)) throw DbError(kDispOverflow);
  double r = std::nearbyint(v);
  if (r < kI4Min || r > kI4Max) throw DbError(kDispOverflow);
  return static_cast<std::int32_t>(r);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// VarParseNumFromStr with the standard flags, under the locale's separators.
double ParseNumber(const std::string& text) {
  const platform::LocaleInfo& loc = platform::CurrentLocale();
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  std::string s = text.substr(b, e - b);
  if (s.empty()) throw DbError(kDispTypeMismatch);
  bool negative = false, signGiven = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    negative = signGiven = true;
    s = s.substr(1, s.size() - 2);
  }
  if (!s.empty() && (s[0] == '+' || s[0] == '-') && !signGiven) {
    negative = s[0] == '-';
    signGiven = true;
    s.erase(0, 1);
  }
  if (!loc.currency.empty() && s.compare(0, loc.currency.size(), loc.currency) == 0) s.erase(0, loc.currency.size());
  if (!signGiven && !s.empty() && s.back() == '-') {
    negative = true;
    s.pop_back();
  }
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
    unsigned long long value = 0;
    auto r = std::from_chars(s.data() + 2, s.data() + s.size(), value, base);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) throw DbError(kDispTypeMismatch);
    return negative ? -double(value) : double(value);
  }
  std::string plain;  // digits with "." and "e", for a locale-free parse
  std::size_t i = 0;
  bool digits = false, point = false;
  // Thousands separators are taken anywhere after the first digit, without a grouping check;
  // a second decimal separator ends the number.
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      plain += c;
      digits = true;
    } else if (c == loc.decimal && !point) {
      plain += '.';
      point = true;
    } else if (c == loc.thousands && digits) {
      continue;
    } else {
      break;
    }
  }
  if (!digits) throw DbError(kDispTypeMismatch);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::string exponent = "e";
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponent += s[i++];
    bool expDigits = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      exponent += s[i];
      expDigits = true;
    }
    if (!expDigits) throw DbError(kDispTypeMismatch);
    plain += exponent;
  }
  if (i != s.size()) throw DbError(kDispTypeMismatch);
  if (plain.front() == '.') plain.insert(0, "0");
  double value = 0;
  auto r = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (r.ec == std::errc::result_out_of_range) throw DbError(kDispOverflow);
  if (r.ec != std::errc()) throw DbError(kDispTypeMismatch);
  return negative ? -value : value;
}

std::string WithDecimalSeparator(std::string text) {
  char sep = platform::CurrentLocale().decimal;
  for (char& c : text)
    if (c == '.') c = sep;
  return text;
}

// Fifteen significant digits, %G style, with the locale's decimal separator.
std::string RealToText(double v) {
  if (v == 0) return "0";
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15);
  std::string s(buffer, r.ptr);
  std::size_t e = s.find('e');
  if (e != std::string::npos) s[e] = 'E';
  return WithDecimalSeparator(s);
}

std::string DecimalToText(const DecimalValue& d) {
  std::string digits = d.digits;
  int scale = d.scale;
  while (scale > 0 && digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
    --scale;
  }
  if (scale > 0 && digits.back() == '0' && digits.size() == 1) scale = 0;
  std::string text;
  if (scale == 0) {
    text = digits;
  } else {
    if (int(digits.size()) <= scale) digits.insert(0, std::size_t(scale) + 1 - digits.size(), '0');
    text = digits.substr(0, digits.size() - std::size_t(scale)) + "." + digits.substr(digits.size() - std::size_t(scale));
  }
  bool zero = text.find_first_not_of("0.") == std::string::npos;
  return WithDecimalSeparator((d.negative && !zero ? "-" : "") + text);
}

double DecimalToDouble(const DecimalValue& d) {
  std::string plain = d.digits;
  if (d.scale > 0) plain.insert(plain.size() - std::size_t(d.scale), ".");
  double value = 0;
  std::from_chars(plain.data(), plain.data() + plain.size(), value);
  return d.negative ? -value : value;
}

// Half to even on the exact decimal digits.
std::int32_t DecimalToLong(const DecimalValue& d) {
  std::string integer = d.digits.substr(0, d.digits.size() - std::size_t(d.scale));
  std::string fraction = d.digits.substr(d.digits.size() - std::size_t(d.scale));
  if (integer.empty()) integer = "0";
  std::size_t first = integer.find_first_not_of('0');
  integer = first == std::string::npos ? "0" : integer.substr(first);
  if (integer.size() > 10) throw DbError(kDispOverflow);
  long long magnitude = std::stoll(integer);
  if (!fraction.empty()) {
    bool above = fraction[0] > '5' || (fraction[0] == '5' && fraction.find_first_not_of('0', 1) != std::string::npos);
    bool half = fraction[0] == '5' && !above;
    if (above || (half && magnitude % 2 == 1)) ++magnitude;
  }
  long long value = d.negative ? -magnitude : magnitude;
  if (value < -2147483648LL || value > 2147483647LL) throw DbError(kDispOverflow);
  return static_cast<std::int32_t>(value);
}

std::string CurrencyToText(std::int64_t v) {
  bool negative = v < 0;
  unsigned long long a = negative ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  DecimalValue d;
  d.digits = std::to_string(a);
  d.scale = 4;
  d.negative = negative;
  if (d.digits.size() < 5) d.digits.insert(0, 5 - d.digits.size(), '0');
  return DecimalToText(d);
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yoe = y - era * 400;
  long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr long long kEpochDays = -25569;  // 30 December 1899, counted from 1 January 1970

// A Windows date or time picture: d dd M MM yy yyyy h hh H HH m mm s ss t tt; the rest literal.
std::string FormatPicture(const std::string& picture, int year, int month, int day, int hour, int minute, int second) {
  const platform::LocaleInfo& loc = platform::CurrentLocale();
  std::string out;
  for (std::size_t i = 0; i < picture.size();) {
    char c = picture[i];
    std::size_t n = 1;
    while (i + n < picture.size() && picture[i + n] == c) ++n;
    auto number = [&](int v, std::size_t width) {
      std::string s = std::to_string(v);
      if (s.size() < width) s.insert(0, width - s.size(), '0');
      return s;
    };
    switch (c) {
      case 'd': out += number(day, n >= 2 ? 2 : 1); break;
      case 'M': out += number(month, n >= 2 ? 2 : 1); break;
      case 'y': out += n >= 3 ? number(year, 1) : number(year % 100, 2); break;
      case 'H': out += number(hour, n >= 2 ? 2 : 1); break;
      case 'h': out += number(hour % 12 == 0 ? 12 : hour % 12, n >= 2 ? 2 : 1); break;
      case 'm': out += number(minute, n >= 2 ? 2 : 1); break;
      case 's': out += number(second, n >= 2 ? 2 : 1); break;
      case 't': {
        const std::string& marker = hour < 12 ? loc.am : loc.pm;
        out += n >= 2 ? marker : marker.substr(0, 1);
        break;
      }
      default: out.append(n, c); break;
    }
    i += n;
  }
  return out;
}

std::string DateToText(double serial) {
  if (std::isnan(serial)) throw DbError(kDispTypeMismatch);
  // The dates the platform has: 1 January 100 to 31 December 9999.
  if (serial <= -657435.0 || serial >= 2958466.0) throw DbError(kEInvalidArg);
  double dayPart = std::trunc(serial);
  double timePart = std::fabs(serial - dayPart);
  long long seconds = std::llround(timePart * 86400.0);
  long long days = static_cast<long long>(dayPart);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += serial < 0 ? -1 : 1;
  }
  int y, m, d;
  CivilFromDays(days + kEpochDays, y, m, d);
  int hh = int(seconds / 3600), mm = int(seconds / 60 % 60), ss = int(seconds % 60);
  const platform::LocaleInfo& loc = platform::CurrentLocale();
  std::string date = FormatPicture(loc.shortDate, y, m, d, hh, mm, ss);
  std::string time = FormatPicture(loc.timeFormat, y, m, d, hh, mm, ss);
  if (seconds == 0) return days == 0 ? time : date;
  if (days == 0) return time;
  return date + " " + time;
}

}  // namespace

double DateSerial(int year, int month, int day, int hour, int minute, int second) {
  double days = double(DaysFromCivil(year, month, day) - kEpochDays);
  double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  return days >= 0 ? days + time : days - time;
}

std::int32_t VariantToLong(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty: return 0;
    case VarType::Null: throw DbError(kDispTypeMismatch);
    case VarType::I2:
    case VarType::I4:
    case VarType::Bool: return static_cast<std::int32_t>(v.IntegerValue());
    case VarType::R8:
    case VarType::Date: return RoundToLong(v.RealValue());
    case VarType::Cy: {
      DecimalValue d;
      std::int64_t c = v.IntegerValue();
      d.negative = c < 0;
      d.digits = std::to_string(c < 0 ? 0ULL - static_cast<unsigned long long>(c) : static_cast<unsigned long long>(c));
      if (d.digits.size() < 5) d.digits.insert(0, 5 - d.digits.size(), '0');
      d.scale = 4;
      return DecimalToLong(d);
    }
    case VarType::Bstr: return RoundToLong(ParseNumber(v.Text()));
    case VarType::Decimal: return DecimalToLong(v.DecimalValueOf());
  }
  throw DbError(kDispTypeMismatch);
}

double VariantToDouble(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty: return 0.0;
    case VarType::Null: throw DbError(kDispTypeMismatch);
    case VarType::I2:
    case VarType::I4:
    case VarType::Bool: return double(v.IntegerValue());
    case VarType::R8:
    case VarType::Date: return v.RealValue();
    case VarType::Cy: return double(v.IntegerValue()) / 10000.0;
    case VarType::Bstr: return ParseNumber(v.Text());
    case VarType::Decimal: return DecimalToDouble(v.DecimalValueOf());
  }
  throw DbError(kDispTypeMismatch);
}

std::string VariantToText(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty: return "";
    case VarType::Null: throw DbError(kDispTypeMismatch);
    case VarType::I2:
    case VarType::I4:
    case VarType::Bool: return std::to_string(v.IntegerValue());
    case VarType::R8: return RealToText(v.RealValue());
    case VarType::Date: return DateToText(v.RealValue());
    case VarType::Cy: return CurrencyToText(v.IntegerValue());
    case VarType::Bstr: return v.Text();
    case VarType::Decimal: return DecimalToText(v.DecimalValueOf());
  }
  throw DbError(kDispTypeMismatch);
}

}  // namespace zmw
