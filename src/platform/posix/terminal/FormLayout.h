// A dialog template in terminal cells: a cell for about four dialog units across and eight down.
#pragma once
#include <optional>
#include <vector>

#include "platform/DialogTemplates.h"

namespace zmw::platform::text::terminal {

struct Placed {
  int row = 0, col = 0, width = 1, height = 1;  // cells inside the frame
};

struct FormLayout {
  int width = 0, height = 0;  // inside the frame
  std::vector<Placed> at;     // per control of the template
};

// The template in cells, inside at most maxWidth columns and maxHeight rows; nothing when it
// does not fit.
std::optional<FormLayout> LayOut(const DialogTemplate& t, int maxWidth, int maxHeight);
// The smallest terminal a form fits, frame included.
void Smallest(const DialogTemplate& t, int& columns, int& rows);

}  // namespace zmw::platform::text::terminal
