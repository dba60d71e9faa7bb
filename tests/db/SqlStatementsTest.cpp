#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <tuple>

#include "db/SqlRepository.h"
#include "db/StatementFile.h"
#include "platform/Com.h"
#include "platform/Profile.h"
#include "DbTests.h"

namespace zmw {
namespace {

using test::CodeOf;

TEST(FormatStatement, PutsTypedArgumentsIn) {
  EXPECT_EQ(FormatStatement("SELECT 1", {}), "SELECT 1");
  EXPECT_EQ(FormatStatement("WHERE a = '%s' AND b = '%s'", {Quoted("O'Brien"), std::string("x")}),
            "WHERE a = 'O''Brien' AND b = 'x'");
  EXPECT_EQ(FormatStatement("LIKE '%s%%'", {std::string("50% off")}), "LIKE '50% off%'");
  EXPECT_EQ(FormatStatement("%d|%i|%ld", {std::int32_t(-5), std::int32_t(7), std::int32_t(8)}), "-5|7|8");
  EXPECT_EQ(FormatStatement("%#x|%+d|% d|%05d|%-3d|", {std::int32_t(255), std::int32_t(5), std::int32_t(5), std::int32_t(7),
                                                       std::int32_t(7)}), "0xff|+5| 5|00007|7  |");
  EXPECT_EQ(FormatStatement("%s", {std::string("%d %s %n")}), "%d %s %n");
  EXPECT_EQ(FormatStatement("%1024d", {std::int32_t(7)}).size(), 1024u);
  EXPECT_EQ(FormatStatement("no conversions", {std::string("extra")}), "no conversions");
  // A text holding a NUL ends there, as a C string does.
  EXPECT_EQ(FormatStatement("[%-6s]", {std::string("AB\0CD", 5)}), "[AB    ]");
  std::vector<std::pair<const char*, std::vector<SqlArg>>> invalid = {
      {"'%s' '%s'", {std::string("one")}}, {"'%s'", {std::int32_t(1)}}, {"%d", {std::string("1")}},
      {"%f", {std::int32_t(1)}}, {"%*d", {std::int32_t(1), std::int32_t(2)}}, {"ends with %", {std::int32_t(1)}},
      {"%87444444444444s", {std::string("x")}}, {"%.2000d", {std::int32_t(1)}}};
  for (const auto& [format, args] : invalid) EXPECT_EQ(CodeOf([&] { FormatStatement(format, args); }), kEInvalidArg) << format;
}

// The formatter writes its common fields itself; every one must come out as printf writes it.
TEST(FormatStatement, FieldsAreWhatPrintfWrites) {
  char printed[512];
  for (const char* spec : {"%s", "%5s", "%-5s", "%.3s", "%-2.2s", "%-15.15s", "%20.4s", "%-.0s", "%0s", "%-s", "%.s"})
    for (const char* text : {"", "A", "ORD-2008-001", "un testo ben piu' lungo di quindici", "X Y"}) {
      std::string format = std::string("[") + spec + "]";
      std::snprintf(printed, sizeof printed, format.c_str(), text);
      EXPECT_EQ(FormatStatement(format, {std::string(text)}), printed) << format << " " << text;
    }
  for (std::string spec : {"%d", "%5d", "%-5d", "%.5d", "%-5.5d", "%-11.11ld", "%-13.13d", "%.0d", "%8.3d", "%i", "%05d",
                           "%+d", "% d", "%x", "%-8X", "%u"})
    for (int number : {0, 1, 4, -3, 42, 100000, -100000, INT_MAX, INT_MIN}) {
      std::string plain = "[" + spec + "]", format = plain;
      if (std::size_t l = plain.find('l'); l != std::string::npos) plain.erase(l, 1);
      std::snprintf(printed, sizeof printed, plain.c_str(), number);
      EXPECT_EQ(FormatStatement(format, {std::int32_t(number)}), printed) << format << " " << number;
    }
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
  void Statements(const std::string& folder, const std::string& body,
                  const std::string& head = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n") {
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", folder.c_str());
    if (!body.empty()) test::WriteFile(Scratch() + "\\ZELVOMW.XML", head + body);
  }
  // The statement's text; "<code> <text>" when it fails, whose description must be empty.
  std::string Fetch(const std::string& name) {
    std::string text = "untouched", description;
    std::int32_t code = CodeOf([&] {
      SqlRepository repository;
      repository.GetStatement(name, "ZELVOMW.XML", "");
      repository.GetText(text);
    }, &description);
    EXPECT_EQ(description, "");
    return code ? std::to_string(code) + " " + text : text;
  }
};

TEST_F(Repository, FindsTheFirstChildOfThatNameWithItsWholeText) {
  Statements(Scratch(), "<SQL>\r\n<A>SELECT 1</A><A>SELECT 2</A>\r\n<B>SELECT * FROM T <x>WHERE</x> a = '%s'"
                        "<![CDATA[ AND b < 3]]></B>\r\n<C attr='1'>SELECT 'Citt\xE0 \x80'</C></SQL>\r\n");
  EXPECT_EQ(Fetch("A"), "SELECT 1");
  EXPECT_EQ(Fetch("B"), "SELECT * FROM T WHERE a = '%s' AND b < 3");
  EXPECT_EQ(Fetch("C"), "SELECT 'Citt\xE0 \x80'");
  Statements(Scratch() + "\\", "<SQL><A>Citt\xC3\xA0</A></SQL>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  EXPECT_EQ(Fetch("A"), "Citt\xE0") << "UTF-8, and a folder ending with \\ gets no second one";
}

TEST_F(Repository, FailuresAreEPointerWithoutDescription) {
  const std::string untouched = std::to_string(kEPointer) + " untouched";
  Statements(Scratch(), "");
  EXPECT_EQ(Fetch("A"), untouched) << "missing file";
  for (auto [body, name] : {std::pair{"<SQL><A>x</A></SQL>", "B"}, {"<STATEMENTS><A>x</A></STATEMENTS>", "A"},
                            {"<SQL><A>x</SQL>", "A"}, {"<SQL><G><A>x</A></G></SQL>", "A"}}) {
    Statements(Scratch(), body);
    EXPECT_EQ(Fetch(name), untouched) << body;
  }
}

// What the doctor tells of a statement file that cannot serve.
TEST_F(Repository, InspectionSaysWhyAFileCannotServe) {
  const std::string file = Scratch() + "\\ZELVOMW.XML";
  EXPECT_EQ(InspectStatementFile(file).kind, StatementFileState::Unreadable);
  const std::tuple<const char*, StatementFileState::Kind, const char*> rows[] = {
      {"<SQL><A>x</A></SQL>", StatementFileState::Usable, ""},
      {"<STATEMENTS><A>x</A></STATEMENTS>", StatementFileState::WrongRoot, "STATEMENTS"},
      {"<SQL>\r\n<A>x</SQL>", StatementFileState::Malformed, nullptr}};
  for (auto [body, kind, detail] : rows) {
    test::WriteFile(file, body);
    StatementFileState state = InspectStatementFile(file);
    EXPECT_EQ(state.kind, kind) << body;
    if (detail) {  // a parser's own words differ by platform
      EXPECT_EQ(state.detail, detail) << body;
    }
  }
}

}  // namespace
}  // namespace zmw
