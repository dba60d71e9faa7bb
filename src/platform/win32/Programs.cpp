#include <windows.h>
#include <shellapi.h>

#include "platform/Programs.h"

namespace zmw::platform {

bool StartProgram(const std::string& program, const std::string& parameters, const std::string& folder) {
  HINSTANCE result = ::ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(),
                                     folder.empty() ? nullptr : folder.c_str(), SW_HIDE);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

std::string OwnProgramPath() {
  char path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n < MAX_PATH ? n : 0);
}

long long OwnProcessCreationTime() {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  ULARGE_INTEGER t;
  t.LowPart = created.dwLowDateTime;
  t.HighPart = created.dwHighDateTime;
  // FILETIME counts 100 ns since 1601.
  return (static_cast<long long>(t.QuadPart) - 116444736000000000LL) * 100;
}

bool CalcWindowExists(const std::string& name) { return ::FindWindowA(name.c_str(), name.c_str()) != nullptr; }

bool PostQuitToCalcWindow(const std::string& name) {
  HWND window = ::FindWindowA(name.c_str(), name.c_str());
  return window && ::PostMessageA(window, WM_QUIT, 0, 0);
}

struct CalcWindow::State {
  HWND window = nullptr;
  ATOM windowClass = 0;
  std::string name;
};

CalcWindow::CalcWindow(const std::string& name) : state_(new State) {
  state_->name = name;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = state_->name.c_str();
  state_->windowClass = ::RegisterClassA(&wc);
  state_->window = ::CreateWindowA(state_->name.c_str(), state_->name.c_str(), WS_OVERLAPPED, 0, 0, 10, 10,
                                   nullptr, nullptr, wc.hInstance, nullptr);
}

CalcWindow::~CalcWindow() {
  if (state_->window) ::DestroyWindow(state_->window);
  if (state_->windowClass) ::UnregisterClassA(state_->name.c_str(), ::GetModuleHandleA(nullptr));
  delete state_;
}

bool CalcWindow::Valid() const { return state_->window != nullptr; }

// The quit message posted to the window lands in this thread's queue.
bool CalcWindow::WaitForQuit(int milliseconds) {
  DWORD until = ::GetTickCount() + DWORD(milliseconds);
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return true;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    DWORD now = ::GetTickCount();
    if (LONG(until - now) <= 0) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
  }
}

}  // namespace zmw::platform
