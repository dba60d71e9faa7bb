// The POSIX stand-in for the Windows user interface: a terminal UI when a person is at a
// terminal, a batch UI that waits for no one otherwise. Both log to ZELVOMW_UI_LOG.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/Ui.h"
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

std::string AskTerminal(const std::string& prompt) {
  std::cerr << prompt << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return "";
  return Utf8ToCp1252(line);
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
    if (UseTerminal()) {
      std::string prompt = "  ";
      for (int i = 0; i < count; ++i)
        prompt += std::to_string(buttons[i]) + "=" + Cp1252ToUtf8(ButtonLabel(buttons[i])) + "  ";
      prompt += "(Invio = " + Cp1252ToUtf8(ButtonLabel(answer)) + "): ";
      answer = Pick(AskTerminal(prompt), buttons, count, answer);
    } else if (std::string given; Answers().Next(given)) {
      answer = Pick(given, buttons, count, answer);
    }
    Log({{"kind", "message"}, {"caption", Cp1252ToUtf8(caption)}, {"text", Cp1252ToUtf8(text)},
         {"style", style}, {"owner", OwnerName(owner)}, {"answer", answer}});
    return answer;
  }

  void Beep(unsigned type) override {
    if (UseTerminal()) std::cerr << '\a' << std::flush;
    Log({{"kind", "beep"}, {"type", type}});
  }

  bool BrowseFolder(const std::string& title, std::string& folder) override {
    std::cerr << "[" << Cp1252ToUtf8(title) << "]" << std::endl;
    std::string chosen;
    if (UseTerminal()) {
      chosen = AskTerminal("  Cartella (Invio = annulla): ");
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
