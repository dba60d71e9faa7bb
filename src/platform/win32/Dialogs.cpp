// Dialogs from the library's own resource templates, with the real controls.
#include <windows.h>
#include <commctrl.h>

#include "platform/Dialogs.h"
#include "platform/common/TextHost.h"

namespace zmw::platform {
namespace {

// The module that holds this code, and so the templates: the DLL, or a test program.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &module);
  return module;
}

bool IsEdit(HWND control) {
  char name[16] = {};
  ::GetClassNameA(control, name, sizeof name);
  return ::lstrcmpiA(name, "Edit") == 0;
}

class Win32Dialog final : public DialogWindow {
 public:
  Win32Dialog(int templateId, DialogEvents& events) : id_(templateId), events_(events) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
  }
  ~Win32Dialog() override {
    if (window_ && !modal_) ::DestroyWindow(window_);
  }

  int RunModal() override {
    modal_ = true;
    INT_PTR result = ::DialogBoxParamA(OwnModule(), MAKEINTRESOURCEA(id_), nullptr, Procedure,
                                       reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return int(result);
  }

  bool ShowModeless() override {
    window_ = ::CreateDialogParamA(OwnModule(), MAKEINTRESOURCEA(id_), nullptr, Procedure, reinterpret_cast<LPARAM>(this));
    if (!window_) return false;
    ::ShowWindow(window_, SW_SHOWNORMAL);
    return true;
  }

  void EndModal(int result) override {
    if (window_ && modal_) ::EndDialog(window_, result);
  }

  // A modal dialog whose window goes away ends without OK.
  void Destroy() override {
    if (!window_) return;
    if (modal_) {
      ::EndDialog(window_, IDCANCEL);
    } else {
      ::DestroyWindow(window_);
      window_ = nullptr;
    }
  }

  unsigned StartTimer(unsigned id, unsigned milliseconds) override {
    return window_ ? unsigned(::SetTimer(window_, id, milliseconds, nullptr)) : 0;
  }
  void StopTimer(unsigned id) override {
    if (window_) ::KillTimer(window_, id);
  }
  void SetControlText(int control, const std::string& text) override { ::SetDlgItemTextA(window_, control, text.c_str()); }
  std::string ControlText(int control) override {
    char buffer[1024] = {};
    ::GetDlgItemTextA(window_, control, buffer, sizeof buffer);
    return buffer;
  }
  void EnableControl(int control, bool enabled) override { ::EnableWindow(::GetDlgItem(window_, control), enabled); }
  bool IsControlEnabled(int control) override { return ::IsWindowEnabled(::GetDlgItem(window_, control)) != FALSE; }
  void SetCheck(int control, int state) override { ::CheckDlgButton(window_, control, UINT(state)); }
  int Check(int control) override { return int(::IsDlgButtonChecked(window_, control)); }
  std::intptr_t SendControlMessage(int control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    return ::SendDlgItemMessageA(window_, control, message, wParam, lParam);
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<Win32Dialog*>(lParam);
      ::SetWindowLongPtrA(window, DWLP_USER, lParam);
      self->window_ = window;
      return self->events_.OnInitDialog() ? TRUE : FALSE;
    }
    auto* self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_TIMER:
        self->events_.OnTimer(unsigned(wParam));
        return FALSE;  // and the default handling
      case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
          self->events_.OnCommand(LOWORD(wParam));
          return TRUE;
        }
        // Only edits send EN_KILLFOCUS (0x200); other controls use that code for their own.
        if (HIWORD(wParam) == EN_KILLFOCUS && IsEdit(HWND(lParam))) {
          self->events_.OnKillFocus(LOWORD(wParam));
          return TRUE;
        }
        return FALSE;
      case WM_NCDESTROY:
        if (self->window_ == window) self->window_ = nullptr;
        return FALSE;
      default:
        return FALSE;
    }
  }

  int id_;
  DialogEvents& events_;
  HWND window_ = nullptr;
  bool modal_ = false;
};

class Win32DialogHost final : public DialogHost {
 public:
  std::unique_ptr<DialogWindow> MakeWindow(int templateId, DialogEvents& events) override {
    return std::make_unique<Win32Dialog>(templateId, events);
  }
};

}  // namespace

bool BatchRequested();  // Ui.cpp

DialogHost& PlatformDialogHost() {
  if (BatchRequested()) return text::TextDialogHost();
  static Win32DialogHost host;
  return host;
}

}  // namespace zmw::platform
