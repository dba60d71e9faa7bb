#include <gtest/gtest.h>

#include "db/DbError.h"
#include "db/SqlRepository.h"
#include <filesystem>

#include "platform/Com.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct FormatCase {
  const char* format;
  std::vector<SqlArg> args;
  const char* expected;
};

class Format : public ::testing::TestWithParam<FormatCase> {};

std::string FormatWith(const std::string& format, const std::vector<SqlArg>& args) {
  switch (args.size()) {
    case 0: return FormatStatement(format, {});
    case 1: return FormatStatement(format, {args[0]});
    case 2: return FormatStatement(format, {args[0], args[1]});
    default: return FormatStatement(format, {args[0], args[1], args[2]});
  }
}

TEST_P(Format, PutsTypedArgumentsIn) {
  EXPECT_EQ(FormatWith(GetParam().format, GetParam().args), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Format,
    ::testing::Values(
        FormatCase{"SELECT 1", {}, "SELECT 1"},
        FormatCase{"WHERE a = '%s' AND b = '%s'", {Quoted("O'Brien"), std::string("x")}, "WHERE a = 'O''Brien' AND b = 'x'"},
        FormatCase{"LIKE '%s%%'", {std::string("50% off")}, "LIKE '50% off%'"},
        FormatCase{"%d|%i|%ld", {std::int32_t(-5), std::int32_t(7), std::int32_t(8)}, "-5|7|8"},
        FormatCase{"%u|%x|%X", {std::int32_t(9), std::int32_t(255), std::int32_t(255)}, "9|ff|FF"},
        FormatCase{"[%-6s][%6s][%.2s]", {std::string("ab"), std::string("cd"), std::string("efgh")}, "[ab    ][    cd][ef]"},
        FormatCase{"[%05d][%-4d][%+d]", {std::int32_t(42), std::int32_t(7), std::int32_t(3)}, "[00042][7   ][+3]"},
        FormatCase{"%s", {std::string("%d %s %n")}, "%d %s %n"}));

TEST(FormatErrors, MismatchesRaiseInvalidArg) {
  auto code = [](auto f) {
    try {
      f();
    } catch (const DbError& e) {
      return e.Code();
    }
    return std::int32_t(0);
  };
  EXPECT_EQ(code([] { FormatStatement("'%s' '%s'", {std::string("one")}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("'%s'", {std::int32_t(1)}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("%d", {std::string("1")}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("%f", {std::int32_t(1)}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("%*d", {std::int32_t(1), std::int32_t(2)}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("ends with %", {std::int32_t(1)}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("%87444444444444s", {std::string("x")}); }), kEInvalidArg);
  EXPECT_EQ(code([] { FormatStatement("%.2000d", {std::int32_t(1)}); }), kEInvalidArg);
  EXPECT_EQ(FormatStatement("%1024d", {std::int32_t(7)}).size(), 1024u);
  EXPECT_EQ(FormatStatement("no conversions", {std::string("extra")}), "no conversions");
}

class Repository : public test::CleanMachine {
 protected:
  // Every user fetches after opening the database, which initialises COM.
  void SetUp() override {
    test::CleanMachine::SetUp();
    platform::ComInitialize();
  }
  void TearDown() override {
    platform::ComUninitialize();
    test::CleanMachine::TearDown();
  }
  void WriteStatements(const std::string& folder, const std::string& body,
                       const std::string& head = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n") {
    test::WriteFile(folder + "\\ZELVOMW.XML", head + body);
  }
  std::int32_t Fetch(const std::string& name, std::string& text) {
    try {
      SqlRepository repository;
      repository.GetStatement(name, "ZELVOMW.XML", "");
      repository.GetText(text);
      return 0;
    } catch (const DbError& e) {
      EXPECT_EQ(e.Description(), "");
      return e.Code();
    }
  }
};

TEST_F(Repository, FindsTheFirstChildOfThatNameWithItsWholeText) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", Scratch().c_str());
  WriteStatements(Scratch(),
                  "<SQL>\r\n<A>SELECT 1</A><A>SELECT 2</A>\r\n"
                  "<B>SELECT * FROM T <x>WHERE</x> a = '%s'<![CDATA[ AND b < 3]]></B>\r\n"
                  "<C attr='1'>SELECT 'Citt\xE0 \x80'</C></SQL>\r\n");
  std::string text;
  EXPECT_EQ(Fetch("A", text), 0);
  EXPECT_EQ(text, "SELECT 1");
  EXPECT_EQ(Fetch("B", text), 0);
  EXPECT_EQ(text, "SELECT * FROM T WHERE a = '%s' AND b < 3");
  EXPECT_EQ(Fetch("C", text), 0);
  EXPECT_EQ(text, "SELECT 'Citt\xE0 \x80'");
}

TEST_F(Repository, Utf8FilesWork) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", Scratch().c_str());
  WriteStatements(Scratch(), "<SQL><A>Citt\xC3\xA0</A></SQL>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  std::string text;
  EXPECT_EQ(Fetch("A", text), 0);
  EXPECT_EQ(text, "Citt\xE0");
}

TEST_F(Repository, FolderEndingWithBackslashGetsNoSecondOne) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", (Scratch() + "\\").c_str());
  WriteStatements(Scratch(), "<SQL><A>x</A></SQL>");
  std::string text;
  EXPECT_EQ(Fetch("A", text), 0);
  EXPECT_EQ(text, "x");
}

TEST_F(Repository, EmptyFolderMeansTheRootOfTheCurrentDrive) {
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(platform::NativePath(Scratch()));  // the current drive is C:
  WriteStatements("C:", "<SQL><ROOT>at the root</ROOT></SQL>");
  std::string text;
  EXPECT_EQ(Fetch("ROOT", text), 0);
  EXPECT_EQ(text, "at the root");
  test::RemoveTree("C:\\ZELVOMW.XML");
  std::filesystem::current_path(before);
}

struct BrokenCase {
  const char* what;
  const char* body;
  const char* name;
};

class RepositoryFailure : public Repository, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(RepositoryFailure, IsEPointerWithoutDescription) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", Scratch().c_str());
  if (*GetParam().body) WriteStatements(Scratch(), GetParam().body);
  std::string text = "untouched";
  EXPECT_EQ(Fetch(GetParam().name, text), kEPointer) << GetParam().what;
  EXPECT_EQ(text, "untouched");
}

INSTANTIATE_TEST_SUITE_P(Table, RepositoryFailure,
                         ::testing::Values(BrokenCase{"missing file", "", "A"},
                                           BrokenCase{"missing name", "<SQL><A>x</A></SQL>", "B"},
                                           BrokenCase{"other document element", "<STATEMENTS><A>x</A></STATEMENTS>", "A"},
                                           BrokenCase{"malformed", "<SQL><A>x</SQL>", "A"},
                                           BrokenCase{"grandchild only", "<SQL><G><A>x</A></G></SQL>", "A"}));

}  // namespace
}  // namespace zmw
