// Where MaicoWin is installed and whether it runs, with every key of the link's INI files.
// A record lives for one operation: construct it where MaicoWin's folders are needed.
#pragma once
#include <string>

namespace zmw {

inline constexpr const char* kDefaultInstallFolder = "C:\\MAICOWIN";
inline constexpr const char* kDefaultStartCommand = "MSERVER.EXE";
inline constexpr const char* kDefaultExcelConnString =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;";
inline constexpr const char* kBrowseInstallTitle = "Indicare la cartella di installazione di MaicoWin";

class MaicoWinConf {
 public:
  MaicoWinConf();
  virtual ~MaicoWinConf();

  int IsMaicoWinRunning();
  int CheckInstallation(const std::string& proposedFolder, int askUser);
  int WriteDefaultConfig();
  int CopyConfigFiles(const std::string& destination);
  int WriteConfValue(const std::string& section, const std::string& key, const std::string& value);
  int GetStartCommand(std::string& program, std::string& parameters);

  int GetBinFolder(std::string& out) const;
  int GetDatiFolder(std::string& out) const;
  int GetMaicoWinIni(std::string& out) const;
  int GetSchedTecFile(std::string& out) const;
  int GetFinituraFile(std::string& out) const;
  int GetExportFile(std::string& out) const;
  int ReadCustomerCode(std::string& code) const;

  int GetMwFit(std::string& out) const;
  int GetMwKit(std::string& out) const;
  int GetMaicoFit(std::string& out) const;
  int GetMaicoFitXls(std::string& out) const;

  static void SetUseMaicoWin(bool use);
  // ZELVO.INI [GENERAL] USE_MAICOWIN, read with the default "YES": 1 only for exactly "YES".
  static int GetUseMaicoWin();

  const std::string& InstallationFolder() const { return installFolder_; }
  int Running() const { return running_; }

 private:
  std::string installFolder_;
  int running_ = 0;
};

// Starts MaicoWin hidden with the start command, in its BIN folder; false when the platform
// reports that the start failed. Nothing waits for it to come up.
bool StartMaicoWin();

// The probe: a MaicoWin installation has BIN\MAICOWIN.INI below its folder.
bool IsMaicoWinInstallation(const std::string& folder);

}  // namespace zmw
