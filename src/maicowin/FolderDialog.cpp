#include "maicowin/FolderDialog.h"

#include "maicowin/MaicoWinConf.h"

namespace zmw {

std::string ShortenForStatus(const std::string& text) {
  constexpr std::size_t kStatusChars = 35;
  return text.size() > kStatusChars ? text.substr(0, kStatusChars) + "..." : text;
}

CFolderDialog::CFolderDialog() {
  request_.title = kBrowseInstallTitle;
  request_.flags = platform::kBifStatusText;
}

CFolderDialog::~CFolderDialog() = default;

int CFolderDialog::Run() {
  selectedFolder_ = initialFolder;
  std::string chosen;
  platform::BrowseResult result = platform::CurrentUi().BrowseFolder(
      request_,
      [this](platform::FolderBrowserWindow& window, unsigned message, std::intptr_t parameter) {
        OnBrowseCallback(window, message, parameter);
      },
      chosen);
  window_ = nullptr;
  if (result != platform::BrowseResult::Chosen) return 2;
  selectedFolder_ = chosen;
  return 1;
}

void CFolderDialog::OnBrowseCallback(platform::FolderBrowserWindow& window, unsigned message, std::intptr_t parameter) {
  window_ = &window;
  if (message == platform::kBffmInitialized) OnInitialized();
  else if (message == platform::kBffmSelChanged) OnSelChanged(parameter);
}

void CFolderDialog::OnInitialized() {
  window_->Send(platform::kBffmSetSelection, 1, initialFolder);
  window_->Send(platform::kBffmSetStatusText, 0, ShortenForStatus(initialFolder));
}

void CFolderDialog::OnSelChanged(std::intptr_t item) {
  std::string path;
  if (!window_->ItemPath(item, path)) path.clear();
  selectedFolder_ = path;
  window_->Send(platform::kBffmSetStatusText, 0, ShortenForStatus(path));
}

}  // namespace zmw
