#include <windows.h>

#include "platform/Locks.h"
#include "platform/common/TextHost.h"
#include "platform/win32/Handles.h"

namespace zmw::platform {

namespace {
// The mutex is recursive for its owning thread; a host that calls again from inside a modal
// loop of the first call is on the same thread, and must be refused like anyone else.
DWORD holdingThread = 0;
}  // namespace

struct CalculationLock::State {
  win32::UniqueHandle mutex;
  bool held = false;
};

CalculationLock::CalculationLock() : state_(new State) {}

CalculationLock::~CalculationLock() {
  if (state_->held) {
    holdingThread = 0;
    ::ReleaseMutex(state_->mutex.Get());
  }
  delete state_;
}

bool CalculationLock::Acquire(int waitMilliseconds) {
  if (state_->held) return true;
  if (holdingThread == ::GetCurrentThreadId()) return false;
  if (!state_->mutex) {
    // Every session of the machine shares MaicoWin's exchange files; where the global
    // namespace is closed to us, the session's own is the next best.
    HANDLE h = ::CreateMutexA(nullptr, FALSE, "Global\\ZelvoMW.CalcoloMaicoWin");
    if (!h) h = ::CreateMutexA(nullptr, FALSE, "Local\\ZelvoMW.CalcoloMaicoWin");
    state_->mutex.Reset(h);
    if (!state_->mutex) return false;
  }
  DWORD r = ::WaitForSingleObject(state_->mutex.Get(), waitMilliseconds < 0 ? 0 : DWORD(waitMilliseconds));
  // An abandoned mutex belonged to a process that died: it is ours now.
  state_->held = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
  if (state_->held) holdingThread = ::GetCurrentThreadId();
  return state_->held;
}

// A window host has no console and never sees Ctrl-C; a console host (zelvomw.exe) gets it
// held like on POSIX.
struct InterruptHold::State {
  text::InterruptScope scope;
};
InterruptHold::InterruptHold() : state_(new State) {}
InterruptHold::~InterruptHold() { delete state_; }

}  // namespace zmw::platform
