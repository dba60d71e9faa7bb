#include "maicowin/MaicoWinConf.h"

#include "base/FileNames.h"
#include "base/Ini.h"
#include "base/MwPath.h"
#include "maicowin/FolderDialog.h"
#include "maicowin/ProcessWalk.h"
#include "platform/Files.h"
#include "platform/Programs.h"
#include "platform/Ui.h"

namespace zmw {
namespace {

// A [DIRS] key of ZELVOMW.INI; the output is left alone when the key is empty.
int ReadDirsKey(const char* key, std::string& out) {
  std::string value = ReadZelvoMwIni("DIRS", key);
  if (value.empty()) return 0;
  out = value;
  return 1;
}

}  // namespace

bool IsMaicoWinInstallation(const std::string& folder) {
  return platform::FindFirstExists(MwPath(folder).Append(kBinFolder).Append(kMaicoWinIni).Text());
}

MaicoWinConf::MaicoWinConf() : installFolder_(ReadZelvoMwIni("DIRS", "INST_PATH")) {
  IsMaicoWinRunning();
}

MaicoWinConf::~MaicoWinConf() = default;

int MaicoWinConf::IsMaicoWinRunning() {
  running_ = ProcessWalk(IsMaicoWinProcess, 0);
  return running_;
}

int MaicoWinConf::CheckInstallation(const std::string& proposedFolder, int askUser) {
  if (!installFolder_.empty()) return 1;
  std::string candidate = proposedFolder.empty() ? kDefaultInstallFolder : proposedFolder;
  for (;;) {
    if (IsMaicoWinInstallation(candidate)) {
      MwPath found(candidate);
      found.EnsureTrailingBackslash();
      installFolder_ = found.Text();
      return 1;
    }
    if (askUser != 1) return 0;
    CFolderDialog browser;
    if (browser.Run() != 1) return 0;
    candidate = browser.SelectedFolder();
  }
}

bool StartMaicoWin() {
  MaicoWinConf conf;
  std::string program, parameters, folder;
  conf.GetStartCommand(program, parameters);
  conf.GetBinFolder(folder);
  return platform::StartProgram(program, parameters, folder);
}

int MaicoWinConf::WriteDefaultConfig() {
  std::string startPath = ReadZelvoIni("SYSTEM", "START_PATH");
  if (startPath.empty()) return 0;
  std::string dati, code;
  GetDatiFolder(dati);
  ReadCustomerCode(code);
  WriteConfValue("DIRS", "INST_PATH", installFolder_);
  WriteConfValue("DIRS", "MW_FIT", MwPath(startPath).Append("ZELVOMW\\MAICOWIN.FIT").Text());
  WriteConfValue("DIRS", "MW_KIT", MwPath(startPath).Append("ZELVOMW\\MAICOWIN.KIT").Text());
  WriteConfValue("DIRS", "MAICO_FIT", MwPath(dati).Append("ARTICOLI.ASC").Text());
  WriteConfValue("GENERAL", "CODCLIENTE", code);
  WriteConfValue("GENERAL", "MW_CMD_STRING", kDefaultStartCommand);
  WriteConfValue("GENERAL", "EXCEL_CONN_STRING", kDefaultExcelConnString);
  return 1;
}

int MaicoWinConf::CopyConfigFiles(const std::string& destination) {
  MwPath bin = MwPath(installFolder_).Append(kBinFolder);
  MwPath(bin).Append("POET.CFG").CopyTo(MwPath(destination).Append("POET.CFG").Text());
  // VENOVA.INI is needed only where MaicoWin is installed on a network share.
  if (MwPath(installFolder_).IsUnc())
    MwPath(bin).Append("VENOVA.INI").CopyTo(MwPath(destination).Append("VENOVA.INI").Text());
  return 1;
}

int MaicoWinConf::WriteConfValue(const std::string& section, const std::string& key,
                                 const std::string& value) {
  return WriteIni(kZelvoMwIni, section.c_str(), key.c_str(), value) ? 1 : 0;
}

int MaicoWinConf::GetStartCommand(std::string& program, std::string& parameters) {
  std::string command = ReadZelvoMwIni("GENERAL", "MW_CMD_STRING");
  if (command.empty()) return 0;
  std::size_t blank = command.find(' ');
  std::string name = blank == std::string::npos ? command : command.substr(0, blank);
  parameters = blank == std::string::npos ? std::string() : command.substr(blank + 1);
  program = MwPath(installFolder_).Append(kBinFolder).Append(name).Text();
  return 1;
}

int MaicoWinConf::GetBinFolder(std::string& out) const {
  out = MwPath(installFolder_).Append(kBinFolder).Text();
  return 1;
}

int MaicoWinConf::GetDatiFolder(std::string& out) const {
  out = MwPath(installFolder_).Append(kDatiFolder).Text();
  return 1;
}

int MaicoWinConf::GetMaicoWinIni(std::string& out) const {
  out = MwPath(installFolder_).Append(kBinFolder).Append(kMaicoWinIni).Text();
  return 1;
}

int MaicoWinConf::GetSchedTecFile(std::string& out) const {
  out = MwPath(installFolder_).Append(kDatiFolder).Append(kSchedTecDat).Text();
  return 1;
}

int MaicoWinConf::GetFinituraFile(std::string& out) const {
  out = MwPath(installFolder_).Append(kDatiFolder).Append(kFinituraDat).Text();
  return 1;
}

int MaicoWinConf::GetExportFile(std::string& out) const {
  std::string ini;
  GetMaicoWinIni(ini);
  std::string value = ReadIni(ini, "EXPORT-IMPORT", "EXPORT");
  if (!value.empty()) out = value;
  return 1;
}

int MaicoWinConf::ReadCustomerCode(std::string& code) const {
  std::string bin;
  GetBinFolder(bin);
  platform::File file = platform::File::Open(MwPath(bin).Append("MW.INI").Text(), "rt");
  if (!file) return 0;
  // The third line holds the code; a shorter file leaves its last line in the buffer.
  std::string buffer, line;
  for (int i = 0; i < 3 && file.Gets(line, static_cast<int>(kIniBuffer)); ++i) buffer = line;
  std::string result;
  for (char c : buffer)
    if (c != '\n') result += c;
  code = result;
  return 1;
}

int MaicoWinConf::GetMwFit(std::string& out) const { return ReadDirsKey("MW_FIT", out); }
int MaicoWinConf::GetMwKit(std::string& out) const { return ReadDirsKey("MW_KIT", out); }
int MaicoWinConf::GetMaicoFit(std::string& out) const { return ReadDirsKey("MAICO_FIT", out); }
int MaicoWinConf::GetMaicoFitXls(std::string& out) const { return ReadDirsKey("MAICO_FIT_XLS", out); }

void MaicoWinConf::SetUseMaicoWin(bool use) {
  WriteIni(kZelvoIni, "GENERAL", "USE_MAICOWIN", use ? "YES" : "NO");
}

int MaicoWinConf::GetUseMaicoWin() {
  return ReadIni(kZelvoIni, "GENERAL", "USE_MAICOWIN", kIniBuffer, "YES") == "YES" ? 1 : 0;
}

}  // namespace zmw
