// The platform's list of running processes.
#pragma once
#include <cstdint>

namespace zmw::platform {

// Called for every process (task 0) and every 16-bit task: 0 stops the walk, 1 goes on,
// 2 records a find and goes on.
using ProcessTest = int (*)(std::uint32_t processId, std::uint16_t task, const char* fileName,
                            std::intptr_t callerValue);

// 1 when the test found something, 0 when not or when the process services cannot be reached.
// A process that cannot be opened is passed with an empty file name.
int WalkProcesses(ProcessTest test, std::intptr_t callerValue);

}  // namespace zmw::platform
