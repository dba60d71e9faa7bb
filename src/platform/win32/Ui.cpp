#include <windows.h>
#include <shlobj.h>

#include "platform/Ui.h"

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

Ui& PlatformUi() {
  static Win32Ui ui;
  return ui;
}

}  // namespace zmw::platform
