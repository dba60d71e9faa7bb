// The user's locale, as far as the library formats and parses numbers and dates.
// ZELVOMW_LOCALE (it-IT, en-US, ...) overrides the user's locale on every platform.
#pragma once
#include <string>
#include <string_view>

namespace zmw::platform {

struct LocaleInfo {
  std::string name;
  char decimal;
  char thousands;
  std::string shortDate;   // Windows picture, e.g. "dd/MM/yyyy"
  std::string timeFormat;  // e.g. "HH:mm:ss" or "h:mm:ss tt"
  std::string am, pm;
  std::string currency;
};

const LocaleInfo& CurrentLocale();
// The presets that ZELVOMW_LOCALE names; nullptr for an unknown name.
const LocaleInfo* FindLocalePreset(std::string_view name);

}  // namespace zmw::platform
