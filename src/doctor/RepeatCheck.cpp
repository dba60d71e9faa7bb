// The openings update is run again after every MaicoWin release, and every run links each
// finish of FINITURA.DAT to the accessory anew. An insert that does not find the link already
// there either adds another copy of it (a table without a key) or fails on it (a plain INSERT
// on a table with one). What the statement says and what the catalog says of its table tell
// which.
#include <cctype>

#include "db/DbError.h"
#include "db/SqlRepository.h"
#include "doctor/Checks.h"
#include "platform/Text.h"

namespace zmw::doctor {
namespace {

constexpr const char* kLink = "MW_INS_FIN_ACC";

enum class Insert {
  Unknown,   // not an INSERT we can read: a procedure, a MERGE, ...
  Plain,     // a second row of the same key is an error, without a key a copy
  KeepsOne,  // the database keeps the row it has, by the table's key
  LooksFirst // inserts only what it does not find, key or not
};

// The statement's words in upper case, separated by one blank each.
std::string Words(const std::string& text) {
  std::string words;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!words.empty() && words.back() != ' ') words += ' ';
    } else {
      words += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return words;
}

Insert KindOf(const std::string& words) {
  auto has = [&](const char* part) { return words.find(part) != std::string::npos; };
  if (words.rfind("REPLACE ", 0) == 0) return Insert::KeepsOne;
  if (words.rfind("INSERT ", 0) != 0) return Insert::Unknown;
  if (has("NOT EXISTS")) return Insert::LooksFirst;
  if (has("ON CONFLICT") || has("INSERT OR IGNORE") || has("INSERT OR REPLACE") || has("INSERT IGNORE") ||
      has("ON DUPLICATE KEY"))
    return Insert::KeepsOne;
  return Insert::Plain;
}

// The table after INTO, as the statement spells it, without its quotes.
std::string TargetTable(const std::string& text) {
  auto blank = [&](std::size_t at) { return std::isspace(static_cast<unsigned char>(text[at])) != 0; };
  std::string upper = platform::AsciiUpper(text);
  std::size_t at = 0;
  for (;; at += 4) {
    at = upper.find("INTO", at);
    if (at == std::string::npos) return "";
    if (at > 0 && blank(at - 1) && at + 4 < text.size() && blank(at + 4)) break;
  }
  for (at += 4; at < text.size() && blank(at);) ++at;
  std::string name;
  for (; at < text.size() && text[at] != '(' && !blank(at); ++at)
    if (text[at] != '"' && text[at] != '`' && text[at] != '[' && text[at] != ']') name += text[at];
  // A name given with its schema or database: the catalog is asked for the table alone.
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

}  // namespace

void CheckRepeatedUpdate(State& s, const std::string& file) {
  if (!s.database) return;
  SqlRepository repository;
  try {
    repository.GetStatement(kLink);
  } catch (const DbError&) {
    return;  // its absence is reported with the other statements
  }
  std::string text = repository.Text();
  Insert kind = KindOf(Words(text));
  std::string table = TargetTable(text);
  About about{file, "", kLink};
  if (kind == Insert::LooksFirst) {
    s.out.Add(Level::Ok, "statements", "repeat", about, It("inserisce solo il legame che non trova già"));
    return;
  }
  if (kind == Insert::Unknown || table.empty()) return;
  std::vector<std::vector<std::string>> keys;
  try {
    keys = s.database->UniqueKeys(table);
  } catch (const DbError&) {
    return;  // no catalog to ask, or a table the prepare step has already reported
  }
  if (keys.empty()) {
    s.out.Add(Level::Warning, "statements", "repeat", about,
              It("la tabella ") + table +
                  It(" non ha una chiave univoca: ogni aggiornamento delle aperture aggiunge un'altra copia di ogni "
                     "legame tra finitura e accessorio (vedi INSTALLAZIONE.txt, capitolo 5)"));
  } else if (kind == Insert::Plain) {
    s.out.Add(Level::Warning, "statements", "repeat", about,
              It("è un INSERT semplice sulla tabella ") + table +
                  It(", che ha una chiave: dal secondo aggiornamento delle aperture ogni legame già presente dà un "
                     "errore; l'INSERT deve tenere la riga che trova (ON CONFLICT DO NOTHING, ON DUPLICATE KEY UPDATE)"));
  } else {
    s.out.Add(Level::Ok, "statements", "repeat", about,
              It("lega ogni finitura una volta sola anche quando l'aggiornamento si ripete (chiave su ") + table + ")");
  }
}

}  // namespace zmw::doctor
