// The demo installation, laid out as scripts/demo.sh lays it out and configured by the
// library's own first configuration, for the installation check to look at and for a test
// to break one thing of at a time. Zelvo's folders are kept apart, so that each can go
// missing alone.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "doctor/Doctor.h"
#include "support/Database.h"

namespace zmw::test {

struct DemoPaths {
  std::string start, sql, jobs, temp;  // START_PATH, SQL_PATH, JOB_PATH and TMP_PATH (these two with a trailing backslash)
  std::string maicoWin, maicoWinIni, zelvoMwIni, zelvoIni;
  std::string Xml() const { return sql + "\\ZELVOMW.XML"; }
  std::string ConnSettings() const { return start + "\\ZelvoDbConn.ini"; }
};

// Makes the demo installation below the scratch folder, on the database of the fixture.
DemoPaths BuildDemoInstallation(const std::string& scratch, const std::string& connectionText, const std::string& sqliteFile);

template <typename Base>
class DemoOn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (this->IsSkipped()) return;
    bool sqlite = this->Which() == Backend::Sqlite;
    paths = BuildDemoInstallation(this->Scratch(), this->ConnectionText(this->DatabaseName()), sqlite ? this->DatabaseFile() : "");
  }
  DemoPaths paths;
};

std::vector<const Finding*> FindingsAt(const DoctorReport& report, Level level);
// A finding as "LEVEL|area|check|key|FILE NAME|source|value", and whether one begins so.
std::string Render(const Finding& f);
bool Has(const DoctorReport& report, const std::string& start);

// Every file below the folders, with its size and time of change: what the check must leave
// as it was.
using Snapshot = std::map<std::string, std::pair<long long, long long>>;
Snapshot TakeSnapshot(const std::vector<std::string>& folders);

// A statement of ZELVOMW.XML given a new text, or taken out with none.
void SetStatement(const std::string& xmlFile, const std::string& name, const char* text);

}  // namespace zmw::test
