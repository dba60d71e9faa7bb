#include "platform/Text.h"
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/Locale.h"

namespace zmw::platform {
namespace {

std::string Info(LCTYPE type) {
  char buffer[128] = {};
  int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer) : std::string();
}

LocaleInfo UserLocale() {
  LocaleInfo info;
  info.name = Info(LOCALE_SNAME);
  std::string dec = Info(LOCALE_SDECIMAL), thou = Info(LOCALE_STHOUSAND);
  info.decimal = dec.empty() ? '.' : dec[0];
  info.thousands = thou.empty() ? ',' : thou[0];
  info.shortDate = Info(LOCALE_SSHORTDATE);
  info.timeFormat = Info(LOCALE_STIMEFORMAT);
  info.am = Info(LOCALE_S1159);
  info.pm = Info(LOCALE_S2359);
  info.currency = Info(LOCALE_SCURRENCY);
  return info;
}

}  // namespace

// ZELVOMW_LOCALE wins over the user's locale, so that results do not depend on the machine.
const LocaleInfo& CurrentLocale() {
  if (const char* wanted = std::getenv("ZELVOMW_LOCALE"); wanted && *wanted)
    if (const LocaleInfo* preset = FindLocalePreset(wanted)) return *preset;
  static const LocaleInfo user = UserLocale();
  return user;
}

}  // namespace zmw::platform

namespace zmw::platform {

Utf8CharacterScope::Utf8CharacterScope() : previous_(nullptr) {}
Utf8CharacterScope::~Utf8CharacterScope() = default;

}  // namespace zmw::platform
