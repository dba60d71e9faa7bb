// The zelvomw command at a terminal as a person has it: a pseudo-terminal whose output goes
// through libvterm, so the screen is read back cell by cell as it is shown, and whose keys are
// what the terminal's own keyboard encoding sends (application cursor keys and all).
#pragma once
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include "platform/Text.h"
#include "tools/StartZelvomw.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zmw::test {

class VirtualTerminal {
 public:
  // With an output file, the program's standard output and error go there (see
  // StartZelvomwAtTerminal).
  VirtualTerminal(const std::vector<std::string>& args, int rows, int columns, const std::string& output = "")
      : rows_(rows), columns_(columns) {
    vt_ = vterm_new(rows, columns);
    vterm_set_utf8(vt_, 1);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_screen_reset(screen_, 1);
    // What the terminal sends back (keys, answers to queries) goes to the program.
    vterm_output_set_callback(vt_, &VirtualTerminal::Send, this);
    pid_ = StartZelvomwAtTerminal(args, rows, columns, master_, {"TERM=xterm"}, output);
  }
  ~VirtualTerminal() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
    vterm_free(vt_);
  }
  VirtualTerminal(const VirtualTerminal&) = delete;
  VirtualTerminal& operator=(const VirtualTerminal&) = delete;

  bool Started() const { return pid_ > 0 && master_ >= 0; }

  // Waits until the condition holds on a settled screen (nothing more arriving for a moment),
  // at most the time given.
  bool WaitFor(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
      Pump(50);
      if (condition()) return true;
      if (std::chrono::steady_clock::now() >= until) return false;
    }
  }
  bool WaitForText(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return WaitFor([&] { return Shows(text); }, limit);
  }
  bool WaitGone(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return WaitFor([&] { return !Shows(text); }, limit);
  }

  // --- What is on the screen, in UTF-8.
  std::string Row(int row) const {
    std::string text;
    for (int col = 0; col < columns_; ++col) {
      VTermScreenCell cell;
      if (!vterm_screen_get_cell(screen_, VTermPos{row, col}, &cell)) continue;
      if (cell.chars[0] == 0xFFFFFFFFu) continue;  // the right half of a wide character
      if (cell.chars[0] == 0) {
        text += ' ';
        continue;
      }
      for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i]; ++i) Append(text, cell.chars[i]);
    }
    return text;
  }
  std::string Screen() const {
    std::string all;
    for (int row = 0; row < rows_; ++row) all += Row(row) + "\n";
    return all;
  }
  bool Shows(const std::string& text) const {
    for (int row = 0; row < rows_; ++row)
      if (Row(row).find(text) != std::string::npos) return true;
    return false;
  }
  // The first row that holds the text; -1 for none.
  int RowOf(const std::string& text) const {
    for (int row = 0; row < rows_; ++row)
      if (Row(row).find(text) != std::string::npos) return row;
    return -1;
  }
  // The last row that is not blank, without its trailing blanks.
  std::string LastLine() const {
    for (int row = rows_ - 1; row >= 0; --row) {
      std::string text = Row(row);
      std::size_t end = text.find_last_not_of(' ');
      if (end != std::string::npos) return text.substr(0, end + 1);
    }
    return "";
  }
  VTermPos Cursor() const {
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    return pos;
  }
  // The cursor's row from the cursor on: where the focus is, as a person sees it.
  std::string AtCursor() const {
    VTermPos at = Cursor();
    std::string text;
    for (int col = at.col; col < columns_; ++col) {
      VTermScreenCell cell;
      if (!vterm_screen_get_cell(screen_, VTermPos{at.row, col}, &cell) || cell.chars[0] == 0xFFFFFFFFu) continue;
      Append(text, cell.chars[0] ? cell.chars[0] : ' ');
    }
    return text;
  }

  // --- Keys, encoded by the terminal.
  void Press(VTermKey key, VTermModifier modifier = VTERM_MOD_NONE) { vterm_keyboard_key(vt_, key, modifier); }
  void Type(const std::string& ascii) {
    for (char c : ascii) vterm_keyboard_unichar(vt_, static_cast<unsigned char>(c), VTERM_MOD_NONE);
  }
  // Ctrl-C: the line discipline makes it an interrupt.
  void CtrlC() { vterm_keyboard_unichar(vt_, 'c', VTERM_MOD_CTRL); }

  // The exit code once the program has ended (1000 plus the signal when one ended it); -1 when
  // it is still running at the limit.
  int Finish(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      Pump(20);
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        Pump(100);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
      }
    }
    return -1;
  }

 private:
  static void Send(const char* bytes, std::size_t length, void* self) {
    auto* t = static_cast<VirtualTerminal*>(self);
    while (length > 0) {
      ssize_t n = ::write(t->master_, bytes, length);
      if (n <= 0) return;
      bytes += n;
      length -= std::size_t(n);
    }
  }

  static void Append(std::string& text, std::uint32_t c) { platform::AppendUtf8(text, char32_t(c)); }

  // Reads what the program wrote, waiting at most the time given for the first bytes, then
  // until nothing more comes for a moment: a screen is looked at once it is drawn whole.
  void Pump(int milliseconds) {
    int wait = milliseconds;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds + 1000);
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, wait) <= 0) return;
      char buffer[8192];
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) return;  // the program and its terminal have gone
      vterm_input_write(vt_, buffer, std::size_t(n));
      wait = 30;
    }
  }

  int rows_, columns_;
  VTerm* vt_ = nullptr;
  VTermScreen* screen_ = nullptr;
  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
};

}  // namespace zmw::test
