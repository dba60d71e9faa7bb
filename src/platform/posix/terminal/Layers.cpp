#include "platform/posix/terminal/Layers.h"

#include <vector>

#include "platform/common/TextHost.h"
#include "platform/posix/terminal/Drawing.h"

namespace zmw::platform::text {
namespace terminal {
namespace {

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

}  // namespace

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

}  // namespace terminal

bool FormOpen() { return !terminal::layers.empty(); }

}  // namespace zmw::platform::text
