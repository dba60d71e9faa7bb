// Message boxes, beeps and the folder browser in the terminal or in batch: printed to standard
// error as "[caption] text", answered by a person at a terminal or from ZELVOMW_UI_ANSWERS, and
// logged to ZELVOMW_UI_LOG. While a form is open at the terminal they open over it instead.
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/common/TextHost.h"

namespace zmw::platform::text {
namespace {

const char* OwnerName(Owner owner) {
  switch (owner) {
    case Owner::Active: return "active";
    case Owner::Dialog: return "dialog";
    default: return "none";
  }
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

// Where the boxes are said: on the terminal a person works at, else on standard error.
std::ostream& Said() {
  std::ostream* terminal = TerminalOut();
  return terminal ? *terminal : std::cerr;
}

class TextUiImpl final : public Ui {
 public:
  int ShowMessage(Owner owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    bool form = FormOpen();
    if (!form) {
      // On a terminal the box takes the place of a dialog's status line.
      if (TerminalOut()) Said() << "\r\033[K";
      Said() << "[" << Cp1252ToUtf8(caption) << "] " << Cp1252ToUtf8(text) << std::endl;
    }
    int buttons[3];
    int count = ButtonsOf(style, buttons);
    int answer = DefaultResultOf(style);
    bool interrupted = false;
    if (TakeInterrupt()) {
      // A Ctrl-C held from before the box is its answer.
      interrupted = true;
      answer = InterruptAnswer(buttons, count);
      if (TerminalOut() && !form) Said() << "  ^C = " << Cp1252ToUtf8(ButtonLabel(answer)) << std::endl;
    } else if (form) {
      std::vector<FormButton> shown;
      for (int i = 0; i < count; ++i) shown.push_back({buttons[i], ButtonLabel(buttons[i])});
      answer = FormQuestion(caption, text, shown, answer, InterruptAnswer(buttons, count), interrupted);
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
        Said() << "  Risposta non valida: " << Cp1252ToUtf8(typed) << std::endl;
      }
    } else if (std::string given; NextAnswer(given)) {
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
    if (std::ostream* terminal = TerminalOut()) *terminal << '\a' << std::flush;
    Log({{"kind", "beep"}, {"type", type}});
  }

  BrowseResult BrowseFolder(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                            std::string& folder) override {
    std::string chosen, status;
    BrowseResult result = BrowseResult::Cancelled;
    if (FormOpen()) {
      // A Ctrl-C held from before cancels the browser as soon as it opens.
      result = FormBrowseFolder(request, callback, chosen, status);
    } else if (!NobodyToAsk()) {
      result = BrowseInLines(request, callback, chosen, status);
    }
    nlohmann::ordered_json entry = {{"kind", "browse"}, {"title", Cp1252ToUtf8(request.title)}};
    entry["answer"] = result == BrowseResult::Chosen ? nlohmann::ordered_json(Cp1252ToUtf8(chosen))
                                                     : nlohmann::ordered_json(nullptr);
    if (!status.empty()) entry["status"] = Cp1252ToUtf8(status);
    Log(entry);
    if (result == BrowseResult::Chosen) folder = chosen;
    return result;
  }

  bool PickOpenFile(const OpenFileRequest& request, std::string& path) override {
    bool form = FormOpen(), nobody = !form && NobodyToAsk();
    if (!form && !nobody) Said() << "[Apri] " << Cp1252ToUtf8(request.filterName) << std::endl;
    std::string chosen, refusal;
    for (;;) {
      chosen.clear();
      if (nobody || TakeInterrupt()) break;
      if (form) {
        if (FormAskLine("Apri", {request.filterName, "File " + request.filterPattern + " (Invio a vuoto = annulla):"},
                        refusal, chosen) != Reply::Line)
          chosen.clear();
      } else if (UseTerminal()) {
        if (AskTerminal("  File " + Cp1252ToUtf8(request.filterPattern) + " (Invio = annulla): ", chosen) !=
            Reply::Line)
          chosen.clear();
      } else if (std::string action; NextScriptAction(action)) {
        // "pick <path>" chooses a file; "pick" alone, or any other action, cancels.
        if (action.rfind("pick ", 0) == 0) chosen = Utf8ToCp1252(action.substr(5));
      } else {
        std::cerr << "  (nessuna azione nello script: annullato)" << std::endl;
      }
      // The picker takes only a file that exists, and says so, as the platform's does.
      if (chosen.empty() || !(request.flags & kOfnFileMustExist) || (FindFirstExists(chosen) && !FolderExists(chosen))) break;
      if (form)
        refusal = chosen + ": file non trovato. Verificare che il nome del file sia corretto.";
      else
        Said() << "  " << Cp1252ToUtf8(chosen) << "\n  File non trovato.\n  Verificare che il nome del file sia corretto."
                  << std::endl;
      Log({{"kind", "pick"}, {"filter", Cp1252ToUtf8(request.filterName)}, {"refused", Cp1252ToUtf8(chosen)}});
    }
    nlohmann::ordered_json entry = {{"kind", "pick"}, {"filter", Cp1252ToUtf8(request.filterName)},
                                    {"pattern", Cp1252ToUtf8(request.filterPattern)}, {"flags", request.flags}};
    entry["answer"] = chosen.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(Cp1252ToUtf8(chosen));
    Log(entry);
    if (chosen.empty()) return false;
    path = chosen;
    return true;
  }

  std::uintptr_t SetWaitCursor() override {
    Log({{"kind", "cursor"}, {"cursor", "wait"}});
    return ++cursorDepth_;
  }
  void RestoreCursor(std::uintptr_t) override {
    --cursorDepth_;
    Log({{"kind", "cursor"}, {"cursor", "restored"}});
  }

 private:
  // The terminal mode without a terminal: a browser or picker is cancelled as it opens.
  static bool NobodyToAsk() { return UseTerminal() && !TerminalOut(); }

  // The browser as its callback sees it: the status line is remembered and shown.
  struct TextFolderBrowser final : FolderBrowserWindow {
    std::string item;
    std::string status;
    void Send(unsigned message, std::uintptr_t, const std::string& text) override {
      if (message != kBffmSetStatusText) return;
      status = text;
      if (!status.empty()) Said() << "  " << Cp1252ToUtf8(status) << std::endl;
    }
    bool ItemPath(std::intptr_t, std::string& path) override {
      path = item;
      return !item.empty();
    }
  };

  // The browser as a question: a folder typed at the terminal, or the script's.
  static BrowseResult BrowseInLines(const FolderBrowseRequest& request, const FolderBrowserCallback& callback,
                                    std::string& chosen, std::string& status) {
    Said() << "[" << Cp1252ToUtf8(request.title) << "]" << std::endl;
    TextFolderBrowser window;
    if (callback) callback(window, kBffmInitialized, 0);
    if (TakeInterrupt()) {
      chosen.clear();
    } else if (UseTerminal()) {
      if (AskTerminal("  Cartella (Invio = annulla): ", chosen) != Reply::Line) chosen.clear();
    } else if (std::string action; NextScriptAction(action)) {
      // "browse <folder>" chooses a folder; "browse" alone, or any other action, cancels.
      if (action.rfind("browse ", 0) == 0) chosen = Utf8ToCp1252(action.substr(7));
    } else {
      std::cerr << "  (nessuna azione nello script: annullato)" << std::endl;
    }
    if (!chosen.empty() && callback) {
      // The user's click on the folder, before the OK.
      window.item = chosen;
      callback(window, kBffmSelChanged, 1);
    }
    status = window.status;
    return chosen.empty() ? BrowseResult::Cancelled : BrowseResult::Chosen;
  }

  std::uintptr_t cursorDepth_ = 0;

  static int Pick(const std::string& given, const int* buttons, int count, int fallback) {
    int wanted = std::atoi(given.c_str());
    for (int i = 0; i < count; ++i)
      if (buttons[i] == wanted) return wanted;
    return fallback;
  }
};

}  // namespace

Ui& TextUi() {
  static TextUiImpl ui;
  return ui;
}

}  // namespace zmw::platform::text
