// What the command tests of this folder share: the end of a run, MaicoWin's result lines, the
// jobs folder and the lists found there.
#pragma once
#include <signal.h>
#include <sys/wait.h>

#include <string>

#include "StartZelvomw.h"
#include "calc/JobItem.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw::test {

// The exit code of the child, or 1000 plus the signal that ended it; killed first when asked.
inline int Finish(pid_t pid, bool kill = false) {
  if (kill) ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// One line of MaicoWin's result: three of the accessory for position 1.
inline std::string ResultLine(const std::string& code) {
  return std::string(114, ' ') + "   1" + std::string(25, ' ') + code + "       3\r\n";
}

// Zelvo's jobs in the JOBS folder of the scratch folder.
inline void JobsIn(const std::string& scratch) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (scratch + "\\JOBS\\").c_str());
  MakeFolders(scratch + "\\JOBS");
}

// A list of job K1 with records of Zelvo's own, VECCHIO0, VECCHIO1 and so on.
inline bool SaveOldList(const std::string& path, int records) {
  JobItemList old;
  for (int i = 0; i < records; ++i) {
    JobItemRecord r;
    r.JobCode.Set("K1");
    r.Maker.Set("ZELVO");
    r.Code.Set("VECCHIO" + std::to_string(i));
    old.Append(r);
  }
  return old.Save(path);
}

inline JobItemList LoadList(const std::string& path) {
  JobItemList list;
  list.Load(path, CountRule::EmptyWhenNotPositive);
  return list;
}

}  // namespace zmw::test
