#include "platform/common/DialogTexts.h"

namespace zmw::platform {

std::string DialogCaption(int templateId) {
  switch (templateId) {
    case 1000: return "ZELVO - Configuratore MaicoWin";
    case 1002:
    case 1003: return "ZELVO - Collegamento MaicoWin";
    default: return "ZelvoMW";
  }
}

std::string DialogStaticText(int templateId) {
  switch (templateId) {
    case 1002: return "MaicoWin sta calcolando. Attendere...";
    case 1003: return "Scrittura della lista accessori";
    default: return "";
  }
}

}  // namespace zmw::platform
