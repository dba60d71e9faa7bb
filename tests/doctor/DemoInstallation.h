// The demo installation, laid out as scripts/demo.sh lays it out and configured by the
// library's own first configuration, for the installation check to look at and for a test
// to break one thing of at a time. Zelvo's folders are kept apart (start, statements, jobs,
// temporary files, database), so that each can go missing alone.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "doctor/Doctor.h"
#include "support/Database.h"

namespace zmw::test {

struct DemoPaths {
  std::string start;     // START_PATH: ZelvoDbConn.ini, ZELVO32.DSN, ZelvoMwImport.ini
  std::string sql;       // SQL_PATH: ZELVOMW.XML
  std::string jobs;      // JOB_PATH, with its trailing backslash
  std::string temp;      // TMP_PATH, with its trailing backslash
  std::string maicoWin;  // MaicoWin's installation
  std::string maicoWinIni;
  std::string zelvoMwIni, zelvoIni;
  std::string Xml() const { return sql + "\\ZELVOMW.XML"; }
  std::string ConnSettings() const { return start + "\\ZelvoDbConn.ini"; }
};

// Makes the demo installation on the database of the fixture (its backend's file DSN too).
void BuildDemoInstallation(const DemoPaths& paths, const std::string& connectionText, bool sqlite,
                           const std::string& databaseFile);
DemoPaths DemoLayout(const std::string& scratch);

template <typename Base>
class DemoOn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (this->IsSkipped()) return;
    paths = DemoLayout(this->Scratch());
    bool sqlite = this->Which() == Backend::Sqlite;
    BuildDemoInstallation(paths, this->ConnectionText(this->DatabaseName()), sqlite,
                          sqlite ? this->DatabaseFile() : "");
  }

  DemoPaths paths;
};

// The findings of a level, and the one line of each, for messages that say what was found.
std::vector<const Finding*> FindingsAt(const DoctorReport& report, Level level);
std::string Lines(const DoctorReport& report);

// Every file below the folders, with its size and time of change: what the check must leave
// as it was.
using Snapshot = std::map<std::string, std::pair<long long, long long>>;
Snapshot TakeSnapshot(const std::vector<std::string>& folders);

// A statement of ZELVOMW.XML given a new text, or taken out.
void SetStatement(const std::string& xmlFile, const std::string& name, const std::string& text);
void RemoveStatement(const std::string& xmlFile, const std::string& name);

}  // namespace zmw::test
