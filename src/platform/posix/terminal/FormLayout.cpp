#include "platform/posix/terminal/FormLayout.h"

#include <algorithm>
#include <climits>
#include <map>

namespace zmw::platform::text::terminal {
namespace {

// The cells a control's text needs: a button's "< text >", a check box's "[x] text".
int TextCells(const ControlTemplate& c) {
  int n = int(c.text.size());
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

}  // namespace

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

void Smallest(const DialogTemplate& t, int& columns, int& rows) {
  for (int height = 1; height < 1000; ++height)
    if (auto layout = LayOut(t, INT_MAX / 2, height)) {
      columns = layout->width + 2;
      rows = layout->height + 2;
      return;
    }
}

}  // namespace zmw::platform::text::terminal
