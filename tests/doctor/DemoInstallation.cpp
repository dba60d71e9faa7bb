#include "doctor/DemoInstallation.h"

#include <algorithm>
#include <filesystem>

#include "base/FileNames.h"
#include "db/ConnText.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace zmw::test {

DemoPaths BuildDemoInstallation(const std::string& scratch, const std::string& connectionText, const std::string& sqliteFile) {
  DemoPaths p{scratch + "\\ZELVO", scratch + "\\SQL", scratch + "\\JOBS\\", scratch + "\\TMP\\", kDefaultInstallFolder,
              std::string(kDefaultInstallFolder) + "\\BIN\\MAICOWIN.INI", platform::ProfileFolder() + "\\" + kZelvoMwIni,
              platform::ProfileFolder() + "\\" + kZelvoIni};
  for (const std::string& folder : {p.start, p.sql, p.jobs, p.temp, p.start + "\\ZELVOMW", p.maicoWin + "\\EXCH"}) MakeFolders(folder);
  // MaicoWin as the demo copies it, with the stand-in calculation server as its program.
  for (const char* file : {"BIN/MAICOWIN.INI", "BIN/MW.INI", "BIN/POET.CFG", "BIN/VENOVA.INI", "DATI/FINITURA.DAT", "DATI/SCHEDTEC.DAT"}) {
    std::string windows = file;
    windows[windows.find('/')] = '\\';
    WriteFile(p.maicoWin + "\\" + windows, ReadFile(SourceFile(std::string("samples/maicowin/") + file)));
  }
  CopyProgram(SimulatorProgram(), p.maicoWin + "\\BIN\\MSERVER.EXE");
  // Zelvo: its settings files in the start folder, the statements in their own.
  bool sqlite = !sqliteFile.empty();
  WriteFile(p.Xml(), ReadFile(SourceFile(sqlite ? "samples/db/sqlite/ZELVOMW.XML" : "samples/db/mariadb/ZELVOMW.XML")));
  std::string dsn = "[ODBC]\r\n";
  if (sqlite) {
    WriteFile(p.ConnSettings(), ReadFile(SourceFile("samples/zelvo/ZelvoDbConn.ini")));
    dsn += "DRIVER=SQLite3\r\nDatabase=" + DriverPath(sqliteFile) + "\r\nNoCreat=1\r\nJournalMode=WAL\r\nStepAPI=1\r\n";
  } else {
    WriteFile(p.ConnSettings(), "[ZELVOMYSQL]\r\nCONN_STRING=" + connectionText + "\r\n");
    for (const ConnAttribute& a : ParseConnText(connectionText)) dsn += a.key + "=" + a.value + "\r\n";
  }
  WriteFile(p.start + "\\ZELVO32.DSN", dsn);
  for (auto [key, value] : {std::pair{"START_PATH", &p.start}, {"SQL_PATH", &p.sql}, {"JOB_PATH", &p.jobs}, {"TMP_PATH", &p.temp}})
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", key, value->c_str());
  platform::ProfileWriteString("ZELVO.INI", "GENERAL", "USE_MAICOWIN", "YES");
  // The link's first configuration, as LanciaConfiguratoreMW makes it in the demo.
  MaicoWinConf conf;
  EXPECT_EQ(conf.CheckInstallation(kDefaultInstallFolder, 0), 1);
  EXPECT_EQ(conf.WriteDefaultConfig(), 1);
  return p;
}

std::vector<const Finding*> FindingsAt(const DoctorReport& report, Level level) {
  std::vector<const Finding*> found;
  for (const Finding& f : report.findings)
    if (f.level == level) found.push_back(&f);
  return found;
}

std::string Render(const Finding& f) {
  return std::string(LevelWord(f.level)) + "|" + f.area + "|" + f.check + "|" + f.key + "|" +
         platform::AsciiUpper(f.file.substr(f.file.find_last_of("\\/") + 1)) + "|" + f.source + "|" + f.value;
}

bool Has(const DoctorReport& report, const std::string& start) {
  return std::any_of(report.findings.begin(), report.findings.end(), [&](const Finding& f) { return Render(f).rfind(start, 0) == 0; });
}

Snapshot TakeSnapshot(const std::vector<std::string>& folders) {
  Snapshot snapshot;
  auto add = [&](const fs::path& path) {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(path, ec);
    long long size = fs::is_regular_file(status) ? static_cast<long long>(fs::file_size(path, ec)) : -1;
    long long time = fs::is_symlink(status) ? 0 : fs::last_write_time(path, ec).time_since_epoch().count();
    snapshot[path.string()] = {size, time};
  };
  for (const std::string& folder : folders) {
    fs::path root = platform::IsNativePosixPath(folder) ? fs::path(folder) : platform::NativePath(folder);
    std::error_code ec;
    if (!fs::exists(root, ec)) continue;
    add(root);
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end; it.increment(ec))
      add(it->path());
  }
  return snapshot;
}

void SetStatement(const std::string& xmlFile, const std::string& name, const char* text) {
  std::string xml = ReadFile(xmlFile), close = "</" + name + ">";
  std::size_t from = xml.find("<" + name + ">"), to = xml.find(close, from);
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos) << name;
  xml.replace(from, to + close.size() - from, text ? "<" + name + ">" + text + close : "");
  WriteFile(xmlFile, xml);
}

}  // namespace zmw::test
