#include "db/odbc/OdbcHandle.h"

#include "db/DbError.h"
#include "platform/Text.h"

namespace zmw::odbc {

std::u16string Wide(const std::string& text) { return platform::Cp1252ToUtf16(text); }

std::string Narrow(const SQLWCHAR* text, std::size_t length) {
  return platform::Utf16ToCp1252(std::u16string(reinterpret_cast<const char16_t*>(text), length));
}

void ThrowDiagnostics(const Handle& h) {
  std::string text;
  for (SQLSMALLINT record = 1; record < 10; ++record) {
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(h.Type(), h.Get(), record, state, &native, message, 1024, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (!text.empty()) text += "\n";
    std::size_t n = std::size_t(length) < 1023 ? std::size_t(length) : 1023;
    text += Narrow(message, n) + " (SQLSTATE " + Narrow(state, 5) + ", " + std::to_string(native) + ")";
  }
  if (text.empty()) text = "ODBC error";
  throw DbError(kEFail, text);
}

}  // namespace zmw::odbc
