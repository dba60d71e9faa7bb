#include "support/Database.h"

#include <chrono>
#include <cstdlib>
#include <random>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "platform/Profile.h"
#include "platform/Ui.h"
#include "maicowin/MaicoWinConf.h"
#include "support/Workbooks.h"

namespace zmw::test {

// What the driver said of a connection that failed: the box the library showed, which the
// recording interface of the test holds.
std::string LastBox() {
  auto* ui = dynamic_cast<RecordingUi*>(&platform::CurrentUi());
  if (!ui || ui->messages.empty()) return "(no message)";
  return ui->messages.back().text;
}

namespace {

std::string ServerText() {
  const char* text = std::getenv("ZELVOMW_TEST_MARIADB");
  return text ? text : "";
}

void RunScript(ConnectionHolder& connection, const std::string& script) {
  std::string statement;
  for (char c : script) {
    statement += c;
    if (c != ';') continue;
    for (std::size_t comment; (comment = statement.find("--")) != std::string::npos;) {
      std::size_t end = statement.find('\n', comment);
      statement.erase(comment, end == std::string::npos ? std::string::npos : end - comment);
    }
    ExecuteNoRecords(connection, statement);
    statement.clear();
  }
}

}  // namespace

std::string ServerConnectionText() { return ServerText(); }

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sqlite ? "SQLite" : "MariaDB";
}

std::string HostDatabase::ConnectionText(const std::string& name) const {
  if (Which() == Backend::MariaDb) return ServerText() + "Database=" + name + ";";
  // NoCreat=1: a missing file is an error, not a new empty database.
  return "Driver=SQLite3;Database=" + DriverPath(name) + ";NoCreat=1;JournalMode=WAL;SyncPragma=NORMAL;StepAPI=1;";
}

// Tests run in parallel processes on one server: a name from a source of its own in each
// process (two processes started in the same instant share gtest's seed and rand()).
std::string UniqueDatabaseName(int counter) {
  static const unsigned long long mine = (static_cast<unsigned long long>(std::random_device{}()) << 20) ^
                                         static_cast<unsigned long long>(
                                             std::chrono::steady_clock::now().time_since_epoch().count());
  return "zt_" + std::to_string(mine % 1000000000000ULL) + "_" + std::to_string(counter);
}

void HostDatabase::SetUp() {
  CleanMachine::SetUp();
  static int counter = 0;
  database_ = Which() == Backend::Sqlite ? DatabaseFile()
                                         : UniqueDatabaseName(++counter);
  CreateDatabase(database_, true);
  const char* folder = Which() == Backend::Sqlite ? "samples/db/sqlite/" : "samples/db/mariadb/";
  WriteFile(Scratch() + "\\ZELVOMW.XML", ReadFile(SourceFile(std::string(folder) + "ZELVOMW.XML")));
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", Scratch().c_str());
  if (Which() == Backend::Sqlite) {
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", DriverPath(DatabaseFile()).c_str());
    WriteFile(Scratch() + "\\ZelvoDbConn.ini", ReadFile(SourceFile("samples/zelvo/ZelvoDbConn.ini")));
  } else {
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "CONN_STR_ZELVO", "1");
    WriteFile(Scratch() + "\\ZelvoDbConn.ini", "[ZELVOMYSQL]\r\nCONN_STRING=" + ConnectionText(database_) + "\r\n");
  }
}

void HostDatabase::TearDown() {
  TheZelvoDb().Release();
  ui.messages.clear();
  if (Which() == Backend::MariaDb && !database_.empty()) {
    ZelvoDbConnection server;
    if (server.Open(ServerText()) == 1) {
      ExecuteNoRecords(server, "DROP DATABASE IF EXISTS " + database_);
      server.Close();
    }
  }
  CleanMachine::TearDown();
}

void HostDatabase::CreateDatabase(const std::string& name, bool seed) {
  if (Which() == Backend::MariaDb) {
    ZelvoDbConnection server;
    ASSERT_EQ(server.Open(ServerText()), 1) << LastBox();
    ExecuteNoRecords(server, "CREATE DATABASE " + name + " CHARACTER SET utf8mb4");
    server.Close();
  }
  // The driver is told never to make a database: an empty file is an empty one for SQLite.
  if (Which() == Backend::Sqlite) WriteFile(name, "");
  ZelvoDbConnection connection;
  ASSERT_EQ(connection.Open(ConnectionText(name)), 1) << LastBox();
  const char* schema = Which() == Backend::Sqlite ? "samples/db/sqlite/schema.sql" : "samples/db/mariadb/schema.sql";
  RunScript(connection, ReadFile(SourceFile(schema)));
  if (seed) RunScript(connection, ReadFile(SourceFile("samples/db/seed.sql")));
  connection.Close();
}

void HostDatabase::Run(const std::string& statements) { ExecuteNoRecords(TheZelvoDb(), statements); }

std::string HostDatabase::Rows(const std::string& query) {
  ZelvoDbConnection own;
  std::string text;
  std::string connection;
  if (Which() == Backend::Sqlite) ReadZelvoConnString(connection);
  else ReadZelvoMySqlConnString(connection);
  EXPECT_EQ(own.Open(connection), 1) << LastBox();
  RecordSource& pass = OpenRecordPass(own, query);
  for (; !pass.AtEnd(); pass.MoveNext()) {
    for (int i = 0;; ++i) {
      Variant v;
      try {
        v = pass.Field(i);
      } catch (const DbError&) {
        break;
      }
      if (i > 0) text += "|";
      text += v.IsNull() ? "(null)" : VariantToText(v);
    }
    text += "\n";
  }
  CloseRecordPass(own);
  own.Close();
  return text;
}

void HostDatabase::Apply(const std::string& statements) {
  ZelvoDbConnection own;
  std::string connection;
  if (Which() == Backend::Sqlite) ReadZelvoConnString(connection);
  else ReadZelvoMySqlConnString(connection);
  EXPECT_EQ(own.Open(connection), 1) << LastBox();
  ExecuteNoRecords(own, statements);
  own.Close();
}

void AnyHostDatabase::SetUp() {
  if (GetParam() == Backend::MariaDb && ServerText().empty())
    GTEST_SKIP() << "no MariaDB server named in ZELVOMW_TEST_MARIADB";
  HostDatabase::SetUp();
}

void InstallUpdateData(const std::string& folder) {
  for (const char* file : {"FINITURA.DAT", "SCHEDTEC.DAT"})
    WriteFile(std::string("C:\\MAICOWIN\\DATI\\") + file,
              ReadFile(SourceFile(std::string("samples/maicowin/DATI/") + file)));
  auto place = [&](const char* key, const std::string& source, const std::string& name) {
    WriteFile(folder + "\\" + name, ReadFile(source));
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", key, (folder + "\\" + name).c_str());
  };
  place("MW_FIT", SourceFile("samples/zelvo/ZELVOMW/MAICOWIN.FIT"), "MAICOWIN.FIT");
  place("MW_KIT", SourceFile("samples/zelvo/ZELVOMW/MAICOWIN.KIT"), "MAICOWIN.KIT");
  place("MAICO_FIT", SourceFile("samples/maico/ARTICOLI_A.ASC"), "ARTICOLI.ASC");
  if (!UnderWine()) place("MAICO_FIT_XLS", WorkbookFixture("listino.xlsx"), "LISTINO.XLSX");
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", kDefaultExcelConnString);
}

}  // namespace zmw::test
