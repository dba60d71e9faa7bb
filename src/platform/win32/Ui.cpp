#include <windows.h>
#include <commdlg.h>
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

  BrowseResult BrowseFolder(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                            std::string& folder) override {
    char display[MAX_PATH] = {};
    BrowseState state{callback};
    BROWSEINFOA info = {};
    info.pszDisplayName = display;
    info.lpszTitle = request.title.c_str();
    info.ulFlags = request.flags;
    info.lpfn = &BrowseState::Callback;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    ItemList chosen{::SHBrowseForFolderA(&info)};
    if (!chosen.pidl) return BrowseResult::Cancelled;
    char path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(chosen.pidl, path)) return BrowseResult::NotAFolder;
    folder = path;
    return BrowseResult::Chosen;
  }

  bool PickOpenFile(const OpenFileRequest& request, std::string& path) override {
    char file[MAX_PATH] = {};
    // "name\0pattern\0\0"
    std::string filter = request.filterName + '\0' + request.filterPattern + '\0' + '\0';
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ::GetActiveWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = request.flags;
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    if (!::GetOpenFileNameA(&ofn)) return false;
    path = file;
    return true;
  }

  std::uintptr_t SetWaitCursor() override {
    return reinterpret_cast<std::uintptr_t>(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)));
  }
  void RestoreCursor(std::uintptr_t previous) override { ::SetCursor(reinterpret_cast<HCURSOR>(previous)); }

 private:
  // The browser's window as the callback's receiver sees it.
  struct BrowseState final : FolderBrowserWindow {
    explicit BrowseState(const FolderBrowserCallback& c) : callback(c) {}
    const FolderBrowserCallback& callback;
    HWND window = nullptr;

    void Send(unsigned message, std::uintptr_t wParam, const std::string& text) override {
      ::SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    bool ItemPath(std::intptr_t item, std::string& path) override {
      char buffer[MAX_PATH] = {};
      if (!::SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(item), buffer)) return false;
      path = buffer;
      return true;
    }
    static int CALLBACK Callback(HWND window, UINT message, LPARAM parameter, LPARAM data) {
      auto* self = reinterpret_cast<BrowseState*>(data);
      self->window = window;
      if (self->callback) self->callback(*self, message, parameter);
      return 0;
    }
  };
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
