#include <locale.h>
#include <cstdlib>
#include <string>

#include "platform/Locale.h"
#include "platform/Text.h"

namespace zmw::platform {

const LocaleInfo& CurrentLocale() {
  const char* wanted = std::getenv("ZELVOMW_LOCALE");
  const LocaleInfo* preset = FindLocalePreset(wanted && *wanted ? wanted : "it-IT");
  return preset ? *preset : *FindLocalePreset("it-IT");
}

}  // namespace zmw::platform

namespace zmw::platform {
namespace {

// One UTF-8 locale for the process, freed when the library is unloaded.
class Utf8Locale {
 public:
  Utf8Locale() : locale_(::newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(nullptr))) {}
  ~Utf8Locale() {
    if (locale_) ::freelocale(locale_);
  }
  locale_t Get() const { return locale_; }

 private:
  locale_t locale_;
};

}  // namespace

Utf8CharacterScope::Utf8CharacterScope() : previous_(nullptr) {
  static Utf8Locale utf8;
  if (utf8.Get()) previous_ = ::uselocale(utf8.Get());
}

Utf8CharacterScope::~Utf8CharacterScope() {
  if (previous_) ::uselocale(static_cast<locale_t>(previous_));
}

}  // namespace zmw::platform
