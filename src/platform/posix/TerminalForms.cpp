// The dialogs a person works, as forms at the terminal: drawn with ncurses from the templates'
// one description (the frame and its caption, static texts, group boxes, edits, push buttons,
// check boxes), a cell for about four dialog units across and eight down. Questions, the folder
// browser and the file picker open over the forms as boxes of their own. One curses screen
// serves every form that is open, from the start of the outermost one to its end, on the
// terminal the text host uses (standard input and error); the line output that follows finds
// the terminal as it was.
#include <locale.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/DialogTemplates.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/common/TextHost.h"
#include "platform/posix/Prefix.h"

// Last: curses names a good many things.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

namespace fs = std::filesystem;

namespace zmw::platform::text {
namespace {

// ---------------------------------------------------------------------------------------------
// The terminal

// Curses reads and writes the terminal's UTF-8. The process keeps its own locale: only this
// thread's calls into curses see a UTF-8 character type.
using CursesLocale = Utf8CharacterScope;

struct Terminal {
  SCREEN* screen = nullptr;
  int users = 0;
  // Curses takes SIGTERM and SIGTSTP while it owns the terminal; they go back afterwards.
  struct sigaction term = {}, tstp = {};
};
Terminal terminal;

void RestoreSignals() {
  ::sigaction(SIGTERM, &terminal.term, nullptr);
  ::sigaction(SIGTSTP, &terminal.tstp, nullptr);
}

bool StartTerminal() {
  if (terminal.users > 0) {
    ++terminal.users;
    return true;
  }
  // Forms need the terminal itself on both sides: with either stream redirected (a forced
  // ZELVOMW_UI=terminal) the dialogs keep to lines.
  const char* type = std::getenv("TERM");
  if (!type || !*type || !::isatty(0) || !::isatty(2)) return false;
  CursesLocale utf8;
  ::sigaction(SIGTERM, nullptr, &terminal.term);
  ::sigaction(SIGTSTP, nullptr, &terminal.tstp);
  SCREEN* screen = newterm(nullptr, stderr, stdin);
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
  terminal.screen = screen;
  terminal.users = 1;
  return true;
}

void StopTerminal() {
  if (--terminal.users > 0) return;
  CursesLocale utf8;
  endwin();
  delscreen(terminal.screen);
  terminal.screen = nullptr;
  RestoreSignals();
}

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

// ---------------------------------------------------------------------------------------------
// Drawing

// Texts are the library's Windows-1252; each of its characters takes one cell.
std::wstring Wide(const std::string& text) {
  std::u16string units = Cp1252ToUtf16(text);
  std::wstring wide;
  wide.reserve(units.size());
  for (char16_t u : units) wide.push_back(u < 0x20 || u == 0x7F ? L'?' : wchar_t(u));
  return wide;
}

// A typed character in Windows-1252; false when that code page lacks it.
bool Narrow(wint_t character, char& narrow) {
  if (character > 0xFFFF) return false;
  std::string text = Utf16ToCp1252(std::u16string(1, char16_t(character)));
  if (text.size() != 1 || (text[0] == '?' && character != L'?')) return false;
  narrow = text[0];
  return true;
}

int Length(const std::string& text) { return int(text.size()); }

void Put(int y, int x, const std::string& text, int width, attr_t attributes = A_NORMAL) {
  if (y < 0 || y >= LINES || width <= 0) return;
  std::wstring wide = Wide(text);
  if (x < 0) {
    wide.erase(0, std::min(wide.size(), std::size_t(-x)));
    width += x;
    x = 0;
  }
  width = std::min(width, COLS - x);
  if (width <= 0) return;
  if (int(wide.size()) > width) wide.resize(std::size_t(width));
  wattrset(stdscr, int(attributes));
  mvwaddnwstr(stdscr, y, x, wide.c_str(), int(wide.size()));
  wattrset(stdscr, A_NORMAL);
}

void Fill(int y, int x, int width, attr_t attributes = A_NORMAL) {
  if (width > 0) Put(y, x, std::string(std::size_t(width), ' '), width, attributes);
}

void Centered(int y, int x, int width, const std::string& text, attr_t attributes = A_NORMAL) {
  int pad = std::max(0, (width - Length(text)) / 2);
  Put(y, x + pad, text, width - pad, attributes);
}

// A box's lines; the caption, when there is one, in its top line.
void Lines(int top, int left, int height, int width, const std::string& caption, attr_t attributes) {
  if (height < 2 || width < 2) return;
  int bottom = top + height - 1, right = left + width - 1;
  wattrset(stdscr, int(attributes));
  mvwhline(stdscr, top, left + 1, ACS_HLINE, width - 2);
  mvwhline(stdscr, bottom, left + 1, ACS_HLINE, width - 2);
  if (height > 2) {
    mvwvline(stdscr, top + 1, left, ACS_VLINE, height - 2);
    mvwvline(stdscr, top + 1, right, ACS_VLINE, height - 2);
  }
  mvwaddch(stdscr, top, left, ACS_ULCORNER);
  mvwaddch(stdscr, top, right, ACS_URCORNER);
  mvwaddch(stdscr, bottom, left, ACS_LLCORNER);
  mvwaddch(stdscr, bottom, right, ACS_LRCORNER);
  wattrset(stdscr, A_NORMAL);
  if (!caption.empty() && width > 6) Put(top, left + 2, " " + caption + " ", width - 4, attributes);
}

// A window of its own: cleared, framed, captioned.
void Frame(int top, int left, int height, int width, const std::string& caption) {
  for (int row = 0; row < height; ++row) Fill(top + row, left, width);
  Lines(top, left, height, width, caption, A_BOLD);
}

// Greedy word wrap at the width; a word longer than a line is cut.
std::vector<std::string> Wrap(const std::string& text, int width) {
  std::vector<std::string> lines;
  if (width < 1) width = 1;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    std::string line;
    std::size_t at = 0;
    while (at < paragraph.size()) {
      std::size_t space = paragraph.find(' ', at);
      std::string word = paragraph.substr(at, space == std::string::npos ? std::string::npos : space - at);
      at = space == std::string::npos ? paragraph.size() : space + 1;
      while (Length(word) > width) {
        if (!line.empty()) lines.push_back(line), line.clear();
        lines.push_back(word.substr(0, std::size_t(width)));
        word.erase(0, std::size_t(width));
      }
      if (line.empty()) line = word;
      else if (Length(line) + 1 + Length(word) <= width) line += " " + word;
      else lines.push_back(line), line = word;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// What one paint leaves behind: where the cursor goes, whether the bottom line holds the keys.
struct PaintState {
  int cursorY = -1, cursorX = -1;
  bool hintLine = true;
  bool repaintAll = false;  // something else wrote on the terminal: draw every cell again
};
PaintState paint;

void CursorAt(int y, int x) {
  paint.cursorY = y;
  paint.cursorX = x;
}

// Rows above the key line, where forms and boxes are centred.
int AreaRows() { return paint.hintLine ? LINES - 1 : LINES; }

// ---------------------------------------------------------------------------------------------
// One line of text being typed: an edit control, the browser's path, the picker's file.

struct LineEdit {
  std::size_t caret = 0, scroll = 0;
  bool all = false;  // the whole text selected, as an edit is when Tab brings the focus to it

  void Enter(const std::string& text) {
    all = true;
    caret = text.size();
    scroll = 0;
  }

  // Applies an editing key to the text; false when the key is no editing key.
  bool Apply(const Key& key, std::string& text, std::size_t limit) {
    caret = std::min(caret, text.size());
    if (key.Printable()) {
      char c;
      if (!Narrow(key.value, c)) {
        beep();
        return true;
      }
      if (all) Clear(text);
      if (limit && text.size() >= limit) {
        beep();  // the edit control's limit holds, as for the user on Windows
        return true;
      }
      text.insert(caret++, 1, c);
    } else if (key.Backspace()) {
      if (all) Clear(text);
      else if (caret > 0) text.erase(--caret, 1);
    } else if (key.IsCode(KEY_DC)) {
      if (all) Clear(text);
      else if (caret < text.size()) text.erase(caret, 1);
    } else if (key.IsCode(KEY_LEFT)) {
      caret = all ? 0 : caret > 0 ? caret - 1 : 0;
      all = false;
    } else if (key.IsCode(KEY_RIGHT)) {
      caret = all ? text.size() : std::min(caret + 1, text.size());
      all = false;
    } else if (key.IsCode(KEY_HOME)) {
      caret = 0;
      all = false;
    } else if (key.IsCode(KEY_END)) {
      caret = text.size();
      all = false;
    } else {
      return false;
    }
    return true;
  }

  // The field: its text from the scroll position, underlined; the caret kept in sight.
  void Draw(int y, int x, int width, const std::string& text, bool focused, attr_t attributes) {
    caret = std::min(caret, text.size());
    if (!focused) {
      scroll = 0;
    } else {
      if (caret < scroll) scroll = caret;
      if (int(caret - scroll) >= width) scroll = caret - std::size_t(width) + 1;
    }
    scroll = std::min(scroll, text.size());
    std::string shown = text.substr(scroll, std::size_t(width));
    Fill(y, x, width, attributes | A_UNDERLINE);
    Put(y, x, shown, width, attributes | A_UNDERLINE | (focused && all ? A_REVERSE : A_NORMAL));
    if (focused) CursorAt(y, x + int(caret - scroll));
  }

 private:
  void Clear(std::string& text) {
    text.clear();
    caret = 0;
    all = false;
  }
};

// ---------------------------------------------------------------------------------------------
// Layers: the forms and the boxes over them, innermost last.

class Layer {
 public:
  virtual ~Layer() = default;
  // Draws itself over what lies below; false when the terminal is too small for it, with the
  // size it needs (columns, rows).
  virtual bool Draw(int& needColumns, int& needRows) = 0;
  virtual std::string Caption() const = 0;
  virtual const char* Keys() const = 0;
  virtual void OnKey(const Key& key) = 0;
  virtual void OnEscape() = 0;
  virtual void OnInterrupt() = 0;
  virtual bool Done() const = 0;
};

std::vector<Layer*> layers;

class LayerScope {
 public:
  explicit LayerScope(Layer& layer) { layers.push_back(&layer); }
  ~LayerScope() {
    layers.pop_back();
    paint.repaintAll = true;
  }
  LayerScope(const LayerScope&) = delete;
  LayerScope& operator=(const LayerScope&) = delete;
};

// Draws every layer; says so instead when the terminal is too small. Whether all fit.
bool Paint() {
  CursesLocale utf8;
  werase(stdscr);
  paint.cursorY = paint.cursorX = -1;
  paint.hintLine = true;
  const Layer* tooBig = nullptr;
  int needColumns = 0, needRows = 0;
  for (Layer* layer : layers)
    if (!layer->Draw(needColumns, needRows)) {
      tooBig = layer;
      break;
    }
  if (tooBig) {
    werase(stdscr);
    paint.cursorY = -1;
    std::string text = "Il terminale \xE8 troppo piccolo per la finestra \xAB" + tooBig->Caption() +
                       "\xBB: servono almeno " + std::to_string(needColumns) + "\xD7" + std::to_string(needRows) +
                       " caratteri, ora sono " + std::to_string(COLS) + "\xD7" + std::to_string(LINES) +
                       ". Allargare il terminale, oppure Esc per annullare.";
    int row = 0;
    for (const std::string& line : Wrap(text, COLS)) Put(row++, 0, line, COLS);
  } else if (paint.hintLine && !layers.empty()) {
    Put(LINES - 1, 0, layers.back()->Keys(), COLS, A_DIM);
  }
  if (paint.cursorY >= 0) {
    curs_set(1);
    wmove(stdscr, paint.cursorY, paint.cursorX);
  } else {
    curs_set(0);
  }
  if (paint.repaintAll) {
    clearok(curscr, TRUE);
    paint.repaintAll = false;
  }
  wrefresh(stdscr);
  return !tooBig;
}

// Runs a layer until it is done: the open dialogs' timers go on, Ctrl-C reaches the layer on
// top, keys too (only Esc while the terminal is too small to show it).
void RunLayer(Layer& layer) {
  LayerScope scope(layer);
  while (!layer.Done()) {
    if (TakeInterrupt()) {
      layer.OnInterrupt();
      continue;
    }
    int due = RunDueDialogTimers();
    if (layer.Done()) break;
    bool fits = Paint();
    Key key;
    if (!ReadKey(due < 0 || due > 50 ? 50 : due, key) || key.IsCode(KEY_RESIZE)) continue;
    if (key.Escape()) layer.OnEscape();
    else if (fits) layer.OnKey(key);
  }
}

// ---------------------------------------------------------------------------------------------
// Forms

struct Placed {
  int row = 0, col = 0, width = 1, height = 1;  // cells inside the frame
};

struct FormLayout {
  int width = 0, height = 0;  // inside the frame
  std::vector<Placed> at;     // per control of the template
};

// The cells a control's text needs: a button's "< text >", a check box's "[x] text".
int TextCells(const ControlTemplate& c) {
  int n = Length(c.text);
  switch (c.kind) {
    case ControlKind::LeftText:
    case ControlKind::CenteredText: return n;
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::AutoCheckBox:
    case ControlKind::GroupBox: return n + 4;
    default: return 1;
  }
}

// The template in cells, inside at most maxWidth columns and maxHeight rows. Across, a cell
// for four dialog units, a text widening its control where it needs more. Down, controls whose
// middles lie close together share a row, each group box's top and bottom line has a row of
// its own, and the rows follow the template's eighths of a unit, squeezed evenly (down to no
// empty row at all) when the terminal is short. Controls on one row never overlap.
std::optional<FormLayout> LayOut(const DialogTemplate& t, int maxWidth, int maxHeight) {
  const std::vector<ControlTemplate>& cs = t.controls;
  FormLayout out;
  out.at.resize(cs.size());
  for (std::size_t i = 0; i < cs.size(); ++i) {
    const ControlTemplate& c = cs[i];
    Placed& p = out.at[i];
    p.col = (c.x + 2) / 4;
    int end = (c.x + c.width + 2) / 4;
    p.width = std::max({1, end - p.col, TextCells(c)});
  }

  struct Mark {
    int key;  // in half dialog units
    std::size_t control;
    int part;  // 0 the control, 1 a group box's top line, 2 its bottom line
  };
  std::vector<Mark> marks;
  for (std::size_t i = 0; i < cs.size(); ++i) {
    const ControlTemplate& c = cs[i];
    if (c.kind == ControlKind::GroupBox) {
      marks.push_back({2 * c.y, i, 1});
      marks.push_back({2 * (c.y + c.height), i, 2});
    } else {
      marks.push_back({2 * c.y + c.height, i, 0});
    }
  }
  std::stable_sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.key < b.key; });
  constexpr int kSameRow = 12;  // six dialog units between middles
  std::vector<int> bandKey;
  std::vector<std::size_t> bandOf(marks.size());
  bool lastAlone = false;
  for (std::size_t m = 0; m < marks.size(); ++m) {
    bool alone = marks[m].part != 0;
    if (bandKey.empty() || alone || lastAlone || marks[m].key - bandKey.back() > kSameRow)
      bandKey.push_back(marks[m].key);
    bandOf[m] = bandKey.size() - 1;
    lastAlone = alone;
  }

  std::vector<int> rowOf(bandKey.size());
  int previous = -1;
  for (std::size_t b = 0; b < bandKey.size(); ++b) {
    rowOf[b] = std::max(previous + 1, bandKey[b] / 16);
    previous = rowOf[b];
  }
  int height = previous + 2;  // the template's room under its last row
  // A short terminal takes out empty rows, from the widest gap up (the lowest of equal ones),
  // so that what stands together stays together; then the room under the last row.
  while (height > maxHeight) {
    std::size_t widest = 0;
    int gap = 0;
    for (std::size_t b = 0; b < rowOf.size(); ++b) {
      int g = rowOf[b] - (b == 0 ? 0 : rowOf[b - 1] + 1);
      if (g > 0 && g >= gap) {
        gap = g;
        widest = b;
      }
    }
    if (gap == 0) break;
    for (std::size_t b = widest; b < rowOf.size(); ++b) --rowOf[b];
    --height;
  }
  if (height > maxHeight && !rowOf.empty() && height == rowOf.back() + 2) --height;
  if (height > maxHeight) return std::nullopt;

  for (std::size_t m = 0; m < marks.size(); ++m) {
    Placed& p = out.at[marks[m].control];
    int row = rowOf[bandOf[m]];
    if (marks[m].part == 2) p.height = row - p.row + 1;
    else p.row = row;
  }

  // Inside a group box a control keeps a blank cell from the box's lines.
  for (std::size_t g = 0; g < cs.size(); ++g) {
    if (cs[g].kind != ControlKind::GroupBox) continue;
    const Placed& box = out.at[g];
    for (std::size_t i = 0; i < cs.size(); ++i) {
      Placed& p = out.at[i];
      if (cs[i].kind != ControlKind::GroupBox && p.row > box.row && p.row < box.row + box.height - 1 &&
          p.col >= box.col && p.col < box.col + 2)
        p.col = box.col + 2;
    }
  }
  std::map<int, std::vector<std::size_t>> byRow;
  for (std::size_t i = 0; i < cs.size(); ++i)
    if (cs[i].kind != ControlKind::GroupBox) byRow[out.at[i].row].push_back(i);
  for (auto& [row, line] : byRow) {
    std::sort(line.begin(), line.end(), [&](std::size_t a, std::size_t b) { return out.at[a].col < out.at[b].col; });
    for (std::size_t k = 1; k < line.size(); ++k) {
      Placed& a = out.at[line[k - 1]];
      Placed& b = out.at[line[k]];
      if (a.col + a.width <= b.col) continue;
      a.width = b.col - a.col;
      if (a.width < 1) {
        a.width = 1;
        b.col = a.col + 1;
      }
    }
  }
  for (std::size_t g = 0; g < cs.size(); ++g) {
    if (cs[g].kind != ControlKind::GroupBox) continue;
    Placed& box = out.at[g];
    for (std::size_t i = 0; i < cs.size(); ++i) {
      const Placed& p = out.at[i];
      if (i == g || cs[i].kind == ControlKind::GroupBox || p.row <= box.row || p.row >= box.row + box.height - 1 ||
          p.col < box.col)
        continue;
      box.width = std::max(box.width, p.col + p.width - box.col + 2);
    }
  }
  // A text widened up to the frame keeps a blank cell before it.
  out.width = (t.width + 2) / 4;
  for (const Placed& p : out.at) out.width = std::max(out.width, p.col + p.width + 1);
  if (out.width > maxWidth) return std::nullopt;
  out.height = height;
  return out;
}

// The smallest terminal a form fits, frame included.
void Smallest(const DialogTemplate& t, int& columns, int& rows) {
  for (int height = 1; height < 1000; ++height)
    if (auto layout = LayOut(t, INT_MAX / 2, height)) {
      columns = layout->width + 2;
      rows = layout->height + 2;
      return;
    }
}

class FormLayer final : public Layer {
 public:
  FormLayer(FormDialog& dialog, const DialogTemplate& shape) : dialog_(dialog), t_(shape) {
    // The focus starts on the first control Tab stops at, as the dialog manager puts it.
    Focus(Next(-1, 1));
  }

  bool Draw(int& needColumns, int& needRows) override {
    auto layout = LayOut(t_, COLS - 2, LINES - 3);
    if (!layout) {
      layout = LayOut(t_, COLS - 2, LINES - 2);
      if (layout) paint.hintLine = false;
    }
    if (!layout) {
      Smallest(t_, needColumns, needRows);
      return false;
    }
    int height = layout->height + 2, width = layout->width + 2;
    int top = std::max(0, (AreaRows() - height) / 2), left = std::max(0, (COLS - width) / 2);
    Frame(top, left, height, width, t_.caption);
    for (std::size_t i = 0; i < t_.controls.size(); ++i) {
      const Placed& p = layout->at[i];
      DrawControl(i, top + 1 + p.row, left + 1 + p.col, p);
    }
    return true;
  }

  std::string Caption() const override { return t_.caption; }
  const char* Keys() const override {
    return "Tab/Maiusc+Tab: campo   Spazio: casella   Invio: pulsante   Esc: chiude";
  }
  bool Done() const override { return dialog_.Ended(); }

  void OnKey(const Key& key) override {
    int focused = focus_;
    const ControlTemplate* c = focused >= 0 ? &t_.controls[std::size_t(focused)] : nullptr;
    if (key.Tab() || (key.IsCode(KEY_DOWN) && !(c && c->IsEdit()))) {
      Focus(Next(focused, 1));
    } else if (key.BackTab() || (key.IsCode(KEY_UP) && !(c && c->IsEdit()))) {
      Focus(Next(focused, -1));
    } else if (key.Enter()) {
      if (c && c->IsButton()) {
        Click(focused);
      } else if (int def = DefaultButton(); def >= 0 && Reachable(def)) {
        // As a click on the default button: the focus leaves the edit first.
        Focus(def);
        if (!dialog_.Ended()) Click(def);
      }
    } else if (c && c->kind == ControlKind::AutoCheckBox && key.Is(L' ')) {
      Window().SetCheck(c->id, Window().Check(c->id) == 1 ? 0 : 1);
      Handle([&] { dialog_.Events().OnCommand(c->id); });
    } else if (c && c->IsButton() && key.Is(L' ')) {
      Click(focused);
    } else if (c && c->IsEdit()) {
      std::string text = Window().ControlText(c->id);
      if (edits_[c->id].Apply(key, text, dialog_.TextLimit(c->id))) Window().SetControlText(c->id, text);
    }
  }

  // Esc, the close box: IDCANCEL.
  void OnEscape() override {
    Handle([&] { dialog_.Events().OnCommand(2); });
  }

  void OnInterrupt() override {
    dialog_.Interrupted();
    Handle([&] { dialog_.Events().OnCommand(dialog_.Events().CancelControl()); });
  }

 private:
  DialogWindow& Window() { return dialog_.Window(); }

  bool Enabled(std::size_t i) {
    const ControlTemplate& c = t_.controls[i];
    return c.id == -1 ? !c.Disabled() : Window().IsControlEnabled(c.id);
  }
  bool Reachable(int i) {
    const ControlTemplate& c = t_.controls[std::size_t(i)];
    return c.TabStop() && c.id != -1 && Enabled(std::size_t(i));
  }
  // The next control Tab stops at, in template order, either way round; -1 for none.
  int Next(int from, int step) {
    int n = int(t_.controls.size());
    int i = from >= 0 ? from : step > 0 ? -1 : n;
    for (int k = 0; k < n; ++k) {
      i = (i + step + n) % n;
      if (Reachable(i)) return i;
    }
    return -1;
  }
  int DefaultButton() {
    int id = t_.DefaultButton();
    if (id == 0 && t_.Control(1)) id = 1;
    for (std::size_t i = 0; i < t_.controls.size(); ++i)
      if (t_.controls[i].id == id && id != 0) return int(i);
    return -1;
  }

  // Moves the focus; an edit it leaves is told, after the move (EN_KILLFOCUS).
  void Focus(int to) {
    int from = focus_;
    if (to == from) return;
    focus_ = to;
    if (to >= 0 && t_.controls[std::size_t(to)].IsEdit()) {
      int id = t_.controls[std::size_t(to)].id;
      edits_[id].Enter(Window().ControlText(id));
    }
    if (from >= 0 && t_.controls[std::size_t(from)].IsEdit()) {
      int id = t_.controls[std::size_t(from)].id;
      Handle([&] { dialog_.Events().OnKillFocus(id); });
    }
  }

  void Click(int i) {
    int id = t_.controls[std::size_t(i)].id;
    if (Enabled(std::size_t(i))) Handle([&] { dialog_.Events().OnCommand(id); });
  }

  // A handler ran: it may have written on the terminal, opened and closed other windows, or
  // disabled the control with the focus, which then goes on to the next.
  template <class F>
  void Handle(F handler) {
    handler();
    paint.repaintAll = true;
    if (!dialog_.Ended() && focus_ >= 0 && !Reachable(focus_)) Focus(Next(focus_, 1));
  }

  void DrawControl(std::size_t i, int y, int x, const Placed& p) {
    const ControlTemplate& c = t_.controls[i];
    attr_t dim = Enabled(i) ? A_NORMAL : A_DIM;
    bool focused = int(i) == focus_;
    std::string text = c.id == -1 ? c.text : Window().ControlText(c.id);
    switch (c.kind) {
      case ControlKind::LeftText: Put(y, x, text, p.width, dim); break;
      case ControlKind::CenteredText: Centered(y, x, p.width, text, dim); break;
      case ControlKind::Edit: edits_[c.id].Draw(y, x, p.width, text, focused, dim); break;
      case ControlKind::Button:
      case ControlKind::DefaultButton: {
        std::string label = "< " + text + " >";
        int pad = std::max(0, (p.width - Length(label)) / 2);
        attr_t a = dim | (c.kind == ControlKind::DefaultButton ? A_BOLD : A_NORMAL) | (focused ? A_REVERSE : A_NORMAL);
        Put(y, x + pad, label, p.width - pad, a);
        if (focused) CursorAt(y, x + pad + 2);
        break;
      }
      case ControlKind::AutoCheckBox:
        Put(y, x, Window().Check(c.id) == 1 ? "[x]" : "[ ]", p.width, dim | (focused ? A_REVERSE : A_NORMAL));
        Put(y, x + 3, " " + text, p.width - 3, dim);
        if (focused) CursorAt(y, x + 1);
        break;
      case ControlKind::GroupBox: Lines(y, x, p.height, p.width, text, dim); break;
      case ControlKind::Progress: break;  // the progress dialog shows a status line, never a form
    }
  }

  FormDialog& dialog_;
  const DialogTemplate& t_;
  int focus_ = -1;  // the control with the focus, by its place in the template
  std::map<int, LineEdit> edits_;
};

// ---------------------------------------------------------------------------------------------
// Boxes over the forms

// A box centred in the rows above the key line, as wide and tall as asked where it can be.
void PlaceBox(int width, int height, int& top, int& left, int& boxWidth, int& boxHeight) {
  boxWidth = std::min(width, COLS);
  boxHeight = std::min(height, AreaRows());
  top = std::max(0, (AreaRows() - boxHeight) / 2);
  left = std::max(0, (COLS - boxWidth) / 2);
}

// Buttons side by side, centred; the focused one in reverse, the cursor on it.
void DrawButtons(int y, int left, int width, const std::vector<std::string>& labels, int focused) {
  int total = 0;
  for (const std::string& l : labels) total += Length(l) + 4 + 2;
  int x = left + std::max(0, (width - (total - 2)) / 2);
  for (int i = 0; i < int(labels.size()); ++i) {
    std::string shown = "< " + labels[std::size_t(i)] + " >";
    Put(y, x, shown, left + width - x, i == focused ? A_REVERSE : A_NORMAL);
    if (i == focused) CursorAt(y, x + 2);
    x += Length(shown) + 2;
  }
}

class QuestionLayer final : public Layer {
 public:
  QuestionLayer(const std::string& caption, const std::string& text, const std::vector<FormButton>& buttons,
                int defaultAnswer, int escapeAnswer)
      : caption_(caption), text_(text), buttons_(buttons), escape_(escapeAnswer), answer_(defaultAnswer) {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i].result == defaultAnswer) focus_ = int(i);
  }

  bool Draw(int&, int&) override {
    std::vector<std::string> labels;
    int buttonsWidth = 0;
    for (const FormButton& b : buttons_) {
      labels.push_back(b.label);
      buttonsWidth += Length(b.label) + 6;
    }
    int longest = 0;
    for (const std::string& line : Wrap(text_, 60)) longest = std::max(longest, Length(line));
    int inner = std::max({longest, buttonsWidth, Length(caption_) + 4, 20});
    inner = std::min(inner, COLS - 6);
    std::vector<std::string> lines = Wrap(text_, inner);
    int top, left, width, height;
    PlaceBox(inner + 4, int(lines.size()) + 6, top, left, width, height);
    Frame(top, left, height, width, caption_);
    int row = top + 2;
    for (const std::string& line : lines)
      if (row < top + height - 3) Put(row++, left + 2, line, width - 4);
    DrawButtons(top + height - 2, left + 1, width - 2, labels, focus_);
    return true;
  }

  std::string Caption() const override { return caption_; }
  const char* Keys() const override { return "Frecce/Tab: pulsante   Invio: conferma   Esc: annulla"; }
  bool Done() const override { return done_; }

  void OnKey(const Key& key) override {
    int n = int(buttons_.size());
    if (key.Tab() || key.IsCode(KEY_RIGHT) || key.IsCode(KEY_DOWN)) focus_ = (focus_ + 1) % n;
    else if (key.BackTab() || key.IsCode(KEY_LEFT) || key.IsCode(KEY_UP)) focus_ = (focus_ + n - 1) % n;
    else if (key.Enter() || key.Is(L' ')) Answer(buttons_[std::size_t(focus_)].result);
  }
  void OnEscape() override { Answer(escape_); }
  void OnInterrupt() override {
    interrupted_ = true;
    Answer(escape_);
  }

  int Result() const { return answer_; }
  bool Interrupted() const { return interrupted_; }

 private:
  void Answer(int result) {
    answer_ = result;
    done_ = true;
  }

  std::string caption_, text_;
  std::vector<FormButton> buttons_;
  int escape_;
  int answer_;
  int focus_ = 0;
  bool done_ = false, interrupted_ = false;
};

class AskLineLayer final : public Layer {
 public:
  AskLineLayer(const std::string& caption, const std::vector<std::string>& lines, const std::string& note,
               std::string& answer)
      : caption_(caption), lines_(lines), note_(note), answer_(answer) {
    edit_.caret = answer_.size();
  }

  bool Draw(int&, int&) override {
    int inner = std::min(72, COLS - 6);
    std::vector<std::string> text, note = Wrap(note_, inner);
    for (const std::string& l : lines_)
      for (const std::string& w : Wrap(l, inner)) text.push_back(w);
    if (note_.empty()) note.clear();
    int top, left, width, height;
    PlaceBox(inner + 4, int(text.size() + note.size()) + 5, top, left, width, height);
    Frame(top, left, height, width, caption_);
    int row = top + 1;
    for (const std::string& line : text) Put(row++, left + 2, line, width - 4);
    edit_.Draw(row++, left + 2, width - 4, answer_, true, A_NORMAL);
    for (const std::string& line : note) Put(++row, left + 2, line, width - 4, A_BOLD);
    return true;
  }

  std::string Caption() const override { return caption_; }
  const char* Keys() const override { return "Invio: conferma   Esc: annulla"; }
  bool Done() const override { return done_; }
  void OnKey(const Key& key) override {
    if (key.Enter()) Finish(Reply::Line);
    else edit_.Apply(key, answer_, 0);
  }
  void OnEscape() override { Finish(Reply::End); }
  void OnInterrupt() override { Finish(Reply::Interrupted); }
  Reply Result() const { return reply_; }

 private:
  void Finish(Reply reply) {
    reply_ = reply;
    done_ = true;
  }

  std::string caption_;
  std::vector<std::string> lines_;
  std::string note_;
  std::string& answer_;
  LineEdit edit_;
  Reply reply_ = Reply::End;
  bool done_ = false;
};

// ---------------------------------------------------------------------------------------------
// The folder browser

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return FoldUpper(static_cast<unsigned char>(x)) < FoldUpper(static_cast<unsigned char>(y));
  });
}

bool IsDriveRoot(const std::string& path) { return path.size() == 3 && path[1] == ':' && path[2] == '\\'; }

// A folder as the browser gives it: "C:\" for a drive, "C:\MAICOWIN" below it.
std::string Tidy(std::string path) {
  std::size_t b = path.find_first_not_of(' '), e = path.find_last_not_of(' ');
  path = b == std::string::npos ? std::string() : path.substr(b, e - b + 1);
  if (path.empty()) return path;
  if (path[0] == '/') {
    // A POSIX path, named as the prefix's drives name it.
    return posix::WindowsPathOf(fs::path(Cp1252ToUtf8(path)), true);
  }
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.size() >= 2 && path[1] == ':') path[0] = char(FoldUpper(static_cast<unsigned char>(path[0])));
  if (path.size() == 2 && path[1] == ':') path += '\\';
  while (path.size() > 1 && path.back() == '\\' && !IsDriveRoot(path) && path != "\\\\") path.pop_back();
  return path;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// The folder above; "" above a drive (the computer, holding the drives).
std::string Parent(const std::string& path) {
  if (path.empty() || IsDriveRoot(path)) return "";
  std::size_t cut = path.find_last_of('\\');
  if (cut == std::string::npos) return "";
  std::string up = path.substr(0, cut);
  if (up.size() == 2 && up[1] == ':') return up + "\\";
  if (up.size() <= 2) return "";  // above a UNC share
  return up;
}

class FolderLayer final : public Layer, public FolderBrowserWindow {
 public:
  FolderLayer(const FolderBrowseRequest& request, const FolderBrowserCallback& callback)
      : title_(request.title), callback_(callback) {
    Show("");
  }

  // Runs the browser: initialised, then as the person moves.
  void Run() {
    Notify(kBffmInitialized, 0);
    RunLayer(*this);
  }

  BrowseResult Result() const { return result_; }
  const std::string& Chosen() const { return current_; }
  const std::string& Status() const { return status_; }

  // --- What the callback sees.
  void Send(unsigned message, std::uintptr_t, const std::string& text) override {
    if (message == kBffmSetStatusText) {
      status_ = text;
    } else if (message == kBffmSetSelection && !text.empty()) {
      std::string folder = Tidy(text);
      if (!folder.empty() && FolderExists(folder)) {
        Show(folder);
        moved_ = true;
      }
    }
  }
  bool ItemPath(std::intptr_t item, std::string& path) override {
    if (item != item_ || current_.empty()) return false;
    path = current_;
    return true;
  }

  // --- The layer.
  bool Draw(int&, int&) override {
    int top, left, width, height;
    PlaceBox(std::min(76, COLS), std::min(24, AreaRows()), top, left, width, height);
    Frame(top, left, height, width, title_);
    int inner = width - 4, x = left + 2;
    Put(top + 1, x, "Cartella:", 10, focus_ == kPath ? A_BOLD : A_NORMAL);
    path_.Draw(top + 1, x + 10, inner - 10, typed_, focus_ == kPath, A_NORMAL);
    Lines(top + 2, left + 1, height - 6, width - 2, current_.empty() ? "Risorse del computer" : current_, A_NORMAL);
    listRows_ = std::max(1, height - 8);
    if (highlight_ < first_) first_ = highlight_;
    if (highlight_ >= first_ + listRows_) first_ = highlight_ - listRows_ + 1;
    for (int r = 0; r < listRows_ && first_ + r < int(entries_.size()); ++r) {
      int i = first_ + r;
      bool lit = i == highlight_;
      std::string name = entries_[std::size_t(i)].name;
      if (name == "..") name = ".. (cartella superiore)";
      Put(top + 3 + r, x, " " + name + std::string(std::size_t(std::max(0, inner - Length(name) - 1)), ' '), inner,
          lit ? (focus_ == kList ? A_REVERSE : A_BOLD) : A_NORMAL);
      if (lit && focus_ == kList) CursorAt(top + 3 + r, x + 1);
    }
    if (entries_.empty()) Put(top + 3, x, " (nessuna cartella)", inner, A_DIM);
    Put(top + height - 4, x, status_, inner);
    Put(top + height - 3, x, note_, inner, A_BOLD);
    DrawButtons(top + height - 2, left + 1, width - 2, {"OK", "Annulla"},
                focus_ == kOk ? 0 : focus_ == kCancel ? 1 : -1);
    return true;
  }

  std::string Caption() const override { return title_; }
  const char* Keys() const override {
    return "Invio: apre   Backspace: risale   Tab: percorso e pulsanti   Esc: annulla";
  }
  bool Done() const override { return done_; }

  void OnKey(const Key& key) override {
    if (key.Tab()) {
      focus_ = (focus_ + 1) % 4;
      if (focus_ == kPath) path_.Enter(typed_);
      return;
    }
    if (key.BackTab()) {
      focus_ = (focus_ + 3) % 4;
      if (focus_ == kPath) path_.Enter(typed_);
      return;
    }
    switch (focus_) {
      case kList: ListKey(key); break;
      case kPath:
        if (key.Enter()) GoTyped();
        else path_.Apply(key, typed_, 0);
        break;
      case kOk:
        if (key.Enter() || key.Is(L' ')) Choose();
        break;
      case kCancel:
        if (key.Enter() || key.Is(L' ')) Finish(BrowseResult::Cancelled);
        break;
    }
  }
  void OnEscape() override { Finish(BrowseResult::Cancelled); }
  void OnInterrupt() override { Finish(BrowseResult::Cancelled); }

 private:
  enum { kList, kPath, kOk, kCancel };
  struct Entry {
    std::string name, path;
  };

  void ListKey(const Key& key) {
    int n = int(entries_.size());
    if (key.IsCode(KEY_DOWN)) highlight_ = std::min(highlight_ + 1, n - 1);
    else if (key.IsCode(KEY_UP)) highlight_ = std::max(highlight_ - 1, 0);
    else if (key.IsCode(KEY_NPAGE)) highlight_ = std::min(highlight_ + listRows_, n - 1);
    else if (key.IsCode(KEY_PPAGE)) highlight_ = std::max(highlight_ - listRows_, 0);
    else if (key.IsCode(KEY_HOME)) highlight_ = 0;
    else if (key.IsCode(KEY_END)) highlight_ = n - 1;
    else if (key.Enter() && n > 0) Go(entries_[std::size_t(highlight_)].path);
    else if (key.Backspace() && !current_.empty()) Go(Parent(current_));
    else if (key.Printable()) Jump(key.value);
    highlight_ = std::max(0, highlight_);
  }

  // To the next entry that starts with the letter typed, round the list.
  void Jump(wint_t typed) {
    char c;
    if (!Narrow(typed, c)) return;
    int n = int(entries_.size());
    for (int k = 1; k <= n; ++k) {
      int i = (highlight_ + k) % n;
      const std::string& name = entries_[std::size_t(i)].name;
      if (!name.empty() && FoldUpper(static_cast<unsigned char>(name[0])) == FoldUpper(static_cast<unsigned char>(c))) {
        highlight_ = i;
        return;
      }
    }
  }

  // Shows a folder ("" for the drives) without telling anyone. By value: the folder may be one
  // of the entries this replaces.
  void Show(std::string folder) {
    std::string cameFrom = current_;
    current_ = folder;
    entries_.clear();
    note_.clear();
    if (folder.empty()) {
      posix::DriveRoot('c');  // drive C is always there, as on Windows
      std::error_code ec;
      for (fs::directory_iterator it(posix::PrefixRoot() / "dosdevices", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code dirError;
        if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])) &&
            fs::is_directory(it->path(), dirError)) {
          name[0] = char(FoldUpper(static_cast<unsigned char>(name[0])));
          entries_.push_back({name, name + "\\"});
        }
      }
    } else {
      std::error_code ec;
      for (fs::directory_iterator it(NativePath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dirError;
        if (!fs::is_directory(it->path(), dirError)) continue;
        std::string name = Utf8ToCp1252(it->path().filename().string());
        entries_.push_back({name, Join(folder, name)});
      }
      if (ec) note_ = "La cartella non si apre.";
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return LessNoCase(a.name, b.name); });
    if (!folder.empty()) entries_.insert(entries_.begin(), Entry{"..", Parent(folder)});
    highlight_ = first_ = 0;
    // Back up a level, the folder just left stays in view.
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].name != ".." && EqualsNoCase(entries_[i].path, cameFrom)) highlight_ = int(i);
    typed_ = current_;
    path_.Enter(typed_);
  }

  // Shows the folder and tells the callback that the selection moved.
  void Go(std::string folder) {
    Show(std::move(folder));
    moved_ = true;
    Notify(0, 0);
  }

  bool GoTyped() {
    std::string folder = Tidy(typed_);
    if (folder.empty() && !typed_.empty() && typed_.find_first_not_of(' ') != std::string::npos) {
      note_ = "La cartella non \xE8 in un'unit\xE0 di questo computer: " + typed_;
      return false;
    }
    if (!folder.empty() && !FolderExists(folder)) {
      note_ = "Cartella non trovata: " + typed_;
      return false;
    }
    Go(folder);
    focus_ = kList;
    return true;
  }

  // OK: the folder on show, after the one typed if it differs.
  void Choose() {
    if (!EqualsNoCase(Tidy(typed_), current_) && !GoTyped()) return;
    Finish(current_.empty() ? BrowseResult::NotAFolder : BrowseResult::Chosen);
  }

  // Calls back with the message (none for 0), then with each move of the selection it made.
  void Notify(unsigned message, std::intptr_t parameter) {
    if (!callback_) {
      moved_ = false;
      return;
    }
    if (message) callback_(*this, message, parameter);
    while (moved_) {
      moved_ = false;
      callback_(*this, kBffmSelChanged, ++item_);
    }
    paint.repaintAll = true;
  }

  void Finish(BrowseResult result) {
    result_ = result;
    done_ = true;
  }

  std::string title_;
  const FolderBrowserCallback& callback_;
  std::string current_;
  std::vector<Entry> entries_;
  int highlight_ = 0, first_ = 0, listRows_ = 1;
  int focus_ = kList;
  std::string typed_;
  LineEdit path_;
  std::string status_, note_;
  std::intptr_t item_ = 0;  // the selection, as the selection-changed message names it
  bool moved_ = false;
  BrowseResult result_ = BrowseResult::Cancelled;
  bool done_ = false;
};

}  // namespace

bool RunForm(FormDialog& dialog) {
  const DialogTemplate* shape = FindDialogTemplate(dialog.TemplateId());
  if (!shape || !StartTerminal()) return false;
  struct Stop {
    ~Stop() { StopTerminal(); }
  } stop;
  FormLayer form(dialog, *shape);
  RunLayer(form);
  return true;
}

bool FormOpen() { return !layers.empty(); }

int FormQuestion(const std::string& caption, const std::string& text, const std::vector<FormButton>& buttons,
                 int defaultAnswer, int escapeAnswer, bool& interrupted) {
  if (!FormOpen() || buttons.empty()) return defaultAnswer;
  QuestionLayer box(caption, text, buttons, defaultAnswer, escapeAnswer);
  RunLayer(box);
  interrupted = box.Interrupted();
  return box.Result();
}

Reply FormAskLine(const std::string& caption, const std::vector<std::string>& lines, const std::string& note,
                  std::string& answer) {
  if (!FormOpen()) return Reply::End;
  AskLineLayer box(caption, lines, note, answer);
  RunLayer(box);
  return box.Result();
}

BrowseResult FormBrowseFolder(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                              std::string& folder, std::string& status) {
  if (!FormOpen()) return BrowseResult::Cancelled;
  FolderLayer browser(request, callback);
  browser.Run();
  status = browser.Status();
  if (browser.Result() == BrowseResult::Chosen) folder = browser.Chosen();
  return browser.Result();
}

}  // namespace zmw::platform::text
