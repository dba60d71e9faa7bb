#include "platform/posix/terminal/Drawing.h"

#include <algorithm>

namespace zmw::platform::text::terminal {

PaintState paint;

std::wstring Wide(const std::string& text) {
  std::u16string units = Cp1252ToUtf16(text);
  std::wstring wide;
  wide.reserve(units.size());
  for (char16_t u : units) wide.push_back(u < 0x20 || u == 0x7F ? L'?' : wchar_t(u));
  return wide;
}

bool Narrow(wint_t character, char& narrow) {
  if (character > 0xFFFF) return false;
  std::string text = Utf16ToCp1252(std::u16string(1, char16_t(character)));
  if (text.size() != 1 || (text[0] == '?' && character != L'?')) return false;
  narrow = text[0];
  return true;
}

void Put(int y, int x, const std::string& text, int width, attr_t attributes) {
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

void Fill(int y, int x, int width, attr_t attributes) {
  if (width > 0) Put(y, x, std::string(std::size_t(width), ' '), width, attributes);
}

void Centered(int y, int x, int width, const std::string& text, attr_t attributes) {
  int pad = std::max(0, (width - Length(text)) / 2);
  Put(y, x + pad, text, width - pad, attributes);
}

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

void Frame(int top, int left, int height, int width, const std::string& caption) {
  for (int row = 0; row < height; ++row) Fill(top + row, left, width);
  Lines(top, left, height, width, caption, A_BOLD);
}

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

void PlaceBox(int width, int height, int& top, int& left, int& boxWidth, int& boxHeight) {
  boxWidth = std::min(width, COLS);
  boxHeight = std::min(height, AreaRows());
  top = std::max(0, (AreaRows() - boxHeight) / 2);
  left = std::max(0, (COLS - boxWidth) / 2);
}

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

}  // namespace zmw::platform::text::terminal
