#include "platform/posix/terminal/LineEdit.h"

#include <algorithm>

#include "platform/posix/terminal/Drawing.h"

namespace zmw::platform::text::terminal {

void LineEdit::Enter(const std::string& text) {
  all = true;
  caret = text.size();
  scroll = 0;
}

bool LineEdit::Apply(const Key& key, std::string& text, std::size_t limit) {
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

void LineEdit::Draw(int y, int x, int width, const std::string& text, bool focused, attr_t attributes) {
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

void LineEdit::Clear(std::string& text) {
  text.clear();
  caret = 0;
  all = false;
}

}  // namespace zmw::platform::text::terminal
