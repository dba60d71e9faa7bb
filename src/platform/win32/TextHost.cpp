// The Windows side of the batch interface (ZELVOMW_UI=batch): no terminal questions, Ctrl-C
// from the console as an interrupt.
#include <windows.h>

#include <fstream>
#include <iterator>

#include "platform/common/TextHost.h"

namespace zmw::platform::text {
namespace {

volatile LONG pending = 0;
int depth = 0;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  ::InterlockedExchange(&pending, 1);
  return TRUE;  // handled: the process goes on
}

}  // namespace

bool UseTerminal() { return false; }
std::ostream* TerminalOut() { return nullptr; }

void Wait(int milliseconds) { ::Sleep(DWORD(milliseconds)); }

InterruptScope::InterruptScope() : state_(nullptr) {
  if (depth++ == 0) ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptScope::~InterruptScope() {
  if (--depth > 0) return;
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  ::InterlockedExchange(&pending, 0);
}

bool TakeInterrupt() { return ::InterlockedExchange(&pending, 0) != 0; }

Reply AskTerminal(const std::string&, std::string&) { return Reply::End; }

// No terminal forms on Windows: the batch host runs every dialog.
bool RunForm(FormDialog&) { return false; }
bool FormOpen() { return false; }
int FormQuestion(const std::string&, const std::string&, const std::vector<FormButton>&, int defaultAnswer, int,
                 bool&) {
  return defaultAnswer;
}
Reply FormAskLine(const std::string&, const std::vector<std::string>&, const std::string&, std::string&) {
  return Reply::End;
}
BrowseResult FormBrowseFolder(const FolderBrowseRequest&, const FolderBrowserCallback&, std::string&, std::string&) {
  return BrowseResult::Cancelled;
}

std::optional<std::string> ReadWholeFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace zmw::platform::text
