#include "module/Module.h"

#include "platform/Ui.h"

namespace zmw {

CZelvoMWApp::CZelvoMWApp() = default;
CZelvoMWApp::~CZelvoMWApp() = default;

void ReportInternalError(const char* what) noexcept {
  try {
    platform::CurrentUi().ShowMessage(platform::Owner::None, std::string("Errore interno: ") + what,
                                      "ZelvoMW", platform::kMbOk | platform::kMbIconHand);
  } catch (...) {
    // Nothing more can be done without letting the failure reach the host.
  }
}

}  // namespace zmw
