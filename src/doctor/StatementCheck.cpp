// ZELVOMW.XML against what the library asks of it: every statement there, each taking the
// arguments its user passes (through the library's own formatter, so nothing runs), prepared
// on the database where the driver can, and a query's result holding the columns its user
// reads by name.
#include <algorithm>

#include "base/MwPath.h"
#include "db/DbError.h"
#include "db/SqlRepository.h"
#include "db/StatementFile.h"
#include "doctor/Checks.h"
#include "platform/Text.h"

namespace zmw::doctor {
namespace {

constexpr const char* kArea = "statements";

enum class Runs { Records, NoRecords, Parameters };

struct StatementUse {
  const char* name;
  const char* user;  // who runs it, in the words of the report
  Runs runs;
  std::vector<SqlArg> args;
  std::vector<const char*> columns;     // read by name from its records
  std::vector<const char*> parameters;  // bound by position to its "?"
};

// The statements as their users run them: the arguments in their order and kind, with the
// fixed texts they pass and samples for what comes from the data. A sample that is put
// between quotes holds an apostrophe, doubled as the users double it, so a statement whose
// text leaves the quotes out does not prepare.
std::vector<StatementUse> LibraryStatements() {
  const std::string code = Quoted("ZMW'DOCTOR");
  const std::string maicowin = Quoted("MAICOWIN");
  const std::string orderId = "0";
  return {
      {"MW_GET_INFO_ACC", "il calcolo, per i dati di ogni accessorio", Runs::Records,
       {Quoted("MAICO"), Quoted("MAICO"), code},
       {"Categoria", "GruppoStampa", "UnMis", "TempoMontaggio", "TempoLavorazione"}, {}},
      {"MW_DEL_FINITURA", "l'aggiornamento delle finiture", Runs::NoRecords, {code}, {}, {}},
      {"MW_INS_FINITURA", "l'aggiornamento delle finiture", Runs::NoRecords, {code}, {}, {}},
      {"MW_INS_FIN_ACC", "l'aggiornamento delle finiture", Runs::NoRecords,
       {maicowin, maicowin, Quoted("FINITURA"), code}, {}, {}},
      {"MW_SET_ACCETTA_TRATT", "l'aggiornamento delle finiture", Runs::NoRecords,
       {maicowin, maicowin, Quoted("FINITURA")}, {}, {}},
      {"MW_GET_SCHEDTECH_NAME", "l'aggiornamento delle schede tecniche", Runs::Records,
       {maicowin, maicowin, code}, {"Codice"}, {}},
      {"MW_GET_ALL_SNAME", "l'aggiornamento delle schede tecniche", Runs::Records, {}, {"Codice"}, {}},
      {"MW_INS_SCHED_TECH", "l'aggiornamento delle schede tecniche", Runs::NoRecords,
       {Quoted("SCHEDTEC_1"), code, std::int32_t(0), Quoted("MW_PARAM"), maicowin, maicowin}, {}, {}},
      {"GET_EXP_ORDINE", "l'ordine per Maico", Runs::Records, {orderId}, {"DataConsegna", "DataCompilazione"}, {}},
      {"GET_EXP_ORDINE_DETT", "l'ordine per Maico", Runs::Records, {orderId}, {"Codice", "QtaOrdinata"}, {}},
      {"MW_GET_MAICO_ID", "l'importazione dei prezzi Excel", Runs::Records, {}, {"PkId"}, {}},
      {"MW_UPD_CODES_XLS", "l'importazione dei prezzi Excel", Runs::Parameters, {}, {},
       {"descr", "cost", "costo_un", "maico_id", "codice"}},
  };
}

std::string Kinds(const std::vector<SqlArg>& args) {
  if (args.empty()) return It("nessun argomento");
  std::string kinds;
  for (const SqlArg& a : args) kinds += (kinds.empty() ? "" : ", ") + It(std::holds_alternative<std::string>(a) ? "testo" : "numero");
  return std::to_string(args.size()) + (args.size() == 1 ? It(" argomento (") : It(" argomenti (")) + kinds + ")";
}

bool Formats(const std::string& text, const std::vector<SqlArg>& args) {
  try {
    FormatStatement(text, args);
    return true;
  } catch (const DbError&) {
    return false;
  }
}

// What is wrong with the statement's conversions for the arguments its user passes; empty
// when they match in number and kind.
std::string ConversionProblem(const std::string& text, const std::vector<SqlArg>& args) {
  try {
    FormatStatement(text, args);
  } catch (const DbError& e) {
    // One argument more of either kind that makes it format: a conversion too many.
    std::vector<SqlArg> withText = args, withNumber = args;
    withText.emplace_back(std::in_place_type<std::string>);
    withNumber.emplace_back(std::in_place_type<std::int32_t>, 0);
    if (Formats(text, withText) || Formats(text, withNumber))
      return It("ha più conversioni dei ") + Kinds(args) + It(" che riceve");
    return It("le conversioni non vanno con i ") + Kinds(args) + It(" che riceve: ") + e.Description();
  }
  // With one argument less, a statement that uses them all would miss its last one.
  if (!args.empty() && Formats(text, std::vector<SqlArg>(args.begin(), args.end() - 1)))
    return It("ha meno conversioni dei ") + Kinds(args) + It(" che riceve");
  return "";
}

// The "?" of a command text outside its quoted literals.
int Placeholders(const std::string& text) {
  int count = 0;
  char quote = 0;
  for (char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?') {
      ++count;
    }
  }
  return count;
}

void CheckOne(State& s, const std::string& file, const StatementUse& use) {
  About about{file, "", use.name};
  SqlRepository repository;
  try {
    repository.GetStatement(use.name);
  } catch (const DbError&) {
    s.out.Add(Level::Error, kArea, "statement", about, It("manca: ") + It(use.user) + It(" non potrebbe funzionare"));
    return;
  }
  std::string statement = repository.Text();
  std::string shape;
  if (use.runs == Runs::Parameters) {
    int found = Placeholders(statement);
    if (found != int(use.parameters.size())) {
      std::string names;
      for (const char* p : use.parameters) names += (names.empty() ? "" : ", ") + std::string(p);
      s.out.Add(Level::Error, kArea, "parameters", about,
                It("ha ") + std::to_string(found) + It(" segnaposto ?, ne servono ") +
                    std::to_string(use.parameters.size()) + It(", nell'ordine ") + names);
      return;
    }
    shape = std::to_string(found) + It(" parametri ?, come li lega la libreria");
  } else {
    std::string problem = ConversionProblem(statement, use.args);
    if (!problem.empty()) {
      s.out.Add(Level::Error, kArea, "conversions", about, problem);
      return;
    }
    statement = FormatStatement(statement, use.args);
    shape = use.args.empty() ? It("nessun argomento, come la usa la libreria")
                             : It("conversioni per ") + Kinds(use.args) + It(", come li passa la libreria");
  }

  if (!s.database) {
    s.out.Add(Level::Ok, kArea, "statement", about, shape + It("; non preparata: il database non è aperto"));
    return;
  }
  std::vector<std::string> columns;
  try {
    columns = s.database->ResultColumns(statement);
  } catch (const DbError& e) {
    if (e.Code() == kENotImpl) {
      s.out.Add(Level::Ok, kArea, "statement", about,
                shape + It("; il driver non sa prepararla senza eseguirla: non provata sul database"));
      return;
    }
    s.out.Add(Level::Error, kArea, "prepare", about,
              It("il database non la accetta: ") + ErrorText(e.Code(), e.Description()));
    return;
  }
  std::string missing;
  for (const char* wanted : use.columns) {
    bool there = std::any_of(columns.begin(), columns.end(),
                             [&](const std::string& c) { return platform::EqualsNoCase(c, wanted); });
    if (!there) missing += (missing.empty() ? "" : ", ") + std::string(wanted);
  }
  if (!missing.empty()) {
    About column = about;
    column.value = missing;
    s.out.Add(Level::Error, kArea, "columns", column,
              It(missing.find(',') == std::string::npos ? "il risultato non ha la colonna " : "il risultato non ha le colonne ") +
                  missing + It(", che ") + It(use.user) + It(" legge"));
    return;
  }
  std::string read;
  for (const char* c : use.columns) read += (read.empty() ? "" : ", ") + std::string(c);
  s.out.Add(Level::Ok, kArea, "statement", about,
            shape + It("; preparata sul database") +
                (read.empty() ? "" : It(use.columns.size() == 1 ? ", con la colonna " : ", con le colonne ") + read));
}

}  // namespace

void CheckStatements(State& s) {
  if (!s.haveZelvoIni || s.sqlPath.empty()) return;
  // The file as the repository finds it: SQL_PATH and the name, joined as paths are.
  std::string file = MwPath(s.sqlPath).Append(kStatementFile).Text();
  StatementFileState state = InspectStatementFile(file);
  switch (state.kind) {
    case StatementFileState::Unreadable:
      s.out.Add(Level::Error, kArea, "file", {file},
                It("non trovato: va messo nella cartella di ZELVO.INI [SYSTEM] SQL_PATH") +
                    (state.detail.empty() ? "" : " (" + state.detail + ")"));
      return;
    case StatementFileState::Malformed:
      s.out.Add(Level::Error, kArea, "file", {file},
                It("non è XML ben formato") + (state.line > 0 ? It(" (riga ") + std::to_string(state.line) + ")" : "") +
                    ": " + state.detail);
      return;
    case StatementFileState::WrongRoot:
      s.out.Add(Level::Error, kArea, "file", {file},
                It("l'elemento radice è <") + state.detail + It(">, deve essere <SQL>"));
      return;
    case StatementFileState::Usable:
      s.out.Add(Level::Ok, kArea, "file", {file}, It("XML ben formato, elemento radice <SQL>"));
      break;
  }
  for (const StatementUse& use : LibraryStatements()) CheckOne(s, file, use);
  CheckRepeatedUpdate(s, file);
}

}  // namespace zmw::doctor
