#include <gtest/gtest.h>

#include "base/MwPath.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct SplitCase {
  const char* path;
  int nameResult;
  const char* name;
  const char* title;
  int folderResult;
  const char* folder;
};

class MwPathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(MwPathSplit, SplitsAtTheLastBackslash) {
  const SplitCase& c = GetParam();
  MwPath p(c.path);
  std::string name = "untouched", title, folder = "untouched";
  EXPECT_EQ(p.GetFileName(name), c.nameResult);
  EXPECT_EQ(name, c.name);
  EXPECT_EQ(p.GetFileTitle(title), 1);
  EXPECT_EQ(title, c.title);
  EXPECT_EQ(p.GetFolder(folder), c.folderResult);
  EXPECT_EQ(folder, c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MwPathSplit,
    ::testing::Values(SplitCase{"C:\\A.B\\JOB", 1, "JOB", "JOB", 1, "C:\\A.B"},
                      SplitCase{"C:\\X\\JOB.OLD.MW", 1, "JOB.OLD.MW", "JOB.OLD", 1, "C:\\X"},
                      SplitCase{"JOB", 0, "", "JOB", 0, ""},
                      SplitCase{"A123.MW", 0, "", "A123", 0, ""},
                      SplitCase{"C:\\X\\Y.TXT", 1, "Y.TXT", "Y", 1, "C:\\X"},
                      SplitCase{"C:/X/Y.TXT", 0, "", "C:/X/Y", 0, ""},
                      SplitCase{"C:\\X\\", 1, "", "", 1, "C:\\X"},
                      SplitCase{"\\\\srv\\share\\.hidden", 1, ".hidden", "", 1, "\\\\srv\\share"},
                      SplitCase{"", 0, "", "", 0, ""}));

struct JoinCase {
  const char* left;
  const char* right;
  const char* joined;
};

class MwPathJoin : public ::testing::TestWithParam<JoinCase> {};

TEST_P(MwPathJoin, PutsOneBackslashBetween) {
  MwPath p(GetParam().left);
  EXPECT_EQ(p.Append(GetParam().right).Text(), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(Table, MwPathJoin,
                         ::testing::Values(JoinCase{"C:\\MAICOWIN", "BIN", "C:\\MAICOWIN\\BIN"},
                                           JoinCase{"C:\\MAICOWIN\\", "BIN", "C:\\MAICOWIN\\BIN"},
                                           JoinCase{"C:\\X", "\\Y", "C:\\X\\\\Y"},
                                           JoinCase{"", "DATI", "\\DATI"},
                                           JoinCase{"C:/X", "Y", "C:/X\\Y"}));

TEST(MwPath, AppendChainsToTheIniFile) {
  MwPath p("C:\\MAICOWIN");
  EXPECT_EQ(p.Append("BIN").Append("MAICOWIN.INI").Text(), "C:\\MAICOWIN\\BIN\\MAICOWIN.INI");
}

TEST(MwPath, EnsureTrailingBackslashSaysWhetherItAdded) {
  MwPath p("C:\\X");
  EXPECT_EQ(p.EnsureTrailingBackslash(), 1);
  EXPECT_EQ(p.EnsureTrailingBackslash(), 0);
  EXPECT_EQ(p.Text(), "C:\\X\\");
}

struct DriveCase {
  const char* path;
  int unc;
  const char* drive;
};

class MwPathDrive : public ::testing::TestWithParam<DriveCase> {};

TEST_P(MwPathDrive, DriveIsTheFirstTwoCharactersUnlessUnc) {
  MwPath p(GetParam().path);
  std::string drive = "before";
  EXPECT_EQ(p.IsUnc(), GetParam().unc);
  EXPECT_EQ(p.GetDrive(drive), 1);
  EXPECT_EQ(drive, GetParam().drive);
}

INSTANTIATE_TEST_SUITE_P(Table, MwPathDrive,
                         ::testing::Values(DriveCase{"C:\\X\\Y", 0, "C:"},
                                           DriveCase{"\\\\srv\\share\\x", 1, "before"},
                                           DriveCase{"\\single", 0, "\\s"},
                                           DriveCase{"d", 0, "d"}));

class MwPathFiles : public test::CleanMachine {};

TEST_F(MwPathFiles, CopyToCopiesLargeFilesCompletely) {
  for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(59999), std::size_t(60000),
                           std::size_t(60001), std::size_t(250007)}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = char((i * 131 + 7) % 256);
    std::string source = Scratch() + "\\SOURCE.BIN", target = Scratch() + "\\TARGET.BIN";
    test::WriteFile(source, bytes);
    test::WriteFile(target, "old content that must go");
    EXPECT_EQ(MwPath(source).CopyTo(target), 1) << size;
    EXPECT_EQ(test::ReadFile(target), bytes) << size;
    EXPECT_EQ(MwPath(target).GetSize(), static_cast<long long>(size));
  }
}

TEST_F(MwPathFiles, CopyToFailsWithoutSourceOrDestinationFolder) {
  test::WriteFile(Scratch() + "\\A.TXT", "a");
  EXPECT_EQ(MwPath(Scratch() + "\\MISSING.TXT").CopyTo(Scratch() + "\\B.TXT"), 0);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\B.TXT"));
  EXPECT_EQ(MwPath(Scratch() + "\\A.TXT").CopyTo(Scratch() + "\\NOFOLDER\\B.TXT"), 0);
}

TEST_F(MwPathFiles, ExistsSizeAndDelete) {
  std::string file = Scratch() + "\\F.TXT";
  EXPECT_EQ(MwPath(file).Exists(), 0);
  EXPECT_EQ(MwPath(file).GetSize(), 0);
  test::WriteFile(file, "");
  EXPECT_EQ(MwPath(file).Exists(), 1);
  EXPECT_EQ(MwPath(file).GetSize(), 0);
  test::WriteFile(file, "12345\r\n");
  EXPECT_EQ(MwPath(file).GetSize(), 7);
  EXPECT_EQ(MwPath(Scratch()).Exists(), 0) << "a folder is no file";
  EXPECT_EQ(MwPath(file).Delete(), 1);
  EXPECT_EQ(MwPath(file).Delete(), 0);
  EXPECT_FALSE(test::FileExists(file));
}

TEST_F(MwPathFiles, ANameEndingInABackslashIsNoFile) {
  std::string file = Scratch() + "\\DST.TXT";
  test::WriteFile(file, "data");
  EXPECT_EQ(MwPath(file).Exists(), 1);
  EXPECT_EQ(MwPath(file + "\\").Exists(), 0);
  EXPECT_EQ(MwPath(file + "\\").GetSize(), 0);
  EXPECT_EQ(MwPath(file + "\\").CopyTo(Scratch() + "\\COPY.TXT"), 0);
  EXPECT_EQ(MwPath(file).CopyTo(Scratch() + "\\COPY.TXT\\"), 0);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\COPY.TXT"));
  EXPECT_EQ(MwPath(file + "\\").Delete(), 0);
  EXPECT_EQ(test::ReadFile(file), "data");
}

TEST_F(MwPathFiles, RemoteDriveIsTheNetworkDriveType) {
  EXPECT_EQ(MwPath("C:\\ZELVO\\JOBS").IsRemoteDrive(), 0);
  EXPECT_EQ(MwPath("\\\\srv\\share\\JOBS").IsRemoteDrive(), 0);
  if (!test::CanMakeNetworkDrive('n')) GTEST_SKIP() << "no network drive can be made here";
  EXPECT_EQ(MwPath("N:\\JOBS").IsRemoteDrive(), 1);
  EXPECT_EQ(MwPath("n:\\JOBS").IsRemoteDrive(), 1);
}

}  // namespace
}  // namespace zmw
