#include "calc/ExchangeFile.h"

#include "base/Ini.h"
#include "base/MwPath.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"

namespace zmw {

ExchangeFile::ExchangeFile(Kind kind) : kind_(kind) {
  MaicoWinConf conf;
  std::string ini;
  conf.GetMaicoWinIni(ini);
  path_ = ReadIni(ini, "EXPORT-IMPORT", kind == Result ? "EXPORT" : "IMPORT");
}

std::string ExchangeFile::BackupPath(const std::string& path) {
  // MAICOWIN.INI may name the file by a POSIX path on Linux; its folder ends at the last "/",
  // which the backslash rules below would take for an ordinary character.
  if (platform::IsNativePosixPath(path)) {
    std::size_t slash = path.rfind('/');
    std::string name = path.substr(slash + 1);
    return path.substr(0, slash) + "/" + name.substr(0, name.rfind('.')) + ".BAK";
  }
  MwPath p(path);
  std::string folder, title;
  p.GetFolder(folder);
  p.GetFileTitle(title);
  return folder + "\\" + title + ".BAK";
}

int ExchangeFile::Backup() {
  MwPath file(path_);
  if (path_.empty() || !file.Exists()) return 1;
  std::string backup = BackupPath(path_);
  if (kind_ == Result) MwPath(backup).Delete();
  file.CopyTo(backup);
  return 1;
}

int ExchangeFile::Remove() {
  MwPath file(path_);
  if (path_.empty() || !file.Exists()) return 0;
  return file.Delete();
}

}  // namespace zmw
