// The installation check on the demo installation, and on installations broken one way at a
// time: each names exactly the one thing to fix, and leaves the machine as it found it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "doctor/DemoInstallation.h"
#include "doctor/Doctor.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace zmw {
namespace {

using test::DemoPaths;

class Demo : public test::DemoOn<test::HostDatabase> {};

bool Has(const DoctorReport& report, Level level, const std::string& area, const std::string& check,
         const std::string& key) {
  for (const Finding& f : report.findings)
    if (f.level == level && f.area == area && f.check == check && f.key == key) return true;
  return false;
}

const Finding* KeyFinding(const DoctorReport& report, const std::string& file, const std::string& section,
                          const std::string& key) {
  for (const Finding& f : report.findings)
    if (f.area == "profile" && f.file == file && f.section == section && f.key == key) return &f;
  return nullptr;
}

TEST_F(Demo, IsSoundWithTheWarningsOfFilesMaicoWinAndMaicoHaveNotDeliveredYet) {
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(report.Sound()) << test::Lines(report);
  EXPECT_EQ(report.ExitStatus(), 0);
  // The demo has no FIT and KIT lists from MaicoWin and no article file from Maico yet.
  EXPECT_EQ(report.Count(Level::Warning), 3) << test::Lines(report);
  EXPECT_TRUE(Has(report, Level::Warning, "profile", "file", "MW_FIT"));
  EXPECT_TRUE(Has(report, Level::Warning, "profile", "file", "MW_KIT"));
  EXPECT_TRUE(Has(report, Level::Warning, "imports", "asc", "MAICO_FIT"));
  EXPECT_TRUE(Has(report, Level::Ok, "database", "connection", "CONN_STRING"));
  EXPECT_TRUE(Has(report, Level::Ok, "maicowin", "installation", "INST_PATH"));
  EXPECT_TRUE(Has(report, Level::Ok, "maicowin", "exchange", "IMPORT, EXPORT"));
  EXPECT_TRUE(Has(report, Level::Ok, "maicowin", "program", "MW_CMD_STRING"));
  EXPECT_TRUE(Has(report, Level::Ok, "imports", "library", ""));
}

struct KeyCase {
  bool zelvoMw;  // ZELVOMW.INI, else ZELVO.INI
  const char* section;
  const char* key;
  const char* source;
};

TEST_F(Demo, TellsEveryKeyTheLibraryReadsWithItsValueAndWhereItCameFrom) {
  DoctorReport report = RunDoctor();
  const KeyCase keys[] = {
      {true, "DIRS", "INST_PATH", "file"},          {true, "DIRS", "MW_FIT", "file"},
      {true, "DIRS", "MW_KIT", "file"},             {true, "DIRS", "MAICO_FIT", "file"},
      {true, "DIRS", "MAICO_FIT_XLS", "default"},   {true, "GENERAL", "MW_CMD_STRING", "file"},
      {true, "GENERAL", "CODCLIENTE", "file"},      {true, "GENERAL", "EXCEL_CONN_STRING", "file"},
      {true, "SYSTEM", "LAST_JOB", "default"},      {false, "SYSTEM", "START_PATH", "file"},
      {false, "SYSTEM", "JOB_PATH", "file"},        {false, "SYSTEM", "TMP_PATH", "file"},
      {false, "SYSTEM", "SQL_PATH", "file"},        {false, "SYSTEM", "CONN_STR_ZELVO", "default"},
      {false, "GENERAL", "USE_MAICOWIN", "file"},
  };
  for (const KeyCase& k : keys) {
    const Finding* f = KeyFinding(report, k.zelvoMw ? paths.zelvoMwIni : paths.zelvoIni, k.section, k.key);
    ASSERT_NE(f, nullptr) << k.key;
    EXPECT_EQ(f->source, k.source) << k.key;
    EXPECT_NE(f->text.find(k.key), std::string::npos) << f->text;
    std::string expected = platform::ProfileReadString(k.zelvoMw ? "ZELVOMW.INI" : "ZELVO.INI", k.section, k.key, "", 1024);
    EXPECT_EQ(f->value, expected) << k.key;
    if (!expected.empty()) {
      EXPECT_NE(f->text.find(expected), std::string::npos) << f->text;
    }
  }
  // The Excel settings file is not in the demo: its keys are the defaults.
  for (const char* key : {"FOGLIO", "ARTICOLO", "DESCR", "PREZZO_NETTO", "DIM_PREZZO"}) {
    bool found = false;
    for (const Finding& f : report.findings)
      if (f.area == "imports" && f.key == key) {
        found = true;
        EXPECT_EQ(f.source, "default") << key;
      }
    EXPECT_TRUE(found) << key;
  }
}

TEST_F(Demo, PreparesEveryStatementOnTheDatabaseWithItsColumns) {
  DoctorReport report = RunDoctor();
  for (const char* name : {"MW_GET_MAICO_ID", "MW_UPD_CODES_XLS", "MW_GET_INFO_ACC", "MW_DEL_FINITURA",
                           "MW_INS_FINITURA", "MW_INS_FIN_ACC", "MW_SET_ACCETTA_TRATT", "MW_GET_SCHEDTECH_NAME",
                           "MW_GET_ALL_SNAME", "MW_INS_SCHED_TECH", "GET_EXP_ORDINE", "GET_EXP_ORDINE_DETT"}) {
    const Finding* statement = nullptr;
    for (const Finding& f : report.findings)
      if (f.area == "statements" && f.check == "statement" && f.key == name) statement = &f;
    ASSERT_NE(statement, nullptr) << name;
    EXPECT_EQ(statement->level, Level::Ok) << statement->text;
    EXPECT_NE(statement->text.find("preparata sul database"), std::string::npos) << statement->text;
  }
}

TEST_F(Demo, LeavesTheMachineAsItFoundIt) {
  std::vector<std::string> roots = {Scratch(), paths.maicoWin, paths.zelvoMwIni, paths.zelvoIni};
  // On POSIX the whole prefix stands for the machine.
  if (const char* prefix = std::getenv("ZELVOMW_PREFIX"); prefix && *prefix && test::PosixPathsAreNative())
    roots = {prefix};
  // SQLite keeps its journal files beside the database while a connection is open and
  // removes them when it closes: the database's folder is the one thing whose time of change
  // may move. What it holds, the database file included, must not.
  std::error_code ec;
  std::filesystem::path databaseFolder =
      std::filesystem::canonical(platform::NativePath(DatabaseFile()).parent_path(), ec);
  auto look = [&] {
    test::Snapshot snapshot = test::TakeSnapshot(roots);
    for (auto& [path, stamp] : snapshot)
      if (std::filesystem::canonical(path, ec) == databaseFolder) stamp.second = 0;
    return snapshot;
  };
  test::Snapshot before = look();
  ASSERT_GT(before.size(), 10u);
  RunDoctor();
  EXPECT_EQ(look(), before);
  EXPECT_TRUE(ui.messages.empty());
}

// --- One thing broken at a time -------------------------------------------------------------

struct BrokenCase {
  const char* name;
  void (*breakIt)(const DemoPaths&);
  const char* area;
  const char* check;
  const char* key;   // of the one ERRORE; empty when it names a file alone
  const char* file;  // how the file it names ends
  Level level = Level::Error;  // an AVVISO: the link works, but not as the user expects
};

void WriteKey(const std::string& file, const char* section, const char* key, const char* value) {
  platform::ProfileWriteString(file.c_str(), section, key, value);
}

class BrokenDemo : public Demo, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenDemo, NamesExactlyTheOneThingToFix) {
  const BrokenCase& c = GetParam();
  c.breakIt(paths);
  DoctorReport report = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(report, c.level);
  // The demo's own warnings (lists and files not delivered yet) are in other areas.
  if (c.level == Level::Warning) {
    EXPECT_EQ(report.Count(Level::Error), 0) << test::Lines(report);
    errors.erase(std::remove_if(errors.begin(), errors.end(), [&](const Finding* f) { return f->area != c.area; }),
                 errors.end());
  }
  ASSERT_EQ(errors.size(), 1u) << test::Lines(report);
  const Finding& error = *errors[0];
  EXPECT_EQ(error.area, c.area) << error.text;
  EXPECT_EQ(error.check, c.check) << error.text;
  EXPECT_EQ(error.key, c.key) << error.text;
  std::string file = platform::AsciiUpper(error.file), ending = platform::AsciiUpper(c.file);
  EXPECT_TRUE(file.size() >= ending.size() && file.compare(file.size() - ending.size(), ending.size(), ending) == 0)
      << error.file;
  // One line, naming the file and the key to change.
  EXPECT_EQ(error.text.find('\n'), std::string::npos) << error.text;
  EXPECT_EQ(error.text.rfind(error.file, 0), 0u) << error.text;
  EXPECT_NE(error.text.find(c.key), std::string::npos) << error.text;
  EXPECT_EQ(report.ExitStatus(), c.level == Level::Error ? 1 : 0);
}

void Remove(const std::string& path) { platform::RemoveFile(path); }

const BrokenCase kBroken[] = {
    {"NoZelvoMwIni", [](const DemoPaths& p) { Remove(p.zelvoMwIni); }, "profile", "file", "", "ZELVOMW.INI"},
    {"NoZelvoIni", [](const DemoPaths& p) { Remove(p.zelvoIni); }, "profile", "file", "", "ZELVO.INI"},
    {"NoInstPath", [](const DemoPaths& p) { WriteKey(p.zelvoMwIni, "DIRS", "INST_PATH", nullptr); }, "profile", "key",
     "INST_PATH", "ZELVOMW.INI"},
    {"NoMwFit", [](const DemoPaths& p) { WriteKey(p.zelvoMwIni, "DIRS", "MW_FIT", nullptr); }, "profile", "key",
     "MW_FIT", "ZELVOMW.INI"},
    {"NoMwKit", [](const DemoPaths& p) { WriteKey(p.zelvoMwIni, "DIRS", "MW_KIT", nullptr); }, "profile", "key",
     "MW_KIT", "ZELVOMW.INI"},
    {"NoMaicoFit", [](const DemoPaths& p) { WriteKey(p.zelvoMwIni, "DIRS", "MAICO_FIT", nullptr); }, "profile", "key",
     "MAICO_FIT", "ZELVOMW.INI"},
    {"NoStartCommand", [](const DemoPaths& p) { WriteKey(p.zelvoMwIni, "GENERAL", "MW_CMD_STRING", nullptr); },
     "profile", "key", "MW_CMD_STRING", "ZELVOMW.INI"},
    {"NoCustomerCode", [](const DemoPaths& p) { WriteKey(p.zelvoMwIni, "GENERAL", "CODCLIENTE", nullptr); },
     "profile", "key", "CODCLIENTE", "ZELVOMW.INI"},
    {"NoStartPath", [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "START_PATH", nullptr); }, "profile",
     "key", "START_PATH", "ZELVO.INI"},
    {"NoJobPath", [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "JOB_PATH", nullptr); }, "profile", "key",
     "JOB_PATH", "ZELVO.INI"},
    {"NoTmpPath", [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "TMP_PATH", nullptr); }, "profile", "key",
     "TMP_PATH", "ZELVO.INI"},
    {"NoSqlPath", [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "SQL_PATH", nullptr); }, "profile", "key",
     "SQL_PATH", "ZELVO.INI"},
    {"NoDatabaseFileKey", [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "DB_FILE", nullptr); }, "database",
     "placeholder", "DB_FILE", "ZELVO.INI"},
    {"UnknownConnectionChoice", [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "CONN_STR_ZELVO", "2"); },
     "profile", "key", "CONN_STR_ZELVO", "ZELVO.INI"},
    {"NoConnectionText", [](const DemoPaths& p) { WriteKey(p.ConnSettings(), "ZELVO", "CONN_STRING", nullptr); },
     "database", "connection", "CONN_STRING", "ZelvoDbConn.ini"},
    {"NoConnectionSettings", [](const DemoPaths& p) { Remove(p.ConnSettings()); }, "database", "settings", "",
     "ZelvoDbConn.ini"},
    {"NoRequestFileKey", [](const DemoPaths& p) { WriteKey(p.maicoWinIni, "EXPORT-IMPORT", "IMPORT", nullptr); },
     "maicowin", "key", "IMPORT", "MAICOWIN.INI"},
    {"NoResultFileKey", [](const DemoPaths& p) { WriteKey(p.maicoWinIni, "EXPORT-IMPORT", "EXPORT", nullptr); },
     "maicowin", "key", "EXPORT", "MAICOWIN.INI"},
    // Folders that are not there.
    {"NoStartFolder", [](const DemoPaths& p) { test::RemoveTree(p.start); }, "profile", "folder", "START_PATH",
     "ZELVO.INI"},
    {"NoJobFolder", [](const DemoPaths& p) { test::RemoveTree(p.jobs); }, "profile", "folder", "JOB_PATH", "ZELVO.INI"},
    {"NoTempFolder", [](const DemoPaths& p) { test::RemoveTree(p.temp); }, "profile", "folder", "TMP_PATH",
     "ZELVO.INI"},
    {"NoStatementFolder", [](const DemoPaths& p) { test::RemoveTree(p.sql); }, "profile", "folder", "SQL_PATH",
     "ZELVO.INI"},
    {"NoMaicoWinFolder", [](const DemoPaths& p) { test::RemoveTree(p.maicoWin); }, "maicowin", "installation",
     "INST_PATH", "ZELVOMW.INI"},
    {"NoExchangeFolder", [](const DemoPaths& p) { test::RemoveTree(p.maicoWin + "\\EXCH"); }, "maicowin", "exchange",
     "IMPORT, EXPORT", "MAICOWIN.INI"},
    {"NoMaicoWinProgram", [](const DemoPaths& p) { Remove(p.maicoWin + "\\BIN\\MSERVER.EXE"); }, "maicowin",
     "program", "MW_CMD_STRING", "ZELVOMW.INI"},
    {"JobFolderWithoutSeparator",
     [](const DemoPaths& p) { WriteKey(p.zelvoIni, "SYSTEM", "JOB_PATH", p.jobs.substr(0, p.jobs.size() - 1).c_str()); },
     "profile", "separator", "JOB_PATH", "ZELVO.INI"},
    // Connection texts that do not open.
    {"DatabaseFileMissing",
     [](const DemoPaths& p) {
       WriteKey(p.ConnSettings(), "ZELVO", "CONN_STRING",
                ("Driver=SQLite3;Database=" + test::DriverPath(p.start + "\\NOPE.DB") + ";NoCreat=1;").c_str());
     },
     "database", "connection", "CONN_STRING", "ZelvoDbConn.ini"},
    {"UnknownDriver",
     [](const DemoPaths& p) { WriteKey(p.ConnSettings(), "ZELVO", "CONN_STRING", "Driver=ZmwNoSuchDriver;Database=x;"); },
     "database", "connection", "CONN_STRING", "ZelvoDbConn.ini"},
    {"NoDsn", [](const DemoPaths& p) { Remove(p.start + "\\ZELVO32.DSN"); }, "database", "dsn", "", "ZELVO32.DSN"},
    {"DsnOnAMissingDatabase",
     [](const DemoPaths& p) {
       test::WriteFile(p.start + "\\ZELVO32.DSN",
                       "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(p.start + "\\NOPE.DB") + "\r\nNoCreat=1\r\n");
     },
     "database", "dsn", "", "ZELVO32.DSN"},
    // The statement file.
    {"StatementMissing", [](const DemoPaths& p) { test::RemoveStatement(p.Xml(), "MW_GET_INFO_ACC"); }, "statements",
     "statement", "MW_GET_INFO_ACC", "ZELVOMW.XML"},
    {"OneConversionTooMany",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_DEL_FINITURA", "DELETE FROM Finiture WHERE Codice = '%s' OR Codice = '%s'");
     },
     "statements", "conversions", "MW_DEL_FINITURA", "ZELVOMW.XML"},
    {"OneConversionTooFew",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_INS_FIN_ACC",
                          "INSERT INTO FinitureAccessori (Produttore, Produttore2, Codice, Finitura) "
                          "VALUES ('%s', '%s', 'X', '%s')");
     },
     "statements", "conversions", "MW_INS_FIN_ACC", "ZELVOMW.XML"},
    {"NumberWhereATextGoes",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_INS_SCHED_TECH",
                          "INSERT INTO SchedeTecniche (Codice, Descrizione, Numero, Tipo, Produttore, Produttore2) "
                          "VALUES ('%s', '%s', '%s', '%s', '%s', '%s')");
     },
     "statements", "conversions", "MW_INS_SCHED_TECH", "ZELVOMW.XML"},
    {"ColumnMissingFromTheResult",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_GET_INFO_ACC",
                          "SELECT Categoria, GruppoStampa, UnMis, TempoLavorazione FROM Accessori WHERE Produttore = "
                          "'%s' AND Produttore2 = '%s' AND Codice = '%s'");
     },
     "statements", "columns", "MW_GET_INFO_ACC", "ZELVOMW.XML"},
    {"QueryOnATableThatIsNotThere",
     [](const DemoPaths& p) { test::SetStatement(p.Xml(), "MW_GET_ALL_SNAME", "SELECT Codice FROM SchedeSbagliate"); },
     "statements", "prepare", "MW_GET_ALL_SNAME", "ZELVOMW.XML"},
    {"QuotesLeftOut",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_GET_INFO_ACC",
                          "SELECT Categoria, GruppoStampa, UnMis, TempoMontaggio, TempoLavorazione FROM Accessori "
                          "WHERE Produttore = '%s' AND Produttore2 = '%s' AND Codice = %s");
     },
     "statements", "prepare", "MW_GET_INFO_ACC", "ZELVOMW.XML"},
    // Updates that do not leave the finish links as they found them.
    {"FinishLinkWithoutAKey",
     [](const DemoPaths&) {
       ZelvoDbConnection db;
       ASSERT_EQ(db.Open(""), 1);
       ExecuteNoRecords(db, "DROP TABLE FinitureAccessori");
       ExecuteNoRecords(db, "CREATE TABLE FinitureAccessori (Produttore VARCHAR(30), Produttore2 VARCHAR(30), "
                            "Codice VARCHAR(30), Finitura VARCHAR(21))");
       db.Close();
     },
     "statements", "repeat", "MW_INS_FIN_ACC", "ZELVOMW.XML", Level::Warning},
    {"FinishLinkInsertedPlainly",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_INS_FIN_ACC",
                          "INSERT INTO FinitureAccessori (Produttore, Produttore2, Codice, Finitura) "
                          "VALUES ('%s', '%s', '%s', '%s')");
     },
     "statements", "repeat", "MW_INS_FIN_ACC", "ZELVOMW.XML", Level::Warning},
    {"CommandWithAParameterTooFew",
     [](const DemoPaths& p) {
       test::SetStatement(p.Xml(), "MW_UPD_CODES_XLS",
                          "UPDATE Accessori SET Descrizione = ?, Costo = ?, CostoUnitario = ? WHERE Codice = ?");
     },
     "statements", "parameters", "MW_UPD_CODES_XLS", "ZELVOMW.XML"},
    {"StatementFileNotWellFormed",
     [](const DemoPaths& p) { test::WriteFile(p.Xml(), "<SQL><MW_GET_ALL_SNAME>SELECT 1</SQL>"); }, "statements",
     "file", "", "ZELVOMW.XML"},
    {"StatementFileWithAnotherRoot",
     [](const DemoPaths& p) { test::WriteFile(p.Xml(), "<STATEMENTS><MW_GET_ALL_SNAME>x</MW_GET_ALL_SNAME></STATEMENTS>"); },
     "statements", "file", "", "ZELVOMW.XML"},
    // Maico's article file.
    {"ArticleFileOfNoKnownLayout",
     [](const DemoPaths& p) { test::WriteFile(p.maicoWin + "\\DATI\\ARTICOLI.ASC", std::string(149, 'X') + "\r\n"); },
     "imports", "asc", "MAICO_FIT", "ZELVOMW.INI"},
    {"ArticleLineEndingBeforeItsPrice",
     [](const DemoPaths& p) { test::WriteFile(p.maicoWin + "\\DATI\\ARTICOLI.ASC", "4711      Cerniera\r\n"); },
     "imports", "asc", "MAICO_FIT", "ZELVOMW.INI"},
};

std::string BrokenName(const ::testing::TestParamInfo<BrokenCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Table, BrokenDemo, ::testing::ValuesIn(kBroken), BrokenName);

// --- What a check must never do ---------------------------------------------------------------

TEST_F(Demo, OpensASqliteTextWithoutNoCreatWithoutMakingTheDatabase) {
  std::string missing = paths.start + "\\MISSING.DB";
  WriteKey(paths.ConnSettings(), "ZELVO", "CONN_STRING", ("Driver=SQLite3;Database=" + test::DriverPath(missing) + ";").c_str());
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(Has(report, Level::Warning, "database", "nocreat", "CONN_STRING")) << test::Lines(report);
  EXPECT_TRUE(Has(report, Level::Error, "database", "connection", "CONN_STRING")) << test::Lines(report);
  EXPECT_EQ(report.Count(Level::Error), 1) << test::Lines(report);
  EXPECT_FALSE(test::FileExists(missing));
}

TEST_F(Demo, OpensAnExistingDatabaseAndWarnsThatNoCreatIsOff) {
  WriteKey(paths.ConnSettings(), "ZELVO", "CONN_STRING", "Driver=SQLite3;Database=[DB_FILE];NoCreat=0;");
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(report.Sound()) << test::Lines(report);
  EXPECT_TRUE(Has(report, Level::Warning, "database", "nocreat", "CONN_STRING")) << test::Lines(report);
  EXPECT_TRUE(Has(report, Level::Ok, "database", "connection", "CONN_STRING")) << test::Lines(report);
}

TEST_F(Demo, HidesPasswordsOfTheConnectionText) {
  WriteKey(paths.ConnSettings(), "ZELVO", "CONN_STRING", "Driver=ZmwNoSuchDriver;UID=zelvo;PWD=segreta;Password={s;x};");
  DoctorReport report = RunDoctor();
  std::string text = test::Lines(report);
  EXPECT_EQ(text.find("segreta"), std::string::npos) << text;
  EXPECT_EQ(text.find("s;x"), std::string::npos) << text;
  EXPECT_NE(text.find("UID=zelvo;PWD=***"), std::string::npos) << text;
}

TEST_F(Demo, SaysWhetherMaicoWinRunsAndItsWindowIsThere) {
  DoctorReport idle = RunDoctor();
  EXPECT_TRUE(Has(idle, Level::Ok, "maicowin", "process", ""));
  for (const Finding& f : idle.findings) {
    if (f.check == "process") {
      EXPECT_NE(f.text.find(" non "), std::string::npos) << f.text;
    }
  }

  auto running = test::StartChild(paths.maicoWin + "\\BIN\\MSERVER.EXE", "--idle=30");
  ASSERT_NE(running, nullptr);
  bool window = false;
  for (int i = 0; i < 200 && !window; ++i) {
    DoctorReport busy = RunDoctor();
    for (const Finding& f : busy.findings)
      if (f.check == "window" && f.text.find(" non ") == std::string::npos) window = true;
    if (window) {
      for (const Finding& f : busy.findings) {
        if (f.check == "process") {
          EXPECT_EQ(f.text.find(" non "), std::string::npos) << f.text;
        }
      }
      EXPECT_TRUE(busy.Sound()) << test::Lines(busy);
    }
  }
  EXPECT_TRUE(window);
}

TEST_F(Demo, ReportsAnExchangeFolderThatCannotBeWritten) {
  namespace fs = std::filesystem;
  fs::path exchange = platform::NativePath(paths.maicoWin + "\\EXCH");
  fs::permissions(exchange, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  // The check asks the file system, which lets some users write whatever the folder says.
  bool writes = std::ofstream(exchange / "probe").good();
  if (writes) {
    fs::remove(exchange / "probe");
    fs::permissions(exchange, fs::perms::owner_all, fs::perm_options::replace);
    GTEST_SKIP() << "this user writes in a folder whose permissions say no (root, or a Windows folder)";
  }
  DoctorReport report = RunDoctor();
  fs::permissions(exchange, fs::perms::owner_all, fs::perm_options::replace);
  std::vector<const Finding*> errors = test::FindingsAt(report, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << test::Lines(report);
  EXPECT_EQ(errors[0]->check, "exchange");
  EXPECT_NE(errors[0]->text.find("non si pu"), std::string::npos) << errors[0]->text;
}

TEST(MachineWithoutDriveC, IsReportedAndLeftEmpty) {
  if (!test::PosixPathsAreNative()) GTEST_SKIP() << "a Windows machine always has its drive C";
  const char* before = std::getenv("ZELVOMW_PREFIX");
  std::string previous = before ? before : "";
  std::filesystem::path empty = std::filesystem::temp_directory_path() / ("zmw-doctor-empty-" + std::to_string(std::rand()));
  std::filesystem::create_directories(empty);
  test::SetEnv("ZELVOMW_PREFIX", empty.string());
  DoctorReport report = RunDoctor();
  if (previous.empty()) test::UnsetEnv("ZELVOMW_PREFIX");
  else test::SetEnv("ZELVOMW_PREFIX", previous);
  EXPECT_TRUE(std::filesystem::is_empty(empty));
  std::filesystem::remove_all(empty);
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0].check, "drive");
  EXPECT_EQ(report.ExitStatus(), 1);
}

// --- Maico's files ---------------------------------------------------------------------------

struct AscCase {
  const char* sample;
  const char* layout;
};

class ArticleFiles : public Demo, public ::testing::WithParamInterface<AscCase> {};

TEST_P(ArticleFiles, OfEachLayoutAreReadable) {
  test::WriteFile(paths.maicoWin + "\\DATI\\ARTICOLI.ASC", test::ReadFile(test::SourceFile(GetParam().sample)));
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(report.Sound()) << test::Lines(report);
  bool found = false;
  for (const Finding& f : report.findings)
    if (f.check == "asc") {
      found = true;
      EXPECT_EQ(f.level, Level::Ok) << f.text;
      EXPECT_NE(f.text.find(std::string("tracciato ") + GetParam().layout + " "), std::string::npos) << f.text;
    }
  EXPECT_TRUE(found);
}

INSTANTIATE_TEST_SUITE_P(Samples, ArticleFiles,
                         ::testing::Values(AscCase{"samples/maico/ARTICOLI_A.ASC", "A"},
                                           AscCase{"samples/maico/ARTICOLI_B.ASC", "B"},
                                           AscCase{"samples/maico/ARTICOLI_C.ASC", "C"}));

TEST_F(Demo, WarnsOfAColumnSettingOnlyWhileNoPriceListIsConfigured) {
  test::WriteFile(paths.start + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\nFOGLIO=Listino\r\nPREZZO_NETTO=7\r\n");
  DoctorReport unused = RunDoctor();
  EXPECT_TRUE(unused.Sound()) << test::Lines(unused);
  EXPECT_TRUE(Has(unused, Level::Warning, "imports", "column", "PREZZO_NETTO")) << test::Lines(unused);

  // With a price list to read, the same setting is the one thing to fix.
  test::WriteFile(paths.start + "\\LISTINO.XLS", "not a workbook");
  WriteKey(paths.zelvoMwIni, "DIRS", "MAICO_FIT_XLS", (paths.start + "\\LISTINO.XLS").c_str());
  DoctorReport used = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(used, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << test::Lines(used);
  EXPECT_EQ(errors[0]->key, "PREZZO_NETTO");
}

TEST_F(Demo, NeedsTheWorkbookConnectionTextOnlyWhereAPriceListIsConfigured) {
  WriteKey(paths.zelvoMwIni, "GENERAL", "EXCEL_CONN_STRING", nullptr);
  DoctorReport unused = RunDoctor();
  EXPECT_TRUE(unused.Sound()) << test::Lines(unused);

  test::WriteFile(paths.start + "\\LISTINO.XLS", "not a workbook");
  WriteKey(paths.zelvoMwIni, "DIRS", "MAICO_FIT_XLS", (paths.start + "\\LISTINO.XLS").c_str());
  DoctorReport used = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(used, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << test::Lines(used);
  EXPECT_EQ(errors[0]->check, "key");
  EXPECT_EQ(errors[0]->key, "EXCEL_CONN_STRING");
}

struct OptionalCase {
  bool zelvoMw;
  const char* section;
  const char* key;
  const char* value;  // nullptr: the key is taken out
  Level level;
};

class OptionalKeys : public Demo, public ::testing::WithParamInterface<OptionalCase> {};

TEST_P(OptionalKeys, GoByTheirDefaultsOrWarn) {
  const OptionalCase& c = GetParam();
  WriteKey(c.zelvoMw ? paths.zelvoMwIni : paths.zelvoIni, c.section, c.key, c.value);
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(report.Sound()) << test::Lines(report);
  const Finding* f = KeyFinding(report, c.zelvoMw ? paths.zelvoMwIni : paths.zelvoIni, c.section, c.key);
  ASSERT_NE(f, nullptr) << c.key;
  EXPECT_EQ(f->level, c.level) << f->text;
  EXPECT_EQ(f->source, c.value ? "file" : "default") << f->text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OptionalKeys,
    ::testing::Values(OptionalCase{false, "GENERAL", "USE_MAICOWIN", nullptr, Level::Ok},
                      OptionalCase{false, "GENERAL", "USE_MAICOWIN", "NO", Level::Warning},
                      OptionalCase{false, "GENERAL", "USE_MAICOWIN", "yes", Level::Warning} /* upper case only */,
                      OptionalCase{false, "SYSTEM", "CONN_STR_ZELVO", nullptr, Level::Ok},
                      OptionalCase{false, "SYSTEM", "CONN_STR_ZELVO", "0", Level::Ok},
                      OptionalCase{true, "SYSTEM", "LAST_JOB", "DEMO", Level::Ok},
                      OptionalCase{true, "DIRS", "MAICO_FIT_XLS", nullptr, Level::Ok}));

TEST_F(Demo, ReportsAPriceListThatIsNotThere) {
  WriteKey(paths.zelvoMwIni, "DIRS", "MAICO_FIT_XLS", (paths.start + "\\LISTINO.XLS").c_str());
  DoctorReport report = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(report, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << test::Lines(report);
  EXPECT_EQ(errors[0]->check, "workbook");
  EXPECT_EQ(errors[0]->key, "MAICO_FIT_XLS");
}

TEST_F(Demo, ReportsAPriceListThatDoesNotOpen) {
  test::WriteFile(paths.start + "\\LISTINO.XLS", "not a workbook");
  WriteKey(paths.zelvoMwIni, "DIRS", "MAICO_FIT_XLS", (paths.start + "\\LISTINO.XLS").c_str());
  DoctorReport report = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(report, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << test::Lines(report);
  EXPECT_EQ(errors[0]->check, "workbook");
  EXPECT_EQ(errors[0]->key, "EXCEL_CONN_STRING");
}

// --- Every backend ---------------------------------------------------------------------------

class DemoOnEveryBackend : public test::DemoOn<test::AnyHostDatabase> {};

TEST_P(DemoOnEveryBackend, IsSoundAndAMissingColumnIsItsOneError) {
  DoctorReport sound = RunDoctor();
  EXPECT_TRUE(sound.Sound()) << test::Lines(sound);
  EXPECT_TRUE(Has(sound, Level::Ok, "database", "connection", "CONN_STRING")) << test::Lines(sound);
  EXPECT_TRUE(Has(sound, Level::Ok, "database", "dsn", "")) << test::Lines(sound);
  // The catalog of either database shows the finish link's key.
  EXPECT_TRUE(Has(sound, Level::Ok, "statements", "repeat", "MW_INS_FIN_ACC")) << test::Lines(sound);

  test::SetStatement(paths.Xml(), "GET_EXP_ORDINE_DETT", "SELECT Codice FROM RigheOrdine WHERE IdOrdine = '%s'");
  DoctorReport broken = RunDoctor();
  std::vector<const Finding*> errors = test::FindingsAt(broken, Level::Error);
  ASSERT_EQ(errors.size(), 1u) << test::Lines(broken);
  EXPECT_EQ(errors[0]->check, "columns");
  EXPECT_EQ(errors[0]->value, "QtaOrdinata");
}

ZMW_ON_EVERY_BACKEND(DemoOnEveryBackend);

}  // namespace
}  // namespace zmw
