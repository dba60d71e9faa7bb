// The terminal the forms are drawn on (posix::OpenTty's): one curses screen, from the start of
// the outermost form to its end, and the keys read from it.
#pragma once
#include <cwchar>

#include "platform/Text.h"

// Last: curses names a good many things.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

namespace zmw::platform::text::terminal {

// Curses reads and writes the terminal's UTF-8. The process keeps its own locale: only this
// thread's calls into curses see a UTF-8 character type.
using CursesLocale = Utf8CharacterScope;

// The curses screen for one more form; false when this terminal cannot show forms. Each
// successful start is matched by a stop; the last stop gives the terminal back as it was.
bool StartSession();
void StopSession();

struct Key {
  bool code = false;  // a curses key code (arrows, function keys, resize), not a character
  wint_t value = 0;
  bool Is(wint_t character) const { return !code && value == character; }
  bool IsCode(int keyCode) const { return code && value == wint_t(keyCode); }
  bool Enter() const { return Is(L'\n') || Is(L'\r') || IsCode(KEY_ENTER); }
  bool Escape() const { return Is(27); }
  bool Tab() const { return Is(L'\t'); }
  bool BackTab() const { return IsCode(KEY_BTAB); }
  bool Backspace() const { return IsCode(KEY_BACKSPACE) || Is(127) || Is(8); }
  bool Printable() const { return !code && value >= 0x20 && value != 127; }
};

// A key within the milliseconds given; false when none came.
bool ReadKey(int milliseconds, Key& key);

}  // namespace zmw::platform::text::terminal
