// The parts of the installation check and what they hand on to each other. A part that
// depends on something another part found missing is not run: the report names the cause
// once, not everything that follows from it.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Ini.h"
#include "db/Provider.h"
#include "doctor/Doctor.h"

namespace zmw::doctor {

// The texts of the check are written in UTF-8 here and become the library's code page.
std::string It(std::string_view utf8);

// A key as its file holds it: absent, or there with a value that may be empty. The library
// reads both the same way (as the empty text), but the user is told which.
struct KeyValue {
  bool present = false;
  std::string value;
  bool Given() const { return present && !value.empty(); }
};
KeyValue ReadKey(const std::string& file, const char* section, const char* key, std::size_t buffer = kIniBuffer);

// What a finding is about: the file (and section and key) to change.
struct About {
  About() = default;
  About(std::string file, std::string section = "", std::string key = "", std::string value = "",
        std::string source = "", bool showValue = false)
      : file(std::move(file)), section(std::move(section)), key(std::move(key)), value(std::move(value)),
        source(std::move(source)), showValue(showValue) {}
  std::string file;
  std::string section;
  std::string key;
  std::string value;
  std::string source;
  bool showValue = false;
};
// "file [section] key = value"
std::string Where(const About& about);

class Findings {
 public:
  explicit Findings(DoctorReport& report) : report_(report) {}
  // The line is Where(about), then ": " and the message (when there is one).
  void Add(Level level, const char* area, const char* check, const About& about, const std::string& message);

 private:
  DoctorReport& report_;
};

struct State {
  explicit State(DoctorReport& report) : out(report) {}
  Findings out;

  std::string zelvoMwIni, zelvoIni;  // where the profile keeps them
  bool haveZelvoMwIni = false, haveZelvoIni = false;

  // ZELVO.INI [SYSTEM], each kept only when the parts after it can rely on it.
  std::string startPath;  // a folder that exists
  std::string sqlPath;    // a folder that exists
  int connection = -1;    // CONN_STR_ZELVO: 0 or 1

  // ZELVOMW.INI
  std::string installFolder;  // MaicoWin's, once BIN\MAICOWIN.INI is found below it
  KeyValue instPath, mwCmdString, maicoFit, maicoFitXls, excelConnString;

  // The connection the calculation would use, open, for the statements to be prepared on.
  std::unique_ptr<DataSource> database;
};

void CheckProfile(State& state);
void CheckMaicoWin(State& state);
void CheckDatabase(State& state);
void CheckStatements(State& state);
// Whether the finish link's insert can be run again on the same finishes (called by
// CheckStatements with the statement file it found).
void CheckRepeatedUpdate(State& state, const std::string& file);
void CheckImports(State& state);

// A connection text as it may be shown: passwords hidden.
std::string Masked(const std::string& connectionText);
// The names in square brackets of a connection text: its placeholders as written, or, once
// they have been put in, those that found no value.
std::vector<std::string> BracketedNames(const std::string& text);
// A provider's description, which may run over several lines, on one line.
std::string OneLine(const std::string& text);
// "0x80004005: description" of a database error.
std::string ErrorText(std::int32_t code, const std::string& description);

}  // namespace zmw::doctor
