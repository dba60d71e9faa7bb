// The POSIX stand-in for the Windows user interface: a terminal UI when a person is at a
// terminal, a batch UI that waits for no one otherwise. Both log to ZELVOMW_UI_LOG.
#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/Ui.h"
#include "platform/posix/Interrupt.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/UiLog.h"

namespace zmw::platform {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

void LogToFile(const nlohmann::ordered_json& entry) {
  std::string file = Env("ZELVOMW_UI_LOG");
  if (file.empty()) return;
  std::ofstream out(file, std::ios::app);
  out << entry.dump() << '\n';
}

void Log(const nlohmann::ordered_json& entry) { LogToFile(entry); }

const char* OwnerName(Owner owner) {
  switch (owner) {
    case Owner::Active: return "active";
    case Owner::Dialog: return "dialog";
    default: return "none";
  }
}

// A list from an environment variable, taken in order across the process; starts again from
// the beginning when the variable changes.
class Queue {
 public:
  Queue(const char* variable, std::string separators, bool mayNameFile)
      : variable_(variable), seps_(std::move(separators)), mayNameFile_(mayNameFile) {}
  bool Next(std::string& item) {
    if (!Peek(item)) return false;
    ++next_;
    return true;
  }
  bool Peek(std::string& item) {
    std::string value = Env(variable_);
    if (value != source_) {
      source_ = value;
      Load(value);
      next_ = 0;
    }
    if (next_ >= items_.size()) return false;
    item = items_[next_];
    return true;
  }

 private:
  void Load(const std::string& value) {
    items_.clear();
    std::string text = value;
    // A script may be given inline or as the name of a file that holds it.
    if (mayNameFile_ && !value.empty())
      if (auto bytes = posix::ReadBytes(value)) text = *bytes;
    std::string current;
    auto flush = [&] {
      while (!current.empty() && (current.back() == ' ' || current.back() == '\r')) current.pop_back();
      std::size_t start = current.find_first_not_of(' ');
      if (start != std::string::npos) items_.push_back(current.substr(start));
      current.clear();
    };
    for (char c : text) {
      if (seps_.find(c) != std::string::npos) flush();
      else current += c;
    }
    flush();
  }
  const char* variable_;
  std::string seps_;
  bool mayNameFile_;
  std::string source_;
  std::vector<std::string> items_;
  std::size_t next_ = 0;
};

Queue& Answers() {
  static Queue q("ZELVOMW_UI_ANSWERS", ",", false);
  return q;
}
Queue& Script() {
  static Queue q("ZELVOMW_UI_SCRIPT", ";\n", true);
  return q;
}

const char* ButtonLabel(int result) {
  switch (result) {
    case kIdOk: return "OK";
    case kIdCancel: return "Annulla";
    case kIdAbort: return "Interrompi";
    case kIdRetry: return "Riprova";
    case kIdIgnore: return "Ignora";
    case kIdYes: return "S\xEC";
    case kIdNo: return "No";
    default: return "?";
  }
}

bool UseTerminal() {
  std::string mode = Env("ZELVOMW_UI");
  if (mode == "batch") return false;
  if (mode == "terminal") return true;
  return ::isatty(0) && ::isatty(2);
}

enum class Reply { Line, Interrupted, End };

// One line typed at the terminal. Standard input is read by hand, not through a stream, so
// that the open dialogs' timers go on while a person thinks and Ctrl-C is an answer, not a
// broken stream.
Reply AskTerminal(const std::string& prompt, std::string& answer) {
  static std::string typed;  // what came after the last line taken
  posix::CatchInterrupts interrupts;
  std::cerr << prompt << std::flush;
  for (;;) {
    if (std::size_t eol = typed.find('\n'); eol != std::string::npos) {
      std::string line = typed.substr(0, eol);
      typed.erase(0, eol + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      answer = Utf8ToCp1252(line);
      return Reply::Line;
    }
    if (posix::TakeInterrupt()) {
      std::cerr << "^C" << std::endl;
      return Reply::Interrupted;
    }
    int due = posix::RunDueDialogTimers();
    int wait = due < 0 || due > 50 ? 50 : due;
    pollfd in{0, POLLIN, 0};
    int ready = ::poll(&in, 1, wait);
    if (ready <= 0) continue;  // a timer is due, an interrupt came, or nothing yet
    char buffer[256];
    ssize_t got = ::read(0, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      std::cerr << std::endl;
      return Reply::End;
    }
    typed.append(buffer, std::size_t(got));
  }
}

// The button that Ctrl-C, like Esc, stands for.
int InterruptAnswer(const int* buttons, int count) {
  for (int wanted : {kIdCancel, kIdNo, kIdAbort})
    for (int i = 0; i < count; ++i)
      if (buttons[i] == wanted) return wanted;
  return buttons[0];
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  std::size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
}

// What a person typed at a message box: a button's number or its word; 0 when it names no
// button of this box.
int ParseAnswer(const std::string& typed, const int* buttons, int count, int fallback) {
  std::string word = Lower(typed);
  if (word.empty()) return fallback;
  static const std::pair<const char*, int> words[] = {
      {"s", kIdYes}, {"si", kIdYes}, {"s\xEC", kIdYes}, {"y", kIdYes}, {"yes", kIdYes},
      {"n", kIdNo}, {"no", kIdNo}, {"ok", kIdOk}, {"a", kIdCancel}, {"annulla", kIdCancel},
      {"c", kIdCancel}, {"cancel", kIdCancel}, {"interrompi", kIdAbort}, {"riprova", kIdRetry},
      {"ignora", kIdIgnore}};
  int wanted = 0;
  if (word.find_first_not_of("0123456789") == std::string::npos && word.size() < 4) {
    wanted = std::atoi(word.c_str());
  } else {
    for (auto& [w, result] : words)
      if (word == w) wanted = result;
  }
  for (int i = 0; i < count; ++i)
    if (buttons[i] == wanted) return wanted;
  return 0;
}

class PosixUi final : public Ui {
 public:
  int ShowMessage(Owner owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    // On a terminal the box takes the place of a dialog's status line.
    if (UseTerminal()) std::cerr << "\r\033[K";
    std::cerr << "[" << Cp1252ToUtf8(caption) << "] " << Cp1252ToUtf8(text) << std::endl;
    int buttons[3];
    int count = ButtonsOf(style, buttons);
    int answer = DefaultResultOf(style);
    bool interrupted = false;
    if (posix::TakeInterrupt()) {
      // A Ctrl-C held from before the box is its answer.
      interrupted = true;
      answer = InterruptAnswer(buttons, count);
      if (UseTerminal()) std::cerr << "  ^C = " << Cp1252ToUtf8(ButtonLabel(answer)) << std::endl;
    } else if (UseTerminal()) {
      std::string prompt = "  ";
      for (int i = 0; i < count; ++i)
        prompt += std::to_string(buttons[i]) + "=" + Cp1252ToUtf8(ButtonLabel(buttons[i])) + "  ";
      prompt += "(Invio = " + Cp1252ToUtf8(ButtonLabel(answer)) + "): ";
      for (;;) {
        std::string typed;
        Reply reply = AskTerminal(prompt, typed);
        if (reply == Reply::End) break;  // nobody left to ask: the default button
        if (reply == Reply::Interrupted) {
          interrupted = true;
          answer = InterruptAnswer(buttons, count);
          break;
        }
        if (int picked = ParseAnswer(typed, buttons, count, answer)) {
          answer = picked;
          break;
        }
        std::cerr << "  Risposta non valida: " << Cp1252ToUtf8(typed) << std::endl;
      }
    } else if (std::string given; Answers().Next(given)) {
      answer = Pick(given, buttons, count, answer);
    }
    nlohmann::ordered_json entry = {{"kind", "message"}, {"caption", Cp1252ToUtf8(caption)},
                                    {"text", Cp1252ToUtf8(text)}, {"style", style},
                                    {"owner", OwnerName(owner)}, {"answer", answer}};
    if (interrupted) entry["interrupt"] = true;
    Log(entry);
    return answer;
  }

  void Beep(unsigned type) override {
    if (UseTerminal()) std::cerr << '\a' << std::flush;
    Log({{"kind", "beep"}, {"type", type}});
  }

  bool BrowseFolder(const std::string& title, std::string& folder) override {
    std::cerr << "[" << Cp1252ToUtf8(title) << "]" << std::endl;
    std::string chosen;
    if (posix::TakeInterrupt()) {
      chosen.clear();
    } else if (UseTerminal()) {
      if (AskTerminal("  Cartella (Invio = annulla): ", chosen) != Reply::Line) chosen.clear();
    } else if (std::string action; Script().Next(action)) {
      // "browse <folder>" chooses a folder; "browse" alone, or any other action, cancels.
      if (action.rfind("browse ", 0) == 0) chosen = Utf8ToCp1252(action.substr(7));
    }
    nlohmann::ordered_json entry = {{"kind", "browse"}, {"title", Cp1252ToUtf8(title)}};
    entry["answer"] = chosen.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(Cp1252ToUtf8(chosen));
    Log(entry);
    if (chosen.empty()) return false;
    folder = chosen;
    return true;
  }

 private:
  static int Pick(const std::string& given, const int* buttons, int count, int fallback) {
    int wanted = std::atoi(given.c_str());
    for (int i = 0; i < count; ++i)
      if (buttons[i] == wanted) return wanted;
    return fallback;
  }
};

}  // namespace

namespace posix {
void LogUi(const nlohmann::ordered_json& entry) { LogToFile(entry); }
bool UseTerminal() { return zmw::platform::UseTerminal(); }
bool NextScriptAction(std::string& action) { return Script().Next(action); }
bool PeekScriptAction(std::string& action) { return Script().Peek(action); }
}  // namespace posix

Ui& PlatformUi() {
  static PosixUi ui;
  return ui;
}

}  // namespace zmw::platform
