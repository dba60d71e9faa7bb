// One line of text being typed: an edit control, the browser's path, the picker's file.
#pragma once
#include <cstddef>
#include <string>

#include "platform/posix/terminal/Session.h"

namespace zmw::platform::text::terminal {

struct LineEdit {
  std::size_t caret = 0, scroll = 0;
  bool all = false;  // the whole text selected, as an edit is when Tab brings the focus to it

  void Enter(const std::string& text);
  // Applies an editing key to the text; false when the key is no editing key.
  bool Apply(const Key& key, std::string& text, std::size_t limit);
  // The field: its text from the scroll position, underlined; the caret kept in sight.
  void Draw(int y, int x, int width, const std::string& text, bool focused, attr_t attributes);

 private:
  void Clear(std::string& text);
};

}  // namespace zmw::platform::text::terminal
