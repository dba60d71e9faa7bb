// The installation check on the demo installation, and on installations broken one way at a
// time: each names exactly what to fix, and leaves the machine as it found it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "doctor/DemoInstallation.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace zmw {
namespace {

using P = const test::DemoPaths&;
namespace fs = std::filesystem;

// The demo has no FIT and KIT lists from MaicoWin and no article file from Maico yet.
const std::vector<std::string> kDemoWarnings = {"AVVISO|profile|file|MW_FIT|ZELVOMW.INI|file|", "AVVISO|profile|file|MW_KIT|ZELVOMW.INI|file|",
                                                "AVVISO|imports|asc|MAICO_FIT|ZELVOMW.INI|file|"};

class Demo : public test::DemoOn<test::HostDatabase> {};

TEST_F(Demo, IsSoundTellsEveryKeyPreparesEveryStatementAndLeavesTheMachineAsItFoundIt) {
  std::vector<std::string> roots = {Scratch(), paths.maicoWin, paths.zelvoMwIni, paths.zelvoIni};
  // On POSIX the whole prefix stands for the machine.
  if (const char* prefix = std::getenv("ZELVOMW_PREFIX"); prefix && *prefix && test::PosixPathsAreNative()) roots = {prefix};
  // SQLite keeps its journal files beside the database while a connection is open: the
  // database's folder is the one thing whose time of change may move, not what it holds.
  std::error_code ec;
  fs::path databaseFolder = fs::canonical(platform::NativePath(DatabaseFile()).parent_path(), ec);
  auto look = [&] {
    test::Snapshot snapshot = test::TakeSnapshot(roots);
    for (auto& [path, stamp] : snapshot)
      if (fs::canonical(path, ec) == databaseFolder) stamp.second = 0;
    return snapshot;
  };
  test::Snapshot before = look();
  ASSERT_GT(before.size(), 10u);
  DoctorReport report = RunDoctor();
  EXPECT_EQ(look(), before);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(report.ExitStatus(), 0) << ReportText(report);
  std::vector<std::string> notOk;
  for (const Finding& f : report.findings)
    if (f.level != Level::Ok) notOk.push_back(test::Render(f).substr(0, test::Render(f).rfind('|') + 1));
  EXPECT_EQ(notOk, kDemoWarnings);
  // Every key the library reads says where its value came from.
  for (const char* ok : {"OK|database|connection|CONN_STRING|ZELVODBCONN.INI|", "OK|maicowin|installation|INST_PATH|ZELVOMW.INI|",
                         "OK|maicowin|exchange|IMPORT, EXPORT|MAICOWIN.INI|", "OK|maicowin|program|MW_CMD_STRING|ZELVOMW.INI|",
                         "OK|imports|library||", "OK|profile|key|INST_PATH|ZELVOMW.INI|file|C:\\MAICOWIN\\", "OK|profile|key|MAICO_FIT_XLS|ZELVOMW.INI|default|",
                         "OK|profile|key|EXCEL_CONN_STRING|ZELVOMW.INI|file|", "OK|profile|key|JOB_PATH|ZELVO.INI|file|",
                         "OK|profile|key|CONN_STR_ZELVO|ZELVO.INI|default|", "OK|profile|key|USE_MAICOWIN|ZELVO.INI|file|YES",
                         "OK|imports|key|DIM_PREZZO|ZELVOMWIMPORT.INI|default|"})
    EXPECT_TRUE(test::Has(report, ok)) << ok << "\n" << ReportText(report);
  for (const char* name : {"MW_GET_MAICO_ID", "MW_UPD_CODES_XLS", "MW_INS_FIN_ACC", "GET_EXP_ORDINE_DETT"})
    EXPECT_TRUE(std::any_of(report.findings.begin(), report.findings.end(), [&](const Finding& f) {
      return test::Render(f).rfind(std::string("OK|statements|statement|") + name + "|", 0) == 0 && f.text.find("preparata sul database") != std::string::npos;
    })) << name;
}

// --- One thing changed at a time: the findings beyond the demo's own warnings ------------------

struct BrokenCase {
  const char* name;
  std::function<void(P)> breakIt;
  std::vector<std::string> findings;  // every one that is not OK, and the OK ones that must be there
  const char* says = "";              // in the report's text
};

void Key(const std::string& file, const char* section, const char* key, const char* value = nullptr) {
  platform::ProfileWriteString(file.c_str(), section, key, value);
}
void Conn(P p, const std::string& text) { Key(p.ConnSettings(), "ZELVO", "CONN_STRING", text.c_str()); }
void PriceList(P p, const char* bytes) {
  if (bytes) test::WriteFile(p.start + "\\LISTINO.XLS", bytes);
  Key(p.zelvoMwIni, "DIRS", "MAICO_FIT_XLS", (p.start + "\\LISTINO.XLS").c_str());
}
void Asc(P p, const std::string& bytes) { test::WriteFile(p.maicoWin + "\\DATI\\ARTICOLI.ASC", bytes); }
std::function<void(P)> Stmt(const char* name, const char* text) {
  return [=](P p) { test::SetStatement(p.Xml(), name, text); };
}
std::string Nope(P p) { return test::DriverPath(p.start + "\\NOPE.DB"); }

class BrokenDemo : public Demo, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenDemo, NamesExactlyWhatToFix) {
  GetParam().breakIt(paths);
  DoctorReport report = RunDoctor();
  std::string text = ReportText(report);
  bool error = false;
  for (const Finding& f : report.findings) {
    std::string r = test::Render(f);
    auto starts = [&](const std::string& start) { return r.rfind(start, 0) == 0; };
    bool listed = std::any_of(GetParam().findings.begin(), GetParam().findings.end(), starts);
    if (f.level == Level::Ok || std::any_of(kDemoWarnings.begin(), kDemoWarnings.end(), starts)) continue;
    error |= f.level == Level::Error;
    EXPECT_TRUE(listed) << r << "\n" << text;
    // One line, naming the file and the key to change.
    EXPECT_EQ(f.text.find('\n'), std::string::npos) << f.text;
    EXPECT_EQ(f.text.rfind(f.file, 0), 0u) << f.text;
    EXPECT_NE(f.text.find(f.key), std::string::npos) << f.text;
  }
  for (const std::string& r : GetParam().findings) EXPECT_TRUE(test::Has(report, r)) << r << "\n" << text;
  EXPECT_EQ(report.ExitStatus(), error ? 1 : 0);
  EXPECT_TRUE(!*GetParam().says || text.find(GetParam().says) != std::string::npos) << GetParam().says << "\n" << text;
  // Neither passwords nor a database made by looking.
  EXPECT_EQ(text.find("segreta"), std::string::npos);
  EXPECT_EQ(text.find("s;x"), std::string::npos);
  EXPECT_FALSE(test::FileExists(paths.start + "\\NOPE.DB"));
}

const BrokenCase kBroken[] = {
    {"NoZelvoMwIni", [](P p) { platform::RemoveFile(p.zelvoMwIni); }, {"ERRORE|profile|file||ZELVOMW.INI||"}},
    {"NoZelvoIni", [](P p) { platform::RemoveFile(p.zelvoIni); }, {"ERRORE|profile|file||ZELVO.INI||"}},
    {"NoInstPath", [](P p) { Key(p.zelvoMwIni, "DIRS", "INST_PATH"); }, {"ERRORE|profile|key|INST_PATH|ZELVOMW.INI|default|"}},
    {"NoMaicoFit", [](P p) { Key(p.zelvoMwIni, "DIRS", "MAICO_FIT"); }, {"ERRORE|profile|key|MAICO_FIT|ZELVOMW.INI|default|"}},
    {"NoCustomerCode", [](P p) { Key(p.zelvoMwIni, "GENERAL", "CODCLIENTE"); }, {"ERRORE|profile|key|CODCLIENTE|ZELVOMW.INI|default|"}},
    {"NoStartPath", [](P p) { Key(p.zelvoIni, "SYSTEM", "START_PATH"); }, {"ERRORE|profile|key|START_PATH|ZELVO.INI|default|"}},
    {"NoSqlPath", [](P p) { Key(p.zelvoIni, "SYSTEM", "SQL_PATH"); }, {"ERRORE|profile|key|SQL_PATH|ZELVO.INI|default|"}},
    {"NoDatabaseFileKey", [](P p) { Key(p.zelvoIni, "SYSTEM", "DB_FILE"); }, {"ERRORE|database|placeholder|DB_FILE|ZELVO.INI|default|"}},
    {"UnknownConnectionChoice", [](P p) { Key(p.zelvoIni, "SYSTEM", "CONN_STR_ZELVO", "2"); }, {"ERRORE|profile|key|CONN_STR_ZELVO|ZELVO.INI|file|"}},
    {"NoConnectionText", [](P p) { Key(p.ConnSettings(), "ZELVO", "CONN_STRING"); }, {"ERRORE|database|connection|CONN_STRING|ZELVODBCONN.INI|default|"}},
    {"NoConnectionSettings", [](P p) { platform::RemoveFile(p.ConnSettings()); }, {"ERRORE|database|settings||ZELVODBCONN.INI||"}},
    {"NoRequestFileKey", [](P p) { Key(p.maicoWinIni, "EXPORT-IMPORT", "IMPORT"); }, {"ERRORE|maicowin|key|IMPORT|MAICOWIN.INI|default|"}},
    {"NoResultFileKey", [](P p) { Key(p.maicoWinIni, "EXPORT-IMPORT", "EXPORT"); }, {"ERRORE|maicowin|key|EXPORT|MAICOWIN.INI|default|"},
     "dove MaicoWin scrive il risultato"},
    {"NoJobFolder", [](P p) { test::RemoveTree(p.jobs); }, {"ERRORE|profile|folder|JOB_PATH|ZELVO.INI|file|"}},
    {"NoMaicoWinFolder", [](P p) { test::RemoveTree(p.maicoWin); }, {"ERRORE|maicowin|installation|INST_PATH|ZELVOMW.INI|file|C:\\MAICOWIN\\"}},
    {"NoExchangeFolder", [](P p) { test::RemoveTree(p.maicoWin + "\\EXCH"); }, {"ERRORE|maicowin|exchange|IMPORT, EXPORT|MAICOWIN.INI|file|C:\\MAICOWIN\\EXCH"}},
    {"NoMaicoWinProgram", [](P p) { platform::RemoveFile(p.maicoWin + "\\BIN\\MSERVER.EXE"); }, {"ERRORE|maicowin|program|MW_CMD_STRING|ZELVOMW.INI|file|MSERVER.EXE"}},
    {"JobFolderWithoutSeparator", [](P p) { Key(p.zelvoIni, "SYSTEM", "JOB_PATH", p.jobs.substr(0, p.jobs.size() - 1).c_str()); },
     {"ERRORE|profile|separator|JOB_PATH|ZELVO.INI|file|"}},
    // Connection texts that do not open, and must not make a database by trying.
    {"DatabaseFileMissingWithoutNoCreat", [](P p) { Conn(p, "Driver=SQLite3;Database=" + Nope(p) + ";"); },
     {"AVVISO|database|nocreat|CONN_STRING|ZELVODBCONN.INI|file|", "ERRORE|database|connection|CONN_STRING|ZELVODBCONN.INI|file|"}},
    {"NoCreatOff", [](P p) { Conn(p, "Driver=SQLite3;Database=[DB_FILE];NoCreat=0;"); },
     {"AVVISO|database|nocreat|CONN_STRING|ZELVODBCONN.INI|file|", "OK|database|connection|CONN_STRING|ZELVODBCONN.INI|file|"}},
    {"PasswordsHidden", [](P p) { Conn(p, "Driver=ZmwNoSuchDriver;UID=zelvo;PWD=segreta;Password={s;x};"); },
     {"ERRORE|database|connection|CONN_STRING|ZELVODBCONN.INI|file|"}, "UID=zelvo;PWD=***"},
    {"NoDsn", [](P p) { platform::RemoveFile(p.start + "\\ZELVO32.DSN"); }, {"ERRORE|database|dsn||ZELVO32.DSN||"}},
    {"DsnOnAMissingDatabase", [](P p) { test::WriteFile(p.start + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + Nope(p) + "\r\nNoCreat=1\r\n"); },
     {"ERRORE|database|dsn||ZELVO32.DSN||"}},
    // The statement file.
    {"StatementMissing", Stmt("MW_GET_INFO_ACC", nullptr), {"ERRORE|statements|statement|MW_GET_INFO_ACC|ZELVOMW.XML||"}},
    {"OneConversionTooMany", Stmt("MW_DEL_FINITURA", "DELETE FROM Finiture WHERE Codice = '%s' OR Codice = '%s'"),
     {"ERRORE|statements|conversions|MW_DEL_FINITURA|ZELVOMW.XML||"}},
    {"OneConversionTooFew", Stmt("MW_INS_FIN_ACC", "INSERT INTO FinitureAccessori (Produttore, Produttore2, Codice, Finitura) VALUES ('%s', '%s', 'X', '%s')"),
     {"ERRORE|statements|conversions|MW_INS_FIN_ACC|ZELVOMW.XML||", "AVVISO|statements|repeat|MW_INS_FIN_ACC|ZELVOMW.XML||"}},
    {"NumberWhereATextGoes",
     Stmt("MW_INS_SCHED_TECH", "INSERT INTO SchedeTecniche (Codice, Descrizione, Numero, Tipo, Produttore, Produttore2) VALUES ('%s', '%s', '%s', '%s', '%s', '%s')"),
     {"ERRORE|statements|conversions|MW_INS_SCHED_TECH|ZELVOMW.XML||"}},
    {"QueryOnATableThatIsNotThere", Stmt("MW_GET_ALL_SNAME", "SELECT Codice FROM SchedeSbagliate"),
     {"ERRORE|statements|prepare|MW_GET_ALL_SNAME|ZELVOMW.XML||"}},
    // Updates that do not leave the finish links as they found them: the link works, but not as
    // the user expects.
    {"FinishLinkWithoutAKey",
     [](P) {
       ZelvoDbConnection db;
       ASSERT_EQ(db.Open(""), 1);
       ExecuteNoRecords(db, "DROP TABLE FinitureAccessori");
       ExecuteNoRecords(db, "CREATE TABLE FinitureAccessori (Produttore VARCHAR(30), Produttore2 VARCHAR(30), Codice VARCHAR(30), Finitura VARCHAR(21))");
       db.Close();
     },
     {"AVVISO|statements|repeat|MW_INS_FIN_ACC|ZELVOMW.XML||"}},
    {"FinishLinkInsertedPlainly", Stmt("MW_INS_FIN_ACC", "INSERT INTO FinitureAccessori (Produttore, Produttore2, Codice, Finitura) VALUES ('%s', '%s', '%s', '%s')"),
     {"AVVISO|statements|repeat|MW_INS_FIN_ACC|ZELVOMW.XML||"}},
    {"CommandWithAParameterTooFew", Stmt("MW_UPD_CODES_XLS", "UPDATE Accessori SET Descrizione = ?, Costo = ?, CostoUnitario = ? WHERE Codice = ?"),
     {"ERRORE|statements|parameters|MW_UPD_CODES_XLS|ZELVOMW.XML||"}},
    {"StatementFileNotWellFormed", [](P p) { test::WriteFile(p.Xml(), "<SQL><MW_GET_ALL_SNAME>SELECT 1</SQL>"); }, {"ERRORE|statements|file||ZELVOMW.XML||"}},
    {"StatementFileWithAnotherRoot", [](P p) { test::WriteFile(p.Xml(), "<STATEMENTS><MW_GET_ALL_SNAME>x</MW_GET_ALL_SNAME></STATEMENTS>"); },
     {"ERRORE|statements|file||ZELVOMW.XML||"}},
    // Maico's article file, of each layout and of none.
    {"ArticlesOfLayoutA", [](P p) { Asc(p, test::ReadFile(test::SourceFile("samples/maico/ARTICOLI_A.ASC"))); }, {"OK|imports|asc|MAICO_FIT|ZELVOMW.INI|file|"}, "tracciato A "},
    {"ArticlesOfLayoutC", [](P p) { Asc(p, test::ReadFile(test::SourceFile("samples/maico/ARTICOLI_C.ASC"))); }, {"OK|imports|asc|MAICO_FIT|ZELVOMW.INI|file|"}, "tracciato C "},
    {"ArticleFileEmpty", [](P p) { Asc(p, ""); }, {"AVVISO|imports|asc|MAICO_FIT|ZELVOMW.INI|file|"}, "vuoto: l'importazione ASC non importerebbe nulla"},
    {"ArticleFileOfNoKnownLayout", [](P p) { Asc(p, std::string(149, 'X') + "\r\n"); }, {"ERRORE|imports|asc|MAICO_FIT|ZELVOMW.INI|file|"}},
    {"ArticleLineEndingBeforeItsPrice", [](P p) { Asc(p, "4711      Cerniera\r\n"); }, {"ERRORE|imports|asc|MAICO_FIT|ZELVOMW.INI|file|"}},
    // The Excel price list: a column setting and its connection text matter only where one is configured.
    {"ColumnSettingUnused", [](P p) { test::WriteFile(p.start + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\nFOGLIO=Listino\r\nPREZZO_NETTO=7\r\n"); },
     {"AVVISO|imports|column|PREZZO_NETTO|ZELVOMWIMPORT.INI|file|"}},
    {"ColumnSettingUsed",
     [](P p) {
       test::WriteFile(p.start + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\nFOGLIO=Listino\r\nPREZZO_NETTO=7\r\n");
       PriceList(p, "not a workbook");
     },
     {"ERRORE|imports|column|PREZZO_NETTO|ZELVOMWIMPORT.INI|file|"}},
    {"NoWorkbookConnectionTextUnused", [](P p) { Key(p.zelvoMwIni, "GENERAL", "EXCEL_CONN_STRING"); }, {}},
    {"NoWorkbookConnectionTextUsed", [](P p) { Key(p.zelvoMwIni, "GENERAL", "EXCEL_CONN_STRING"); PriceList(p, "not a workbook"); },
     {"ERRORE|profile|key|EXCEL_CONN_STRING|ZELVOMW.INI|default|"}},
    {"PriceListNotThere", [](P p) { PriceList(p, nullptr); }, {"ERRORE|imports|workbook|MAICO_FIT_XLS|ZELVOMW.INI|file|"}},
    {"PriceListNotAWorkbook", [](P p) { PriceList(p, "not a workbook"); }, {"ERRORE|imports|workbook|EXCEL_CONN_STRING|ZELVOMW.INI|file|"}},
    // Keys that go by their defaults, or warn.
    {"UseMaicoWinNo", [](P p) { Key(p.zelvoIni, "GENERAL", "USE_MAICOWIN", "NO"); }, {"AVVISO|profile|key|USE_MAICOWIN|ZELVO.INI|file|"}},
};

INSTANTIATE_TEST_SUITE_P(Table, BrokenDemo, ::testing::ValuesIn(kBroken), [](const auto& info) { return std::string(info.param.name); });

TEST_F(Demo, SaysWhetherMaicoWinRunsAndItsWindowIsThere) {
  auto says = [](const DoctorReport& r, const char* check) {
    for (const Finding& f : r.findings)
      if (f.check == check) return f.text.find(" non ") == std::string::npos;
    return false;
  };
  DoctorReport idle = RunDoctor();
  EXPECT_TRUE(test::Has(idle, "OK|maicowin|process||"));
  EXPECT_FALSE(says(idle, "process"));
  auto running = test::StartChild(paths.maicoWin + "\\BIN\\MSERVER.EXE", "--idle=30");
  ASSERT_NE(running, nullptr);
  DoctorReport busy;
  EXPECT_TRUE(test::Eventually([&] { return says(busy = RunDoctor(), "window"); }, std::chrono::seconds(20)));
  EXPECT_TRUE(says(busy, "process"));
  EXPECT_TRUE(busy.Sound()) << ReportText(busy);
}

TEST_F(Demo, ReportsAnExchangeFolderThatCannotBeWritten) {
  fs::path exchange = platform::NativePath(paths.maicoWin + "\\EXCH");
  fs::permissions(exchange, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  // The check asks the file system, which lets some users write whatever the folder says.
  bool writes = std::ofstream(exchange / "probe").good();
  DoctorReport report = writes ? DoctorReport() : RunDoctor();
  fs::remove(exchange / "probe");
  fs::permissions(exchange, fs::perms::owner_all, fs::perm_options::replace);
  if (writes) GTEST_SKIP() << "this user writes in a folder whose permissions say no (root, or a Windows folder)";
  std::vector<const Finding*> errors = test::FindingsAt(report, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << ReportText(report);
  EXPECT_EQ(errors[0]->check, "exchange");
  EXPECT_NE(errors[0]->text.find("non si pu"), std::string::npos) << errors[0]->text;
}

TEST(MachineWithoutDriveC, IsReportedAndLeftEmpty) {
  if (!test::PosixPathsAreNative()) GTEST_SKIP() << "a Windows machine always has its drive C";
  const char* before = std::getenv("ZELVOMW_PREFIX");
  std::string previous = before ? before : "";
  fs::path empty = fs::temp_directory_path() / ("zmw-doctor-empty-" + std::to_string(std::rand()));
  fs::create_directories(empty);
  test::SetEnv("ZELVOMW_PREFIX", empty.string());
  DoctorReport report = RunDoctor();
  previous.empty() ? test::UnsetEnv("ZELVOMW_PREFIX") : test::SetEnv("ZELVOMW_PREFIX", previous);
  EXPECT_TRUE(fs::is_empty(empty));
  fs::remove_all(empty);
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0].check, "drive");
  EXPECT_EQ(report.ExitStatus(), 1);
}

class DemoOnEveryBackend : public test::DemoOn<test::AnyHostDatabase> {};

TEST_P(DemoOnEveryBackend, IsSoundAndAMissingColumnIsItsOneError) {
  DoctorReport sound = RunDoctor();
  EXPECT_TRUE(sound.Sound()) << ReportText(sound);
  // The catalog of either database shows the finish link's key.
  for (const char* ok : {"OK|database|connection|CONN_STRING|", "OK|database|dsn||", "OK|statements|repeat|MW_INS_FIN_ACC|"})
    EXPECT_TRUE(test::Has(sound, ok)) << ok << "\n" << ReportText(sound);
  test::SetStatement(paths.Xml(), "GET_EXP_ORDINE_DETT", "SELECT Codice FROM RigheOrdine WHERE IdOrdine = '%s'");
  DoctorReport broken = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(broken, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << ReportText(broken);
  EXPECT_EQ(errors[0]->check, "columns");
  EXPECT_EQ(errors[0]->value, "QtaOrdinata");
}

ZMW_ON_EVERY_BACKEND(DemoOnEveryBackend);

}  // namespace
}  // namespace zmw
