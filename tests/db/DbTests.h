// What the database tests share.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "support/Database.h"

namespace zmw::test {

// The code of the error the call raises, 0 when it raises none; its description when asked.
inline std::int32_t CodeOf(const std::function<void()>& call, std::string* description = nullptr) {
  try {
    call();
  } catch (const DbError& e) {
    if (description) *description = e.Description();
    return e.Code();
  }
  return 0;
}

// The locale while the object lives; it-IT, the suites' own, after.
struct Locale {
  explicit Locale(const char* name) { SetEnv("ZELVOMW_LOCALE", name); }
  ~Locale() { SetEnv("ZELVOMW_LOCALE", "it-IT"); }
};

// A number as "%.17g" writes it, shortest form first.
inline std::string Number(double v) {
  char text[32];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    if (std::strtod(text, nullptr) == v) break;
  }
  return text;
}

// The columns of the pass's row, each with its type: "text A|null|i4 4|r8 0.5|date 39448".
template <class Column = const char*>
std::string Describe(const RecordSource& pass, std::initializer_list<Column> columns) {
  std::string row;
  for (Column column : columns) {
    Variant v = pass.Field(column);
    row += row.empty() ? "" : "|";
    switch (v.Type()) {
      case VarType::Null: row += "null"; break;
      case VarType::I4: row += "i4 " + std::to_string(v.IntegerValue()); break;
      case VarType::R8: row += "r8 " + Number(v.RealValue()); break;
      case VarType::Date: row += "date " + Number(v.RealValue()); break;
      case VarType::Bstr: row += "text " + v.Text(); break;
      case VarType::Bool: row += "bool " + std::to_string(v.IntegerValue()); break;
      default: row += "type " + std::to_string(int(v.Type())); break;
    }
  }
  return row;
}

// The host database of each backend with the shared connection open.
class OpenHostDatabase : public AnyHostDatabase {
 protected:
  void SetUp() override {
    AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
  }
};

}  // namespace zmw::test
