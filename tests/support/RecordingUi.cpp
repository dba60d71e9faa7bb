#include "support/RecordingUi.h"

namespace zmw::test {

int RecordingUi::ShowMessage(platform::Owner owner, const std::string& text,
                             const std::string& caption, unsigned style) {
  messages.push_back({owner, text, caption, style});
  events.push_back("message " + text);
  if (whileShowing) whileShowing(messages.back());
  if (messageAnswers.empty()) return platform::DefaultResultOf(style);
  int answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

namespace {

struct RecordedBrowser final : platform::FolderBrowserWindow {
  std::vector<std::string>& log;
  std::string item;
  explicit RecordedBrowser(std::vector<std::string>& l) : log(l) {}
  void Send(unsigned message, std::uintptr_t wParam, const std::string& text) override {
    if (message == platform::kBffmSetStatusText) log.push_back("status " + text);
    else if (message == platform::kBffmSetSelection) log.push_back("select " + std::to_string(wParam) + " " + text);
    else log.push_back("message " + std::to_string(message));
  }
  bool ItemPath(std::intptr_t, std::string& path) override {
    path = item;
    return true;
  }
};

}  // namespace

platform::BrowseResult RecordingUi::BrowseFolder(const platform::FolderBrowseRequest& request,
                                                 const platform::FolderBrowserCallback& callback,
                                                 std::string& folder) {
  browseTitles.push_back(request.title);
  browseFlags.push_back(request.flags);
  events.push_back("browse");
  RecordedBrowser window(browserMessages);
  if (callback) callback(window, platform::kBffmInitialized, 0);
  if (browseAnswers.empty()) return platform::BrowseResult::Cancelled;
  std::string answer = browseAnswers.front();
  browseAnswers.pop_front();
  if (answer.empty()) return platform::BrowseResult::Cancelled;
  window.item = answer;
  if (callback) callback(window, platform::kBffmSelChanged, 1);
  folder = answer;
  return platform::BrowseResult::Chosen;
}

bool RecordingUi::PickOpenFile(const platform::OpenFileRequest& request, std::string& path) {
  picks.push_back(request);
  events.push_back("pick " + request.filterName);
  if (pickAnswers.empty()) return false;
  std::string answer = pickAnswers.front();
  pickAnswers.pop_front();
  if (answer.empty()) return false;
  path = answer;
  return true;
}

std::uintptr_t RecordingUi::SetWaitCursor() {
  events.push_back("cursor wait");
  return std::uintptr_t(++waitCursors);
}

void RecordingUi::RestoreCursor(std::uintptr_t) {
  --waitCursors;
  events.push_back("cursor restored");
}

}  // namespace zmw::test
