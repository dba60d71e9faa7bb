// The library's dialog templates as data, from the same description the resource compiler
// reads: hosts that draw no Windows template (the terminal, batch, the tests) take the
// captions, controls, positions and states from here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zmw::platform {

enum class ControlKind { LeftText, CenteredText, Edit, Button, DefaultButton, AutoCheckBox, GroupBox, Progress };

struct ControlTemplate {
  ControlKind kind;
  std::string text;  // in the system's 8-bit code page
  int id;            // -1 for none
  int x, y, width, height;  // dialog units
  std::uint32_t style;      // the window style, kind's and extra
  bool Disabled() const { return (style & 0x08000000u) != 0; }
  // Whether Tab stops there: edits, buttons and check boxes.
  bool TabStop() const { return (style & 0x00010000u) != 0; }
  bool IsEdit() const { return kind == ControlKind::Edit; }
  bool IsButton() const { return kind == ControlKind::Button || kind == ControlKind::DefaultButton; }
};

struct DialogTemplate {
  int id;
  std::string caption;
  int width, height;  // dialog units
  std::uint32_t style;
  std::string font = "MS Sans Serif";
  int pointSize = 8;
  std::vector<ControlTemplate> controls;  // in template order, which is the Tab order

  const ControlTemplate* Control(int controlId) const;
  bool HasCloseBox() const { return (style & 0x00080000u) != 0; }
  // The default push button's id, 0 when there is none.
  int DefaultButton() const;
};

// The template of that id, or nullptr when the library has none.
const DialogTemplate* FindDialogTemplate(int id);
const std::vector<DialogTemplate>& DialogTemplates();

}  // namespace zmw::platform
