#include <gtest/gtest.h>

#include "calc/ExchangeFile.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct BackupCase {
  const char* path;
  const char* backup;
  // Where the build takes a text that begins with "/" for a POSIX path, its backup there.
  const char* backupOfPosixPath = nullptr;
};

class BackupName : public ::testing::TestWithParam<BackupCase> {};

TEST_P(BackupName, IsFolderTitleAndBak) {
  const BackupCase& c = GetParam();
  const char* expected = test::PosixPathsAreNative() && c.backupOfPosixPath ? c.backupOfPosixPath : c.backup;
  EXPECT_EQ(ExchangeFile::BackupPath(c.path), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, BackupName,
                         ::testing::Values(BackupCase{"C:\\MW\\EXP\\RISULT.TXT", "C:\\MW\\EXP\\RISULT.BAK"},
                                           BackupCase{"C:\\MW\\RES", "C:\\MW\\RES.BAK"},
                                           BackupCase{"C:\\A.B\\RES", "C:\\A.B\\RES.BAK"},
                                           BackupCase{"C:\\MW\\R.OLD.TXT", "C:\\MW\\R.OLD.BAK"},
                                           BackupCase{"RES.TXT", "\\RES.BAK"},
                                           BackupCase{"C:/MW/RES.TXT", "\\C:/MW/RES.BAK"},
                                           BackupCase{"/tmp/x/RES.TXT", "\\/tmp/x/RES.BAK", "/tmp/x/RES.BAK"},
                                           BackupCase{"/tmp/x.d/RES", "\\/tmp/x.BAK", "/tmp/x.d/RES.BAK"},
                                           BackupCase{"/tmp/x/R.OLD.TXT", "\\/tmp/x/R.OLD.BAK", "/tmp/x/R.OLD.BAK"},
                                           BackupCase{"/RES.TXT", "\\/RES.BAK", "/RES.BAK"}));

class Exchange : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    Names("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "C:\\MAICOWIN\\EXCH\\REQUEST.TXT");
    test::MakeFolders("C:\\MAICOWIN\\EXCH");
  }
  void Names(const std::string& result, const std::string& request) {
    test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI",
                    "[EXPORT-IMPORT]\r\nEXPORT=" + result + "\r\nIMPORT=" + request + "\r\n");
  }
};

TEST_F(Exchange, ResultBackupReplacesTheOldOneThenTheResultGoes) {
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK", "older backup, longer than the result");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", "result");
  ExchangeFile result(ExchangeFile::Result);
  EXPECT_EQ(result.Backup(), 1);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK"), "result");
  EXPECT_EQ(result.Remove(), 1);
  EXPECT_FALSE(test::FileExists("C:\\MAICOWIN\\EXCH\\RESULT.TXT"));
  EXPECT_EQ(result.Remove(), 0);
}

TEST_F(Exchange, WithoutAResultTheOldBackupStays) {
  test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK", "older backup");
  ExchangeFile result(ExchangeFile::Result);
  EXPECT_EQ(result.Backup(), 1);
  EXPECT_EQ(result.Remove(), 0);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK"), "older backup");
}

TEST_F(Exchange, SharedTitleLeavesTheRequestThenTheResultInTheBackup) {
  Names("C:\\MAICOWIN\\EXCH\\MW.OUT", "C:\\MAICOWIN\\EXCH\\MW.IN");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\MW.OUT", "previous result");
  ExchangeFile(ExchangeFile::Result).Backup();
  ExchangeFile(ExchangeFile::Result).Remove();
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\MW.BAK"), "previous result");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\MW.IN", "request");
  ExchangeFile(ExchangeFile::Request).Backup();
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\MW.BAK"), "request");
  test::WriteFile("C:\\MAICOWIN\\EXCH\\MW.OUT", "new result");
  ExchangeFile(ExchangeFile::Result).Backup();
  EXPECT_EQ(ExchangeFile(ExchangeFile::Result).Remove(), 1);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\MW.BAK"), "new result");
  EXPECT_EQ(ExchangeFile(ExchangeFile::Request).Remove(), 1) << "removing is the caller's choice";
}

TEST_F(Exchange, NoKeysMeanNothingToDo) {
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  ExchangeFile result(ExchangeFile::Result);
  EXPECT_EQ(result.Path(), "");
  EXPECT_EQ(result.Backup(), 1);
  EXPECT_EQ(result.Remove(), 0);
}

TEST_F(Exchange, AResultNamedByAPosixPathIsSavedBesideIt) {
  if (!test::PosixPathsAreNative()) GTEST_SKIP() << "path texts here are Windows paths only";
  std::string folder = platform::NativePath("C:\\MAICOWIN\\EXCH").string();
  Names(folder + "/RESULT.TXT", folder + "/REQUEST.TXT");
  test::WriteFile(folder + "/RESULT.TXT", "result");
  ExchangeFile result(ExchangeFile::Result);
  EXPECT_EQ(result.Backup(), 1);
  EXPECT_EQ(test::ReadFile(folder + "/RESULT.BAK"), "result");
  EXPECT_EQ(result.Remove(), 1);
  EXPECT_FALSE(test::FileExists(folder + "/RESULT.TXT"));
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\RESULT.BAK"), "result") << "the same folder by its Windows name";
}

}  // namespace
}  // namespace zmw
