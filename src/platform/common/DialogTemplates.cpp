#include "platform/DialogTemplates.h"

#include "DialogStyles.h"

namespace zmw::platform {
namespace {

// One line of the description: a dialog's start, one of its controls, or its end.
struct Line {
  enum What { Start, Item, End } what;
  int id;
  ControlKind kind;
  const char* text;
  int x, y, width, height;
  std::uint32_t style;
};

constexpr ControlKind kLTEXT = ControlKind::LeftText;
constexpr ControlKind kCTEXT = ControlKind::CenteredText;
constexpr ControlKind kEDIT = ControlKind::Edit;
constexpr ControlKind kBUTTON = ControlKind::Button;
constexpr ControlKind kDEFBUTTON = ControlKind::DefaultButton;
constexpr ControlKind kAUTOCHECK = ControlKind::AutoCheckBox;
constexpr ControlKind kGROUP = ControlKind::GroupBox;
constexpr ControlKind kPROGRESS = ControlKind::Progress;

const Line kLines[] = {
#define ZMW_DIALOG(id, w, h, caption, style) {Line::Start, id, kLTEXT, caption, 0, 0, w, h, std::uint32_t(ZMW_DIALOG_BASE | (style))},
#define ZMW_CONTROL(kind, text, id, x, y, w, h, style) \
  {Line::Item, id, k##kind, text, x, y, w, h, std::uint32_t(ZMW_##kind##_STYLE | (style))},
#define ZMW_DIALOG_END() {Line::End, 0, kLTEXT, "", 0, 0, 0, 0, 0},
#include "DialogTemplates.def"
#undef ZMW_DIALOG
#undef ZMW_CONTROL
#undef ZMW_DIALOG_END
};

std::vector<DialogTemplate> Build() {
  std::vector<DialogTemplate> dialogs;
  for (const Line& line : kLines) {
    switch (line.what) {
      case Line::Start:
        dialogs.push_back({line.id, line.text, line.width, line.height, line.style, "MS Sans Serif", 8, {}});
        break;
      case Line::Item:
        dialogs.back().controls.push_back(
            {line.kind, line.text, line.id, line.x, line.y, line.width, line.height, line.style});
        break;
      case Line::End:
        break;
    }
  }
  return dialogs;
}

}  // namespace

const ControlTemplate* DialogTemplate::Control(int controlId) const {
  for (const ControlTemplate& c : controls)
    if (c.id == controlId && controlId != -1) return &c;
  return nullptr;
}

int DialogTemplate::DefaultButton() const {
  for (const ControlTemplate& c : controls)
    if (c.kind == ControlKind::DefaultButton) return c.id;
  return 0;
}

const std::vector<DialogTemplate>& DialogTemplates() {
  static const std::vector<DialogTemplate> dialogs = Build();
  return dialogs;
}

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& d : DialogTemplates())
    if (d.id == id) return &d;
  return nullptr;
}

}  // namespace zmw::platform
