// The zelvomw command at a terminal as a person has it: a pseudo-terminal whose output goes
// through libvterm, so the screen is read back cell by cell as it is shown, and whose keys are
// what the terminal's own keyboard encoding sends (application cursor keys and all).
#pragma once
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "tools/StartZelvomw.h"

namespace zmw::test {

class VirtualTerminal {
 public:
  // With an output file, the program's standard output and error go there.
  VirtualTerminal(const std::vector<std::string>& args, int rows, int columns, const std::string& output = "")
      : rows_(rows), columns_(columns), vt_(vterm_new(rows, columns)), screen_(vterm_obtain_screen(vt_)) {
    vterm_set_utf8(vt_, 1);
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

  bool Started() const { return pid_ > 0 && master_ >= 0; }
  // Waits until the condition holds on a settled screen (nothing more arriving for a moment).
  bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    for (auto until = std::chrono::steady_clock::now() + limit;;) {
      Pump(50);
      if (condition()) return true;
      if (std::chrono::steady_clock::now() >= until) return false;
    }
  }
  bool WaitForText(const std::string& text) { return WaitFor([&] { return Shows(text); }); }
  bool WaitGone(const std::string& text) { return WaitFor([&] { return !Shows(text); }); }

  // --- What is on the screen, in UTF-8: a row from a column on.
  std::string Row(int row, int from = 0) const {
    std::string text;
    for (int col = from; col < columns_; ++col) {
      VTermScreenCell cell;
      // The right half of a wide character is no cell of its own.
      if (!vterm_screen_get_cell(screen_, VTermPos{row, col}, &cell) || cell.chars[0] == 0xFFFFFFFFu) continue;
      if (cell.chars[0] == 0) text += ' ';
      for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i]; ++i) platform::AppendUtf8(text, cell.chars[i]);
    }
    return text;
  }
  std::string Screen() const {
    std::string all;
    for (int row = 0; row < rows_; ++row) all += Row(row) + "\n";
    return all;
  }
  // The first row that holds the text; -1 for none.
  int RowOf(const std::string& text) const {
    for (int row = 0; row < rows_; ++row)
      if (Row(row).find(text) != std::string::npos) return row;
    return -1;
  }
  bool Shows(const std::string& text) const { return RowOf(text) >= 0; }
  // The last row that is not blank, without its trailing blanks.
  std::string LastLine() const {
    for (int row = rows_ - 1; row >= 0; --row)
      if (std::string text = Row(row); text.find_last_not_of(' ') != std::string::npos)
        return text.substr(0, text.find_last_not_of(' ') + 1);
    return "";
  }
  VTermPos Cursor() const {
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    return pos;
  }
  // The cursor's row from the cursor on: where the focus is, as a person sees it.
  std::string AtCursor() const { return Row(Cursor().row, Cursor().col); }

  // --- Keys, encoded by the terminal.
  void Press(VTermKey key) { vterm_keyboard_key(vt_, key, VTERM_MOD_NONE); }
  // Presses the key and waits until the cursor has moved; false when it stays.
  bool PressAndMove(VTermKey key) {
    VTermPos before = Cursor();
    Press(key);
    return WaitFor([&] { return Cursor().row != before.row || Cursor().col != before.col; }, std::chrono::seconds(5));
  }
  void Type(const std::string& ascii) {
    for (char c : ascii) vterm_keyboard_unichar(vt_, static_cast<unsigned char>(c), VTERM_MOD_NONE);
  }
  // Ctrl-C: the line discipline makes it an interrupt.
  void CtrlC() { vterm_keyboard_unichar(vt_, 'c', VTERM_MOD_CTRL); }

  // The exit code once the program has ended (1000 plus the signal when one ended it); -1 when
  // it is still running at the limit.
  int Finish() {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
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
    for (ssize_t n; length > 0 && (n = ::write(static_cast<VirtualTerminal*>(self)->master_, bytes, length)) > 0;) {
      bytes += n;
      length -= std::size_t(n);
    }
  }
  // Reads what the program wrote, waiting at most the time given for the first bytes, then
  // until nothing more comes for a moment: a screen is looked at once it is drawn whole.
  void Pump(int wait) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait + 1000);
    for (pollfd p{master_, POLLIN, 0}; std::chrono::steady_clock::now() < until && ::poll(&p, 1, wait) > 0; wait = 30) {
      char buffer[8192];
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) return;  // the program and its terminal have gone
      vterm_input_write(vt_, buffer, std::size_t(n));
    }
  }

  int rows_, columns_;
  VTerm* vt_;
  VTermScreen* screen_;
  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
};

}  // namespace zmw::test
