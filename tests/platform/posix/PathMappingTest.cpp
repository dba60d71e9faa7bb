// How Windows path texts find their files in the prefix.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

class PathMapping : public test::CleanMachine {
 protected:
  fs::path Prefix() const { return std::getenv("ZELVOMW_PREFIX"); }
};

TEST_F(PathMapping, DriveCIsCreatedAsALinkToDriveC) {
  fs::path mapped = NativePath("C:\\ZELVO\\JOB.MW");
  EXPECT_EQ(mapped, Prefix() / "dosdevices" / "c:" / "ZELVO" / "JOB.MW");
  EXPECT_TRUE(fs::is_symlink(Prefix() / "dosdevices" / "c:"));
  EXPECT_EQ(fs::read_symlink(Prefix() / "dosdevices" / "c:"), "../drive_c");
}

TEST_F(PathMapping, ExistingComponentsMatchWithoutRegardToCase) {
  fs::create_directories(Prefix() / "drive_c" / "MaicoWin" / "Bin");
  test::WriteFile((Prefix() / "drive_c" / "MaicoWin" / "Bin" / "MaicoWin.ini").string(), "x");
  EXPECT_EQ(NativePath("c:\\MAICOWIN\\BIN\\MAICOWIN.INI"),
            Prefix() / "dosdevices" / "c:" / "MaicoWin" / "Bin" / "MaicoWin.ini");
  EXPECT_TRUE(FindFirstExists("C:\\maicowin\\bin\\maicowin.ini"));
  // A new file keeps the case it was given, in the folder that exists.
  EXPECT_EQ(NativePath("C:\\MAICOWIN\\BIN\\New.Txt"),
            Prefix() / "dosdevices" / "c:" / "MaicoWin" / "Bin" / "New.Txt");
}

TEST_F(PathMapping, ExactNameWinsOverAnotherCase) {
  fs::create_directories(Prefix() / "drive_c" / "dir");
  fs::create_directories(Prefix() / "drive_c" / "DIR");
  EXPECT_EQ(NativePath("C:\\DIR"), Prefix() / "dosdevices" / "c:" / "DIR");
  EXPECT_EQ(NativePath("C:\\dir"), Prefix() / "dosdevices" / "c:" / "dir");
}

TEST_F(PathMapping, OtherRoots) {
  EXPECT_EQ(NativePath("/tmp/x\\ZELVOMW.XML"), fs::path("/tmp/x/ZELVOMW.XML"));
  EXPECT_EQ(NativePath("\\\\server\\share\\dir\\f.txt"),
            Prefix() / "dosdevices" / "unc" / "server" / "share" / "dir" / "f.txt");
  EXPECT_EQ(NativePath("D:\\x"), Prefix() / "dosdevices" / "d:" / "x");
  EXPECT_EQ(NativePath("\\ROOTED"), Prefix() / "dosdevices" / "c:" / "ROOTED");
  EXPECT_EQ(NativePath("rel\\f.txt"), fs::path("rel/f.txt"));
  EXPECT_EQ(NativePath("C:\\X\\\\Y\\"), Prefix() / "dosdevices" / "c:" / "X" / "Y");
}

TEST_F(PathMapping, WindowsNamesBecomeUtf8Names) {
  test::WriteFile("C:\\Citt\xE0.txt", "x");
  EXPECT_TRUE(fs::exists(Prefix() / "drive_c" / "Citt\xC3\xA0.txt"));
  EXPECT_TRUE(FindFirstExists("C:\\CITT\xC0.TXT"));
}

TEST_F(PathMapping, DriveTypes) {
  EXPECT_EQ(DriveType("C:"), DriveFixed);
  EXPECT_EQ(DriveType("Q:"), DriveNoRoot);
  EXPECT_EQ(DriveType(""), DriveNoRoot);
  ASSERT_TRUE(test::CanMakeNetworkDrive('n'));
  EXPECT_EQ(DriveType("N:"), DriveRemote);
}

}  // namespace
}  // namespace zmw::platform
