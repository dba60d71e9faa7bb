#include "platform/common/DialogTexts.h"

#include "platform/DialogTemplates.h"

namespace zmw::platform {

std::string DialogCaption(int templateId) {
  const DialogTemplate* t = FindDialogTemplate(templateId);
  return t ? t->caption : "ZelvoMW";
}

// The first centred text: what the wait and progress dialogs say.
std::string DialogStaticText(int templateId) {
  if (const DialogTemplate* t = FindDialogTemplate(templateId))
    for (const ControlTemplate& c : t->controls)
      if (c.kind == ControlKind::CenteredText) return c.text;
  return "";
}

}  // namespace zmw::platform
