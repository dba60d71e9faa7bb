#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/Locks.h"
#include "platform/posix/Interrupt.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {

namespace posix {
namespace {

volatile std::sig_atomic_t pending = 0;
int depth = 0;
struct sigaction previous;

void OnInterrupt(int) { pending = 1; }

}  // namespace

CatchInterrupts::CatchInterrupts() {
  if (depth++ > 0) return;
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  // Whatever system call the interrupt meets (a file write, a database socket) goes on; the
  // loops that wait for a person look at the mark themselves.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &previous);
}

CatchInterrupts::~CatchInterrupts() {
  if (--depth > 0) return;
  ::sigaction(SIGINT, &previous, nullptr);
  // An interrupt that no question took ends with the work it was meant for.
  pending = 0;
}

bool TakeInterrupt() {
  if (!pending) return false;
  pending = 0;
  return true;
}

}  // namespace posix

struct CalculationLock::State {
  int fd = -1;
  bool held = false;
};

CalculationLock::CalculationLock() : state_(new State) {}

CalculationLock::~CalculationLock() {
  // Closing the file lets the lock go.
  if (state_->fd >= 0) ::close(state_->fd);
  delete state_;
}

bool CalculationLock::Acquire(int waitMilliseconds) {
  if (state_->held) return true;
  if (state_->fd < 0) {
    fs::path run = posix::PrefixRoot() / "run";
    std::error_code ec;
    fs::create_directories(run, ec);
    state_->fd = ::open((run / "calcolo-maicowin.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (state_->fd < 0) return false;
  }
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
  for (;;) {
    // A lock of another open file, also in this process, keeps us out: flock belongs to the
    // open file, not to the process.
    if (::flock(state_->fd, LOCK_EX | LOCK_NB) == 0) return state_->held = true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

struct InterruptHold::State {
  posix::CatchInterrupts catcher;
};

InterruptHold::InterruptHold() : state_(new State) {}
InterruptHold::~InterruptHold() { delete state_; }

}  // namespace zmw::platform
