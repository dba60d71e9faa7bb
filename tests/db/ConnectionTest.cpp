#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "db/ConnText.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "platform/Com.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "support/Database.h"

namespace zmw {
namespace {

class Connection : public test::HostDatabase {
 protected:
  // The name of the one maker row that tells which database file the connection reached.
  std::string MakerOfRowOne() {
    RecordSource& pass = OpenRecordPass(TheZelvoDb(), "SELECT Nome FROM Produttori WHERE PkId = 1");
    std::string name = VariantToText(pass.Field("Nome"));
    CloseRecordPass(TheZelvoDb());
    return name;
  }
  void ExpectOneReport(const std::string& operation, std::int32_t code) {
    ASSERT_EQ(ui.messages.size(), 1u);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", unsigned(code));
    EXPECT_EQ(ui.messages[0].text.rfind("Function: " + operation + "\nError: 0x" + hex + "\n", 0), 0u)
        << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].caption, "ZelvoMW");
    EXPECT_EQ(ui.messages[0].style, 0x30u);
    EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);
  }
};

TEST_F(Connection, OpensTheConfiguredDatabaseAndClosesIt) {
  int before = platform::ComBalance();
  EXPECT_EQ(TheZelvoDb().Open(""), 1);
  EXPECT_TRUE(TheZelvoDb().IsOpen());
  EXPECT_EQ(MakerOfRowOne(), "ZELVO");
  EXPECT_EQ(TheZelvoDb().Close(), 1);
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  EXPECT_EQ(platform::ComBalance(), before);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Connection, SecondOpenGivesZeroAndReadsNothing) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  int balance = platform::ComBalance();
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "CONN_STR_ZELVO", "7");
  EXPECT_EQ(TheZelvoDb().Open(""), 0);
  EXPECT_EQ(platform::ComBalance(), balance + 1) << "COM is initialised on every call";
  EXPECT_EQ(MakerOfRowOne(), "ZELVO");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Connection, CloseOfANeverOpenedConnectionSaysNothing) {
  ZelvoDbConnection never;
  EXPECT_EQ(never.Close(), -1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Connection, ConnStrZelvoChoosesTheSection) {
  CreateDatabase(Scratch() + "\\MYSQL.DB", false);
  {
    ZelvoDbConnection other;
    ASSERT_EQ(other.Open(ConnectionText(Scratch() + "\\MYSQL.DB")), 1);
    ExecuteNoRecords(other, "INSERT INTO Produttori (PkId, Nome) VALUES (1, 'SERVER')");
    other.Close();
  }
  test::WriteFile(Scratch() + "\\ZelvoDbConn.ini",
                  "[ZELVO]\r\nCONN_STRING=Driver=SQLite3;Database=[DB_FILE];\r\n"
                  "[ZELVOMYSQL]\r\nCONN_STRING=" + ConnectionText(Scratch() + "\\MYSQL.DB") + "\r\n");
  for (auto [value, maker] : {std::pair<const char*, const char*>{nullptr, "ZELVO"}, {"0", "ZELVO"}, {"1", "SERVER"}}) {
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "CONN_STR_ZELVO", value);
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
    EXPECT_EQ(MakerOfRowOne(), maker) << (value ? value : "missing");
    TheZelvoDb().Close();
  }
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "CONN_STR_ZELVO", "2");
  EXPECT_EQ(TheZelvoDb().Open(""), -1);
  ExpectOneReport("ApriZelvoDb", kEFail);
}

TEST_F(Connection, FailedOpenKeepsTheObjectSoCloseReportsTheComplaint) {
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");
  EXPECT_EQ(TheZelvoDb().Open(""), -1);
  ExpectOneReport("ApriZelvoDb", kEFail);
  EXPECT_NE(ui.messages[0].text.find("SQLSTATE"), std::string::npos) << ui.messages[0].text;
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  EXPECT_TRUE(TheZelvoDb().HoldsConnection());
  ui.messages.clear();
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

TEST_F(Connection, AGivenTextIsUsedAsItStands) {
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");
  EXPECT_EQ(TheZelvoDb().Open(ConnectionText(DatabaseFile())), 1);
  EXPECT_EQ(MakerOfRowOne(), "ZELVO");
}

TEST_F(Connection, FileDsnIsReadFromTheStartFolder) {
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");
  test::WriteFile(Scratch() + "\\ZELVO32.DSN", "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) +
                                                   "\r\nJournalMode=WAL\r\n");
  EXPECT_EQ(TheZelvoDb().Open("fileDSN=" + Scratch() + "\\ZELVO32.DSN"), 1);
  EXPECT_EQ(MakerOfRowOne(), "ZELVO");
  TheZelvoDb().Close();
  EXPECT_EQ(TheZelvoDb().Open("fileDSN=" + Scratch() + "\\MISSING.DSN"), -1);
  ExpectOneReport("ApriZelvoDb", kEFail);
}

// The driver reads the database named in the text: a "}" in the name is no reason for braces,
// which the SQLite driver would take for part of the name.
TEST_F(Connection, ABraceInTheDatabaseNameReachesTheDriverAsWritten) {
  std::string file = Scratch() + "\\ZEL}VO.DB";
  test::WriteFile(file, test::ReadFile(DatabaseFile()));
  std::vector<std::string> texts = {ConnectionText(file)};
  if (test::PosixPathsAreNative())
    texts.push_back("Driver=SQLite3;Database=" + platform::NativePath(file).string() + ";NoCreat=1; Timeout = 2000 ");
  for (const std::string& text : texts) {
    ASSERT_EQ(TheZelvoDb().Open(text), 1) << text << "\n" << (ui.messages.empty() ? "" : ui.messages[0].text);
    EXPECT_EQ(MakerOfRowOne(), "ZELVO");
    EXPECT_EQ(TheZelvoDb().Close(), 1);
  }
  EXPECT_TRUE(ui.messages.empty());
}

// ODBC reads "ab}c" without braces as it stands; braced, the server would be sent "ab".
TEST_F(Connection, AServerPasswordWithABraceIsSentAsWritten) {
  std::string server = test::ServerConnectionText();
  if (server.empty()) GTEST_SKIP() << "no MariaDB server named in ZELVOMW_TEST_MARIADB";
  std::string user = "zt_brace_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                     std::to_string(std::rand() % 100000);
  ZelvoDbConnection admin;
  ASSERT_EQ(admin.Open(server), 1);
  ExecuteNoRecords(admin, "CREATE USER '" + user + "'@'%' IDENTIFIED BY 'ab}c'");
  // The server's text with this user in place of its own, written as a person would.
  ConnTextEdit edit(server);
  for (const ConnAttribute& a : ParseConnText(server))
    for (const char* key : {"User", "UID", "Password", "PWD"})
      if (platform::EqualsNoCase(a.key, key)) edit.Remove(a);
  std::string text = edit.Result();
  if (!text.empty() && text.back() != ';') text += ';';
  text += "User=" + user + ";Password=ab}c;";
  std::string who;
  ZelvoDbConnection asUser;
  int opened = asUser.Open(text);
  if (opened == 1) {
    RecordSource& pass = OpenRecordPass(asUser, "SELECT CURRENT_USER() AS Who");
    who = VariantToText(pass.Field("Who"));
    CloseRecordPass(asUser);
    asUser.Close();
  }
  ExecuteNoRecords(admin, "DROP USER '" + user + "'@'%'");
  admin.Close();
  EXPECT_EQ(opened, 1) << text << "\n" << (ui.messages.empty() ? "" : ui.messages[0].text);
  EXPECT_EQ(who, user + "@%");
}

// Where the connection text comes from when the database file is missing: the driver is told
// not to make one, so the open fails and no empty database appears.
enum class TextFrom { SampleSettings, SampleFileDsn, TestSupport };

class MissingDatabase : public Connection, public ::testing::WithParamInterface<TextFrom> {};

TEST_P(MissingDatabase, IsReportedAndNotMade) {
  std::string missing = Scratch() + "\\MISSING.DB", text;
  switch (GetParam()) {
    case TextFrom::SampleSettings:  // the fixture's ZelvoDbConn.ini is the sample's
      platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "DB_FILE", test::DriverPath(missing).c_str());
      break;
    case TextFrom::SampleFileDsn:
      missing = "C:\\ZELVO\\DB\\ZELVO.DB";  // as the sample names it
      test::MakeFolders("C:\\ZELVO\\DB");
      test::WriteFile(Scratch() + "\\ZELVO32.DSN", test::ReadFile(test::SourceFile("samples/zelvo/ZELVO32.DSN")));
      text = "fileDSN=" + Scratch() + "\\ZELVO32.DSN";
      break;
    case TextFrom::TestSupport:
      text = ConnectionText(missing);
      break;
  }
  EXPECT_EQ(TheZelvoDb().Open(text), -1);
  ExpectOneReport("ApriZelvoDb", kEFail);
  EXPECT_FALSE(test::FileExists(missing));
  EXPECT_FALSE(TheZelvoDb().IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Table, MissingDatabase,
                         ::testing::Values(TextFrom::SampleSettings, TextFrom::SampleFileDsn, TextFrom::TestSupport));

TEST_F(Connection, WorkbookConnectionReportsUnderItsOwnNames) {
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", ConnectionText(DatabaseFile()).c_str());
  ExcelConnection excel;
  EXPECT_EQ(excel.Open(""), 1);
  EXPECT_EQ(excel.Close(), 1);
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING", nullptr);
  EXPECT_EQ(excel.Open(""), -1);
  ExpectOneReport("ApriExcel", kEFail);
  ui.messages.clear();
  EXPECT_EQ(excel.Close(), -1);
  ExpectOneReport("ChiudiExcel", kAdoClosed);
}

TEST(ComErrorReport, HasThreeLines) {
  test::RecordingUi ui;
  platform::SetUi(&ui);
  ShowComError("ApriZelvoDb", kEPointer, "");
  ShowComError("ExportClsForFittings", 0x800A0E78, "Operation", "Oltrex");
  platform::SetUi(nullptr);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Function: ApriZelvoDb\nError: 0x80004003\n");
  EXPECT_EQ(ui.messages[1].text, "Function: ExportClsForFittings\nError: 0x800A0E78\nOperation");
  EXPECT_EQ(ui.messages[1].caption, "Oltrex");
}

struct PlaceholderCase {
  const char* what;
  const char* text;
  const char* expected;
};

class Placeholders : public test::CleanMachine, public ::testing::WithParamInterface<PlaceholderCase> {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    test::WriteFile(ZelvoIniPath(),
                    "[SYSTEM]\r\nDB=C:\\DATA\\Z.DB\r\nNESTED=[DB];x\r\nSELF=a[SELF]b\r\nPING=[PONG]\r\nPONG=[PING]\r\nEMPTY=\r\n");
  }
};

TEST_P(Placeholders, Expand) {
  EXPECT_EQ(ExpandIniPlaceholders(GetParam().text, "ZELVO.INI", "SYSTEM"), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Placeholders,
    ::testing::Values(PlaceholderCase{"resolved", "Database=[DB];", "Database=C:\\DATA\\Z.DB;"},
                      PlaceholderCase{"case of the key", "[db]", "C:\\DATA\\Z.DB"},
                      PlaceholderCase{"unresolved stays", "A=[NONE];B=[DB]", "A=[NONE];B=C:\\DATA\\Z.DB"},
                      PlaceholderCase{"empty value stays", "[EMPTY]", "[EMPTY]"},
                      PlaceholderCase{"nested", "N=[NESTED]", "N=C:\\DATA\\Z.DB;x"},
                      PlaceholderCase{"self-referencing ends", "[SELF]", "a[SELF]b"},
                      PlaceholderCase{"mutual reference ends", "[PING]|[DB]", "[PING]|C:\\DATA\\Z.DB"},
                      PlaceholderCase{"no closing bracket", "[DB] [DB", "C:\\DATA\\Z.DB [DB"},
                      PlaceholderCase{"no brackets", "Driver=SQLite3;", "Driver=SQLite3;"}));

}  // namespace
}  // namespace zmw
