// The library's dialogs as real windows made from the resource templates: a person on a thread
// of their own finds each window, types into its edits, clicks its buttons and reads back what
// it shows, while the dialogs run their modal loops on the test's thread, as in the host.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/Ini.h"
#include "maicowin/FolderDialog.h"
#include "maicowin/MwConfDlg.h"
#include "maicowin/WaitDialogs.h"
#include "module/Configuration.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

// Every visible top-level dialog window of this process.
// Enumeration callbacks are __stdcall on 32-bit Windows: a lambda converts only to a cdecl
// pointer there, so they are plain functions.
BOOL CALLBACK AddOwnDialog(HWND window, LPARAM list) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  char cls[32] = {};
  ::GetClassNameA(window, cls, sizeof cls);
  if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && std::string(cls) == "#32770")
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> OwnDialogs() {
  std::vector<HWND> found;
  ::EnumWindows(AddOwnDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK AddChildText(HWND child, LPARAM texts) {
  *reinterpret_cast<std::string*>(texts) += "\n" + TextOf(child);
  return TRUE;
}

// The person at the screen. Each wait has a deadline: a window that does not come is a failed
// check, and whatever is open is closed, so the dialog's loop on the test's thread ends.
class Person {
 public:
  bool Within(const std::function<bool()>& done, int seconds = 15) {
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds); !done();
         std::this_thread::sleep_for(std::chrono::milliseconds(50)))
      if (std::chrono::steady_clock::now() > until) return false;
    return true;
  }
  // The window of that caption, or (caption empty) a dialog that is none of those known: the
  // platform's own (picker, browser, message box).
  HWND WaitFor(const std::string& caption, const std::vector<HWND>& known = {}) {
    HWND found = nullptr;
    Within([&] {
      for (HWND w : OwnDialogs())
        if (caption.empty() ? std::find(known.begin(), known.end(), w) == known.end() : TextOf(w) == caption) found = w;
      return found != nullptr;
    });
    if (!found) failures.push_back("no window \"" + caption + "\"");
    return found;
  }
  void WaitGone(HWND window) {
    if (!Within([&] { return !::IsWindow(window); })) failures.push_back("window \"" + TextOf(window) + "\" stays");
  }
  // Types into an edit as a person does: focus it, replace its text key by key, leave it.
  void Type(HWND dialog, int id, const std::string& text) {
    HWND edit = ::GetDlgItem(dialog, id);
    ::SendMessageA(dialog, WM_NEXTDLGCTL, WPARAM(edit), TRUE);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text) ::SendMessageA(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
    ::SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
  }
  // A click, posted: the handler may run a modal loop of its own.
  void Click(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
  std::string Text(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }
  bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
  int Checked(HWND dialog, int id) { return int(::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0)); }
  // Every text the window shows, its controls' included.
  std::string AllTexts(HWND window) {
    std::string all = TextOf(window);
    ::EnumChildWindows(window, AddChildText, reinterpret_cast<LPARAM>(&all));
    return all;
  }

  std::vector<std::string> failures;
};

// For the screenshots script: with ZMW_PHOTO_DIR set, each window worth a picture is saved as
// "<name>.bmp" there: the window's own pixels, caption and frame included, as its thread drew them.
void Photo(const char* name, HWND window) {
  const char* dir = std::getenv("ZMW_PHOTO_DIR");
  if (!dir || !*dir || !window) return;
  RECT r;
  ::GetWindowRect(window, &r);
  BITMAPINFOHEADER header = {sizeof header, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};  // bottom-up, as .bmp keeps rows
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  // The frame and caption drawn afresh, as the screen shows them.
  ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
  HDC own = ::GetWindowDC(window);
  ::BitBlt(memory, 0, 0, header.biWidth, header.biHeight, own, 0, 0, SRCCOPY);
  ::ReleaseDC(window, own);
  ::GdiFlush();
  header.biSizeImage = DWORD((header.biWidth * 3 + 3) & ~3) * DWORD(header.biHeight);
  BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof header + header.biSizeImage), 0, 0, sizeof file + sizeof header};
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header).append(static_cast<const char*>(bits), header.biSizeImage);
  test::WriteFile(std::string(dir) + "\\" + name + ".bmp", bytes);
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

class DialogWindows : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    platform::SetDialogHost(nullptr);
    platform::SetUi(nullptr);
    test::InstallMaicoWin();
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", "K1");
  }

  // Runs the configuration dialog on this thread while the person acts on another, from its window.
  int RunWithPerson(const std::function<void(Person&, HWND)>& act) {
    Person person;
    std::thread hands([&] {
      if (HWND d = person.WaitFor("ZELVO - Configuratore MaicoWin")) act(person, d);
      if (!person.failures.empty())
        for (HWND w : OwnDialogs()) ::PostMessageA(w, WM_CLOSE, 0, 0);
    });
    int result = CMwConfDlg(ConfigurationActions()).DoModal();
    // A dialog that ended too early leaves the person waiting for windows that will not come.
    hands.join();
    for (const std::string& f : person.failures) ADD_FAILURE() << f;
    return result;
  }
};

TEST_F(DialogWindows, TheConfigurationWindowSavesOnChiudiAndOpensItsDialogs) {
  test::WriteFile(Scratch() + "\\NUOVO.ASC", "x");
  std::string longFolder = Scratch() + "\\CARTELLA-DAL-NOME-MOLTO-LUNGO\\MAICOWIN";
  test::WriteFile(longFolder + "\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  std::string shown, codeDuringUpdate, browserTexts;
  int result = RunWithPerson([&](Person& p, HWND d) {
    shown = p.Text(d, 1000) + "|" + p.Text(d, 1009) + "|" + std::to_string(p.Checked(d, 1028)) +
            std::to_string(p.Enabled(d, 1002)) + std::to_string(p.Enabled(d, 1003));
    Photo("1000-configurazione", d);
    p.Type(d, 1009, "K5");

    // The update dialog: opened after saving, every box clear, the kit box out of reach.
    p.Click(d, 1004);
    HWND u = p.WaitFor("Aggiornamento archivi");
    if (!u) return;
    codeDuringUpdate = ReadZelvoMwIni("GENERAL", "CODCLIENTE") + "|";
    for (int id : {1019, 1020, 1021, 1032, 1033}) codeDuringUpdate += std::to_string(p.Checked(u, id));
    codeDuringUpdate += std::to_string(p.Enabled(u, 1033));
    Photo("1009-aggiornamento-archivi", u);
    p.Click(u, 2);
    p.WaitGone(u);

    // The Excel format: a column takes one letter.
    p.Click(d, 1031);
    HWND f = p.WaitFor("Formato file Excel");
    if (!f) return;
    EXPECT_EQ(p.Text(f, 1029), "Listino");
    p.Type(f, 1031, "XY");
    EXPECT_EQ(p.Text(f, 1031), "X");
    Photo("1017-formato-excel", f);
    p.Click(f, 1);
    p.WaitGone(f);

    // The ASC picker: the platform's open-file dialog, given a file name.
    p.Click(d, 1026);
    HWND picker = p.WaitFor("", {d});
    if (!picker) return;
    HWND name = ::GetDlgItem(picker, 0x47C);  // the file name box
    ::SendMessageA(name ? name : ::GetDlgItem(picker, 0x480), WM_SETTEXT, 0, LPARAM((Scratch() + "\\NUOVO.ASC").c_str()));
    ::PostMessageA(picker, WM_COMMAND, IDOK, 0);
    p.WaitGone(picker);
    EXPECT_EQ(p.Text(d, 1024), Scratch() + "\\NUOVO.ASC");

    // The folder browser: a folder chosen by path, its status line shortened.
    p.Click(d, 1001);
    HWND browser = p.WaitFor("", {d});
    if (!browser) return;
    // The browser fills its tree as it goes (the first time in a new Wine prefix, slowly): the
    // selection arrives once the folder is in it, so it is asked for again until then.
    int tick = 0;
    p.Within([&] {
      if (tick++ % 20 == 0) ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, LPARAM(longFolder.c_str()));
      return p.AllTexts(browser).find(ShortenForStatus(longFolder)) != std::string::npos;
    }, 30);
    browserTexts = p.AllTexts(browser);
    Photo("sfoglia-cartella", browser);
    ::PostMessageA(browser, WM_COMMAND, IDOK, 0);
    p.WaitGone(browser);
    EXPECT_EQ(p.Text(d, 1000), longFolder + "\\");
    p.Click(d, 1);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown, "C:\\MAICOWIN\\|K1|110");
  EXPECT_EQ(codeDuringUpdate, "K5|000000");
  EXPECT_NE(browserTexts.find("Indicare la cartella di installazione di MaicoWin"), std::string::npos) << browserTexts;
  EXPECT_NE(browserTexts.find(ShortenForStatus(longFolder)), std::string::npos) << browserTexts;
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH") + "|" + ReadZelvoMwIni("DIRS", "MAICO_FIT") + "|" +
                ReadZelvoMwIni("GENERAL", "CODCLIENTE") + "|" +
                ReadIni(Scratch() + "\\ZelvoMwImport.ini", "PREZZO_NETTO_EXCEL", "ARTICOLO", 260, ""),
            longFolder + "\\|" + Scratch() + "\\NUOVO.ASC|K5|X");
}

TEST_F(DialogWindows, TheCloseBoxSavesNothingAndTheUpdateOkConfirms) {
  std::string message;
  int result = RunWithPerson([&](Person& p, HWND d) {
    p.Click(d, 1004);
    HWND u = p.WaitFor("Aggiornamento archivi");
    if (!u) return;
    p.Click(u, 1);
    // Nothing chosen: the confirmation alone, owned by the update dialog.
    HWND box = p.WaitFor("", {d, u});
    if (!box) return;
    message = p.AllTexts(box);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    p.WaitGone(u);
    p.Type(d, 1009, "K9");
    ::PostMessageA(d, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 2);
  EXPECT_NE(message.find("Operazione completata."), std::string::npos) << message;
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K1") << "the close box saves nothing typed after the update";
}

TEST_F(DialogWindows, TheProgressWindowShowsItsSteps) {
  CWriteFitDlg progress;
  ASSERT_TRUE(progress.Create());
  progress.SendProgress(platform::kPbmSetRange, 0, (4 << 16) | 1);
  progress.SendProgress(platform::kPbmSetStep, 1, 0);
  for (int i = 0; i < 2; ++i) progress.SendProgress(platform::kPbmStepIt, 0, 0);
  EXPECT_EQ(progress.SendProgress(platform::kPbmGetPos, 0, 0), 3) << "a range from 1, two steps";
  HWND window = ::FindWindowA("#32770", "ZELVO - Collegamento MaicoWin");
  ASSERT_TRUE(window);
  EXPECT_EQ(Person().Text(window, 1008), "Scrittura della lista accessori");
  // The window is drawn by its own messages; let them through before the picture.
  for (int i = 0; i < 20; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
    for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageA(&msg);
  Photo("1003-progresso", window);
  progress.DestroyWindow();
}

}  // namespace
}  // namespace zmw
