// One calculation at a time per installation: MaicoWin has one request and one result file,
// so two cycles at once would answer each other's jobs.
#pragma once

namespace zmw::platform {

// Held from a successful Acquire until the object goes. The system releases it when the
// holding process dies, so a crashed run never blocks the next one.
// Windows: a named mutex. POSIX: flock on a file in the prefix's run folder.
class CalculationLock {
 public:
  CalculationLock();
  ~CalculationLock();
  CalculationLock(const CalculationLock&) = delete;
  CalculationLock& operator=(const CalculationLock&) = delete;

  // Waits up to the given time for the lock; true when it is held.
  bool Acquire(int waitMilliseconds);

 private:
  struct State;
  State* state_;
};

// Holds Ctrl-C while the library works for its host: an interrupt is not the end of the
// process but the answer to the next question or dialog (its cancel button), so a cycle is
// never left half done. Windows: nothing to do, the host is a window program.
class InterruptHold {
 public:
  InterruptHold();
  ~InterruptHold();
  InterruptHold(const InterruptHold&) = delete;
  InterruptHold& operator=(const InterruptHold&) = delete;

 private:
  struct State;
  State* state_;
};

}  // namespace zmw::platform
