// MaicoWin as the calculation meets it: its folder, the request and result files that its
// MAICOWIN.INI names, the program that starts it, whether it runs and whether its calculation
// window is there. Nothing is started and no window is sent anything.
#include <algorithm>
#include <vector>

#include "base/FileNames.h"
#include "base/MwPath.h"
#include "doctor/Checks.h"
#include "maicowin/MaicoWinConf.h"
#include "maicowin/ProcessWalk.h"
#include "maicowin/WaitDialogs.h"
#include "platform/Files.h"
#include "platform/Programs.h"
#include "platform/Text.h"

namespace zmw::doctor {
namespace {

constexpr const char* kArea = "maicowin";

// The folder of an exchange file as the platform names it: up to the last separator.
std::string FolderOf(const std::string& file) {
  std::size_t at = platform::IsNativePosixPath(file) ? file.find_last_of("\\/") : file.rfind('\\');
  return at == std::string::npos ? std::string() : file.substr(0, at == 0 ? 1 : at);
}

// The installation folder the calculation would use, or empty when there is none. A folder
// found by the default search is looked at too, so that its files can be checked: the
// missing INST_PATH has been reported already.
std::string InstallationFolder(State& s) {
  if (!s.instPath.Given()) {
    if (!IsMaicoWinInstallation(kDefaultInstallFolder)) return "";
    MwPath found(kDefaultInstallFolder);
    found.EnsureTrailingBackslash();
    return found.Text();
  }
  About about{s.zelvoMwIni, "DIRS", "INST_PATH", s.instPath.value, "file", true};
  if (IsMaicoWinInstallation(s.instPath.value)) {
    s.out.Add(Level::Ok, kArea, "installation", about, It("BIN\\MAICOWIN.INI c'è: è la cartella di MaicoWin"));
    return s.instPath.value;
  }
  s.out.Add(Level::Error, kArea, "installation", about,
            platform::FolderExists(s.instPath.value) ? It("non c'è BIN\\MAICOWIN.INI: non è la cartella di MaicoWin")
                                                     : It("la cartella non esiste"));
  return "";
}

struct ExchangeFile {
  const char* key;
  std::string path;
};

void ExchangeFiles(State& s, const std::string& maicoWinIni) {
  std::vector<ExchangeFile> files;
  const char* whenMissing[] = {"manca: il calcolo non sa dove scrivere la richiesta per MaicoWin",
                               "manca: il calcolo non sa dove MaicoWin scrive il risultato"};
  const char* keys[] = {"IMPORT", "EXPORT"};
  for (int i = 0; i < 2; ++i) {
    KeyValue kv = ReadKey(maicoWinIni, "EXPORT-IMPORT", keys[i]);
    if (kv.Given()) files.push_back({keys[i], kv.value});
    else s.out.Add(Level::Error, kArea, "key", {maicoWinIni, "EXPORT-IMPORT", keys[i], kv.value, "default"},
                   It(whenMissing[i]));
  }
  // Both files usually share one folder: it is reported once, under both keys.
  std::vector<std::pair<std::string, std::vector<const ExchangeFile*>>> folders;
  for (const ExchangeFile& file : files) {
    std::string folder = FolderOf(file.path);
    auto same = std::find_if(folders.begin(), folders.end(),
                             [&](const auto& f) { return platform::EqualsNoCase(f.first, folder); });
    if (same == folders.end()) folders.push_back({folder, {&file}});
    else same->second.push_back(&file);
  }
  for (const auto& [folder, inIt] : folders) {
    std::string keys, names;
    for (const ExchangeFile* file : inIt) {
      keys += (keys.empty() ? "" : ", ") + std::string(file->key);
      names += (names.empty() ? "" : ", ") + std::string(file->key) + " " + file->path;
    }
    About about{maicoWinIni, "EXPORT-IMPORT", keys, folder, "file"};
    if (folder.empty()) {
      s.out.Add(Level::Error, kArea, "exchange", about, It("il file non ha una cartella: ") + names);
      continue;
    }
    if (!platform::FolderExists(folder)) {
      s.out.Add(Level::Error, kArea, "exchange", about, It("la cartella di scambio ") + folder + It(" non esiste"));
      continue;
    }
    if (!platform::FolderIsWritable(folder)) {
      s.out.Add(Level::Error, kArea, "exchange", about,
                It("nella cartella di scambio ") + folder + It(" non si può scrivere"));
      continue;
    }
    std::string locked;
    for (const ExchangeFile* file : inIt)
      if (platform::FindFirstExists(file->path) && !platform::FileIsWritable(file->path))
        locked += (locked.empty() ? "" : ", ") + file->path;
    if (!locked.empty()) {
      s.out.Add(Level::Error, kArea, "exchange", about, It("non si può scrivere su ") + locked);
      continue;
    }
    s.out.Add(Level::Ok, kArea, "exchange", about,
              It("la cartella di scambio ") + folder + It(" c'è e vi si può scrivere (") + names + ")");
  }
}

void StartProgram(State& s, MaicoWinConf& conf) {
  if (!s.mwCmdString.Given()) return;
  std::string program, parameters;
  conf.GetStartCommand(program, parameters);
  About about{s.zelvoMwIni, "GENERAL", "MW_CMD_STRING", s.mwCmdString.value, "file", true};
  if (platform::FindFirstExists(program) && !platform::FolderExists(program))
    s.out.Add(Level::Ok, kArea, "program", about, It("il programma ") + program + It(" c'è"));
  else
    s.out.Add(Level::Error, kArea, "program", about,
              It("il programma ") + program + It(" non c'è: il calcolo non potrebbe avviare MaicoWin"));
}

}  // namespace

void CheckMaicoWin(State& s) {
  if (s.haveZelvoMwIni) {
    s.installFolder = InstallationFolder(s);
    if (!s.installFolder.empty()) {
      // The record the calculation makes, pointed at the folder found; it writes nothing.
      MaicoWinConf conf;
      conf.CheckInstallation(s.installFolder, 0);
      std::string maicoWinIni;
      conf.GetMaicoWinIni(maicoWinIni);
      ExchangeFiles(s, maicoWinIni);
      StartProgram(s, conf);
    }
  }

  bool running = ProcessWalk(IsMaicoWinProcess, 0) == 1;
  s.out.Add(Level::Ok, kArea, "process", {},
            running ? It("MaicoWin è in esecuzione") : It("MaicoWin non è in esecuzione: il calcolo lo avvierà"));
  bool window = platform::CalcWindowExists(kCalcWindowName);
  std::string name = std::string("\"") + kCalcWindowName + "\"";
  if (!window) s.out.Add(Level::Ok, kArea, "window", {}, It("la finestra di calcolo ") + name + It(" non c'è"));
  else if (running) s.out.Add(Level::Ok, kArea, "window", {}, It("la finestra di calcolo ") + name + It(" c'è"));
  else s.out.Add(Level::Warning, kArea, "window", {},
                 It("la finestra di calcolo ") + name +
                     It(" c'è ma MaicoWin non risulta in esecuzione: il calcolo le manderebbe comunque il messaggio di "
                        "chiusura"));
}

}  // namespace zmw::doctor
