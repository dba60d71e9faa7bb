// The folder browser of the installation search: the platform's browser with a status line
// that follows the selection.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Ui.h"

namespace zmw {

class CFolderDialog {
 public:
  CFolderDialog();
  virtual ~CFolderDialog();
  CFolderDialog(const CFolderDialog&) = delete;
  CFolderDialog& operator=(const CFolderDialog&) = delete;

  // 1 when the user chose a folder of the file system, 2 when not.
  virtual int Run();
  const std::string& SelectedFolder() const { return selectedFolder_; }
  std::string initialFolder;  // selected when the browser opens; its callers leave it empty

 protected:
  virtual void OnInitialized();
  virtual void OnSelChanged(std::intptr_t item);
  virtual void OnBrowseCallback(platform::FolderBrowserWindow& window, unsigned message, std::intptr_t parameter);

 private:
  platform::FolderBrowseRequest request_;
  std::string selectedFolder_;
  platform::FolderBrowserWindow* window_ = nullptr;
};

// A status line holds 35 characters; a longer path shows its first 35 and "...".
std::string ShortenForStatus(const std::string& text);

}  // namespace zmw
