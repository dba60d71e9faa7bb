#include "doctor/Doctor.h"

#include <cstdio>
#include <exception>

#include "db/ConnText.h"
#include "db/DbError.h"
#include "doctor/Checks.h"
#include "platform/Com.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace zmw {
namespace doctor {

std::string It(std::string_view utf8) { return platform::Utf8ToCp1252(utf8); }

KeyValue ReadKey(const std::string& file, const char* section, const char* key, std::size_t buffer) {
  // A default that no INI file holds tells an absent key from an empty one, through the same
  // profile function the library reads it with.
  static const char kAbsent[] = "\x01zmw\x01";
  std::string value = ReadIni(file, section, key, buffer, kAbsent);
  if (value == std::string(kAbsent).substr(0, buffer > 0 ? buffer - 1 : 0)) return {};
  return {true, value};
}

std::string Where(const About& about) {
  std::string text = about.file;
  if (!about.section.empty()) text += (text.empty() ? "[" : " [") + about.section + "]";
  if (!about.key.empty()) text += (text.empty() ? "" : " ") + about.key;
  if (about.showValue) text += " = " + about.value;
  return text;
}

void Findings::Add(Level level, const char* area, const char* check, const About& about, const std::string& message) {
  Finding finding;
  finding.level = level;
  finding.area = area;
  finding.check = check;
  finding.file = about.file;
  finding.section = about.section;
  finding.key = about.key;
  finding.value = about.value;
  finding.source = about.source;
  std::string where = Where(about);
  finding.text = where.empty() ? message : message.empty() ? where : where + ": " + message;
  report_.findings.push_back(std::move(finding));
}

std::string Masked(const std::string& connectionText) {
  ConnTextEdit edit(connectionText);
  for (const ConnAttribute& a : ParseConnText(connectionText))
    if (platform::EqualsNoCase(a.key, "PWD") || platform::EqualsNoCase(a.key, "Password")) edit.ReplaceValue(a, "***");
  return edit.Result();
}

std::vector<std::string> BracketedNames(const std::string& text) {
  std::vector<std::string> names;
  for (std::size_t open = text.find('['); open != std::string::npos; open = text.find('[', open + 1)) {
    std::size_t close = text.find(']', open + 1);
    if (close == std::string::npos) break;
    std::string name = text.substr(open + 1, close - open - 1);
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') line += " / ";
    else line += c;
  }
  return line;
}

std::string ErrorText(std::int32_t code, const std::string& description) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(code));
  return description.empty() ? std::string(hex) : std::string(hex) + " " + OneLine(description);
}

}  // namespace doctor

int DoctorReport::Count(Level level) const {
  int n = 0;
  for (const Finding& f : findings)
    if (f.level == level) ++n;
  return n;
}

const char* LevelWord(Level level) {
  switch (level) {
    case Level::Ok: return "OK";
    case Level::Warning: return "AVVISO";
    case Level::Error: return "ERRORE";
  }
  return "";
}

DoctorReport RunDoctor() {
  using namespace doctor;
  DoctorReport report;
  State state(report);
  // On POSIX drive C is made on the first use of a path on it: a machine without one is
  // reported as it is, and nothing else is looked at.
  if (!platform::SystemDriveExists()) {
    state.out.Add(Level::Error, "machine", "drive", {},
                  It("l'unità C: della postazione non esiste ancora: non ci sono né ZELVOMW.INI né ZELVO.INI, "
                     "va preparata l'installazione"));
    return report;
  }
  platform::ComInitialize();
  void (*const parts[])(State&) = {CheckProfile, CheckMaicoWin, CheckDatabase, CheckStatements, CheckImports};
  for (auto part : parts) {
    try {
      part(state);
    } catch (const DbError& e) {
      state.out.Add(Level::Error, "machine", "internal", {}, It("controllo interrotto: ") + ErrorText(e.Code(), e.Description()));
    } catch (const std::exception& e) {
      state.out.Add(Level::Error, "machine", "internal", {}, It("controllo interrotto: ") + e.what());
    }
  }
  if (state.database) {
    try {
      state.database->Close();
    } catch (const DbError&) {
      // The check is over; a connection that will not close is let go all the same.
    }
    state.database.reset();
  }
  platform::ComUninitialize();
  return report;
}

}  // namespace zmw
