// The installation check: everything the link's functions will need, looked at in one go and
// before any user meets it. It reads files and settings, opens the host database and the
// workbook and prepares the statements, and writes, creates or starts nothing.
#pragma once
#include <string>
#include <vector>

namespace zmw {

// OK, AVVISO (the link works, but something will not be as expected), ERRORE (a function of
// the link will fail until the named file or key is put right).
enum class Level { Ok, Warning, Error };

struct Finding {
  Level level = Level::Ok;
  std::string area;     // "machine", "profile", "maicowin", "database", "statements", "imports"
  std::string check;    // what was looked at, for tools: "key", "folder", "connection", ...
  std::string file;     // the file to change, as a Windows path text; empty when none
  std::string section;  // its section, or empty
  std::string key;      // the key, statement, column or function; or empty
  std::string value;    // the value found, when it says something
  std::string source;   // for a key: "file" or "default"
  std::string text;     // the one Italian line, Windows-1252, that names file and key
};

struct DoctorReport {
  std::vector<Finding> findings;

  int Count(Level level) const;
  bool Sound() const { return Count(Level::Error) == 0; }
  // What the command gives back: 0 when nothing is ERRORE, 1 otherwise.
  int ExitStatus() const { return Sound() ? 0 : 1; }
};

DoctorReport RunDoctor();

// "OK", "AVVISO", "ERRORE".
const char* LevelWord(Level level);
// One line per finding, the level first, and a closing line: Windows-1252.
std::string ReportText(const DoctorReport& report);
// The same as one JSON object with English keys, for tools: UTF-8.
std::string ReportJson(const DoctorReport& report);

}  // namespace zmw
