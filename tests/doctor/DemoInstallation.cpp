#include "doctor/DemoInstallation.h"

#include <chrono>
#include <filesystem>

#include "base/FileNames.h"
#include "db/ConnText.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;

namespace zmw::test {

DemoPaths DemoLayout(const std::string& scratch) {
  DemoPaths p;
  p.start = scratch + "\\ZELVO";
  p.sql = scratch + "\\SQL";
  p.jobs = scratch + "\\JOBS\\";
  p.temp = scratch + "\\TMP\\";
  p.maicoWin = kDefaultInstallFolder;
  p.maicoWinIni = p.maicoWin + "\\BIN\\MAICOWIN.INI";
  p.zelvoMwIni = platform::ProfileFolder() + "\\" + kZelvoMwIni;
  p.zelvoIni = platform::ProfileFolder() + "\\" + kZelvoIni;
  return p;
}

void BuildDemoInstallation(const DemoPaths& p, const std::string& connectionText, bool sqlite,
                           const std::string& databaseFile) {
  for (const std::string& folder : {p.start, p.sql, p.jobs, p.temp, p.start + "\\ZELVOMW"}) MakeFolders(folder);
  // MaicoWin as the demo copies it, with the stand-in calculation server as its program.
  for (const char* file : {"BIN\\MAICOWIN.INI", "BIN\\MW.INI", "BIN\\POET.CFG", "BIN\\VENOVA.INI",
                           "DATI\\FINITURA.DAT", "DATI\\SCHEDTEC.DAT"}) {
    std::string relative = file;
    std::string posix = relative;
    for (char& c : posix)
      if (c == '\\') c = '/';
    WriteFile(p.maicoWin + "\\" + relative, ReadFile(SourceFile("samples/maicowin/" + posix)));
  }
  MakeFolders(p.maicoWin + "\\EXCH");
  CopyProgram(SimulatorProgram(), p.maicoWin + "\\BIN\\MSERVER.EXE");

  // Zelvo: its settings files in the start folder, the statements in their own.
  WriteFile(p.Xml(), ReadFile(SourceFile(sqlite ? "samples/db/sqlite/ZELVOMW.XML" : "samples/db/mariadb/ZELVOMW.XML")));
  std::string dsn = "[ODBC]\r\n";
  if (sqlite) {
    WriteFile(p.ConnSettings(), ReadFile(SourceFile("samples/zelvo/ZelvoDbConn.ini")));
    dsn += "DRIVER=SQLite3\r\nDatabase=" + DriverPath(databaseFile) + "\r\nNoCreat=1\r\nJournalMode=WAL\r\nStepAPI=1\r\n";
  } else {
    WriteFile(p.ConnSettings(), "[ZELVOMYSQL]\r\nCONN_STRING=" + connectionText + "\r\n");
    for (const ConnAttribute& a : ParseConnText(connectionText)) dsn += a.key + "=" + a.value + "\r\n";
  }
  WriteFile(p.start + "\\ZELVO32.DSN", dsn);
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", p.start.c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", p.sql.c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", p.jobs.c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", p.temp.c_str());
  platform::ProfileWriteString("ZELVO.INI", "GENERAL", "USE_MAICOWIN", "YES");

  // The link's first configuration, as LanciaConfiguratoreMW makes it in the demo.
  MaicoWinConf conf;
  ASSERT_EQ(conf.CheckInstallation(kDefaultInstallFolder, 0), 1);
  ASSERT_EQ(conf.WriteDefaultConfig(), 1);
}

std::vector<const Finding*> FindingsAt(const DoctorReport& report, Level level) {
  std::vector<const Finding*> found;
  for (const Finding& f : report.findings)
    if (f.level == level) found.push_back(&f);
  return found;
}

std::string Lines(const DoctorReport& report) { return ReportText(report); }

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
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec))
      add(it->path());
  }
  return snapshot;
}

namespace {

// The element of that name, from its opening tag to the end of its closing one.
std::pair<std::size_t, std::size_t> ElementSpan(const std::string& xml, const std::string& name) {
  std::size_t open = xml.find("<" + name + ">");
  std::string close = "</" + name + ">";
  std::size_t end = xml.find(close, open);
  EXPECT_NE(open, std::string::npos) << name;
  EXPECT_NE(end, std::string::npos) << name;
  return {open, end + close.size()};
}

}  // namespace

void SetStatement(const std::string& xmlFile, const std::string& name, const std::string& text) {
  std::string xml = ReadFile(xmlFile);
  auto [from, to] = ElementSpan(xml, name);
  xml.replace(from, to - from, "<" + name + ">" + text + "</" + name + ">");
  WriteFile(xmlFile, xml);
}

void RemoveStatement(const std::string& xmlFile, const std::string& name) {
  std::string xml = ReadFile(xmlFile);
  auto [from, to] = ElementSpan(xml, name);
  xml.erase(from, to - from);
  WriteFile(xmlFile, xml);
}

}  // namespace zmw::test
