// The two connections to Zelvo's database: the one the calculation and the updates open
// (CONN_STR_ZELVO and ZelvoDbConn.ini) and the file DSN of DebugLeggiMwExport. Each is opened
// through the provider its text calls for, exactly as the library would, except that a SQLite
// text is always opened with NoCreat=1: a check must never leave an empty database behind.
#include "base/FileNames.h"
#include "base/MwPath.h"
#include "db/ConnText.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/odbc/OdbcSource.h"
#include "doctor/Checks.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace zmw::doctor {
namespace {

constexpr const char* kArea = "database";

// The text with NoCreat=1 in it, in place of any other value it had.
std::string WithNoCreat(const std::string& text) {
  for (const ConnAttribute& a : ParseConnText(text))
    if (platform::EqualsNoCase(a.key, "NoCreat")) {
      ConnTextEdit edit(text);
      edit.ReplaceValue(a, "1");
      return edit.Result();
    }
  return text + (text.empty() || text.back() == ';' ? "" : ";") + "NoCreat=1;";
}

// Opens the connection of a text; the open source, or none after the finding that says why.
std::unique_ptr<DataSource> Open(State& s, const std::string& text, const About& about, const char* check) {
  std::string opened = text;
  if (!NamesOleDbProvider(text)) {
    // What the driver gets, a file DSN's keys included: a DSN that cannot be read ends here.
    std::string effective;
    try {
      effective = DriverConnText(text);
    } catch (const DbError& e) {
      s.out.Add(Level::Error, kArea, check, about, It("non si legge: ") + ErrorText(e.Code(), e.Description()));
      return nullptr;
    }
    ConnAttributes attributes = ParseConnText(effective);
    std::string driver = platform::AsciiUpper(ConnValue(attributes, "Driver").value_or(""));
    if (driver.find("SQLITE") != std::string::npos && ConnValue(attributes, "NoCreat").value_or("") != "1") {
      s.out.Add(Level::Warning, kArea, "nocreat", about,
                It("manca NoCreat=1: se il file del database mancasse, il driver SQLite ne creerebbe uno vuoto "
                   "e il calcolo troverebbe tabelle mancanti; aggiungere NoCreat=1"));
      opened = WithNoCreat(text);
    }
  }
  try {
    std::unique_ptr<DataSource> source = CreateDataSource(opened);
    if (!source) throw DbError(kEPointer);
    source->Open(opened);
    s.out.Add(Level::Ok, kArea, check, about, It("il database si apre (") + Masked(text) + ")");
    return source;
  } catch (const DbError& e) {
    s.out.Add(Level::Error, kArea, check, about,
              It("il database non si apre (") + Masked(text) + "): " + ErrorText(e.Code(), e.Description()));
    return nullptr;
  }
}

void CalculationConnection(State& s) {
  // The settings file as the connection readers name it: START_PATH and the name, joined as
  // they stand.
  std::string settings = s.startPath + "\\ZelvoDbConn.ini";
  const char* section = s.connection == 0 ? "ZELVO" : "ZELVOMYSQL";
  if (!platform::FindFirstExists(settings)) {
    s.out.Add(Level::Error, kArea, "settings", {settings},
              It("non trovato: il calcolo non ha il testo di connessione al database di Zelvo"));
    return;
  }
  KeyValue written = ReadKey(settings, section, "CONN_STRING");
  About about{settings, section, "CONN_STRING", "", written.Given() ? "file" : "default"};
  if (!written.Given()) {
    s.out.Add(Level::Error, kArea, "connection", about,
              It(written.present ? "vuota" : "manca") + It(": il calcolo non ha il testo di connessione al database"));
    return;
  }
  // The keys of ZELVO.INI that the text names are read too: each is told with its value.
  for (const std::string& name : BracketedNames(written.value)) {
    KeyValue kv = ReadKey(s.zelvoIni, "SYSTEM", name.c_str());
    if (kv.Given())
      s.out.Add(Level::Ok, kArea, "placeholder", {s.zelvoIni, "SYSTEM", name, kv.value, "file", true},
                It("dal file, nel testo di connessione di ") + settings + " [" + section + "] CONN_STRING");
  }
  std::string text;
  if (s.connection == 0) ReadZelvoConnString(text);
  else ReadZelvoMySqlConnString(text);
  std::vector<std::string> unresolved = BracketedNames(text);
  for (const std::string& name : unresolved)
    s.out.Add(Level::Error, kArea, "placeholder", {s.zelvoIni, "SYSTEM", name, "", "default"},
              It("manca: nel testo di connessione di ") + settings + " [" + section + It("] CONN_STRING resta [") +
                  name + "]");
  if (!unresolved.empty()) return;
  s.database = Open(s, text, about, "connection");
}

void DebugConnection(State& s) {
  std::string dsn = MwPath(s.startPath).Append("ZELVO32.DSN").Text();
  if (!platform::FindFirstExists(dsn)) {
    s.out.Add(Level::Error, kArea, "dsn", {dsn}, It("non trovato: DebugLeggiMwExport non può aprire il database"));
    return;
  }
  std::unique_ptr<DataSource> source = Open(s, "fileDSN=" + dsn, {dsn}, "dsn");
  if (!source) return;
  try {
    source->Close();
  } catch (const DbError&) {
    // Opened is what was asked; its close is the provider's business.
  }
}

}  // namespace

void CheckDatabase(State& s) {
  if (!s.haveZelvoIni || s.startPath.empty()) return;
  if (s.connection == 0 || s.connection == 1) CalculationConnection(s);
  DebugConnection(s);
}

}  // namespace zmw::doctor
