// The library's dialogs as real windows made from the resource templates: a person on a thread
// of their own finds each window, types into its edits, clicks its buttons and reads back what
// it shows, while the dialogs run their modal loops on the test's thread, as in the host.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
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

// The person at the screen. Each wait has a deadline: a window that does not come is a failed
// check, and whatever is open is closed, so the dialog's loop on the test's thread ends.
class Person {
 public:
  HWND WaitFor(const std::string& caption) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < until) {
      for (HWND w : OwnDialogs())
        if (TextOf(w) == caption) return w;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    failures.push_back("no window \"" + caption + "\"");
    return nullptr;
  }
  // A dialog that is none of those given: the platform's own (picker, browser, message box).
  HWND WaitForNew(const std::vector<HWND>& known) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < until) {
      for (HWND w : OwnDialogs())
        if (std::find(known.begin(), known.end(), w) == known.end()) return w;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    failures.push_back("no new window");
    return nullptr;
  }
  void WaitGone(HWND window) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (::IsWindow(window) && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (::IsWindow(window)) failures.push_back("window \"" + TextOf(window) + "\" stays");
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
  static BOOL CALLBACK AddChildText(HWND child, LPARAM texts) {
    *reinterpret_cast<std::string*>(texts) += "\n" + TextOf(child);
    return TRUE;
  }
  void CloseEverything() {
    for (HWND w : OwnDialogs()) ::PostMessageA(w, WM_CLOSE, 0, 0);
  }

  std::vector<std::string> failures;
};

// For the screenshots script: with ZMW_PHOTO_DIR set, the person photographs each window worth
// a picture into "<name>.bmp" there: the window's own pixels, caption and frame included, as its
// thread drew them.
void Photo(const char* name, HWND window) {
  const char* dir = std::getenv("ZMW_PHOTO_DIR");
  if (!dir || !*dir || !window) return;
  RECT r;
  ::GetWindowRect(window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as a .bmp file keeps its rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  void* bits = nullptr;
  // Each GDI object is released by its owner, in the reverse order of taking.
  std::unique_ptr<HDC__, std::function<void(HDC)>> screen(::GetDC(nullptr), [](HDC dc) { ::ReleaseDC(nullptr, dc); });
  std::unique_ptr<HDC__, decltype(&::DeleteDC)> memory(::CreateCompatibleDC(screen.get()), &::DeleteDC);
  std::unique_ptr<HBITMAP__, std::function<void(HBITMAP)>> bitmap(
      ::CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0),
      [](HBITMAP b) { ::DeleteObject(b); });
  HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
  // The frame and caption drawn afresh, as the screen shows them.
  ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
  {
    std::unique_ptr<HDC__, std::function<void(HDC)>> own(::GetWindowDC(window), [window](HDC dc) { ::ReleaseDC(window, dc); });
    ::BitBlt(memory.get(), 0, 0, width, height, own.get(), 0, 0, SRCCOPY);
  }
  ::GdiFlush();
  DWORD rowBytes = DWORD((width * 3 + 3) & ~3);
  header.biSizeImage = rowBytes * DWORD(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(static_cast<const char*>(bits), header.biSizeImage);
  test::WriteFile(std::string(dir) + "\\" + name + ".bmp", bytes);
  ::SelectObject(memory.get(), old);
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

  // Runs the dialog on this thread while the person acts on another.
  int RunWithPerson(const std::function<int()>& dialog, const std::function<void(Person&)>& act) {
    Person person;
    std::atomic<bool> done{false};
    std::thread hands([&] {
      act(person);
      if (!person.failures.empty()) person.CloseEverything();
      done = true;
    });
    int result = dialog();
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
  const std::string conf = "ZELVO - Configuratore MaicoWin";
  std::string codeDuringUpdate, browserTexts;
  std::vector<int> seen;
  int result = RunWithPerson(
      [] { return CMwConfDlg(ConfigurationActions()).DoModal(); },
      [&](Person& p) {
        HWND d = p.WaitFor(conf);
        if (!d) return;
        EXPECT_EQ(p.Text(d, 1000), "C:\\MAICOWIN\\");
        EXPECT_EQ(p.Text(d, 1009), "K1");
        EXPECT_EQ(p.Checked(d, 1028), BST_CHECKED);
        EXPECT_TRUE(p.Enabled(d, 1002));
        EXPECT_FALSE(p.Enabled(d, 1003));
        Photo("1000-configurazione", d);
        p.Type(d, 1009, "K5");

        // The update dialog: opened after saving, every box clear, the kit box out of reach.
        p.Click(d, 1004);
        HWND u = p.WaitFor("Aggiornamento archivi");
        if (!u) return;
        codeDuringUpdate = ReadZelvoMwIni("GENERAL", "CODCLIENTE");
        for (int id : {1019, 1020, 1021, 1032, 1033}) seen.push_back(p.Checked(u, id));
        EXPECT_FALSE(p.Enabled(u, 1033));
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
        HWND picker = p.WaitForNew({d});
        if (!picker) return;
        HWND name = ::GetDlgItem(picker, 0x47C);  // the file name box
        if (!name) name = ::GetDlgItem(picker, 0x480);
        ::SendMessageA(name, WM_SETTEXT, 0, LPARAM((Scratch() + "\\NUOVO.ASC").c_str()));
        ::PostMessageA(picker, WM_COMMAND, IDOK, 0);
        p.WaitGone(picker);
        EXPECT_EQ(p.Text(d, 1024), Scratch() + "\\NUOVO.ASC");

        // The folder browser: a folder chosen by path, its status line shortened.
        p.Click(d, 1001);
        HWND browser = p.WaitForNew({d});
        if (!browser) return;
        // The browser fills its tree as it goes (the first time in a new Wine prefix, slowly): the
        // selection arrives once the folder is in it, so it is asked for again until then.
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (int tick = 0; p.AllTexts(browser).find(ShortenForStatus(longFolder)) == std::string::npos &&
                           std::chrono::steady_clock::now() < until;
             ++tick) {
          if (tick % 20 == 0) ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, LPARAM(longFolder.c_str()));
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        browserTexts = p.AllTexts(browser);
        Photo("sfoglia-cartella", browser);
        ::PostMessageA(browser, WM_COMMAND, IDOK, 0);
        p.WaitGone(browser);
        EXPECT_EQ(p.Text(d, 1000), longFolder + "\\");

        p.Click(d, 1);
      });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(codeDuringUpdate, "K5");
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_NE(browserTexts.find("Indicare la cartella di installazione di MaicoWin"), std::string::npos) << browserTexts;
  EXPECT_NE(browserTexts.find(ShortenForStatus(longFolder)), std::string::npos) << browserTexts;
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), longFolder + "\\");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT"), Scratch() + "\\NUOVO.ASC");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K5");
  EXPECT_EQ(ReadIni(Scratch() + "\\ZelvoMwImport.ini", "PREZZO_NETTO_EXCEL", "ARTICOLO", 260, ""), "X");
}

TEST_F(DialogWindows, TheCloseBoxSavesNothingAndTheUpdateOkConfirms) {
  std::string before = test::ReadFile(ZelvoMwIniPath());
  std::string message;
  int result = RunWithPerson(
      [] { return CMwConfDlg(ConfigurationActions()).DoModal(); },
      [&](Person& p) {
        HWND d = p.WaitFor("ZELVO - Configuratore MaicoWin");
        if (!d) return;
        p.Click(d, 1004);
        HWND u = p.WaitFor("Aggiornamento archivi");
        if (!u) return;
        p.Click(u, 1);
        // Nothing chosen: the confirmation alone, owned by the update dialog.
        HWND box = p.WaitForNew({d, u});
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
  progress.SendProgress(platform::kPbmStepIt, 0, 0);
  progress.SendProgress(platform::kPbmStepIt, 0, 0);
  EXPECT_EQ(progress.SendProgress(platform::kPbmGetPos, 0, 0), 3) << "a range from 1, two steps";
  HWND window = ::FindWindowA("#32770", "ZELVO - Collegamento MaicoWin");
  ASSERT_TRUE(window);
  EXPECT_EQ(Person().Text(window, 1008), "Scrittura della lista accessori");
  // The window is drawn by its own messages; let them through before the picture.
  for (int i = 0; i < 20; ++i) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Photo("1003-progresso", window);
  progress.DestroyWindow();
}

}  // namespace
}  // namespace zmw
