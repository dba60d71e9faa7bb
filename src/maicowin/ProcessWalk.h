// Whether MaicoWin runs: a walk over every process, testing each program file name.
#pragma once
#include <cstdint>

namespace zmw {

// 2 when the last component of the file name, in upper case, is MAICOWIN.EXE or MSERVER.EXE;
// otherwise 1, so that the walk always visits every process.
int IsMaicoWinProcess(std::uint32_t processId, std::uint16_t task, const char* fileName,
                      std::intptr_t callerValue);

// 1 when the test returned 2 for at least one process or task.
int ProcessWalk(int (*test)(std::uint32_t, std::uint16_t, const char*, std::intptr_t),
                std::intptr_t callerValue);

// How many walks this process has made: each opens every process of the machine, so the
// number tells what an operation costs (and that each record made its walk).
std::uint64_t ProcessWalksSoFar();

}  // namespace zmw
