#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "platform/Ui.h"
#include "platform/common/TextHost.h"

namespace zmw::platform {
namespace {

struct ItemList {
  LPITEMIDLIST pidl;
  ~ItemList() {
    if (pidl) ::CoTaskMemFree(pidl);
  }
};

HWND OwnerWindow(Owner owner) {
  return owner == Owner::None ? nullptr : ::GetActiveWindow();
}

class Win32Ui final : public Ui {
 public:
  int ShowMessage(Owner owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    return ::MessageBoxA(OwnerWindow(owner), text.c_str(), caption.c_str(), style);
  }

  void Beep(unsigned type) override { ::MessageBeep(type); }

  bool BrowseFolder(const std::string& title, std::string& folder) override {
    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_STATUSTEXT;
    ItemList chosen{::SHBrowseForFolderA(&info)};
    if (!chosen.pidl) return false;
    char path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(chosen.pidl, path)) return false;
    folder = path;
    return true;
  }
};

}  // namespace

// ZELVOMW_UI=batch: the boxes of a script or a test, answered without a person.
bool BatchRequested() {
  const char* mode = std::getenv("ZELVOMW_UI");
  return mode && std::strcmp(mode, "batch") == 0;
}

Ui& PlatformUi() {
  if (BatchRequested()) return text::TextUi();
  static Win32Ui ui;
  return ui;
}

}  // namespace zmw::platform
