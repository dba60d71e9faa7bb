// Our own INI store: what it keeps of a file when it changes one key.
#include <gtest/gtest.h>

#include "platform/common/IniDocument.h"

namespace zmw::platform {
namespace {

const char kFile[] =
    "\xEF\xBB\xBF; header comment\r\n"
    "[A]\n"
    "  Key = value  \n"
    "\n"
    "[B]\r\n"
    "x=1\r\n"
    "; trailing comment\r\n"
    "\r\n"
    "[C]\r"
    "y=2";

TEST(IniDocument, SerializesUnchangedBytesUnchanged) {
  EXPECT_EQ(IniDocument::Parse(kFile).Serialize(), kFile);
}

struct EditCase {
  const char* what;
  void (*edit)(IniDocument&);
  const char* expected;
};

class IniEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(IniEdit, ChangesOnlyTheAffectedLines) {
  IniDocument doc = IniDocument::Parse(kFile);
  GetParam().edit(doc);
  EXPECT_EQ(doc.Serialize(), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniEdit,
    ::testing::Values(
        EditCase{"replace keeps spelling",
                 [](IniDocument& d) { d.Set("a", "KEY", "new"); },
                 "\xEF\xBB\xBF; header comment\r\n[A]\nKey=new\n\n[B]\r\nx=1\r\n; trailing comment\r\n\r\n[C]\ry=2"},
        EditCase{"new key after the last line of its section, before blank lines",
                 [](IniDocument& d) { d.Set("B", "z", "3"); },
                 "\xEF\xBB\xBF; header comment\r\n[A]\n  Key = value  \n\n[B]\r\nx=1\r\n; trailing comment\r\nz=3\r\n\r\n[C]\ry=2"},
        EditCase{"new key in the last, unterminated section",
                 [](IniDocument& d) { d.Set("C", "w", "4"); },
                 "\xEF\xBB\xBF; header comment\r\n[A]\n  Key = value  \n\n[B]\r\nx=1\r\n; trailing comment\r\n\r\n[C]\ry=2\r\nw=4\r\n"},
        EditCase{"new section at the end",
                 [](IniDocument& d) { d.Set("D", "k", "v"); },
                 "\xEF\xBB\xBF; header comment\r\n[A]\n  Key = value  \n\n[B]\r\nx=1\r\n; trailing comment\r\n\r\n[C]\ry=2\r\n[D]\r\nk=v\r\n"},
        EditCase{"delete key",
                 [](IniDocument& d) { d.DeleteKey("B", "X"); },
                 "\xEF\xBB\xBF; header comment\r\n[A]\n  Key = value  \n\n[B]\r\n; trailing comment\r\n\r\n[C]\ry=2"},
        EditCase{"delete section",
                 [](IniDocument& d) { d.DeleteSection("b"); },
                 "\xEF\xBB\xBF; header comment\r\n[A]\n  Key = value  \n\n[C]\ry=2"}));

TEST(IniDocument, ReadsEveryLineEnd) {
  IniDocument doc = IniDocument::Parse(kFile);
  EXPECT_EQ(doc.Find("A", "key"), "value");
  EXPECT_EQ(doc.Find("B", "x"), "1");
  EXPECT_EQ(doc.Find("C", "y"), "2");
  EXPECT_FALSE(doc.Find("B", "; trailing comment").has_value());
}

TEST(IniDocument, UnclosedBracketIsALineOfThePreviousSection) {
  IniDocument doc = IniDocument::Parse("[S]\r\n[broken\r\na=1\r\n");
  EXPECT_EQ(doc.Find("S", "a"), "1");
}

TEST(IniDocument, KeysBeforeAnySectionAreUnreachable) {
  IniDocument doc = IniDocument::Parse("a=1\r\n[S]\r\nb=2\r\n");
  EXPECT_FALSE(doc.Find("", "a").has_value());
  EXPECT_EQ(doc.Find("S", "b"), "2");
}

}  // namespace
}  // namespace zmw::platform
