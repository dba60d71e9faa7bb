#include "archive/SchedTecScanner.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "archive/ArchiveText.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"

namespace zmw {
namespace {

std::string Statement(const char* name) {
  SqlRepository repository;
  repository.GetStatement(name);
  std::string text;
  repository.GetText(text);
  return text;
}

std::string CodiceOf(RecordSource& pass) {
  Variant v = pass.Field("Codice");
  return v.IsNull() ? std::string() : VariantToText(v);
}

// atoi's reading: blanks, a sign, the digits that follow; none gives 0. Numbers beyond the
// integer range are held at its ends rather than wrapping.
int LeadingNumber(const std::string& text) {
  errno = 0;
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

}  // namespace

std::string SchedTecName(int number) { return "SCHEDTEC_" + std::to_string(number); }

SchedTecScanner::SchedTecScanner() {
  MaicoWinConf conf;
  conf.GetSchedTecFile(path_);
}

int SchedTecScanner::Run() {
  if (TheZelvoDb().Open("") == 0) return 0;  // someone else's work holds the connection
  int next = GetLastIdNumber() + 1;
  platform::File file = platform::File::Open(path_, "rt");
  if (!file) {
    TheZelvoDb().Close();
    return 0;
  }
  std::string line;
  while (file.Gets(line, kDataLineBuffer)) {
    std::optional<std::string> description = SheetDescriptionOfLine(line);
    if (!description) continue;
    int given = AddAsFit(SchedTecName(next), *description, next);
    // A failed insertion was shown; its number stays free for the next sheet, which would
    // otherwise be named SCHEDTEC_-1.
    if (given >= 0) next = given;
  }
  file.Close();
  TheZelvoDb().Close();
  return 1;
}

int SchedTecScanner::GetLastIdNumber() {
  ConnectionHolder& db = TheZelvoDb();
  try {
    // This one takes no argument and runs as it is written.
    RecordSource& pass = OpenRecordPass(db, Statement("MW_GET_ALL_SNAME"));
    if (pass.AtEnd()) {
      CloseRecordPass(db);
      return 0;
    }
    int highest = 0;
    for (pass.MoveFirst(); !pass.AtEnd(); pass.MoveNext()) {
      std::string code = CodiceOf(pass);
      std::size_t underscore = code.rfind('_');
      if (underscore == 0) continue;  // "_..." names no numbered sheet
      int number = LeadingNumber(underscore == std::string::npos ? code : code.substr(underscore + 1));
      if (number > highest) highest = number;
    }
    CloseRecordPass(db);
    return highest;
  } catch (const DbError& e) {
    ShowComError("GetLastIdNumber", e.Code(), e.Description());
    return -1;
  }
}

int SchedTecScanner::NomeSchedTechExists(const std::string& description) {
  ConnectionHolder& db = TheZelvoDb();
  try {
    std::string query = FormatStatement(Statement("MW_GET_SCHEDTECH_NAME"),
                                         {Quoted("MAICOWIN"), Quoted("MAICOWIN"), Quoted(description)});
    RecordSource& pass = OpenRecordPass(db, query);
    if (pass.AtEnd()) {
      CloseRecordPass(db);
      return 0;
    }
    for (pass.MoveFirst(); !pass.AtEnd(); pass.MoveNext()) CodiceOf(pass);
    CloseRecordPass(db);
    return 1;
  } catch (const DbError& e) {
    ShowComError("NomeSchedTechExists", e.Code(), e.Description());
    return -1;
  }
}

int SchedTecScanner::AddAsFit(const std::string& name, const std::string& description, int number) {
  // A failed lookup counts as a known sheet: better no sheet than a second one.
  if (NomeSchedTechExists(description) != 0) return number;
  try {
    std::string command = FormatStatement(Statement("MW_INS_SCHED_TECH"),
                                          {Quoted(name), Quoted(description), std::int32_t(0), Quoted("MW_PARAM"),
                                           Quoted("MAICOWIN"), Quoted("MAICOWIN")});
    ExecuteNoRecords(TheZelvoDb(), command);
    return number + 1;
  } catch (const DbError& e) {
    ShowComError("AddAsFit", e.Code(), e.Description());
    return -1;
  }
}

}  // namespace zmw
