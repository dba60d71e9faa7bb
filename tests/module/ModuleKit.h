// What the module tests share: the messages shown, as one text to compare at once.
#pragma once
#include <string>

#include "support/RecordingUi.h"

namespace zmw::moduletest {

// Each message on a line, "caption/owner: text" (owner 0 none, 1 the active window), or the texts alone.
inline std::string Shown(const test::RecordingUi& ui, bool withCaption = true) {
  std::string all;
  for (const test::ShownMessage& m : ui.messages)
    all += (withCaption ? m.caption + "/" + std::to_string(int(m.owner)) + ": " : "") + m.text + "\n";
  return all;
}

}  // namespace zmw::moduletest
