// What the library shows a person. The default implementation is the platform's own; tests
// install a recording one.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace zmw::platform {

enum class Owner { None, Active, Dialog };

// MessageBox styles and results, with the platform's values.
enum : unsigned {
  kMbOk = 0x0, kMbOkCancel = 0x1, kMbAbortRetryIgnore = 0x2, kMbYesNoCancel = 0x3,
  kMbYesNo = 0x4, kMbRetryCancel = 0x5, kMbIconHand = 0x10, kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30, kMbIconAsterisk = 0x40, kMbDefButton2 = 0x100,
  kMbDefButton3 = 0x200,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6,
             kIdNo = 7 };

// The folder browser's flags and the messages of its callback, with the platform's values.
enum : unsigned { kBifStatusText = 0x4 };
enum : unsigned { kBffmInitialized = 1, kBffmSelChanged = 2, kBffmSetStatusText = 1124, kBffmSetSelection = 1126 };

// The folder browser while it is open, as its callback sees it.
class FolderBrowserWindow {
 public:
  virtual ~FolderBrowserWindow() = default;
  // The status-text and select-by-path messages; the text is the message's parameter.
  virtual void Send(unsigned message, std::uintptr_t wParam, const std::string& text) = 0;
  // The path of an item of the selection-changed message; false when it is no folder of the
  // file system.
  virtual bool ItemPath(std::intptr_t item, std::string& path) = 0;
};
// Called with the browser, the message (initialised, selection changed) and its parameter.
using FolderBrowserCallback = std::function<void(FolderBrowserWindow&, unsigned, std::intptr_t)>;

struct FolderBrowseRequest {
  std::string title;
  unsigned flags = kBifStatusText;
};
enum class BrowseResult { Chosen, Cancelled, NotAFolder };

// The open-file picker's flags, with the platform's values.
enum : unsigned { kOfnOverwritePrompt = 0x2, kOfnHideReadOnly = 0x4, kOfnNoChangeDir = 0x8, kOfnFileMustExist = 0x1000 };

struct OpenFileRequest {
  std::string filterName;     // "Accessori Maico (*.asc)"
  std::string filterPattern;  // "*.asc"
  unsigned flags = 0;
  std::string defaultExtension;
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual int ShowMessage(Owner owner, const std::string& text, const std::string& caption,
                          unsigned style) = 0;
  virtual void Beep(unsigned type) = 0;
  // The folder browser, calling back while it is open; the chosen folder when Chosen.
  virtual BrowseResult BrowseFolder(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                                    std::string& folder) = 0;
  // The open-file picker: true with the chosen file's full path, false when cancelled.
  virtual bool PickOpenFile(const OpenFileRequest& request, std::string& path) = 0;
  // Makes the wait cursor current; gives back the cursor it replaced, for RestoreCursor.
  virtual std::uintptr_t SetWaitCursor() = 0;
  virtual void RestoreCursor(std::uintptr_t previous) = 0;
};

// The wait cursor for a scope.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  std::uintptr_t previous_;
};

Ui& CurrentUi();
// Installs another UI (tests); nullptr goes back to the platform's.
void SetUi(Ui* ui);

// The buttons of a message box style, in order, and its default result.
int ButtonsOf(unsigned style, int* results);
int DefaultResultOf(unsigned style);

}  // namespace zmw::platform
