// The two profile files and every key of them that the library reads: its value, and whether
// it comes from the file or the library goes by its default.
#include "base/FileNames.h"
#include "base/MwPath.h"
#include "doctor/Checks.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace zmw::doctor {
namespace {

constexpr const char* kArea = "profile";

About KeyAbout(const std::string& file, const char* section, const char* key, const KeyValue& kv) {
  return {file, section, key, kv.value, kv.Given() ? "file" : "default", kv.Given()};
}

// A key without which a function of the link fails: ERRORE when it is missing or empty.
void RequiredKey(State& s, const std::string& file, const char* section, const char* key, const KeyValue& kv,
                 const std::string& whenMissing) {
  if (kv.Given()) {
    s.out.Add(Level::Ok, kArea, "key", KeyAbout(file, section, key, kv), It("dal file"));
    return;
  }
  s.out.Add(Level::Error, kArea, "key", KeyAbout(file, section, key, kv),
            It(kv.present ? "vuota: " : "manca: ") + whenMissing);
}

// A key the library can do without: OK either way, saying what goes without it.
void OptionalKey(State& s, const std::string& file, const char* section, const char* key, const KeyValue& kv,
                 const std::string& withoutIt) {
  if (kv.Given()) s.out.Add(Level::Ok, kArea, "key", KeyAbout(file, section, key, kv), It("dal file"));
  else s.out.Add(Level::Ok, kArea, "key", KeyAbout(file, section, key, kv), It("assente, predefinito: ") + withoutIt);
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// A folder key of ZELVO.INI: there, naming a folder that exists, and ending with a separator
// where the library joins a file name to it as it stands.
bool FolderKey(State& s, const char* key, const KeyValue& kv, const std::string& whenMissing,
               bool needsSeparator, const std::string& whySeparator, const std::string& note = "") {
  About about = KeyAbout(s.zelvoIni, "SYSTEM", key, kv);
  if (!kv.Given()) {
    s.out.Add(Level::Error, kArea, "key", about, It(kv.present ? "vuota: " : "manca: ") + whenMissing);
    return false;
  }
  if (!platform::FolderExists(kv.value)) {
    s.out.Add(Level::Error, kArea, "folder", about, It("la cartella non esiste"));
    return false;
  }
  if (needsSeparator && !EndsWithSeparator(kv.value)) {
    s.out.Add(Level::Error, kArea, "separator", about, It("deve finire con \\: ") + whySeparator);
    return false;
  }
  s.out.Add(Level::Ok, kArea, "key", about, It("dal file, la cartella esiste") + note);
  return true;
}

void ZelvoMwIniKeys(State& s) {
  const std::string& f = s.zelvoMwIni;
  s.instPath = ReadKey(f, "DIRS", "INST_PATH");
  if (s.instPath.Given()) {
    s.out.Add(Level::Ok, kArea, "key", KeyAbout(f, "DIRS", "INST_PATH", s.instPath), It("dal file"));
  } else {
    // The calculation takes the folder from this key alone; the search of the default folder
    // is what the configuration does before it writes it.
    bool found = IsMaicoWinInstallation(kDefaultInstallFolder);
    std::string where = kDefaultInstallFolder;
    s.out.Add(Level::Error, kArea, "key", KeyAbout(f, "DIRS", "INST_PATH", s.instPath),
              It(s.instPath.present ? "vuota" : "manca") +
                  (found ? It(": il calcolo non sa dove sia MaicoWin, che c'è in ") + where +
                               It(": eseguire la configurazione del collegamento, che lo registra")
                         : It(": il calcolo non sa dove sia MaicoWin, e in ") + where +
                               It(" non c'è: indicarne la cartella nella configurazione del collegamento")));
  }

  struct List {
    const char* key;
    const char* kind;
  };
  for (const List& list : {List{"MW_FIT", "FIT"}, List{"MW_KIT", "KIT"}}) {
    const char* key = list.key;
    KeyValue kv = ReadKey(f, "DIRS", key);
    if (!kv.Given()) {
      RequiredKey(s, f, "DIRS", key, kv,
                  It("l'aggiornamento archivi passerebbe a Oltrex un nome vuoto; la configurazione del collegamento la scrive"));
    } else if (!platform::FindFirstExists(kv.value)) {
      s.out.Add(Level::Warning, kArea, "file", KeyAbout(f, "DIRS", key, kv),
                It("il file non c'è: l'aggiornamento archivi non avrà la lista ") + list.kind +
                    It(" di MaicoWin da importare"));
    } else {
      s.out.Add(Level::Ok, kArea, "key", KeyAbout(f, "DIRS", key, kv), It("dal file, il file c'è"));
    }
  }

  s.maicoFit = ReadKey(f, "DIRS", "MAICO_FIT");
  RequiredKey(s, f, "DIRS", "MAICO_FIT", s.maicoFit,
              It("l'importazione ASC non sa quale file leggere; la configurazione del collegamento la scrive"));
  s.maicoFitXls = ReadKey(f, "DIRS", "MAICO_FIT_XLS");
  OptionalKey(s, f, "DIRS", "MAICO_FIT_XLS", s.maicoFitXls, It("l'importazione Excel non è configurata"));

  s.mwCmdString = ReadKey(f, "GENERAL", "MW_CMD_STRING");
  RequiredKey(s, f, "GENERAL", "MW_CMD_STRING", s.mwCmdString,
              It("il calcolo non può avviare MaicoWin; la configurazione del collegamento scrive ") +
                  kDefaultStartCommand);
  RequiredKey(s, f, "GENERAL", "CODCLIENTE", ReadKey(f, "GENERAL", "CODCLIENTE"),
              It("le richieste a MaicoWin partirebbero senza codice cliente; la configurazione lo prende dalla terza "
                 "riga di MW.INI di MaicoWin"));
  s.excelConnString = ReadKey(f, "GENERAL", "EXCEL_CONN_STRING");
  if (s.maicoFitXls.Given())
    RequiredKey(s, f, "GENERAL", "EXCEL_CONN_STRING", s.excelConnString,
                It("l'importazione Excel non sa come aprire il file di MAICO_FIT_XLS"));
  else
    OptionalKey(s, f, "GENERAL", "EXCEL_CONN_STRING", s.excelConnString,
                It("serve solo all'importazione Excel, che non è configurata"));
  OptionalKey(s, f, "SYSTEM", "LAST_JOB", ReadKey(f, "SYSTEM", "LAST_JOB"),
              It("annullando l'attesa del calcolo non si cancella nessun lavoro"));
}

void ZelvoIniKeys(State& s) {
  const std::string& f = s.zelvoIni;
  KeyValue start = ReadKey(f, "SYSTEM", "START_PATH");
  if (FolderKey(s, "START_PATH", start,
                It("senza la cartella di Zelvo non si trovano ZelvoDbConn.ini, ZELVO32.DSN e ZelvoMwImport.ini"), false, ""))
    s.startPath = start.value;

  KeyValue job = ReadKey(f, "SYSTEM", "JOB_PATH");
  bool remote = job.Given() && MwPath(job.value).IsRemoteDrive();
  FolderKey(s, "JOB_PATH", job, It("il calcolo non trova i file dei lavori (.MW e .FIT)"), true,
            It("il calcolo vi aggiunge il nome del lavoro così com'è (") + job.value + It("<lavoro>.MW)"),
            remote ? It("; è su un'unità di rete, il calcolo lavora in TMP_PATH") : "");

  KeyValue tmp = ReadKey(f, "SYSTEM", "TMP_PATH");
  FolderKey(s, "TMP_PATH", tmp,
            It("l'ordine per Maico non viene scritto") +
                (remote ? It(", e il calcolo, con JOB_PATH in rete, non ha una cartella di lavoro") : ""),
            remote, It("con JOB_PATH in rete il calcolo vi aggiunge il nome del lavoro così com'è"));

  KeyValue sql = ReadKey(f, "SYSTEM", "SQL_PATH");
  if (FolderKey(s, "SQL_PATH", sql, It("ZELVOMW.XML verrebbe cercato nella radice dell'unità"), false, ""))
    s.sqlPath = sql.value;

  KeyValue conn = ReadKey(f, "SYSTEM", "CONN_STR_ZELVO");
  About connAbout = KeyAbout(f, "SYSTEM", "CONN_STR_ZELVO", conn);
  // The library reads it as an integer: an absent or empty key is 0.
  int which = ReadIniInt(f, "SYSTEM", "CONN_STR_ZELVO", 0);
  if (which == 0 || which == 1) {
    s.connection = which;
    std::string section = which == 0 ? "[ZELVO]" : "[ZELVOMYSQL]";
    s.out.Add(Level::Ok, kArea, "key", connAbout,
              It(conn.Given() ? "dal file" : "assente, predefinito 0") + It(": sezione ") + section +
                  It(" di ZelvoDbConn.ini"));
  } else {
    s.out.Add(Level::Error, kArea, "key", connAbout,
              It("vale solo 0 (sezione [ZELVO] di ZelvoDbConn.ini) o 1 (sezione [ZELVOMYSQL]): così il "
                 "database non si apre"));
  }

  KeyValue use = ReadKey(f, "GENERAL", "USE_MAICOWIN");
  About useAbout = KeyAbout(f, "GENERAL", "USE_MAICOWIN", use);
  useAbout.showValue = use.present;
  if (!use.present) s.out.Add(Level::Ok, kArea, "key", useAbout, It("assente, predefinito YES: Zelvo usa il calcolo MaicoWin"));
  else if (use.value == "YES") s.out.Add(Level::Ok, kArea, "key", useAbout, It("dal file: Zelvo usa il calcolo MaicoWin"));
  else s.out.Add(Level::Warning, kArea, "key", useAbout,
                 It("Zelvo non usa il calcolo MaicoWin: vale sì solo YES, in maiuscolo"));
}

}  // namespace

void CheckProfile(State& s) {
  std::string folder = platform::ProfileFolder();
  s.zelvoMwIni = MwPath(folder).Append(kZelvoMwIni).Text();
  s.zelvoIni = MwPath(folder).Append(kZelvoIni).Text();
  s.haveZelvoMwIni = platform::FindFirstExists(s.zelvoMwIni);
  s.haveZelvoIni = platform::FindFirstExists(s.zelvoIni);
  if (s.haveZelvoMwIni) s.out.Add(Level::Ok, kArea, "file", {s.zelvoMwIni}, It("trovato"));
  else s.out.Add(Level::Error, kArea, "file", {s.zelvoMwIni},
                 It("non trovato: eseguire la configurazione del collegamento, che lo scrive"));
  if (s.haveZelvoIni) s.out.Add(Level::Ok, kArea, "file", {s.zelvoIni}, It("trovato"));
  else s.out.Add(Level::Error, kArea, "file", {s.zelvoIni},
                 It("non trovato: è il file di Zelvo, va rimesso dove Zelvo lo tiene"));
  // A missing file has no keys to tell of: each of them would only repeat its absence.
  if (s.haveZelvoMwIni) ZelvoMwIniKeys(s);
  if (s.haveZelvoIni) ZelvoIniKeys(s);
}

}  // namespace zmw::doctor
