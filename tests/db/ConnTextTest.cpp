#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "db/ConnText.h"
#include "db/DbError.h"
#include "db/odbc/OdbcSource.h"
#include "platform/Files.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct Read {
  std::string key, value, written;  // written: the value as it stands in the text
  bool operator==(const Read&) const = default;
};

void PrintTo(const Read& r, std::ostream* os) { *os << r.key << " = [" << r.value << "] from [" << r.written << "]"; }

struct ParseCase {
  const char* what;
  std::string text;
  std::vector<Read> expected;
};

class ConnTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ConnTextParse, ReadsKeysValuesAndWhereTheyStand) {
  const std::string& text = GetParam().text;
  std::vector<Read> got;
  for (const ConnAttribute& a : ParseConnText(text)) {
    got.push_back({a.key, a.value, text.substr(a.valueBegin, a.valueEnd - a.valueBegin)});
    EXPECT_LE(a.valueEnd, a.end);
    EXPECT_TRUE(a.end == text.size() || text[a.end] == ';') << a.key;
  }
  EXPECT_EQ(got, GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnTextParse,
    ::testing::Values(
        ParseCase{"braces with a doubled }", "Driver={MariaDB Unicode};Password={ab}}c};",
                  {{"Driver", "MariaDB Unicode", "{MariaDB Unicode}"}, {"Password", "ab}c", "{ab}}c}"}}},
        ParseCase{"} without braces", "User=u;Password=ab}c;Option=2",
                  {{"User", "u", "u"}, {"Password", "ab}c", "ab}c"}, {"Option", "2", "2"}}},
        ParseCase{"; inside braces", "DBQ={C:\\A;B.XLS};X=1", {{"DBQ", "C:\\A;B.XLS", "{C:\\A;B.XLS}"}, {"X", "1", "1"}}},
        ParseCase{"blanks around keys and values", "  Driver = SQLite3 ;Database=  C:\\Z.DB\t",
                  {{"Driver", "SQLite3", "SQLite3"}, {"Database", "C:\\Z.DB", "C:\\Z.DB"}}},
        ParseCase{"blanks inside braces stay", "PWD={ a b };", {{"PWD", " a b ", "{ a b }"}}},
        ParseCase{"no trailing ;", "A=1;B=2", {{"A", "1", "1"}, {"B", "2", "2"}}},
        ParseCase{"empty parts and words without = are no attributes", ";;A=1;;word; ;=x;B=",
                  {{"A", "1", "1"}, {"B", "", ""}}},
        ParseCase{"an unclosed brace takes the rest", "A={x;B=2", {{"A", "x;B=2", "{x;B=2"}}},
        ParseCase{"= inside a value", "Extended Properties=Excel 8.0;HDR=YES;",
                  {{"Extended Properties", "Excel 8.0", "Excel 8.0"}, {"HDR", "YES", "YES"}}},
        ParseCase{"nothing", "", {}}));

struct EncodeCase {
  std::string value, encoded;
};

class ConnValueEncoding : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(ConnValueEncoding, BracesOnlyWhenNeeded) {
  EXPECT_EQ(EncodeConnValue(GetParam().value), GetParam().encoded);
  ConnAttributes back = ParseConnText("K=" + GetParam().encoded + ";N=1");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, ConnValueEncoding,
                         ::testing::Values(EncodeCase{"/tmp/z.db", "/tmp/z.db"}, EncodeCase{"ab}c", "ab}c"},
                                           EncodeCase{"a;b", "{a;b}"}, EncodeCase{"a;b}c", "{a;b}}c}"},
                                           EncodeCase{"{x}", "{{x}}}"}, EncodeCase{" lead", "{ lead}"},
                                           EncodeCase{"trail\t", "{trail\t}"}, EncodeCase{"", ""}));

TEST(ConnTextEditing, ChangesOnlyWhatItIsTold) {
  std::string text = " A = 1 ;B={x;y};C=ab}c";
  ConnAttributes a = ParseConnText(text);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(ConnTextEdit(text).Result(), text);
  {
    ConnTextEdit edit(text);
    edit.ReplaceValue(a[0], "2;3");
    edit.ReplaceValue(a[2], "d}e");
    EXPECT_EQ(edit.Result(), " A = {2;3} ;B={x;y};C=d}e");
  }
  {
    ConnTextEdit edit(text);
    edit.Remove(a[1]);
    EXPECT_EQ(edit.Result(), " A = 1 ;C=ab}c");
  }
  {
    ConnTextEdit edit(text);
    edit.Remove(a[2]);
    edit.Replace(a[0], {{"P", "1"}, {"Q", "x;y"}});
    EXPECT_EQ(edit.Result(), "P=1;Q={x;y};B={x;y};");
  }
}

// What the ODBC driver is given.
class DriverText : public test::CleanMachine {
 protected:
  static std::string Native(const std::string& path) { return platform::NativePath(path).string(); }
};

TEST_F(DriverText, IsTheTextAsWrittenButForFileDsnAndDatabasePaths) {
  struct Case {
    std::string text, expected;
  };
  std::vector<Case> cases = {
      {"Driver={MariaDB Unicode};Server=h;User=u;Password={ab}}c};Option=2;",
       "Driver={MariaDB Unicode};Server=h;User=u;Password={ab}}c};Option=2;"},
      {"Driver={MariaDB Unicode};Password=ab}c;Option=2", "Driver={MariaDB Unicode};Password=ab}c;Option=2"},
      {"  Driver = SQLite3 ;Timeout= 2000 ;;Lone;", "  Driver = SQLite3 ;Timeout= 2000 ;;Lone;"},
      {"Driver=SQLite3;Database=C:\\ZELVO\\Z.DB;NoCreat=1;",
       "Driver=SQLite3;Database=" + EncodeConnValue(Native("C:\\ZELVO\\Z.DB")) + ";NoCreat=1;"},
      {"DBQ = {C:\\ZELVO\\A;B.XLS} ;Driver=x",
       "DBQ = " + EncodeConnValue(Native("C:\\ZELVO\\A;B.XLS")) + " ;Driver=x"},
      {"Driver=SQLite3;database=C:\\ZELVO\\Z}1.DB", "Driver=SQLite3;database=" + Native("C:\\ZELVO\\Z}1.DB")},
  };
  for (const Case& c : cases) EXPECT_EQ(DriverConnText(c.text), c.expected) << c.text;
}

TEST_F(DriverText, FileDsnGivesWayToTheKeysOfItsFileThatTheTextHasNot) {
  test::WriteFile(Scratch() + "\\Z.DSN",
                  "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=C:\\ZELVO\\Z.DB\r\nJournalMode=WAL\r\nPWD=a;b}\r\n"
                  "[OTHER]\r\nTimeout=1\r\n");
  std::string database = EncodeConnValue(Native("C:\\ZELVO\\Z.DB"));
  EXPECT_EQ(DriverConnText(" Timeout = 500 ;fileDSN=" + Scratch() + "\\Z.DSN; journalmode={DELETE} ;"),
            " Timeout = 500 ;DRIVER=SQLite3;Database=" + database + ";PWD={a;b}}}; journalmode={DELETE} ;");
  EXPECT_EQ(DriverConnText("FILEDSN={" + Scratch() + "\\Z.DSN}"),
            "DRIVER=SQLite3;Database=" + database + ";JournalMode=WAL;PWD={a;b}}}");
  EXPECT_EQ(DriverConnText("FILEDSN=" + Scratch() + "\\Z.DSN;FileDsn=C:\\OTHER.DSN;X=1"),
            "DRIVER=SQLite3;Database=" + database + ";JournalMode=WAL;PWD={a;b}}};X=1")
      << "the first FILEDSN counts";
  test::WriteFile(Scratch() + "\\EMPTY.DSN", "[ODBC]\r\n");
  EXPECT_EQ(DriverConnText("A=1;FILEDSN=" + Scratch() + "\\EMPTY.DSN;B=2"), "A=1;B=2");
  EXPECT_THROW(DriverConnText("FILEDSN=" + Scratch() + "\\MISSING.DSN"), DbError);
}

}  // namespace
}  // namespace zmw
