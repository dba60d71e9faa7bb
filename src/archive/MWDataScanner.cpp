#include "archive/MWDataScanner.h"

#include <initializer_list>
#include <vector>

#include "archive/ArchiveText.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"

namespace zmw {
namespace {

// One of the scanner's commands: its statement, the texts with their apostrophes doubled, run
// without records. An error is shown under the operation's own name and the run goes on.
int RunCommand(const char* operation, const char* statementName, std::initializer_list<std::string> texts) {
  try {
    SqlRepository repository;
    repository.GetStatement(statementName);
    std::string statement;
    repository.GetText(statement);
    std::vector<SqlArg> args;
    for (const std::string& t : texts) args.emplace_back(Quoted(t));
    return ExecuteNoRecords(TheZelvoDb(), FormatStatement(statement, args));
  } catch (const DbError& e) {
    ShowComError(operation, e.Code(), e.Description());
    return -1;
  }
}

}  // namespace

int MWDataScanner::Run() {
  TheZelvoDb().Open("");
  int result = Scan();
  TheZelvoDb().Close();
  return result;
}

int MWDataScanner::Scan() {
  MaicoWinConf conf;
  std::string path;
  conf.GetFinituraFile(path);
  platform::File file = platform::File::Open(path, "r");
  if (!file) return 0;
  std::string line;
  // A line longer than the buffer comes in pieces, and each piece is a finish of its own.
  while (file.Gets(line, kDataLineBuffer)) {
    std::string code = FinishCodeOfLine(line);
    CancellaFinitura(code);
    CreaFinitura(code);
    AggFinituraSuAcc("MAICOWIN", "MAICOWIN", "FINITURA", code);
  }
  SetAccettaTratt("MAICOWIN", "MAICOWIN", "FINITURA");
  file.Close();
  return 1;
}

int MWDataScanner::CancellaFinitura(std::string code) {
  return RunCommand("CancellaFinitura", "MW_DEL_FINITURA", {code});
}

int MWDataScanner::CreaFinitura(std::string code) {
  return RunCommand("CreaFinitura", "MW_INS_FINITURA", {code});
}

int MWDataScanner::AggFinituraSuAcc(std::string maker, std::string maker2, std::string kind, std::string code) {
  return RunCommand("AggFinituraSuAcc", "MW_INS_FIN_ACC", {maker, maker2, kind, code});
}

int MWDataScanner::SetAccettaTratt(std::string maker, std::string maker2, std::string kind) {
  return RunCommand("SetAccettaTratt", "MW_SET_ACCETTA_TRATT", {maker, maker2, kind});
}

}  // namespace zmw
