// The profile functions as the library uses them. On Windows (and Wine) these are the system's
// own; on POSIX our store must give the same answers. Then our own INI store: what it keeps of a
// file when it changes one key.
#include <gtest/gtest.h>

#include "platform/Profile.h"
#include "platform/common/IniDocument.h"
#include "support/TestEnv.h"

namespace zmw::platform {
namespace {

class Profile : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    file = At("SAMPLE.INI");
    test::WriteFile(file, "[Sec One]\r\nname1=val1\r\n  spaced key  =  spaced value  \r\nquoted=\"  in quotes  \"\r\n"
                          "single='single'\r\nunbalanced=\"unbalanced\r\nempty=\r\nnoequals\r\n#hash=2\r\ndup=first\r\n"
                          "dup=second\r\n[ section2 ] trailing\r\nk=v2\r\n[Sec One]\r\nlater=not seen\r\n");
  }
  std::string At(const std::string& name) const { return Scratch() + "\\" + name; }
  std::string Read(const char* section, const char* key, const char* def = "", std::size_t size = 1024) {
    return ProfileReadString(file.c_str(), section, key, def, size);
  }
  std::string file;
};

// The buffer holds size - 1 characters; a default loses its trailing blanks only.
TEST_F(Profile, ReadsAsWindowsDoes) {
  struct { const char *section, *key, *expected, *def = "DEF"; std::size_t size = 1024; } rows[] = {
      {"sec one", "NaMe1", "val1"}, {"SEC ONE", "  spaced key  ", "spaced value"}, {"Sec One", "quoted", "  in quotes  "},
      {"Sec One", "single", "single"}, {"Sec One", "unbalanced", "\"unbalanced"}, {"Sec One", "empty", ""},
      {"Sec One", "noequals", "DEF"}, {"Sec One", "#hash", "2"}, {"Sec One", "dup", "first"}, {"Sec One", "later", "DEF"},
      {"section2", "k", "v2"}, {"Nowhere", "name1", "DEF"}, {"Sec One", "name1", "val", "", 4},
      {"Sec One", "name1", "val1", "", 5}, {"Sec One", "name1", "", "", 1}, {"Sec One", "missing", "default", "default  "},
      {"Sec One", "missing", "  Def", "  Def"}};
  for (const auto& r : rows)
    EXPECT_EQ(Read(r.section, r.key, r.def, r.size), r.expected) << r.section << "/" << r.key << " " << r.size;
  EXPECT_EQ(ProfileReadString(At("NONE.INI").c_str(), "a", "b", "x", 1024), "x");
}

TEST_F(Profile, WritesCreateTheFileInWindowsForm) {
  std::string fresh = At("NEW.INI");
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "App", "key", "string"));
  EXPECT_EQ(test::ReadFile(fresh), "[App]\r\nkey=string\r\n");
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "App2", "k2", "\xE8 \x80"));
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "app", "KEY2", "second"));
  EXPECT_EQ(test::ReadFile(fresh),
            "[App]\r\nkey=string\r\nKEY2=second\r\n[App2]\r\nk2=\xE8 \x80\r\n");
  EXPECT_FALSE(ProfileWriteString("", "A", "b", "c"));
}

TEST_F(Profile, ReplacingKeepsTheKeySpellingAndNullsDelete) {
  ASSERT_TRUE(ProfileWriteString(file.c_str(), "sec one", "NAME1", "replaced"));
  EXPECT_EQ(Read("Sec One", "name1"), "replaced");
  EXPECT_NE(test::ReadFile(file).find("name1=replaced\r\n"), std::string::npos);
  ASSERT_TRUE(ProfileWriteString(file.c_str(), "Sec One", "name1", nullptr));
  EXPECT_EQ(Read("Sec One", "name1", "gone"), "gone");
  ASSERT_TRUE(ProfileWriteString(file.c_str(), "section2", nullptr, "ignored"));
  EXPECT_EQ(Read("section2", "k", "gone"), "gone");
}

TEST_F(Profile, IntParsesLikeGetPrivateProfileInt) {
  struct { const char* value; unsigned expected; } rows[] = {
      {"+1", 1}, {"-1", 0xFFFFFFFFu}, {"  77", 77}, {"12abc", 12}, {"4294967297", 1}, {"0x1F", 31}, {"-0x10", 0xFFFFFFF0u},
      {"\"5\"", 5}, {"- 3", 0}, {"", 99}};
  int n = 0;
  for (const auto& r : rows) {
    // A file per row: Wine's profile cache must not answer for a rewritten one.
    std::string path = At("INT" + std::to_string(n++) + ".INI");
    test::WriteFile(path, std::string("[S]\r\nn=") + r.value + "\r\n");
    EXPECT_EQ(ProfileReadInt(path.c_str(), "S", "n", 99), r.expected) << r.value;
  }
  EXPECT_EQ(ProfileReadInt(file.c_str(), "Sec One", "missing", 7), 7u);
  EXPECT_EQ(ProfileReadInt(At("NONE.INI").c_str(), "S", "n", -2), 0xFFFFFFFEu);
}

const std::string kFile = "\xEF\xBB\xBF; header comment\r\n[A]\n  Key = value  \n\n[B]\r\nx=1\r\n; trailing comment\r\n"
                          "\r\n[C]\ry=2";

// Each edit leaves the file as it was but for one piece: the text given in place of the one
// it replaces.
TEST(IniDocument, ChangesOnlyTheAffectedLines) {
  struct { const char* what; void (*edit)(IniDocument&); const char *before, *after; } rows[] = {
      {"nothing", [](IniDocument&) {}, "", ""},
      {"new key after the last line of its section, before blank lines", [](IniDocument& d) { d.Set("B", "z", "3"); },
       "comment\r\n\r\n", "comment\r\nz=3\r\n\r\n"},
      {"new key in the last, unterminated section", [](IniDocument& d) { d.Set("C", "w", "4"); }, "y=2",
       "y=2\r\nw=4\r\n"},
      {"new section at the end", [](IniDocument& d) { d.Set("D", "k", "v"); }, "y=2", "y=2\r\n[D]\r\nk=v\r\n"},
      {"delete section", [](IniDocument& d) { d.DeleteSection("b"); }, "[B]\r\nx=1\r\n; trailing comment\r\n\r\n", ""}};
  for (const auto& r : rows) {
    IniDocument doc = IniDocument::Parse(kFile);
    r.edit(doc);
    std::string expected = kFile;
    expected.replace(expected.find(r.before), std::string(r.before).size(), r.after);
    EXPECT_EQ(doc.Serialize(), expected) << r.what;
  }
}

TEST(IniDocument, FindsKeysAfterEveryLineEnd) {
  IniDocument doc = IniDocument::Parse(kFile);
  EXPECT_EQ(doc.Find("B", "x"), "1");
  EXPECT_EQ(doc.Find("C", "y"), "2");
  EXPECT_FALSE(doc.Find("B", "; trailing comment").has_value());
  // An unclosed bracket is a line of the section before; keys before any section are unreachable.
  EXPECT_EQ(IniDocument::Parse("[S]\r\n[broken\r\na=1\r\n").Find("S", "a"), "1");
  EXPECT_FALSE(IniDocument::Parse("a=1\r\n[S]\r\n").Find("", "a").has_value());
}

}  // namespace
}  // namespace zmw::platform
