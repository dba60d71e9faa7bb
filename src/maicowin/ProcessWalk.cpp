#include "maicowin/ProcessWalk.h"

#include "base/MwPath.h"
#include "platform/Processes.h"
#include "platform/Text.h"

namespace zmw {

int IsMaicoWinProcess(std::uint32_t, std::uint16_t, const char* fileName, std::intptr_t) {
  std::string name;
  MwPath(fileName ? fileName : "").GetFileName(name);
  name = platform::AsciiUpper(name);
  return name == "MAICOWIN.EXE" || name == "MSERVER.EXE" ? 2 : 1;
}

namespace {
std::uint64_t walks = 0;
}

int ProcessWalk(int (*test)(std::uint32_t, std::uint16_t, const char*, std::intptr_t),
                std::intptr_t callerValue) {
  ++walks;
  return platform::WalkProcesses(test, callerValue);
}

std::uint64_t ProcessWalksSoFar() { return walks; }

}  // namespace zmw
