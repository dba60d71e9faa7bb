#include <cstdlib>
#include <string>

#include "platform/Locale.h"

namespace zmw::platform {

const LocaleInfo& CurrentLocale() {
  const char* wanted = std::getenv("ZELVOMW_LOCALE");
  const LocaleInfo* preset = FindLocalePreset(wanted && *wanted ? wanted : "it-IT");
  return preset ? *preset : *FindLocalePreset("it-IT");
}

}  // namespace zmw::platform
