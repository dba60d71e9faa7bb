// Ctrl-C on POSIX: while the library works, SIGINT only marks an interrupt, which the next
// question or modal dialog takes as its cancel.
#pragma once

namespace zmw::platform::posix {

// SIGINT is caught while at least one of these lives; the previous handling comes back after
// the outermost one.
class CatchInterrupts {
 public:
  CatchInterrupts();
  ~CatchInterrupts();
  CatchInterrupts(const CatchInterrupts&) = delete;
  CatchInterrupts& operator=(const CatchInterrupts&) = delete;
};

// Takes a pending interrupt: true once per Ctrl-C (several before it is taken count as one).
bool TakeInterrupt();

}  // namespace zmw::platform::posix
