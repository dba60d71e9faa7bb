#include <gtest/gtest.h>

#include "calc/ExchangeFile.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw { namespace {

// The third column is the backup where the build takes a text that begins with "/" for a POSIX path.
TEST(ExchangeFileBackup, IsFolderTitleAndBak) {
  struct Row { const char* path; const char* backup; const char* backupOfPosixPath = nullptr; };
  for (const Row& r : {Row{"C:\\MW\\EXP\\RISULT.TXT", "C:\\MW\\EXP\\RISULT.BAK"}, {"C:\\A.B\\RES", "C:\\A.B\\RES.BAK"},
       {"C:\\MW\\R.OLD.TXT", "C:\\MW\\R.OLD.BAK"}, {"RES.TXT", "\\RES.BAK"}, {"/RES.TXT", "\\/RES.BAK", "/RES.BAK"},
       {"/tmp/x.d/RES", "\\/tmp/x.BAK", "/tmp/x.d/RES.BAK"}, {"/tmp/x/R.OLD.TXT", "\\/tmp/x/R.OLD.BAK", "/tmp/x/R.OLD.BAK"}})
    EXPECT_EQ(ExchangeFile::BackupPath(r.path),
              test::PosixPathsAreNative() && r.backupOfPosixPath ? r.backupOfPosixPath : r.backup);
}

// One moment of the exchange files' life: a file written first (none when null), then what is
// done ('b'ackup or 'r'emove the result, 'B' or 'R' the request), what that gives, and the backup then.
struct Step { const char* write; const char* bytes; char what; int result; const char* backup; };

class Exchange : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    test::InstallMaicoWin();
  }
  static std::string Exch(const char* name) { return std::string("C:\\MAICOWIN\\EXCH\\") + name; }
  void Play(const char* backup, std::initializer_list<Step> steps) {
    ExchangeFile result(ExchangeFile::Result), request(ExchangeFile::Request);
    int moment = 0;
    for (const Step& s : steps) {
      if (s.write) test::WriteFile(Exch(s.write), s.bytes);
      ExchangeFile& file = s.what == 'b' || s.what == 'r' ? result : request;
      EXPECT_EQ(s.what == 'b' || s.what == 'B' ? file.Backup() : file.Remove(), s.result) << "moment " << ++moment;
      EXPECT_EQ(test::ReadFile(Exch(backup)), s.backup) << "moment " << moment;
    }
  }
};

TEST_F(Exchange, ResultBackupReplacesTheOldOneThenTheResultGoes) {
  Play("RESULT.BAK", {{"RESULT.BAK", "older backup, longer than the result", 'b', 1, "older backup, longer than the result"},
                      {nullptr, "", 'r', 0, "older backup, longer than the result"},  // without a result it stays
                      {"RESULT.TXT", "result", 'b', 1, "result"}, {nullptr, "", 'r', 1, "result"}});
  EXPECT_FALSE(test::FileExists(Exch("RESULT.TXT")));
}

TEST_F(Exchange, SharedTitleLeavesTheRequestThenTheResultInTheBackup) {
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nEXPORT=" + Exch("MW.OUT") + "\r\nIMPORT=" + Exch("MW.IN") + "\r\n");
  Play("MW.BAK", {{"MW.OUT", "previous result", 'b', 1, "previous result"}, {"MW.IN", "request", 'B', 1, "request"},
                  {"MW.OUT", "new result", 'b', 1, "new result"}, {nullptr, "", 'R', 1, "new result"}});
}

} }  // namespace zmw
