#include "platform/common/TextHost.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace zmw::platform::text {
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
      if (auto bytes = ReadWholeFile(value)) text = *bytes;
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

}  // namespace

void Log(const nlohmann::ordered_json& entry) { LogToFile(entry); }
bool NextAnswer(std::string& answer) { return Answers().Next(answer); }
bool NextScriptAction(std::string& action) { return Script().Next(action); }
bool PeekScriptAction(std::string& action) { return Script().Peek(action); }

}  // namespace zmw::platform::text
