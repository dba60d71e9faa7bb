#include "platform/posix/terminal/Session.h"

#include <signal.h>

#include <cstdlib>

#include "platform/posix/terminal/Tty.h"

namespace zmw::platform::text::terminal {
namespace {

struct Session {
  SCREEN* screen = nullptr;
  int users = 0;
  // Curses takes SIGTERM and SIGTSTP while it owns the terminal; they go back afterwards.
  struct sigaction term = {}, tstp = {};
};
Session session;

void RestoreSignals() {
  ::sigaction(SIGTERM, &session.term, nullptr);
  ::sigaction(SIGTSTP, &session.tstp, nullptr);
}

}  // namespace

bool StartSession() {
  if (session.users > 0) {
    ++session.users;
    return true;
  }
  const char* type = std::getenv("TERM");
  if (!type || !*type) return false;
  posix::Tty* tty = posix::OpenTty();
  if (!tty) return false;
  CursesLocale utf8;
  ::sigaction(SIGTERM, nullptr, &session.term);
  ::sigaction(SIGTSTP, nullptr, &session.tstp);
  SCREEN* screen = newterm(nullptr, tty->output, tty->input);
  if (!screen) {
    RestoreSignals();
    return false;
  }
  set_term(screen);
  // A terminal that cannot put the cursor where it is told cannot show a form.
  char* move = tigetstr(const_cast<char*>("cup"));
  if (!move || move == reinterpret_cast<char*>(-1)) {
    endwin();
    delscreen(screen);
    RestoreSignals();
    return false;
  }
  cbreak();  // Ctrl-C stays an interrupt, for the text host's own handling
  noecho();
  keypad(stdscr, TRUE);
  meta(stdscr, TRUE);
  intrflush(stdscr, FALSE);
  set_escdelay(80);
  session.screen = screen;
  session.users = 1;
  return true;
}

void StopSession() {
  if (--session.users > 0) return;
  CursesLocale utf8;
  endwin();
  delscreen(session.screen);
  session.screen = nullptr;
  RestoreSignals();
}

bool ReadKey(int milliseconds, Key& key) {
  CursesLocale utf8;
  wtimeout(stdscr, milliseconds);
  wint_t value = 0;
  int got = wget_wch(stdscr, &value);
  if (got == ERR) return false;
  key.code = got == KEY_CODE_YES;
  key.value = value;
  return true;
}

}  // namespace zmw::platform::text::terminal
