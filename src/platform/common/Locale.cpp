#include "platform/Locale.h"

#include "platform/Text.h"

namespace zmw::platform {

const LocaleInfo* FindLocalePreset(std::string_view name) {
  static const LocaleInfo presets[] = {
      {"it-IT", ',', '.', "dd/MM/yyyy", "HH:mm:ss", "", "", "\x80"},
      {"en-US", '.', ',', "M/d/yyyy", "h:mm:ss tt", "AM", "PM", "$"},
      {"en-GB", '.', ',', "dd/MM/yyyy", "HH:mm:ss", "", "", "\xA3"},
      {"de-DE", ',', '.', "dd.MM.yyyy", "HH:mm:ss", "", "", "\x80"},
  };
  // "it_IT.UTF-8" names it-IT; a bare language ("it") its first preset.
  std::string wanted(name.substr(0, name.find('.')));
  for (char& c : wanted)
    if (c == '_') c = '-';
  for (const LocaleInfo& p : presets)
    if (EqualsNoCase(p.name, wanted)) return &p;
  if (wanted.size() == 2)
    for (const LocaleInfo& p : presets)
      if (EqualsNoCase(p.name.substr(0, 2), wanted)) return &p;
  return nullptr;
}

}  // namespace zmw::platform
