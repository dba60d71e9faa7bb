#include "platform/Ui.h"

namespace zmw::platform {

Ui& PlatformUi();  // the platform folder's own

namespace {
Ui* installed = nullptr;
}

Ui& CurrentUi() { return installed ? *installed : PlatformUi(); }
void SetUi(Ui* ui) { installed = ui; }

WaitCursor::WaitCursor() : previous_(CurrentUi().SetWaitCursor()) {}
WaitCursor::~WaitCursor() { CurrentUi().RestoreCursor(previous_); }

int ButtonsOf(unsigned style, int* results) {
  switch (style & 0xF) {
    case kMbOkCancel: results[0] = kIdOk; results[1] = kIdCancel; return 2;
    case kMbAbortRetryIgnore:
      results[0] = kIdAbort; results[1] = kIdRetry; results[2] = kIdIgnore; return 3;
    case kMbYesNoCancel: results[0] = kIdYes; results[1] = kIdNo; results[2] = kIdCancel; return 3;
    case kMbYesNo: results[0] = kIdYes; results[1] = kIdNo; return 2;
    case kMbRetryCancel: results[0] = kIdRetry; results[1] = kIdCancel; return 2;
    default: results[0] = kIdOk; return 1;
  }
}

int DefaultResultOf(unsigned style) {
  int results[3];
  int n = ButtonsOf(style, results);
  int index = (style & kMbDefButton3) ? 2 : (style & kMbDefButton2) ? 1 : 0;
  return results[index < n ? index : 0];
}

}  // namespace zmw::platform
