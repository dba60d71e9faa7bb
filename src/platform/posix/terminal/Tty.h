// The terminal a person works at in the terminal mode: standard input and error when both are
// one; when either goes elsewhere (output sent to a file), the controlling terminal, as dialog
// programs draw on it. Opened the first time it is asked for and kept for the process.
#pragma once
#include <cstdio>
#include <ostream>

namespace zmw::platform::posix {

struct Tty {
  int in = -1;                  // keys and typed lines come from here
  std::FILE* input = nullptr;   // the same, and the output below, as curses takes them
  std::FILE* output = nullptr;
  std::ostream* lines = nullptr;  // what the text host writes on the terminal
};

// The terminal; nullptr when there is none, which the first ask says in one line on standard
// error.
Tty* OpenTty();

}  // namespace zmw::platform::posix
