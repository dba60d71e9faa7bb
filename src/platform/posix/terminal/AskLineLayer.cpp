// A line typed in a box over the open forms, the file picker's: lines of text, the field, and
// under it why the last answer was refused.
#include <algorithm>

#include "platform/common/TextHost.h"
#include "platform/posix/terminal/Drawing.h"
#include "platform/posix/terminal/Layers.h"
#include "platform/posix/terminal/LineEdit.h"

namespace zmw::platform::text {
namespace terminal {
namespace {

class AskLineLayer final : public Layer {
 public:
  AskLineLayer(const std::string& caption, const std::vector<std::string>& lines, const std::string& note,
               std::string& answer)
      : caption_(caption), lines_(lines), note_(note), answer_(answer) {
    edit_.caret = answer_.size();
  }

  bool Draw(int&, int&) override {
    int inner = std::min(72, COLS - 6);
    std::vector<std::string> text, note = Wrap(note_, inner);
    for (const std::string& l : lines_)
      for (const std::string& w : Wrap(l, inner)) text.push_back(w);
    if (note_.empty()) note.clear();
    int top, left, width, height;
    PlaceBox(inner + 4, int(text.size() + note.size()) + 5, top, left, width, height);
    Frame(top, left, height, width, caption_);
    int row = top + 1;
    for (const std::string& line : text) Put(row++, left + 2, line, width - 4);
    edit_.Draw(row++, left + 2, width - 4, answer_, true, A_NORMAL);
    for (const std::string& line : note) Put(++row, left + 2, line, width - 4, A_BOLD);
    return true;
  }

  std::string Caption() const override { return caption_; }
  const char* Keys() const override { return "Invio: conferma   Esc: annulla"; }
  bool Done() const override { return done_; }
  void OnKey(const Key& key) override {
    if (key.Enter()) Finish(Reply::Line);
    else edit_.Apply(key, answer_, 0);
  }
  void OnEscape() override { Finish(Reply::End); }
  void OnInterrupt() override { Finish(Reply::Interrupted); }
  Reply Result() const { return reply_; }

 private:
  void Finish(Reply reply) {
    reply_ = reply;
    done_ = true;
  }

  std::string caption_;
  std::vector<std::string> lines_;
  std::string note_;
  std::string& answer_;
  LineEdit edit_;
  Reply reply_ = Reply::End;
  bool done_ = false;
};

}  // namespace
}  // namespace terminal

Reply FormAskLine(const std::string& caption, const std::vector<std::string>& lines, const std::string& note,
                  std::string& answer) {
  if (!FormOpen()) return Reply::End;
  terminal::AskLineLayer box(caption, lines, note, answer);
  terminal::RunLayer(box);
  return box.Result();
}

}  // namespace zmw::platform::text
