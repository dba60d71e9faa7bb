// A message box over the open forms: the text wrapped in a box, its buttons side by side.
#include <algorithm>

#include "platform/common/TextHost.h"
#include "platform/posix/terminal/Drawing.h"
#include "platform/posix/terminal/Layers.h"

namespace zmw::platform::text {
namespace terminal {
namespace {

class QuestionLayer final : public Layer {
 public:
  QuestionLayer(const std::string& caption, const std::string& text, const std::vector<FormButton>& buttons,
                int defaultAnswer, int escapeAnswer)
      : caption_(caption), text_(text), buttons_(buttons), escape_(escapeAnswer), answer_(defaultAnswer) {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i].result == defaultAnswer) focus_ = int(i);
  }

  bool Draw(int&, int&) override {
    std::vector<std::string> labels;
    int buttonsWidth = 0;
    for (const FormButton& b : buttons_) {
      labels.push_back(b.label);
      buttonsWidth += Length(b.label) + 6;
    }
    int longest = 0;
    for (const std::string& line : Wrap(text_, 60)) longest = std::max(longest, Length(line));
    int inner = std::max({longest, buttonsWidth, Length(caption_) + 4, 20});
    inner = std::min(inner, COLS - 6);
    std::vector<std::string> lines = Wrap(text_, inner);
    int top, left, width, height;
    PlaceBox(inner + 4, int(lines.size()) + 6, top, left, width, height);
    Frame(top, left, height, width, caption_);
    int row = top + 2;
    for (const std::string& line : lines)
      if (row < top + height - 3) Put(row++, left + 2, line, width - 4);
    DrawButtons(top + height - 2, left + 1, width - 2, labels, focus_);
    return true;
  }

  std::string Caption() const override { return caption_; }
  const char* Keys() const override { return "Frecce/Tab: pulsante   Invio: conferma   Esc: annulla"; }
  bool Done() const override { return done_; }

  void OnKey(const Key& key) override {
    int n = int(buttons_.size());
    if (key.Tab() || key.IsCode(KEY_RIGHT) || key.IsCode(KEY_DOWN)) focus_ = (focus_ + 1) % n;
    else if (key.BackTab() || key.IsCode(KEY_LEFT) || key.IsCode(KEY_UP)) focus_ = (focus_ + n - 1) % n;
    else if (key.Enter() || key.Is(L' ')) Answer(buttons_[std::size_t(focus_)].result);
  }
  void OnEscape() override { Answer(escape_); }
  void OnInterrupt() override {
    interrupted_ = true;
    Answer(escape_);
  }

  int Result() const { return answer_; }
  bool Interrupted() const { return interrupted_; }

 private:
  void Answer(int result) {
    answer_ = result;
    done_ = true;
  }

  std::string caption_, text_;
  std::vector<FormButton> buttons_;
  int escape_;
  int answer_;
  int focus_ = 0;
  bool done_ = false, interrupted_ = false;
};

}  // namespace
}  // namespace terminal

int FormQuestion(const std::string& caption, const std::string& text, const std::vector<FormButton>& buttons,
                 int defaultAnswer, int escapeAnswer, bool& interrupted) {
  if (!FormOpen() || buttons.empty()) return defaultAnswer;
  terminal::QuestionLayer box(caption, text, buttons, defaultAnswer, escapeAnswer);
  terminal::RunLayer(box);
  interrupted = box.Interrupted();
  return box.Result();
}

}  // namespace zmw::platform::text
