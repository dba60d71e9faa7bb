#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace zmw::platform {
namespace {

class Files : public test::CleanMachine {};

TEST_F(Files, TextModeWritesCrLf) {
  std::string path = Scratch() + "\\OUT.TXT";
  {
    File f = File::Open(path, "wt");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f.Puts("uno\ndue\r\n\ntre"));
  }
  EXPECT_EQ(test::ReadFile(path), "uno\r\ndue\r\r\n\r\ntre");
  {
    File f = File::Open(path, "wb");
    EXPECT_TRUE(f.Puts("a\nb"));
  }
  EXPECT_EQ(test::ReadFile(path), "a\nb");
}

TEST_F(Files, TextModeReadsLinesAsFgetsDoes) {
  std::string path = Scratch() + "\\IN.TXT";
  test::WriteFile(path, "uno\r\ndue\rx\nlonger line\r\nend\x1Ahidden\r\n");
  File f = File::Open(path, "rt");
  ASSERT_TRUE(f);
  std::string line;
  std::vector<std::string> lines;
  while (f.Gets(line, 8)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"uno\n", "due\rx\n", "longer ", "line\n", "end"}));
}

TEST_F(Files, BinaryReadKeepsEveryByte) {
  std::string path = Scratch() + "\\RAW.BIN";
  std::string bytes("a\r\nb\x1A" "c\0d", 8);
  test::WriteFile(path, bytes);
  File f = File::Open(path, "rb");
  char buffer[16];
  EXPECT_EQ(f.Read(buffer, sizeof buffer), bytes.size());
  EXPECT_EQ(std::string(buffer, bytes.size()), bytes);
  EXPECT_EQ(f.Length(), 8);
}

TEST_F(Files, FoldersAreNoFiles) {
  EXPECT_FALSE(File::Open(Scratch(), "rt"));
  EXPECT_TRUE(FindFirstExists(Scratch()));
  EXPECT_FALSE(RemoveFile(Scratch()));
  EXPECT_TRUE(CreateFolder(Scratch() + "\\SUB"));
  EXPECT_FALSE(CreateFolder(Scratch() + "\\SUB"));
  EXPECT_FALSE(CreateFolder(Scratch() + "\\NO\\SUB"));
}

TEST_F(Files, ReplaceFileWithMovesOverTheTarget) {
  test::WriteFile(Scratch() + "\\NEW.TMP", "new");
  test::WriteFile(Scratch() + "\\LIST.FIT", "old");
  EXPECT_TRUE(ReplaceFileWith(Scratch() + "\\NEW.TMP", Scratch() + "\\LIST.FIT"));
  EXPECT_EQ(test::ReadFile(Scratch() + "\\LIST.FIT"), "new");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\NEW.TMP"));
}

// Windows takes a name that ends with a separator for a folder: a file is not reached by it.
class TrailingSeparator : public test::CleanMachine, public ::testing::WithParamInterface<const char*> {};

TEST_P(TrailingSeparator, NamesNoFile) {
  std::string file = Scratch() + "\\DST.TXT", named = file + GetParam();
  test::WriteFile(file, "kept");
  EXPECT_FALSE(File::Open(named, "rt"));
  EXPECT_FALSE(File::Open(named, "rb"));
  EXPECT_FALSE(File::Open(named, "wt"));
  EXPECT_FALSE(File::Open(named, "ab"));
  EXPECT_FALSE(FindFirstExists(named));
  EXPECT_EQ(FileStamp(named).size, -1);
  EXPECT_FALSE(RemoveFile(named));
  EXPECT_EQ(test::ReadFile(file), "kept");
  EXPECT_FALSE(File::Open(Scratch() + "\\NEW.TXT" + GetParam(), "wb"));
  EXPECT_FALSE(test::FileExists(Scratch() + "\\NEW.TXT"));
  EXPECT_TRUE(File::Open(file, "rt")) << "the same name without the separator";
}

INSTANTIATE_TEST_SUITE_P(Table, TrailingSeparator, ::testing::Values("\\", "/"));

struct CodePageCase {
  const char* cp1252;
  const char* utf8;
};

class CodePage : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePage, RoundTrips) {
  EXPECT_EQ(Cp1252ToUtf8(GetParam().cp1252), GetParam().utf8);
  EXPECT_EQ(Utf8ToCp1252(GetParam().utf8), GetParam().cp1252);
  EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(GetParam().cp1252)), GetParam().cp1252);
}

INSTANTIATE_TEST_SUITE_P(Table, CodePage,
                         ::testing::Values(CodePageCase{"abc", "abc"},
                                           CodePageCase{"Sar\xE0 \xE8", "Sar\xC3\xA0 \xC3\xA8"},
                                           CodePageCase{"\x80 5", "\xE2\x82\xAC 5"},
                                           CodePageCase{"\x9C\x8A\x9F", "\xC5\x93\xC5\xA0\xC5\xB8"},
                                           CodePageCase{"\xFF", "\xC3\xBF"}));

TEST(CodePageEdges, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");
  EXPECT_EQ(Utf16ToCp1252(u"\U0001F600x"), "?x");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "\xC3") << "a broken sequence keeps its byte";
}

TEST(CaseFolding, FoldsAccentedLettersButAsciiUpperDoesNot) {
  EXPECT_TRUE(EqualsNoCase("mserver.exe", "MSERVER.EXE"));
  EXPECT_TRUE(EqualsNoCase("citt\xE0", "CITT\xC0"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_EQ(AsciiUpper("citt\xE0.exe"), "CITT\xE0.EXE");
}

}  // namespace
}  // namespace zmw::platform
