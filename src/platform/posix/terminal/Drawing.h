// What the forms and boxes are drawn with: texts in cells, box lines, word wrap, buttons, and
// what one paint of the screen leaves behind.
#pragma once
#include <string>
#include <vector>

#include "platform/posix/terminal/Session.h"

namespace zmw::platform::text::terminal {

// Texts are the library's Windows-1252; each of its characters takes one cell.
std::wstring Wide(const std::string& text);
// A typed character in Windows-1252; false when that code page lacks it.
bool Narrow(wint_t character, char& narrow);
inline int Length(const std::string& text) { return int(text.size()); }

// The text from that cell, cut at the width and at the screen's edges.
void Put(int y, int x, const std::string& text, int width, attr_t attributes = A_NORMAL);
void Fill(int y, int x, int width, attr_t attributes = A_NORMAL);
void Centered(int y, int x, int width, const std::string& text, attr_t attributes = A_NORMAL);
// A box's lines; the caption, when there is one, in its top line.
void Lines(int top, int left, int height, int width, const std::string& caption, attr_t attributes);
// A window of its own: cleared, framed, captioned.
void Frame(int top, int left, int height, int width, const std::string& caption);
// Greedy word wrap at the width; a word longer than a line is cut.
std::vector<std::string> Wrap(const std::string& text, int width);

// What one paint leaves behind: where the cursor goes, whether the bottom line holds the keys.
struct PaintState {
  int cursorY = -1, cursorX = -1;
  bool hintLine = true;
  bool repaintAll = false;  // something else wrote on the terminal: draw every cell again
};
extern PaintState paint;

inline void CursorAt(int y, int x) {
  paint.cursorY = y;
  paint.cursorX = x;
}
// Rows above the key line, where forms and boxes are centred.
inline int AreaRows() { return paint.hintLine ? LINES - 1 : LINES; }

// A box centred in the rows above the key line, as wide and tall as asked where it can be.
void PlaceBox(int width, int height, int& top, int& left, int& boxWidth, int& boxHeight);
// Buttons side by side, centred; the focused one in reverse, the cursor on it.
void DrawButtons(int y, int left, int width, const std::vector<std::string>& labels, int focused);

}  // namespace zmw::platform::text::terminal
