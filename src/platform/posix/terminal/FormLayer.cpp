// The dialogs a person works, as forms at the terminal: drawn from the templates' one
// description (the frame and its caption, static texts, group boxes, edits, push buttons,
// check boxes), worked with the keys as the dialog manager works the window on Windows.
#include <algorithm>
#include <map>

#include "platform/DialogTemplates.h"
#include "platform/common/TextHost.h"
#include "platform/posix/terminal/Drawing.h"
#include "platform/posix/terminal/FormLayout.h"
#include "platform/posix/terminal/Layers.h"
#include "platform/posix/terminal/LineEdit.h"

namespace zmw::platform::text {
namespace terminal {
namespace {

class FormLayer final : public Layer {
 public:
  FormLayer(FormDialog& dialog, const DialogTemplate& shape) : dialog_(dialog), t_(shape) {
    // The focus starts on the first control Tab stops at, as the dialog manager puts it.
    Focus(Next(-1, 1));
  }

  bool Draw(int& needColumns, int& needRows) override {
    auto layout = LayOut(t_, COLS - 2, LINES - 3);
    if (!layout) {
      layout = LayOut(t_, COLS - 2, LINES - 2);
      if (layout) paint.hintLine = false;
    }
    if (!layout) {
      Smallest(t_, needColumns, needRows);
      return false;
    }
    int height = layout->height + 2, width = layout->width + 2;
    int top = std::max(0, (AreaRows() - height) / 2), left = std::max(0, (COLS - width) / 2);
    Frame(top, left, height, width, t_.caption);
    for (std::size_t i = 0; i < t_.controls.size(); ++i) {
      const Placed& p = layout->at[i];
      DrawControl(i, top + 1 + p.row, left + 1 + p.col, p);
    }
    return true;
  }

  std::string Caption() const override { return t_.caption; }
  const char* Keys() const override {
    return "Tab/Maiusc+Tab: campo   Spazio: casella   Invio: pulsante   Esc: chiude";
  }
  bool Done() const override { return dialog_.Ended(); }

  void OnKey(const Key& key) override {
    int focused = focus_;
    const ControlTemplate* c = focused >= 0 ? &t_.controls[std::size_t(focused)] : nullptr;
    if (key.Tab() || (key.IsCode(KEY_DOWN) && !(c && c->IsEdit()))) {
      Focus(Next(focused, 1));
    } else if (key.BackTab() || (key.IsCode(KEY_UP) && !(c && c->IsEdit()))) {
      Focus(Next(focused, -1));
    } else if (key.Enter()) {
      if (c && c->IsButton()) {
        Click(focused);
      } else if (int def = DefaultButton(); def >= 0 && Reachable(def)) {
        // As a click on the default button: the focus leaves the edit first.
        Focus(def);
        if (!dialog_.Ended()) Click(def);
      }
    } else if (c && c->kind == ControlKind::AutoCheckBox && key.Is(L' ')) {
      Window().SetCheck(c->id, Window().Check(c->id) == 1 ? 0 : 1);
      Handle([&] { dialog_.Events().OnCommand(c->id); });
    } else if (c && c->IsButton() && key.Is(L' ')) {
      Click(focused);
    } else if (c && c->IsEdit()) {
      std::string text = Window().ControlText(c->id);
      if (edits_[c->id].Apply(key, text, dialog_.TextLimit(c->id))) Window().SetControlText(c->id, text);
    }
  }

  // Esc, the close box: IDCANCEL.
  void OnEscape() override {
    Handle([&] { dialog_.Events().OnCommand(2); });
  }

  void OnInterrupt() override {
    dialog_.Interrupted();
    Handle([&] { dialog_.Events().OnCommand(dialog_.Events().CancelControl()); });
  }

 private:
  DialogWindow& Window() { return dialog_.Window(); }

  bool Enabled(std::size_t i) {
    const ControlTemplate& c = t_.controls[i];
    return c.id == -1 ? !c.Disabled() : Window().IsControlEnabled(c.id);
  }
  bool Reachable(int i) {
    const ControlTemplate& c = t_.controls[std::size_t(i)];
    return c.TabStop() && c.id != -1 && Enabled(std::size_t(i));
  }
  // The next control Tab stops at, in template order, either way round; -1 for none.
  int Next(int from, int step) {
    int n = int(t_.controls.size());
    int i = from >= 0 ? from : step > 0 ? -1 : n;
    for (int k = 0; k < n; ++k) {
      i = (i + step + n) % n;
      if (Reachable(i)) return i;
    }
    return -1;
  }
  int DefaultButton() {
    int id = t_.DefaultButton();
    if (id == 0 && t_.Control(1)) id = 1;
    for (std::size_t i = 0; i < t_.controls.size(); ++i)
      if (t_.controls[i].id == id && id != 0) return int(i);
    return -1;
  }

  // Moves the focus; an edit it leaves is told, after the move (EN_KILLFOCUS).
  void Focus(int to) {
    int from = focus_;
    if (to == from) return;
    focus_ = to;
    if (to >= 0 && t_.controls[std::size_t(to)].IsEdit()) {
      int id = t_.controls[std::size_t(to)].id;
      edits_[id].Enter(Window().ControlText(id));
    }
    if (from >= 0 && t_.controls[std::size_t(from)].IsEdit()) {
      int id = t_.controls[std::size_t(from)].id;
      Handle([&] { dialog_.Events().OnKillFocus(id); });
    }
  }

  void Click(int i) {
    int id = t_.controls[std::size_t(i)].id;
    if (Enabled(std::size_t(i))) Handle([&] { dialog_.Events().OnCommand(id); });
  }

  // A handler ran: it may have written on the terminal, opened and closed other windows, or
  // disabled the control with the focus, which then goes on to the next.
  template <class F>
  void Handle(F handler) {
    handler();
    paint.repaintAll = true;
    if (!dialog_.Ended() && focus_ >= 0 && !Reachable(focus_)) Focus(Next(focus_, 1));
  }

  void DrawControl(std::size_t i, int y, int x, const Placed& p) {
    const ControlTemplate& c = t_.controls[i];
    attr_t dim = Enabled(i) ? A_NORMAL : A_DIM;
    bool focused = int(i) == focus_;
    std::string text = c.id == -1 ? c.text : Window().ControlText(c.id);
    switch (c.kind) {
      case ControlKind::LeftText: Put(y, x, text, p.width, dim); break;
      case ControlKind::CenteredText: Centered(y, x, p.width, text, dim); break;
      case ControlKind::Edit: edits_[c.id].Draw(y, x, p.width, text, focused, dim); break;
      case ControlKind::Button:
      case ControlKind::DefaultButton: {
        std::string label = "< " + text + " >";
        int pad = std::max(0, (p.width - Length(label)) / 2);
        attr_t a = dim | (c.kind == ControlKind::DefaultButton ? A_BOLD : A_NORMAL) | (focused ? A_REVERSE : A_NORMAL);
        Put(y, x + pad, label, p.width - pad, a);
        if (focused) CursorAt(y, x + pad + 2);
        break;
      }
      case ControlKind::AutoCheckBox:
        Put(y, x, Window().Check(c.id) == 1 ? "[x]" : "[ ]", p.width, dim | (focused ? A_REVERSE : A_NORMAL));
        Put(y, x + 3, " " + text, p.width - 3, dim);
        if (focused) CursorAt(y, x + 1);
        break;
      case ControlKind::GroupBox: Lines(y, x, p.height, p.width, text, dim); break;
      case ControlKind::Progress: break;  // the progress dialog shows a status line, never a form
    }
  }

  FormDialog& dialog_;
  const DialogTemplate& t_;
  int focus_ = -1;  // the control with the focus, by its place in the template
  std::map<int, LineEdit> edits_;
};

}  // namespace
}  // namespace terminal

bool RunForm(FormDialog& dialog) {
  const DialogTemplate* shape = FindDialogTemplate(dialog.TemplateId());
  if (!shape || !terminal::StartSession()) return false;
  struct Stop {
    ~Stop() { terminal::StopSession(); }
  } stop;
  terminal::FormLayer form(dialog, *shape);
  terminal::RunLayer(form);
  return true;
}

}  // namespace zmw::platform::text
