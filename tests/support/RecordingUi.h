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
  platform::BrowseResult BrowseFolder(const platform::FolderBrowseRequest& request,
                                      const platform::FolderBrowserCallback& callback, std::string& folder) override;
  bool PickOpenFile(const platform::OpenFileRequest& request, std::string& path) override;
  std::uintptr_t SetWaitCursor() override;
  void RestoreCursor(std::uintptr_t previous) override;

  std::vector<ShownMessage> messages;
  std::vector<unsigned> beeps;
  std::vector<std::string> browseTitles;
  std::vector<unsigned> browseFlags;
  // The browser's messages from its callback: "select <path>", "status <text>".
  std::vector<std::string> browserMessages;
  std::vector<platform::OpenFileRequest> picks;
  // What happened, in order, across boxes, cursors and pickers: "message <text>",
  // "cursor wait", "cursor restored", "pick <filter>", "browse".
  std::vector<std::string> events;
  int waitCursors = 0;  // how many are current now

  // Runs while a box is open, as the platform's message loop would run timers.
  std::function<void(const ShownMessage&)> whileShowing;
  std::deque<int> messageAnswers;          // empty: the box's default button
  std::deque<std::string> browseAnswers;   // empty text, or none left: the user cancels
  std::deque<std::string> pickAnswers;     // empty text, or none left: the user cancels
};

}  // namespace zmw::test
