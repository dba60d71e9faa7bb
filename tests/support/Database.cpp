#include "support/Database.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "platform/Profile.h"

namespace zmw::test {

std::string HostDatabase::ConnectionText(const std::string& windowsPath) const {
  return "Driver=SQLite3;Database=" + DriverPath(windowsPath) + ";JournalMode=WAL;SyncPragma=NORMAL;";
}

void HostDatabase::SetUp() {
  CleanMachine::SetUp();
  CreateDatabase(DatabaseFile(), true);
  WriteFile(Scratch() + "\\ZELVOMW.XML", ReadFile(SourceFile("samples/db/ZELVOMW.XML")));
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", Scratch().c_str());
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", DriverPath(DatabaseFile()).c_str());
  WriteFile(Scratch() + "\\ZelvoDbConn.ini",
            "[ZELVO]\r\nCONN_STRING=Driver=SQLite3;Database=[DB_FILE];JournalMode=WAL;SyncPragma=NORMAL;\r\n");
}

void HostDatabase::TearDown() {
  TheZelvoDb().Release();
  ui.messages.clear();
  CleanMachine::TearDown();
}

void HostDatabase::CreateDatabase(const std::string& windowsPath, bool seed) {
  ZelvoDbConnection connection;
  ASSERT_EQ(connection.Open(ConnectionText(windowsPath)), 1);
  std::string script = ReadFile(SourceFile("samples/db/schema-sqlite.sql"));
  if (seed) script += ReadFile(SourceFile("samples/db/seed.sql"));
  std::string statement;
  for (char c : script) {
    statement += c;
    if (c == ';') {
      std::size_t comment;
      while ((comment = statement.find("--")) != std::string::npos)
        statement.erase(comment, statement.find('\n', comment) - comment);
      ExecuteNoRecords(connection, statement);
      statement.clear();
    }
  }
  connection.Close();
}

void HostDatabase::Run(const std::string& statements) { ExecuteNoRecords(TheZelvoDb(), statements); }

}  // namespace zmw::test
