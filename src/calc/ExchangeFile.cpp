#include "calc/ExchangeFile.h"

#include "base/Ini.h"
#include "base/MwPath.h"
#include "maicowin/MaicoWinConf.h"

namespace zmw {

ExchangeFile::ExchangeFile(Kind kind) : kind_(kind) {
  MaicoWinConf conf;
  std::string ini;
  conf.GetMaicoWinIni(ini);
  path_ = ReadIni(ini, "EXPORT-IMPORT", kind == Result ? "EXPORT" : "IMPORT");
}

std::string ExchangeFile::BackupPath(const std::string& path) {
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
