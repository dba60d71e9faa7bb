// What the ODBC connection and its record passes share: owned handles, the driver's
// diagnostics as one DbError, and the texts at the wide entry points.
#pragma once
#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

#include "platform/Text.h"

namespace zmw::odbc {

// unixODBC converts between wide and narrow texts in the calling thread's character set; a
// narrow driver such as SQLite's expects UTF-8. The switch is for this thread and this call
// only: the host's own locale is never touched.
using Utf8Texts = platform::Utf8CharacterScope;

std::u16string Wide(const std::string& text);
inline SQLWCHAR* W(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }
std::string Narrow(const SQLWCHAR* text, std::size_t length);

// One ODBC handle, freed with its owner.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) handle_ = SQL_NULL_HANDLE;
  }
  ~Handle() { Reset(); }
  Handle(Handle&& o) noexcept : type_(o.type_), handle_(o.handle_) { o.handle_ = SQL_NULL_HANDLE; }
  Handle& operator=(Handle&& o) noexcept {
    if (this != &o) {
      Reset();
      type_ = o.type_;
      handle_ = o.handle_;
      o.handle_ = SQL_NULL_HANDLE;
    }
    return *this;
  }
  void Reset() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
  }
  SQLHANDLE Get() const { return handle_; }
  SQLSMALLINT Type() const { return type_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The driver's diagnostics, SQLSTATE included, as one error.
[[noreturn]] void ThrowDiagnostics(const Handle& h);

inline void Check(SQLRETURN rc, const Handle& h) {
  if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) ThrowDiagnostics(h);
}

}  // namespace zmw::odbc
