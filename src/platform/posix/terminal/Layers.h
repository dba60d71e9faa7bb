// The forms and the boxes over them, innermost last: each a layer, drawn over the ones below,
// the one on top taking the keys.
#pragma once
#include <string>

#include "platform/posix/terminal/Session.h"

namespace zmw::platform::text::terminal {

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

// Runs a layer on top of the others until it is done: the open dialogs' timers go on, Ctrl-C
// reaches the layer on top, keys too (only Esc while the terminal is too small to show it).
void RunLayer(Layer& layer);

}  // namespace zmw::platform::text::terminal
