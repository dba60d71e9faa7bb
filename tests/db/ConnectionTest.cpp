#include <gtest/gtest.h>

#include "db/ConnText.h"
#include "db/odbc/OdbcSource.h"
#include "db/RecordAccess.h"
#include "platform/Com.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "DbTests.h"

namespace zmw {
namespace {

class Connection : public test::HostDatabase {
 protected:
  // The one maker row tells which database the connection reached.
  std::string MakerOfRowOne() {
    std::string maker = VariantToText(OpenRecordPass(TheZelvoDb(), "SELECT Nome FROM Produttori WHERE PkId = 1").Field(0));
    CloseRecordPass(TheZelvoDb());
    return maker;
  }
  void ExpectOneReport(const std::string& operation, std::int32_t code) {
    ASSERT_EQ(ui.messages.size(), 1u);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", unsigned(code));
    EXPECT_EQ(ui.messages[0].text.rfind("Function: " + operation + "\nError: 0x" + hex + "\n", 0), 0u) << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].caption, "ZelvoMW");
    EXPECT_EQ(ui.messages[0].style, 0x30u);
    EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);
    ui.messages.clear();
  }
  void NoSettings() { test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini"); }
  void ConnStrZelvo(const char* value) { platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "CONN_STR_ZELVO", value); }
};

TEST_F(Connection, OpensTheConfiguredDatabaseOnceAndClosesIt) {
  EXPECT_EQ(ZelvoDbConnection().Close(), -1) << "a connection never opened";
  int before = platform::ComBalance();
  EXPECT_EQ(TheZelvoDb().Open(""), 1);
  int balance = platform::ComBalance();
  NoSettings();
  ConnStrZelvo("7");
  EXPECT_EQ(TheZelvoDb().Open(""), 0) << "a second open reads nothing";
  EXPECT_EQ(platform::ComBalance(), balance + 1) << "COM is initialised on every call";
  EXPECT_EQ(MakerOfRowOne(), "ZELVO");
  platform::ComUninitialize();
  EXPECT_EQ(TheZelvoDb().Close(), 1);
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  EXPECT_EQ(platform::ComBalance(), before);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Connection, ConnStrZelvoChoosesTheSection) {
  CreateDatabase(Scratch() + "\\MYSQL.DB", false);
  ZelvoDbConnection other;
  ASSERT_EQ(other.Open(ConnectionText(Scratch() + "\\MYSQL.DB")), 1);
  ExecuteNoRecords(other, "INSERT INTO Produttori (PkId, Nome) VALUES (1, 'SERVER')");
  other.Close();
  test::WriteFile(Scratch() + "\\ZelvoDbConn.ini", "[ZELVO]\r\nCONN_STRING=Driver=SQLite3;Database=[DB_FILE];\r\n"
                                                   "[ZELVOMYSQL]\r\nCONN_STRING=" + ConnectionText(Scratch() + "\\MYSQL.DB") + "\r\n");
  for (auto [value, maker] : {std::pair<const char*, const char*>{nullptr, "ZELVO"}, {"1", "SERVER"}}) {
    ConnStrZelvo(value);
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
    EXPECT_EQ(MakerOfRowOne(), maker) << (value ? value : "missing");
    TheZelvoDb().Close();
  }
  ConnStrZelvo("2");
  EXPECT_EQ(TheZelvoDb().Open(""), -1);
  ExpectOneReport("ApriZelvoDb", kEFail);
}

TEST_F(Connection, FailedOpenKeepsTheObjectSoCloseReportsTheComplaint) {
  NoSettings();
  EXPECT_EQ(TheZelvoDb().Open(""), -1);
  EXPECT_NE(ui.messages.at(0).text.find("SQLSTATE"), std::string::npos) << ui.messages[0].text;
  ExpectOneReport("ApriZelvoDb", kEFail);
  EXPECT_TRUE(TheZelvoDb().HoldsConnection());
  EXPECT_EQ(TheZelvoDb().Close(), -1);
  ExpectOneReport("ChiudiZelvoDb", kAdoClosed);
}

TEST_F(Connection, OleDbProviderTextsWithoutAdo) {
  test::WriteFile(Scratch() + "\\ZelvoDbConn.ini", "[ZELVO]\r\nCONN_STRING=Provider=SQLOLEDB;Data Source=srv;\r\n");
  if (test::CanMakeUncShare()) {  // POSIX: no OLE DB at all
    EXPECT_EQ(TheZelvoDb().Open(""), -1);
    ExpectOneReport("ApriZelvoDb", kAdoProviderNotFound);
  }
}

// A given text or file DSN is used as it stands, with no settings file. The driver reads the
// database named in the text: a "}" in the name is no reason for braces, which the SQLite
// driver would take for part of the name.
TEST_F(Connection, AGivenTextOrFileDsnIsUsedAsItStands) {
  NoSettings();
  std::string file = Scratch() + "\\ZEL}VO.DB";
  test::WriteFile(file, test::ReadFile(DatabaseFile()));
  test::WriteFile(Scratch() + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) +
                                                   "\r\nJournalMode=WAL\r\n");
  for (const std::string& text : {ConnectionText(file), "fileDSN=" + Scratch() + "\\ZELVO32.DSN"}) {
    ASSERT_EQ(TheZelvoDb().Open(text), 1) << text << "\n" << (ui.messages.empty() ? "" : ui.messages[0].text);
    EXPECT_EQ(MakerOfRowOne(), "ZELVO");
    EXPECT_EQ(TheZelvoDb().Close(), 1);
  }
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(TheZelvoDb().Open("fileDSN=" + Scratch() + "\\MISSING.DSN"), -1);
  ExpectOneReport("ApriZelvoDb", kEFail);
}

// The sample settings (the fixture's ZelvoDbConn.ini) and the sample file DSN tell the driver
// not to make a missing database, so the open fails and no empty database appears.
TEST_F(Connection, AMissingDatabaseIsReportedAndNotMade) {
  const std::string missing = Scratch() + "\\MISSING.DB", sample = "C:\\ZELVO\\DB\\ZELVO.DB";
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", test::DriverPath(missing).c_str());
  test::MakeFolders("C:\\ZELVO\\DB");
  test::WriteFile(Scratch() + "\\ZELVO32.DSN", test::ReadFile(test::SourceFile("samples/zelvo/ZELVO32.DSN")));
  for (const std::string& text : {std::string(), "fileDSN=" + Scratch() + "\\ZELVO32.DSN"}) {
    EXPECT_EQ(TheZelvoDb().Open(text), -1) << text;
    ExpectOneReport("ApriZelvoDb", kEFail);
  }
  EXPECT_FALSE(test::FileExists(missing));
  EXPECT_FALSE(test::FileExists(sample));
}

TEST_F(Connection, WorkbookConnectionReportsUnderItsOwnNames) {
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", ConnectionText(DatabaseFile()).c_str());
  ExcelConnection excel;
  EXPECT_EQ(excel.Open(""), 1);
  EXPECT_EQ(excel.Close(), 1);
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", nullptr);
  EXPECT_EQ(excel.Open(""), -1);
  ExpectOneReport("ApriExcel", kEFail);
  EXPECT_EQ(excel.Close(), -1);
  ExpectOneReport("ChiudiExcel", kAdoClosed);
  ShowComError("ExportClsForFittings", 0x800A0E78, "Operation", "Oltrex");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Function: ExportClsForFittings\nError: 0x800A0E78\nOperation");
  EXPECT_EQ(ui.messages[0].caption, "Oltrex");
}

TEST_F(Connection, IniPlaceholdersExpand) {
  test::WriteFile(ZelvoIniPath(), "[SYSTEM]\r\nDB=C:\\Z.DB\r\nNESTED=[DB];x\r\nSELF=a[SELF]b\r\nPING=[PONG]\r\nPONG=[PING]\r\n");
  // resolved, unresolved, nested, self and mutual references end, no closing bracket
  for (auto [text, expected] : {std::pair{"A=[NONE];B=[DB];", "A=[NONE];B=C:\\Z.DB;"}, {"N=[NESTED]", "N=C:\\Z.DB;x"},
                                {"[SELF]", "a[SELF]b"}, {"[PING]|[DB]", "[PING]|C:\\Z.DB"}, {"[DB] [DB", "C:\\Z.DB [DB"}})
    EXPECT_EQ(ExpandIniPlaceholders(text, "ZELVO.INI", "SYSTEM"), expected) << text;
}

TEST(ConnText, ReadsKeysValuesAndWhereTheyStand) {
  struct Row {
    std::string text, expected;  // key=value<written value> ...
  };
  const Row rows[] = {
      {"Driver={MariaDB Unicode};Password={ab}}c};", "Driver=MariaDB Unicode<{MariaDB Unicode}> Password=ab}c<{ab}}c}> "},
      {"User=u;Password=ab}c", "User=u<u> Password=ab}c<ab}c> "}, {"DBQ={C:\\A;B.XLS};X=1", "DBQ=C:\\A;B.XLS<{C:\\A;B.XLS}> X=1<1> "},
      {"  Driver = SQLite3 ;Database=  C:\\Z.DB\t", "Driver=SQLite3<SQLite3> Database=C:\\Z.DB<C:\\Z.DB> "},
      {"PWD={ a b };", "PWD= a b <{ a b }> "}, {";;A=1;;word; ;=x;B=", "A=1<1> B=<> "}, {"A={x;B=2", "A=x;B=2<{x;B=2> "}};
  for (const Row& r : rows) {
    std::string got;
    for (const ConnAttribute& a : ParseConnText(r.text)) {
      got += a.key + "=" + a.value + "<" + r.text.substr(a.valueBegin, a.valueEnd - a.valueBegin) + "> ";
      EXPECT_LE(a.valueEnd, a.end);
      EXPECT_TRUE(a.end == r.text.size() || r.text[a.end] == ';') << a.key;
    }
    EXPECT_EQ(got, r.expected) << r.text;
  }
}

TEST(ConnText, ValuesAreBracedOnlyWhenNeeded) {
  for (auto [value, encoded] : {std::pair<std::string, std::string>{"ab}c", "ab}c"}, {"a;b}c", "{a;b}}c}"}, {"{x}", "{{x}}}"},
                                {" lead", "{ lead}"}, {"trail\t", "{trail\t}"}, {"", ""}}) {
    EXPECT_EQ(EncodeConnValue(value), encoded);
    ConnAttributes back = ParseConnText("K=" + encoded + ";N=1");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].value, value);
  }
}

TEST(ConnText, EditingChangesOnlyWhatItIsTold) {
  std::string text = " A = 1 ;B={x;y};C=ab}c";
  ConnAttributes a = ParseConnText(text);
  ASSERT_EQ(a.size(), 3u);
  ConnTextEdit values(text), removal(text), both(text);
  values.ReplaceValue(a[0], "2;3");
  values.ReplaceValue(a[2], "d}e");
  EXPECT_EQ(values.Result(), " A = {2;3} ;B={x;y};C=d}e");
  removal.Remove(a[1]);
  EXPECT_EQ(removal.Result(), " A = 1 ;C=ab}c");
  both.Remove(a[2]);
  both.Replace(a[0], {{"P", "1"}, {"Q", "x;y"}});
  EXPECT_EQ(both.Result(), "P=1;Q={x;y};B={x;y};");
}

// What the ODBC driver is given: the text as written but for the file DSN and database paths.
class DriverText : public test::CleanMachine {
 protected:
  static std::string Native(const std::string& path) { return EncodeConnValue(platform::NativePath(path).string()); }
};

TEST_F(DriverText, IsTheTextAsWrittenButForFileDsnAndDatabasePaths) {
  // ODBC reads "ab}c" unbraced as it stands: braced anew, the server would be sent "ab".
  const std::string same = "Driver={MariaDB Unicode};PWD=ab}c;Password={ab}}c}; Timeout= 2000 ;;Lone;";
  EXPECT_EQ(DriverConnText(same), same);
  EXPECT_EQ(DriverConnText("DBQ = {C:\\ZELVO\\A;B.XLS} ;Driver=x"), "DBQ = " + Native("C:\\ZELVO\\A;B.XLS") + " ;Driver=x");
  EXPECT_EQ(DriverConnText("Driver=SQLite3;database=C:\\ZELVO\\Z}1.DB"), "Driver=SQLite3;database=" + Native("C:\\ZELVO\\Z}1.DB"));
  // A file DSN gives way to the keys of its file that the text has not; the first one counts.
  test::WriteFile(Scratch() + "\\Z.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=C:\\ZELVO\\Z.DB\r\nJournalMode=WAL\r\n"
                                         "PWD=a;b}\r\n[OTHER]\r\nTimeout=1\r\n");
  std::string dsn = "DRIVER=SQLite3;Database=" + Native("C:\\ZELVO\\Z.DB");
  EXPECT_EQ(DriverConnText(" Timeout = 500 ;fileDSN=" + Scratch() + "\\Z.DSN; journalmode={DELETE} ;"),
            " Timeout = 500 ;" + dsn + ";PWD={a;b}}}; journalmode={DELETE} ;");
  EXPECT_EQ(DriverConnText("FILEDSN=" + Scratch() + "\\Z.DSN;FileDsn=C:\\OTHER.DSN;X=1"), dsn + ";JournalMode=WAL;PWD={a;b}}};X=1");
  test::WriteFile(Scratch() + "\\EMPTY.DSN", "[ODBC]\r\n");
  EXPECT_EQ(DriverConnText("A=1;FILEDSN=" + Scratch() + "\\EMPTY.DSN;B=2"), "A=1;B=2");
  EXPECT_THROW(DriverConnText("FILEDSN=" + Scratch() + "\\MISSING.DSN"), DbError);
}

}  // namespace
}  // namespace zmw
