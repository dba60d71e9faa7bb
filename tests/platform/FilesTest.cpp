#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace zmw::platform {
namespace {

class Files : public test::CleanMachine {
 protected:
  std::string At(const std::string& name) const { return Scratch() + "\\" + name; }
};

TEST_F(Files, TextModeTranslatesLineEndsAndBinaryModeKeepsEveryByte) {
  struct { const char *mode, *text, *bytes; } writes[] = {{"wt", "uno\ndue\r\n\ntre", "uno\r\ndue\r\r\n\r\ntre"},
                                                           {"wb", "a\nb", "a\nb"}};
  for (const auto& w : writes) {
    EXPECT_TRUE(File::Open(At("OUT.TXT"), w.mode).Puts(w.text)) << w.mode;
    EXPECT_EQ(test::ReadFile(At("OUT.TXT")), w.bytes) << w.mode;
  }
  // Read as fgets reads: at most 7 characters a line, CR LF as LF, Ctrl-Z as the end.
  test::WriteFile(At("IN.TXT"), "uno\r\ndue\rx\nlonger line\r\nend\x1Ahidden\r\n");
  File in = File::Open(At("IN.TXT"), "rt");
  std::vector<std::string> lines;
  for (std::string line; in.Gets(line, 8);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"uno\n", "due\rx\n", "longer ", "line\n", "end"}));
  std::string bytes("a\r\nb\x1A" "c\0d", 8);
  test::WriteFile(At("RAW.BIN"), bytes);
  File raw = File::Open(At("RAW.BIN"), "rb");
  char buffer[16];
  EXPECT_EQ(raw.Read(buffer, sizeof buffer), bytes.size());
  EXPECT_EQ(std::string(buffer, bytes.size()), bytes);
  EXPECT_EQ(raw.Length(), 8);
}

TEST_F(Files, FoldersAreNoFilesAndReplaceMovesOverTheTarget) {
  EXPECT_FALSE(File::Open(Scratch(), "rt"));
  EXPECT_TRUE(FindFirstExists(Scratch()));
  EXPECT_FALSE(RemoveFile(Scratch()));
  EXPECT_TRUE(CreateFolder(At("SUB")));
  test::WriteFile(At("NEW.TMP"), "new");
  test::WriteFile(At("LIST.FIT"), "old");
  EXPECT_TRUE(ReplaceFileWith(At("NEW.TMP"), At("LIST.FIT")));
  EXPECT_EQ(test::ReadFile(At("LIST.FIT")), "new");
  EXPECT_FALSE(test::FileExists(At("NEW.TMP")));
}

// Windows takes a name that ends with a separator for a folder: a file is not reached by it.
TEST_F(Files, ANameEndingInASeparatorNamesNoFile) {
  test::WriteFile(At("DST.TXT"), "kept");
  for (const char* separator : {"\\", "/"}) {
    std::string named = At("DST.TXT") + separator;
    SCOPED_TRACE(named);
    for (const char* mode : {"rt", "rb", "wt", "ab"}) EXPECT_FALSE(File::Open(named, mode)) << mode;
    EXPECT_FALSE(FindFirstExists(named));
    EXPECT_EQ(FileStamp(named).size, -1);
    EXPECT_FALSE(RemoveFile(named));
    EXPECT_EQ(test::ReadFile(At("DST.TXT")), "kept");
    EXPECT_FALSE(File::Open(At("NEW.TXT") + separator, "wb"));
    EXPECT_FALSE(test::FileExists(At("NEW.TXT")));
  }
  EXPECT_TRUE(File::Open(At("DST.TXT"), "rt")) << "the same name without the separator";
}

TEST(Text, CodePagesRoundTripAndFoldCase) {
  struct { const char *cp1252, *utf8; } rows[] = {
      {"Sar\xE0 \xE8", "Sar\xC3\xA0 \xC3\xA8"}, {"\x80 5\x9C", "\xE2\x82\xAC 5\xC5\x93"}, {"\xFF", "\xC3\xBF"}};
  for (const auto& r : rows) {
    EXPECT_EQ(Cp1252ToUtf8(r.cp1252), r.utf8);
    EXPECT_EQ(Utf8ToCp1252(r.utf8), r.cp1252);
    EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(r.cp1252)), r.cp1252);
  }
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?") << "unmappable";
  EXPECT_EQ(Utf16ToCp1252(u"\U0001F600x"), "?x");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "\xC3") << "a broken sequence keeps its byte";
  EXPECT_TRUE(EqualsNoCase("citt\xE0", "CITT\xC0"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_EQ(AsciiUpper("citt\xE0.exe"), "CITT\xE0.EXE") << "accented letters stay as they are";
}

}  // namespace
}  // namespace zmw::platform
