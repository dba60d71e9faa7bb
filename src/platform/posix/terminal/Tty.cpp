#include "platform/posix/terminal/Tty.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <memory>
#include <streambuf>

namespace zmw::platform::posix {
namespace {

// Lines written straight to the terminal: nothing waits in a buffer while a person reads.
class TtyBuffer final : public std::streambuf {
 public:
  explicit TtyBuffer(int fd) : fd_(fd) {}

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    std::streamsize done = 0;
    while (done < count) {
      ssize_t n = ::write(fd_, text + done, std::size_t(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += n;
    }
    return done;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    char one = traits_type::to_char_type(c);
    return xsputn(&one, 1) == 1 ? c : traits_type::eof();
  }

 private:
  int fd_;
};

// The controlling terminal, open for the process.
class ControllingTty {
 public:
  explicit ControllingTty(int fd) : fd_(fd), buffer_(fd), stream_(&buffer_) {
    tty_.in = fd;
    tty_.input = ::fdopen(fd, "r");
    tty_.output = ::fdopen(::dup(fd), "w");
    tty_.lines = &stream_;
  }
  ~ControllingTty() {
    if (tty_.output) std::fclose(tty_.output);
    if (tty_.input) std::fclose(tty_.input);
    else ::close(fd_);
  }
  ControllingTty(const ControllingTty&) = delete;
  ControllingTty& operator=(const ControllingTty&) = delete;

  Tty* Get() { return tty_.input && tty_.output ? &tty_ : nullptr; }

 private:
  int fd_;
  TtyBuffer buffer_;
  std::ostream stream_;
  Tty tty_;
};

}  // namespace

Tty* OpenTty() {
  if (::isatty(0) && ::isatty(2)) {
    static Tty standard{0, stdin, stderr, &std::cerr};
    return &standard;
  }
  static std::unique_ptr<ControllingTty> controlling;
  static bool tried = false;
  if (!tried) {
    tried = true;
    int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) controlling = std::make_unique<ControllingTty>(fd);
    if (!controlling || !controlling->Get())
      std::cerr << "ZELVOMW_UI=terminal, ma non c'\u00e8 un terminale di controllo: le finestre di dialogo vengono "
                   "annullate e i messaggi prendono la risposta predefinita."
                << std::endl;
  }
  return controlling ? controlling->Get() : nullptr;
}

}  // namespace zmw::platform::posix
