// A database value as the library sees it: the VARIANT types the host database and the
// workbook give, with the platform's conversion rules under the user's locale.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zmw {

enum class VarType { Empty, Null, I2, I4, R8, Cy, Date, Bstr, Bool, Decimal };

// A DECIMAL value: the decimal digits of its magnitude (no leading zeros but one), the number
// of those digits that are fraction, and its sign.
struct DecimalValue {
  std::string digits = "0";
  int scale = 0;
  bool negative = false;
};

class Variant {
 public:
  Variant() = default;  // EMPTY
  static Variant Null();
  static Variant I2(std::int16_t v);
  static Variant I4(std::int32_t v);
  static Variant R8(double v);
  static Variant Cy(std::int64_t tenThousandths);
  static Variant Date(double serial);  // days since 30 December 1899
  static Variant Bstr(std::string text);  // Windows-1252
  static Variant Bool(bool v);
  static Variant Decimal(DecimalValue v);
  // A DECIMAL from its plain text ("-1234.5678"); throws DbError for anything else.
  static Variant DecimalFromText(const std::string& text);

  // This value made the BSTR of that text in place, as Bstr(text) would make it, keeping the
  // room of an earlier text: a reader that holds one row of values reuses them row after row.
  void AssignBstr(std::string_view text);

  VarType Type() const { return type_; }
  bool IsNull() const { return type_ == VarType::Null; }
  std::int64_t IntegerValue() const { return integer_; }
  double RealValue() const { return real_; }
  const std::string& Text() const { return text_; }
  const DecimalValue& DecimalValueOf() const { return decimal_; }

 private:
  VarType type_ = VarType::Empty;
  std::int64_t integer_ = 0;  // I2, I4, CY (ten-thousandths), BOOL (-1 or 0)
  double real_ = 0;           // R8, DATE
  std::string text_;          // BSTR
  DecimalValue decimal_;
};

// The conversions every reader uses; a failure raises DbError with the conversion's code.
std::int32_t VariantToLong(const Variant& v);
double VariantToDouble(const Variant& v);
std::string VariantToText(const Variant& v);

// A date serial from its parts, and back.
double DateSerial(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace zmw
