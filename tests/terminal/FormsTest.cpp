// The configuration dialog and the dialogs it opens as forms at a terminal: the real zelvomw
// command in a pseudo-terminal, its screen read back through libvterm as a person sees it, keys
// typed as the terminal sends them, and what it wrote afterwards read from the installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "base/Ini.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"
#include "VirtualTerminal.h"

namespace zmw {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCaption = "ZELVO - Configuratore MaicoWin";

class TerminalForms : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    test::InstallConfiguredLink(Scratch());
    log_ = platform::NativePath(Scratch() + "\\ui.log").string();
    test::SetEnv("ZELVOMW_UI_LOG", log_);
  }
  void TearDown() override {
    test::UnsetEnv("ZELVOMW_UI_LOG");
    test::CleanMachine::TearDown();
  }

  // The configuration dialog, opened as Zelvo opens it, on a terminal of that size; standard
  // output and error to the file named, when one is.
  std::unique_ptr<test::VirtualTerminal> Configure(int rows = 35, int columns = 100, const std::string& output = "") {
    auto t = std::make_unique<test::VirtualTerminal>(std::vector<std::string>{"LanciaConfiguratoreMW"}, rows, columns,
                                                     output);
    EXPECT_TRUE(t->Started());
    return t;
  }

  // Whether the focus is on the push button or check box of that label: the cursor on the
  // button's label, or in the box just before it.
  static bool FocusOn(const test::VirtualTerminal& t, const std::string& label) {
    std::string at = t.AtCursor();
    return at.rfind(label, 0) == 0 || (at.size() > 3 && at.compare(1, 2, "] ") == 0 && at.compare(3, label.size(), label) == 0);
  }
  // Tab until the focus is on the label, as a person does; false when it never gets there.
  static bool TabTo(test::VirtualTerminal& t, const std::string& label, int most = 20) {
    for (int i = 0; i < most; ++i) {
      if (FocusOn(t, label)) return true;
      VTermPos before = t.Cursor();
      t.Press(VTERM_KEY_TAB);
      if (!t.WaitFor([&] { VTermPos now = t.Cursor(); return now.row != before.row || now.col != before.col; }, 5s))
        return false;
    }
    return FocusOn(t, label);
  }
  // The text after a label on its row, up to the next blank.
  static std::string WordAfter(const test::VirtualTerminal& t, const std::string& label) {
    int row = t.RowOf(label);
    if (row < 0) return "";
    std::string text = t.Row(row);
    std::size_t start = text.find_first_not_of(' ', text.find(label) + label.size());
    if (start == std::string::npos) return "";
    return text.substr(start, text.find(' ', start) - start);
  }

  std::string Log() const { return test::ReadHostFile(log_); }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }

  std::string log_;
};

// An 80x30 terminal shows every control of the dialog whole, nothing drawn over another; what
// is typed replaces the field the focus starts on, and Enter is "Chiudi", which saves it and
// leaves the terminal as it was for the export's result.
TEST_F(TerminalForms, FitsEightyByThirtyAndChiudiSavesWhatWasTyped) {
  auto t = Configure(30, 80);
  ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
  for (const char* shown : {"Codice cliente MaicoWin", "Percorsi", "Directory installazione MaicoWin",
                            "Accessori Maico (file ASC)", "Accessori Maico (file XLS)", "< Formato... >",
                            "[x] Calcolo MaicoWin abilitato", "< Start MaicoWin >", "< Aggiorna archivi... >",
                            "< Stop MaicoWin >", "< Chiudi >", "C:\\MAICOWIN\\DATI\\ARTICOLI.ASC"})
    EXPECT_TRUE(t->Shows(shown)) << shown << "\n" << t->Screen();
  // Each edit on the row under its label.
  EXPECT_EQ(t->RowOf("C:\\MAICOWIN\\ "), t->RowOf("Directory installazione MaicoWin") + 1) << t->Screen();
  EXPECT_EQ(t->RowOf("K1"), t->RowOf("Codice cliente MaicoWin") + 1) << t->Screen();
  int sfoglia = 0;
  for (int row = 0; row < 30; ++row)
    for (std::size_t at = t->Row(row).find("< Sfoglia... >"); at != std::string::npos;
         at = t->Row(row).find("< Sfoglia... >", at + 1))
      ++sfoglia;
  EXPECT_EQ(sfoglia, 3) << t->Screen();
  EXPECT_TRUE(t->Shows("K1")) << t->Screen();

  t->Type("K42");
  ASSERT_TRUE(t->WaitForText("K42")) << t->Screen();
  EXPECT_FALSE(t->Shows("K1K42")) << "the field was selected whole when the dialog opened\n" << t->Screen();
  t->Press(VTERM_KEY_TAB);
  ASSERT_TRUE(t->WaitFor([&] { return t->Cursor().row == t->RowOf("C:\\MAICOWIN\\ "); }, 5s))
      << "the focus goes on to the installation folder\n" << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "1") << t->Screen();
  EXPECT_FALSE(t->Shows(kCaption)) << "the form is gone from the terminal\n" << t->Screen();
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K42");
  EXPECT_TRUE(Logged("{\"kind\":\"dialog\",\"template\":1000,\"event\":\"end\",\"result\":1}")) << Log();
}

// Esc is the close box: the dialog ends with 2 and writes nothing. Ctrl-C clicks its cancel
// button the same way, logged as an interrupt. With output sent to a file the form is worked
// at the controlling terminal all the same, and the file gets the result alone.
TEST_F(TerminalForms, EscAndCtrlCCloseWithoutSaving) {
  const std::string file = platform::NativePath(Scratch() + "\\out.txt").string();
  for (bool interrupt : {false, true})
    for (bool toFile : {false, true}) {
      SCOPED_TRACE(std::string(interrupt ? "Ctrl-C" : "Esc") + (toFile ? ", output to a file" : ""));
      std::filesystem::remove(log_);
      std::string before = test::ReadFile(ZelvoMwIniPath());
      auto t = Configure(35, 100, toFile ? file : "");
      ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
      t->Type("K42");
      ASSERT_TRUE(t->WaitForText("K42")) << t->Screen();
      if (interrupt) t->CtrlC();
      else t->Press(VTERM_KEY_ESCAPE);
      EXPECT_EQ(t->Finish(), 0) << t->Screen();
      if (toFile) EXPECT_EQ(test::ReadHostFile(file), "2\n");
      else EXPECT_EQ(t->LastLine(), "2") << t->Screen();
      EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), before);
      EXPECT_EQ(Logged("{\"kind\":\"dialog\",\"template\":1000,\"event\":\"interrupt\"}"), interrupt) << Log();
    }
}

// Space ticks the focused check box (the dialog takes it at once); Enter there is the default
// button.
TEST_F(TerminalForms, SpaceTogglesTheCheckBoxAndEnterThereIsChiudi) {
  auto t = Configure();
  ASSERT_TRUE(t->WaitForText("[x] Calcolo MaicoWin abilitato")) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Calcolo MaicoWin abilitato")) << t->Screen();
  t->Type(" ");
  ASSERT_TRUE(t->WaitForText("[ ] Calcolo MaicoWin abilitato")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "1") << t->Screen();
  EXPECT_EQ(ReadZelvoIni("GENERAL", "USE_MAICOWIN"), "NO");
}

// A handler's changes show at once: "Start MaicoWin" disables itself and enables "Stop
// MaicoWin", and the focus leaves the button that went grey for the next one Tab reaches; Stop
// turns them back.
TEST_F(TerminalForms, StartAndStopEnableEachOther) {
  test::InstallMaicoWin(test::SleeperProgram(), "MSERVER.EXE 30");
  auto t = Configure();
  ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Start MaicoWin")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitFor([&] { return FocusOn(*t, "Aggiorna archivi..."); }, 5s)) << t->AtCursor() << "\n" << t->Screen();
  t->Press(VTERM_KEY_TAB);
  ASSERT_TRUE(t->WaitFor([&] { return FocusOn(*t, "Stop MaicoWin"); }, 5s)) << t->AtCursor() << "\n" << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitFor([&] { return FocusOn(*t, "Chiudi"); }, 5s)) << t->AtCursor() << "\n" << t->Screen();
  // Round again: Start is reachable once more, Stop is not.
  std::vector<std::string> seen;
  for (int i = 0; i < 14 && !FocusOn(*t, "Stop MaicoWin"); ++i) {
    VTermPos before = t->Cursor();
    t->Press(VTERM_KEY_TAB);
    ASSERT_TRUE(t->WaitFor([&] { VTermPos now = t->Cursor(); return now.row != before.row || now.col != before.col; }, 5s));
    seen.push_back(t->AtCursor());
    if (FocusOn(*t, "Chiudi")) break;
  }
  EXPECT_FALSE(FocusOn(*t, "Stop MaicoWin")) << t->Screen();
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](const std::string& s) { return s.rfind("Start MaicoWin", 0) == 0; }))
      << t->Screen();
  t->Press(VTERM_KEY_ESCAPE);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "2") << t->Screen();
}

// "Formato..." opens the Excel format on top of the configuration; a column takes one letter;
// OK writes the import's settings and the configuration is drawn alone again.
TEST_F(TerminalForms, TheFormatDialogOpensOnTopAndAColumnTakesOneLetter) {
  auto t = Configure();
  ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Formato...")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText("Formato file Excel")) << t->Screen();
  EXPECT_TRUE(t->Shows(kCaption)) << "the configuration stays beneath\n" << t->Screen();
  EXPECT_EQ(WordAfter(*t, "Nome Foglio:"), "Listino") << t->Screen();
  EXPECT_EQ(WordAfter(*t, "Articolo"), "A") << t->Screen();
  t->Press(VTERM_KEY_TAB);
  t->Type("CD");
  ASSERT_TRUE(t->WaitFor([&] { return WordAfter(*t, "Articolo") == "C"; }, 5s)) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitGone("Formato file Excel")) << t->Screen();
  EXPECT_TRUE(t->Shows("< Chiudi >")) << t->Screen();
  std::string ini = Scratch() + "\\ZelvoMwImport.ini";
  EXPECT_EQ(ReadIni(ini, "PREZZO_NETTO_EXCEL", "ARTICOLO", 260, ""), "C");
  EXPECT_EQ(ReadIni(ini, "PREZZO_NETTO_EXCEL", "FOGLIO", 260, ""), "Listino");
  t->Press(VTERM_KEY_ESCAPE);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "2") << t->Screen();
}

// The archive update: Tab goes round its enabled controls in the template's order and never
// reaches the disabled box; OK confirms in a message box over the forms, answered with Enter.
TEST_F(TerminalForms, TheUpdateSkipsItsDisabledBoxAndConfirmsInABox) {
  auto t = Configure();
  ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Aggiorna archivi...")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText("Aggiungi le nuove schede tecniche ai kit")) << t->Screen();
  ASSERT_TRUE(FocusOn(*t, "OK")) << t->AtCursor() << "\n" << t->Screen();
  for (const char* next : {"Annulla", "Aggiorna descrizione aperture riconosciute", "Scandisci schede tecniche",
                           "Aggiorna accessori Maico", "Aggiorna prezzi netti", "OK"}) {
    VTermPos before = t->Cursor();
    t->Press(VTERM_KEY_TAB);
    ASSERT_TRUE(t->WaitFor([&] { VTermPos now = t->Cursor(); return now.row != before.row || now.col != before.col; }, 5s));
    ASSERT_TRUE(FocusOn(*t, next)) << "expected the focus on " << next << ", it is at: " << t->AtCursor() << "\n"
                                   << t->Screen();
  }
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText("Operazione completata.")) << t->Screen();
  EXPECT_TRUE(FocusOn(*t, "OK")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitGone("Aggiornamento archivi")) << t->Screen();
  EXPECT_FALSE(t->Shows("Operazione completata.")) << t->Screen();
  EXPECT_TRUE(Logged("\"text\":\"Operazione completata.\",\"style\":64,\"owner\":\"dialog\",\"answer\":1}")) << Log();
  EXPECT_TRUE(Logged("{\"kind\":\"dialog\",\"template\":1009,\"event\":\"end\",\"result\":1}")) << Log();
  t->Press(VTERM_KEY_ESCAPE);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "2") << t->Screen();
}

// "Sfoglia..." lists the prefix's drives and their folders; the browser's status line follows
// the folder on show; OK on a MaicoWin installation puts it, with its backslash, in the field.
// The customer code typed before stays: leaving its edit handed it to the dialog, which puts
// its fields back into the controls after the browser.
TEST_F(TerminalForms, TheBrowserFindsAnotherInstallation) {
  test::WriteFile("C:\\MW2\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  auto t = Configure();
  ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
  t->Type("K42");
  ASSERT_TRUE(t->WaitForText("K42")) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Sfoglia...")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText("Indicare la cartella di installazione di MaicoWin")) << t->Screen();
  ASSERT_TRUE(t->WaitForText(" C:")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);  // into drive C
  ASSERT_TRUE(t->WaitFor([&] { return t->Shows(" MAICOWIN") && t->Shows(" MW2"); }, 5s)) << t->Screen();
  t->Type("mm");  // the second folder that starts with M
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText(" BIN")) << t->Screen();
  int buttons = t->RowOf("< Annulla >");
  ASSERT_GT(buttons, 2) << t->Screen();
  EXPECT_NE(t->Row(buttons - 2).find("C:\\MW2"), std::string::npos) << "the status line\n" << t->Screen();
  t->Press(VTERM_KEY_TAB);
  t->Press(VTERM_KEY_TAB);
  ASSERT_TRUE(t->WaitFor([&] { return FocusOn(*t, "OK"); }, 5s)) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitGone("Indicare la cartella")) << t->Screen();
  ASSERT_TRUE(t->WaitForText("C:\\MW2\\")) << t->Screen();
  EXPECT_TRUE(t->Shows("K42")) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Chiudi")) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "1") << t->Screen();
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), "C:\\MW2\\");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K42");
  EXPECT_TRUE(Logged("\"answer\":\"C:\\\\MW2\",\"status\":\"C:\\\\MW2\"}")) << Log();
}

// The file picker over the form refuses a file that is not there, says why and asks again.
TEST_F(TerminalForms, ThePickerAsksAgainForAFileThatIsNotThere) {
  test::WriteFile(Scratch() + "\\ARTICOLI.ASC", "x");
  auto t = Configure();
  ASSERT_TRUE(t->WaitForText(kCaption)) << t->Screen();
  ASSERT_TRUE(TabTo(*t, "Sfoglia...")) << t->Screen();
  int first = t->Cursor().row;
  t->Press(VTERM_KEY_TAB);
  t->Press(VTERM_KEY_TAB);  // the second "Sfoglia...", beside the ASC file
  ASSERT_TRUE(t->WaitFor([&] { return FocusOn(*t, "Sfoglia...") && t->Cursor().row > first; }, 5s)) << t->Screen();
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText("Accessori Maico (*.asc)")) << t->Screen();
  t->Type(Scratch() + "\\NON-C-E.ASC");
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitForText("file non trovato")) << t->Screen();
  t->Type(Scratch() + "\\ARTICOLI.ASC");
  t->Press(VTERM_KEY_ENTER);
  ASSERT_TRUE(t->WaitGone("Accessori Maico (*.asc)")) << t->Screen();
  EXPECT_TRUE(t->WaitForText("C:\\zmwtest\\ARTICOLI.ASC")) << t->Screen();
  EXPECT_TRUE(Logged("\"refused\":\"C:\\\\zmwtest\\\\NON-C-E.ASC\"")) << Log();
  t->Press(VTERM_KEY_ESCAPE);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "2") << t->Screen();
}

// A terminal too small for the form is told so in words, not drawn over; Esc still cancels.
TEST_F(TerminalForms, ATerminalTooSmallIsToldSo) {
  auto t = Configure(20, 60);
  ASSERT_TRUE(t->WaitForText("troppo piccolo")) << t->Screen();
  EXPECT_TRUE(t->Shows("Configuratore MaicoWin\xC2\xBB")) << "the form it means\n" << t->Screen();
  EXPECT_FALSE(t->Shows("< Chiudi >")) << t->Screen();
  t->Press(VTERM_KEY_ESCAPE);
  EXPECT_EQ(t->Finish(), 0) << t->Screen();
  EXPECT_EQ(t->LastLine(), "2") << t->Screen();
}

}  // namespace
}  // namespace zmw
