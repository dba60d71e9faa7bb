#include "support/RecordingUi.h"

namespace zmw::test {

int RecordingUi::ShowMessage(platform::Owner owner, const std::string& text,
                             const std::string& caption, unsigned style) {
  messages.push_back({owner, text, caption, style});
  if (whileShowing) whileShowing(messages.back());
  if (messageAnswers.empty()) return platform::DefaultResultOf(style);
  int answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

bool RecordingUi::BrowseFolder(const std::string& title, std::string& folder) {
  browseTitles.push_back(title);
  if (browseAnswers.empty()) return false;
  std::string answer = browseAnswers.front();
  browseAnswers.pop_front();
  if (answer.empty()) return false;
  folder = answer;
  return true;
}

}  // namespace zmw::test
