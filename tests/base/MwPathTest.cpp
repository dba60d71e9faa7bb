#include <gtest/gtest.h>

#include "base/MwPath.h"
#include "support/TestEnv.h"

namespace zmw { namespace {

using Rows = std::initializer_list<std::pair<const char*, const char*>>;

// Each result code is written before the text it goes with: "1 JOB" is GetFileName's 1 and "JOB";
// the drive is "before" when GetDrive leaves it.
std::string Split(const char* path) {
  MwPath p(path);
  std::string name = "untouched", title, folder = "untouched", drive = "before";
  int n = p.GetFileName(name), t = p.GetFileTitle(title), f = p.GetFolder(folder), d = p.GetDrive(drive);
  return std::to_string(n) + " " + name + "|" + std::to_string(t) + " " + title + "|" + std::to_string(f) + " " +
         folder + "|unc " + std::to_string(p.IsUnc()) + ", " + std::to_string(d) + " " + drive;
}

TEST(MwPath, SplitsAtTheLastBackslashAndTakesTheDriveUnlessUnc) {
  for (auto [path, expected] : Rows{{"C:\\A.B\\JOB", "1 JOB|1 JOB|1 C:\\A.B|unc 0, 1 C:"},
       {"C:\\X\\JOB.OLD.MW", "1 JOB.OLD.MW|1 JOB.OLD|1 C:\\X|unc 0, 1 C:"}, {"C:/X/Y.TXT", "0 |1 C:/X/Y|0 |unc 0, 1 C:"},
       {"C:\\X\\", "1 |1 |1 C:\\X|unc 0, 1 C:"}, {"d", "0 |1 d|0 |unc 0, 1 d"}, {"\\single", "1 single|1 single|1 |unc 0, 1 \\s"},
       {"\\\\srv\\share\\.hidden", "1 .hidden|1 |1 \\\\srv\\share|unc 1, 1 before"}})
    EXPECT_EQ(Split(path), expected) << path;
}

TEST(MwPath, AppendPutsOneBackslashBetween) {
  for (auto [left, joined] : Rows{{"C:\\MAICOWIN", "C:\\MAICOWIN\\BIN"}, {"C:\\MAICOWIN\\", "C:\\MAICOWIN\\BIN"},
       {"", "\\BIN"}})
    EXPECT_EQ(MwPath(left).Append("BIN").Text(), joined);
  MwPath p("C:\\X");
  EXPECT_EQ(p.EnsureTrailingBackslash(), 1);
  EXPECT_EQ(p.EnsureTrailingBackslash(), 0);
  EXPECT_EQ(p.Text(), "C:\\X\\");
}

class MwPathFiles : public test::CleanMachine {
 protected:
  static std::string State(const std::string& f) {
    return std::to_string(MwPath(f).Exists()) + " " + std::to_string(MwPath(f).GetSize());
  }
};

TEST_F(MwPathFiles, CopyToCopiesLargeFilesCompletely) {
  std::string source = Scratch() + "\\SOURCE.BIN", target = Scratch() + "\\TARGET.BIN";
  for (std::size_t size : {0u, 59999u, 60000u, 60001u, 250007u}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = char((i * 131 + 7) % 256);
    test::WriteFile(source, bytes);
    test::WriteFile(target, "old content that must go");
    EXPECT_EQ(MwPath(source).CopyTo(target), 1) << size;
    EXPECT_EQ(test::ReadFile(target), bytes) << size;
  }
}

TEST_F(MwPathFiles, ExistsSizeDeleteAndCopyFailures) {
  std::string file = Scratch() + "\\F.TXT", copy = Scratch() + "\\COPY.TXT";
  EXPECT_EQ(State(file), "0 0");
  EXPECT_EQ(MwPath(file).CopyTo(copy), 0);
  test::WriteFile(file, "12345\r\n");
  EXPECT_EQ(State(file), "1 7");
  EXPECT_EQ(State(Scratch()), "0 0") << "a folder is no file";
  EXPECT_EQ(MwPath(file).CopyTo(Scratch() + "\\NOFOLDER\\B.TXT"), 0);
  // A name ending in a backslash is no file, neither to read nor to write.
  EXPECT_EQ(State(file + "\\"), "0 0");
  EXPECT_EQ(MwPath(file + "\\").CopyTo(copy) + MwPath(file).CopyTo(copy + "\\") + MwPath(file + "\\").Delete(), 0);
  EXPECT_EQ(test::ReadFile(file), "12345\r\n");
  EXPECT_EQ(MwPath(file).Delete(), 1);
  EXPECT_EQ(MwPath(file).Delete(), 0);
}

TEST_F(MwPathFiles, RemoteDriveIsTheNetworkDriveType) {
  EXPECT_EQ(MwPath("C:\\ZELVO\\JOBS").IsRemoteDrive() + MwPath("\\\\srv\\share\\JOBS").IsRemoteDrive(), 0);
  if (!test::CanMakeNetworkDrive('n')) GTEST_SKIP() << "no network drive can be made here";
  EXPECT_EQ(MwPath("N:\\JOBS").IsRemoteDrive() + MwPath("n:\\JOBS").IsRemoteDrive(), 2);
}

} }  // namespace zmw
