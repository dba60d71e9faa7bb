// The UI of the tests: remembers every box, beep and browser, answers from queues.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace zmw::test {

struct ShownMessage {
  platform::Owner owner;
  std::string text;
  std::string caption;
  unsigned style;
};

class RecordingUi : public platform::Ui {
 public:
  int ShowMessage(platform::Owner owner, const std::string& text, const std::string& caption,
                  unsigned style) override;
  void Beep(unsigned type) override { beeps.push_back(type); }
  bool BrowseFolder(const std::string& title, std::string& folder) override;

  std::vector<ShownMessage> messages;
  std::vector<unsigned> beeps;
  std::vector<std::string> browseTitles;

  // Runs while a box is open, as the platform's message loop would run timers.
  std::function<void(const ShownMessage&)> whileShowing;
  std::deque<int> messageAnswers;          // empty: the box's default button
  std::deque<std::string> browseAnswers;   // empty text, or none left: the user cancels
};

}  // namespace zmw::test
