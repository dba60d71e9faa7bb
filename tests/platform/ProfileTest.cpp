// The profile functions as the library uses them. On Windows (and Wine) these are the system's
// own; on POSIX our store must give the same answers.
#include <gtest/gtest.h>

#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

using platform::ProfileReadInt;
using platform::ProfileReadString;
using platform::ProfileWriteString;

const char kSample[] =
    "; a comment=1\r\n"
    "[Sec One]\r\n"
    "name1=val1\r\n"
    "  spaced key  =  spaced value  \r\n"
    "quoted=\"  in quotes  \"\r\n"
    "single='single'\r\n"
    "unbalanced=\"unbalanced\r\n"
    "inner=\"a\"b\"\r\n"
    "empty=\r\n"
    "noequals\r\n"
    "#hash=2\r\n"
    "inline=a;b ; comment?\r\n"
    "dup=first\r\n"
    "dup=second\r\n"
    "[ section2 ] trailing\r\n"
    "k=v2\r\n"
    "[Sec One]\r\n"
    "later=not seen\r\n";

class Profile : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    file = Scratch() + "\\SAMPLE.INI";
    test::WriteFile(file, kSample);
  }
  std::string Read(const char* section, const char* key, const char* def = "", std::size_t size = 1024) {
    return ProfileReadString(file.c_str(), section, key, def, size);
  }
  std::string file;
};

struct ReadCase {
  const char* section;
  const char* key;
  const char* expected;
};

class ProfileRead : public Profile, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileRead, ReadsAsWindowsDoes) {
  EXPECT_EQ(Read(GetParam().section, GetParam().key, "DEF"), GetParam().expected)
      << GetParam().section << "/" << GetParam().key;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileRead,
    ::testing::Values(ReadCase{"Sec One", "name1", "val1"}, ReadCase{"sec one", "NaMe1", "val1"},
                      ReadCase{"SEC ONE", "spaced key", "spaced value"},
                      ReadCase{"Sec One", "  spaced key  ", "spaced value"},
                      ReadCase{"Sec One", "quoted", "  in quotes  "},
                      ReadCase{"Sec One", "single", "single"},
                      ReadCase{"Sec One", "unbalanced", "\"unbalanced"},
                      ReadCase{"Sec One", "inner", "a\"b"}, ReadCase{"Sec One", "empty", ""},
                      ReadCase{"Sec One", "noequals", "DEF"}, ReadCase{"Sec One", "#hash", "2"},
                      ReadCase{"Sec One", "inline", "a;b ; comment?"},
                      ReadCase{"Sec One", "dup", "first"}, ReadCase{"Sec One", "later", "DEF"},
                      ReadCase{"section2", "k", "v2"}, ReadCase{"Sec One", "missing", "DEF"},
                      ReadCase{"Nowhere", "name1", "DEF"}));

TEST_F(Profile, BufferCutsToSizeMinusOne) {
  EXPECT_EQ(Read("Sec One", "name1", "", 4), "val");
  EXPECT_EQ(Read("Sec One", "name1", "", 5), "val1");
  EXPECT_EQ(Read("Sec One", "name1", "", 1), "");
  EXPECT_EQ(Read("Sec One", "missing", "DEFAULTVALUE", 5), "DEFA");
}

TEST_F(Profile, DefaultLosesTrailingBlanksOnly) {
  EXPECT_EQ(Read("Sec One", "missing", "default  "), "default");
  EXPECT_EQ(Read("Sec One", "missing", "  Def"), "  Def");
  EXPECT_EQ(ProfileReadString((Scratch() + "\\NONE.INI").c_str(), "a", "b", "x", 1024), "x");
}

TEST_F(Profile, WriteCreatesTheFileInWindowsForm) {
  std::string fresh = Scratch() + "\\NEW.INI";
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "App", "key", "string"));
  EXPECT_EQ(test::ReadFile(fresh), "[App]\r\nkey=string\r\n");
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "App2", "k2", "\xE8 \x80"));
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "app", "KEY2", "second"));
  EXPECT_EQ(test::ReadFile(fresh), "[App]\r\nkey=string\r\nKEY2=second\r\n[App2]\r\nk2=\xE8 \x80\r\n");
}

TEST_F(Profile, ReplacingKeepsTheKeySpelling) {
  ASSERT_TRUE(ProfileWriteString(file.c_str(), "sec one", "NAME1", "replaced"));
  EXPECT_EQ(Read("Sec One", "name1"), "replaced");
  EXPECT_NE(test::ReadFile(file).find("name1=replaced\r\n"), std::string::npos);
}

TEST_F(Profile, NullValueDeletesKeyAndNullKeyDeletesSection) {
  ASSERT_TRUE(ProfileWriteString(file.c_str(), "Sec One", "name1", nullptr));
  EXPECT_EQ(Read("Sec One", "name1", "gone"), "gone");
  EXPECT_EQ(Read("Sec One", "single"), "single");
  ASSERT_TRUE(ProfileWriteString(file.c_str(), "section2", nullptr, "ignored"));
  EXPECT_EQ(Read("section2", "k", "gone"), "gone");
  EXPECT_TRUE(ProfileWriteString(file.c_str(), "Sec One", "never-there", nullptr));
}

TEST_F(Profile, EmptyValueIsWrittenAsKeyEquals) {
  std::string fresh = Scratch() + "\\EMPTY.INI";
  ASSERT_TRUE(ProfileWriteString(fresh.c_str(), "App", "key", ""));
  EXPECT_EQ(test::ReadFile(fresh), "[App]\r\nkey=\r\n");
}

TEST_F(Profile, BareNamesLiveInTheProfileFolder) {
  ASSERT_TRUE(ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\"));
  EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), "[DIRS]\r\nINST_PATH=C:\\MAICOWIN\\\r\n");
  EXPECT_EQ(ProfileReadString("zelvomw.ini", "dirs", "inst_path", "", 1024), "C:\\MAICOWIN\\");
  EXPECT_FALSE(ProfileWriteString("", "A", "b", "c"));
}

struct IntCase {
  const char* value;
  unsigned expected;
};

class ProfileInt : public Profile, public ::testing::WithParamInterface<IntCase> {};

TEST_P(ProfileInt, ParsesLikeGetPrivateProfileInt) {
  std::string fresh = Scratch() + "\\INT.INI";
  test::WriteFile(fresh, std::string("[S]\r\nn=") + GetParam().value + "\r\n");
  EXPECT_EQ(ProfileReadInt(fresh.c_str(), "S", "n", 99), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileInt,
    ::testing::Values(IntCase{"1", 1}, IntCase{"+1", 1}, IntCase{"-1", 0xFFFFFFFFu},
                      IntCase{"  77", 77}, IntCase{"42A94967297", 42}, IntCase{"B4294967297", 0},
                      IntCase{"12abc", 12}, IntCase{"1.9", 1}, IntCase{"4294967296", 0},
                      IntCase{"4294967297", 1}, IntCase{"99999999999", 1215752191u},
                      IntCase{"0x1F", 31}, IntCase{"-0x10", 0xFFFFFFF0u}, IntCase{"\"5\"", 5},
                      IntCase{"- 3", 0}, IntCase{"", 99}));

TEST_F(Profile, IntOfAMissingKeyIsTheDefault) {
  EXPECT_EQ(ProfileReadInt(file.c_str(), "Sec One", "missing", 7), 7u);
  EXPECT_EQ(ProfileReadInt((Scratch() + "\\NONE.INI").c_str(), "S", "n", -2), 0xFFFFFFFEu);
}

}  // namespace
}  // namespace zmw
