// The POSIX side of the terminal and batch interface: a person at a terminal unless told
// otherwise, Ctrl-C as SIGINT, standard input read by hand.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/Text.h"
#include "platform/common/TextHost.h"
#include "platform/posix/Interrupt.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/terminal/Tty.h"

namespace zmw::platform {
namespace text {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

bool UseTerminal() {
  std::string mode = Env("ZELVOMW_UI");
  if (mode == "batch") return false;
  if (mode == "terminal") return true;
  return ::isatty(0) && ::isatty(2);
}

std::ostream* TerminalOut() {
  posix::Tty* tty = UseTerminal() ? posix::OpenTty() : nullptr;
  return tty ? tty->lines : nullptr;
}

// One line typed at the terminal. The terminal is read by hand, not through a stream, so that
// the open dialogs' timers go on while a person thinks and Ctrl-C is an answer, not a broken
// stream.
Reply AskTerminal(const std::string& prompt, std::string& answer) {
  static std::string typed;  // what came after the last line taken
  posix::Tty* tty = posix::OpenTty();
  if (!tty) return Reply::End;
  std::ostream& out = *tty->lines;
  posix::CatchInterrupts interrupts;
  out << prompt << std::flush;
  for (;;) {
    if (std::size_t eol = typed.find('\n'); eol != std::string::npos) {
      std::string line = typed.substr(0, eol);
      typed.erase(0, eol + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      answer = Utf8ToCp1252(line);
      return Reply::Line;
    }
    if (posix::TakeInterrupt()) {
      out << "^C" << std::endl;
      return Reply::Interrupted;
    }
    int due = RunDueDialogTimers();
    int wait = due < 0 || due > 50 ? 50 : due;
    pollfd in{tty->in, POLLIN, 0};
    int ready = ::poll(&in, 1, wait);
    if (ready <= 0) continue;  // a timer is due, an interrupt came, or nothing yet
    char buffer[256];
    ssize_t got = ::read(tty->in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      out << std::endl;
      return Reply::End;
    }
    typed.append(buffer, std::size_t(got));
  }
}

void Wait(int milliseconds) { ::poll(nullptr, 0, milliseconds); }

InterruptScope::InterruptScope() : state_(new posix::CatchInterrupts) {}
InterruptScope::~InterruptScope() { delete static_cast<posix::CatchInterrupts*>(state_); }
bool TakeInterrupt() { return posix::TakeInterrupt(); }

std::optional<std::string> ReadWholeFile(const std::string& nativePath) { return posix::ReadBytes(nativePath); }

}  // namespace text

Ui& PlatformUi() { return text::TextUi(); }
DialogHost& PlatformDialogHost() { return text::TextDialogHost(); }

}  // namespace zmw::platform
