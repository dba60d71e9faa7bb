// What the library shows a person. The default implementation is the platform's own; tests
// install a recording one.
#pragma once
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

class Ui {
 public:
  virtual ~Ui() = default;
  virtual int ShowMessage(Owner owner, const std::string& text, const std::string& caption,
                          unsigned style) = 0;
  virtual void Beep(unsigned type) = 0;
  // The folder browser: true with the chosen folder, false when the user cancelled.
  virtual bool BrowseFolder(const std::string& title, std::string& folder) = 0;
};

Ui& CurrentUi();
// Installs another UI (tests); nullptr goes back to the platform's.
void SetUi(Ui* ui);

// The buttons of a message box style, in order, and its default result.
int ButtonsOf(unsigned style, int* results);
int DefaultResultOf(unsigned style);

}  // namespace zmw::platform
