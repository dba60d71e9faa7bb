// The folder browser over the open forms: the prefix's drives and their folders, a path that
// may be typed, and the callback told as the platform's browser tells it.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/common/TextHost.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/terminal/Drawing.h"
#include "platform/posix/terminal/Layers.h"
#include "platform/posix/terminal/LineEdit.h"

namespace fs = std::filesystem;

namespace zmw::platform::text {
namespace terminal {
namespace {

class FolderLayer final : public Layer, public FolderBrowserWindow {
 public:
  FolderLayer(const FolderBrowseRequest& request, const FolderBrowserCallback& callback)
      : title_(request.title), callback_(callback) {
    Show("");
  }

  // Runs the browser: initialised, then as the person moves.
  void Run() {
    Notify(kBffmInitialized, 0);
    RunLayer(*this);
  }

  BrowseResult Result() const { return result_; }
  const std::string& Chosen() const { return current_; }
  const std::string& Status() const { return status_; }

  // --- What the callback sees.
  void Send(unsigned message, std::uintptr_t, const std::string& text) override {
    if (message == kBffmSetStatusText) {
      status_ = text;
    } else if (message == kBffmSetSelection && !text.empty()) {
      std::string folder = posix::FolderText(text);
      if (!folder.empty() && FolderExists(folder)) {
        Show(folder);
        moved_ = true;
      }
    }
  }
  bool ItemPath(std::intptr_t item, std::string& path) override {
    if (item != item_ || current_.empty()) return false;
    path = current_;
    return true;
  }

  // --- The layer.
  bool Draw(int&, int&) override {
    int top, left, width, height;
    PlaceBox(std::min(76, COLS), std::min(24, AreaRows()), top, left, width, height);
    Frame(top, left, height, width, title_);
    int inner = width - 4, x = left + 2;
    Put(top + 1, x, "Cartella:", 10, focus_ == kPath ? A_BOLD : A_NORMAL);
    path_.Draw(top + 1, x + 10, inner - 10, typed_, focus_ == kPath, A_NORMAL);
    Lines(top + 2, left + 1, height - 6, width - 2, current_.empty() ? "Risorse del computer" : current_, A_NORMAL);
    listRows_ = std::max(1, height - 8);
    if (highlight_ < first_) first_ = highlight_;
    if (highlight_ >= first_ + listRows_) first_ = highlight_ - listRows_ + 1;
    for (int r = 0; r < listRows_ && first_ + r < int(entries_.size()); ++r) {
      int i = first_ + r;
      bool lit = i == highlight_;
      std::string name = entries_[std::size_t(i)].name;
      if (name == "..") name = ".. (cartella superiore)";
      Put(top + 3 + r, x, " " + name + std::string(std::size_t(std::max(0, inner - Length(name) - 1)), ' '), inner,
          lit ? (focus_ == kList ? A_REVERSE : A_BOLD) : A_NORMAL);
      if (lit && focus_ == kList) CursorAt(top + 3 + r, x + 1);
    }
    if (entries_.empty()) Put(top + 3, x, " (nessuna cartella)", inner, A_DIM);
    Put(top + height - 4, x, status_, inner);
    Put(top + height - 3, x, note_, inner, A_BOLD);
    DrawButtons(top + height - 2, left + 1, width - 2, {"OK", "Annulla"},
                focus_ == kOk ? 0 : focus_ == kCancel ? 1 : -1);
    return true;
  }

  std::string Caption() const override { return title_; }
  const char* Keys() const override {
    return "Invio: apre   Backspace: risale   Tab: percorso e pulsanti   Esc: annulla";
  }
  bool Done() const override { return done_; }

  void OnKey(const Key& key) override {
    if (key.Tab()) {
      focus_ = (focus_ + 1) % 4;
      if (focus_ == kPath) path_.Enter(typed_);
      return;
    }
    if (key.BackTab()) {
      focus_ = (focus_ + 3) % 4;
      if (focus_ == kPath) path_.Enter(typed_);
      return;
    }
    switch (focus_) {
      case kList: ListKey(key); break;
      case kPath:
        if (key.Enter()) GoTyped();
        else path_.Apply(key, typed_, 0);
        break;
      case kOk:
        if (key.Enter() || key.Is(L' ')) Choose();
        break;
      case kCancel:
        if (key.Enter() || key.Is(L' ')) Finish(BrowseResult::Cancelled);
        break;
    }
  }
  void OnEscape() override { Finish(BrowseResult::Cancelled); }
  void OnInterrupt() override { Finish(BrowseResult::Cancelled); }

 private:
  enum { kList, kPath, kOk, kCancel };
  struct Entry {
    std::string name, path;
  };

  void ListKey(const Key& key) {
    int n = int(entries_.size());
    if (key.IsCode(KEY_DOWN)) highlight_ = std::min(highlight_ + 1, n - 1);
    else if (key.IsCode(KEY_UP)) highlight_ = std::max(highlight_ - 1, 0);
    else if (key.IsCode(KEY_NPAGE)) highlight_ = std::min(highlight_ + listRows_, n - 1);
    else if (key.IsCode(KEY_PPAGE)) highlight_ = std::max(highlight_ - listRows_, 0);
    else if (key.IsCode(KEY_HOME)) highlight_ = 0;
    else if (key.IsCode(KEY_END)) highlight_ = n - 1;
    else if (key.Enter() && n > 0) Go(entries_[std::size_t(highlight_)].path);
    else if (key.Backspace() && !current_.empty()) Go(posix::ParentFolder(current_));
    else if (key.Printable()) Jump(key.value);
    highlight_ = std::max(0, highlight_);
  }

  // To the next entry that starts with the letter typed, round the list.
  void Jump(wint_t typed) {
    char c;
    if (!Narrow(typed, c)) return;
    int n = int(entries_.size());
    for (int k = 1; k <= n; ++k) {
      int i = (highlight_ + k) % n;
      const std::string& name = entries_[std::size_t(i)].name;
      if (!name.empty() && FoldUpper(static_cast<unsigned char>(name[0])) == FoldUpper(static_cast<unsigned char>(c))) {
        highlight_ = i;
        return;
      }
    }
  }

  // Shows a folder ("" for the drives) without telling anyone. By value: the folder may be one
  // of the entries this replaces.
  void Show(std::string folder) {
    std::string cameFrom = current_;
    current_ = folder;
    entries_.clear();
    note_.clear();
    if (folder.empty()) {
      posix::DriveRoot('c');  // drive C is always there, as on Windows
      for (const posix::PrefixDrive& drive : posix::PrefixDrives()) {
        std::error_code dirError;
        if (!fs::is_directory(drive.link, dirError)) continue;
        std::string name = std::string(1, drive.letter) + ":";
        entries_.push_back({name, name + "\\"});
      }
    } else {
      std::error_code ec;
      for (fs::directory_iterator it(NativePath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dirError;
        if (!fs::is_directory(it->path(), dirError)) continue;
        std::string name = Utf8ToCp1252(it->path().filename().string());
        entries_.push_back({name, posix::JoinFolder(folder, name)});
      }
      if (ec) note_ = "La cartella non si apre.";
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return LessNoCase(a.name, b.name); });
    if (!folder.empty()) entries_.insert(entries_.begin(), Entry{"..", posix::ParentFolder(folder)});
    highlight_ = first_ = 0;
    // Back up a level, the folder just left stays in view.
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].name != ".." && EqualsNoCase(entries_[i].path, cameFrom)) highlight_ = int(i);
    typed_ = current_;
    path_.Enter(typed_);
  }

  // Shows the folder and tells the callback that the selection moved.
  void Go(std::string folder) {
    Show(std::move(folder));
    moved_ = true;
    Notify(0, 0);
  }

  bool GoTyped() {
    std::string folder = posix::FolderText(typed_);
    if (folder.empty() && !typed_.empty() && typed_.find_first_not_of(' ') != std::string::npos) {
      note_ = "La cartella non \xE8 in un'unit\xE0 di questo computer: " + typed_;
      return false;
    }
    if (!folder.empty() && !FolderExists(folder)) {
      note_ = "Cartella non trovata: " + typed_;
      return false;
    }
    Go(folder);
    focus_ = kList;
    return true;
  }

  // OK: the folder on show, after the one typed if it differs.
  void Choose() {
    if (!EqualsNoCase(posix::FolderText(typed_), current_) && !GoTyped()) return;
    Finish(current_.empty() ? BrowseResult::NotAFolder : BrowseResult::Chosen);
  }

  // Calls back with the message (none for 0), then with each move of the selection it made.
  void Notify(unsigned message, std::intptr_t parameter) {
    if (!callback_) {
      moved_ = false;
      return;
    }
    if (message) callback_(*this, message, parameter);
    while (moved_) {
      moved_ = false;
      callback_(*this, kBffmSelChanged, ++item_);
    }
    paint.repaintAll = true;
  }

  void Finish(BrowseResult result) {
    result_ = result;
    done_ = true;
  }

  std::string title_;
  const FolderBrowserCallback& callback_;
  std::string current_;
  std::vector<Entry> entries_;
  int highlight_ = 0, first_ = 0, listRows_ = 1;
  int focus_ = kList;
  std::string typed_;
  LineEdit path_;
  std::string status_, note_;
  std::intptr_t item_ = 0;  // the selection, as the selection-changed message names it
  bool moved_ = false;
  BrowseResult result_ = BrowseResult::Cancelled;
  bool done_ = false;
};

}  // namespace
}  // namespace terminal

BrowseResult FormBrowseFolder(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                              std::string& folder, std::string& status) {
  if (!FormOpen()) return BrowseResult::Cancelled;
  terminal::FolderLayer browser(request, callback);
  browser.Run();
  status = browser.Status();
  if (browser.Result() == BrowseResult::Chosen) folder = browser.Chosen();
  return browser.Result();
}

}  // namespace zmw::platform::text
