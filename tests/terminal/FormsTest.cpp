// The configuration dialog and the dialogs it opens as forms at a terminal: the real zelvomw
// command in a pseudo-terminal, its screen read back through libvterm as a person sees it, keys
// typed as the terminal sends them, and what it wrote afterwards read from the installation.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
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
    if (t && HasFailure())
      std::cerr << t->Screen() << "At the cursor: " << t->AtCursor() << "\nLogged: " << test::ReadHostFile(log_);
    t.reset();
    test::UnsetEnv("ZELVOMW_UI_LOG");
    test::CleanMachine::TearDown();
  }

  // The configuration dialog, opened as Zelvo opens it, on a terminal of that size (standard
  // output and error to the file named, when one is); whether it came to show the text.
  bool Configure(const char* shows = kCaption, int rows = 35, int columns = 100, const std::string& output = "") {
    t = std::make_unique<test::VirtualTerminal>(std::vector<std::string>{"LanciaConfiguratoreMW"}, rows, columns, output);
    return t->Started() && t->WaitForText(shows);
  }
  // Whether the focus is on the push button or check box of that label: the cursor on the
  // button's label, or in the box just before it.
  bool FocusOn(const std::string& label) const {
    std::string at = t->AtCursor();
    return at.rfind(label, 0) == 0 || (at.size() > 3 && at.compare(1, 2, "] ") == 0 && at.compare(3, label.size(), label) == 0);
  }
  // Tab until the focus is on the label, as a person does; false when it never gets there.
  bool TabTo(const std::string& label) {
    for (int i = 0; i < 20 && !FocusOn(label); ++i)
      if (!t->PressAndMove(VTERM_KEY_TAB)) return false;
    return FocusOn(label);
  }
  // A scenario, step by step: the keys typed ("\t" Tab, "\r" Enter, the rest as text), then what
  // must come of them: a text shown, "-" and a text gone, "@" and the label that has the focus,
  // or ">" and a label that Tab reaches.
  struct Step {
    std::string keys, then;
  };
  void Steps(std::initializer_list<Step> steps) {
    for (const Step& s : steps) {
      for (char c : s.keys)
        c == '\t' ? t->Press(VTERM_KEY_TAB) : c == '\r' ? t->Press(VTERM_KEY_ENTER) : t->Type(std::string(1, c));
      std::string what = s.then.substr(1);
      ASSERT_TRUE(s.then[0] == '-'   ? t->WaitGone(what)
                  : s.then[0] == '@' ? t->WaitFor([&] { return FocusOn(what); }, 5s)
                  : s.then[0] == '>' ? TabTo(what)
                                     : t->WaitForText(s.then))
          << "typed " << ::testing::PrintToString(s.keys) << ", then " << s.then;
    }
  }
  // The text after a label on its row, up to the next blank.
  std::string WordAfter(const std::string& label) const {
    std::string text = t->Shows(label) ? t->Row(t->RowOf(label)) : "";
    std::size_t start = text.empty() ? std::string::npos : text.find_first_not_of(' ', text.find(label) + label.size());
    return start == std::string::npos ? "" : text.substr(start, text.find(' ', start) - start);
  }
  // The key ends the command well, its last line the dialog's result.
  void End(VTermKey key, const char* result) {
    t->Press(key);
    EXPECT_EQ(t->Finish(), 0);
    EXPECT_EQ(t->LastLine(), result);
  }
  bool Logged(const std::string& text) const { return test::ReadHostFile(log_).find(text) != std::string::npos; }

  std::unique_ptr<test::VirtualTerminal> t;
  std::string log_;
};

// An 80x30 terminal shows every control of the dialog whole, nothing drawn over another; what
// is typed replaces the field the focus starts on, and Enter is "Chiudi", which saves it and
// leaves the terminal as it was for the export's result.
TEST_F(TerminalForms, FitsEightyByThirtyAndChiudiSavesWhatWasTyped) {
  ASSERT_TRUE(Configure(kCaption, 30, 80));
  for (const char* shown : {"Codice cliente MaicoWin", "Percorsi", "Directory installazione MaicoWin",
                            "Accessori Maico (file ASC)", "Accessori Maico (file XLS)", "< Formato... >",
                            "[x] Calcolo MaicoWin abilitato", "< Start MaicoWin >", "< Aggiorna archivi... >",
                            "< Stop MaicoWin >", "< Chiudi >", "C:\\MAICOWIN\\DATI\\ARTICOLI.ASC"})
    EXPECT_TRUE(t->Shows(shown)) << shown;
  // Each edit on the row under its label.
  EXPECT_EQ(t->RowOf("C:\\MAICOWIN\\ "), t->RowOf("Directory installazione MaicoWin") + 1);
  EXPECT_EQ(t->RowOf("K1"), t->RowOf("Codice cliente MaicoWin") + 1);
  int sfoglia = 0;
  for (int row = 0; row < 30; ++row) sfoglia += t->Row(row).find("< Sfoglia... >") != std::string::npos;
  EXPECT_EQ(sfoglia, 3) << "one on the row of each file's edit";
  t->Type("K42");
  ASSERT_TRUE(t->WaitForText("K42"));
  EXPECT_FALSE(t->Shows("K1K42")) << "the field was selected whole when the dialog opened";
  ASSERT_TRUE(t->PressAndMove(VTERM_KEY_TAB));
  EXPECT_EQ(t->Cursor().row, t->RowOf("C:\\MAICOWIN\\ ")) << "the focus goes on to the installation folder";
  End(VTERM_KEY_ENTER, "1");
  EXPECT_FALSE(t->Shows(kCaption)) << "the form is gone from the terminal";
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K42");
  EXPECT_TRUE(Logged("{\"kind\":\"dialog\",\"template\":1000,\"event\":\"end\",\"result\":1}"));
}

// Esc is the close box: the dialog ends with 2 and writes nothing. Ctrl-C clicks its cancel
// button the same way, logged as an interrupt. With output sent to a file the form is worked
// at the controlling terminal all the same, and the file gets the result alone.
TEST_F(TerminalForms, EscAndCtrlCCloseWithoutSaving) {
  const std::string file = platform::NativePath(Scratch() + "\\out.txt").string();
  const std::string before = test::ReadFile(ZelvoMwIniPath());
  for (bool interrupt : {false, true}) {
    SCOPED_TRACE(interrupt ? "Ctrl-C, output to a file" : "Esc");
    std::filesystem::remove(log_);
    ASSERT_TRUE(Configure(kCaption, 35, 100, interrupt ? file : ""));
    ASSERT_NO_FATAL_FAILURE(Steps({{"K42", "K42"}}));
    if (interrupt) t->CtrlC();
    else t->Press(VTERM_KEY_ESCAPE);
    EXPECT_EQ(t->Finish(), 0);
    EXPECT_EQ(interrupt ? test::ReadHostFile(file) : t->LastLine() + "\n", "2\n");
    EXPECT_EQ(test::ReadFile(ZelvoMwIniPath()), before);
    EXPECT_EQ(Logged("{\"kind\":\"dialog\",\"template\":1000,\"event\":\"interrupt\"}"), interrupt);
  }
}

// A handler's changes show at once: "Start MaicoWin" disables itself and enables "Stop
// MaicoWin", and the focus leaves the button that went grey for the next one Tab reaches; Stop
// turns them back.
TEST_F(TerminalForms, StartAndStopEnableEachOther) {
  test::InstallMaicoWin(test::SleeperProgram(), "MSERVER.EXE 30");
  ASSERT_TRUE(Configure());
  ASSERT_NO_FATAL_FAILURE(Steps({{"", ">Start MaicoWin"}, {"\r", "@Aggiorna archivi..."}, {"\t", "@Stop MaicoWin"},
                                 {"\r", "@Chiudi"}, {"", ">Start MaicoWin"}}));
  End(VTERM_KEY_ESCAPE, "2");
}

// The dialogs that "Formato..." and "Aggiorna archivi..." open come on top of the configuration
// and leave it drawn alone again. In the Excel format a column takes one letter; OK writes the
// import's settings.
TEST_F(TerminalForms, TheFormatAndTheUpdateOpenOnTopOfTheConfiguration) {
  ASSERT_TRUE(Configure());
  ASSERT_NO_FATAL_FAILURE(Steps({{"", ">Formato..."}, {"\r", "Formato file Excel"}}));
  EXPECT_TRUE(t->Shows(kCaption)) << "the configuration stays beneath";
  EXPECT_EQ(WordAfter("Nome Foglio:"), "Listino");
  t->Press(VTERM_KEY_TAB);
  t->Type("CD");
  ASSERT_TRUE(t->WaitFor([&] { return WordAfter("Articolo") == "C"; }, 5s));
  ASSERT_NO_FATAL_FAILURE(Steps({{"\r", "-Formato file Excel"}, {"", "< Chiudi >"}}));
  std::string ini = Scratch() + "\\ZelvoMwImport.ini";
  EXPECT_EQ(ReadIni(ini, "PREZZO_NETTO_EXCEL", "ARTICOLO", 260, ""), "C");
  EXPECT_EQ(ReadIni(ini, "PREZZO_NETTO_EXCEL", "FOGLIO", 260, ""), "Listino");
  // The archive update: Tab goes round its enabled controls in the template's order and never
  // reaches the disabled box; OK confirms in a message box over the forms, answered with Enter.
  ASSERT_NO_FATAL_FAILURE(Steps({{"", ">Aggiorna archivi..."}, {"\r", "Aggiungi le nuove schede tecniche ai kit"},
                                 {"", "@OK"}, {"\t", "@Annulla"}, {"\t", "@Aggiorna descrizione aperture riconosciute"},
                                 {"\t", "@Scandisci schede tecniche"}, {"\t", "@Aggiorna accessori Maico"},
                                 {"\t", "@Aggiorna prezzi netti"}, {"\t", "@OK"}, {"\r", "Operazione completata."},
                                 {"", "@OK"}, {"\r", "-Aggiornamento archivi"}}));
  EXPECT_TRUE(Logged("\"text\":\"Operazione completata.\",\"style\":64,\"owner\":\"dialog\",\"answer\":1}"));
  EXPECT_TRUE(Logged("{\"kind\":\"dialog\",\"template\":1009,\"event\":\"end\",\"result\":1}"));
  End(VTERM_KEY_ESCAPE, "2");
}

// "Sfoglia..." lists the prefix's drives and their folders; the browser's status line follows
// the folder on show; OK on a MaicoWin installation puts it, with its backslash, in the field.
// The customer code typed before stays: leaving its edit handed it to the dialog, which puts
// its fields back into the controls after the browser.
TEST_F(TerminalForms, TheBrowserFindsAnotherInstallation) {
  test::WriteFile("C:\\MW2\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\n");
  ASSERT_TRUE(Configure());
  // Into drive C, then into the second folder that starts with M.
  ASSERT_NO_FATAL_FAILURE(Steps({{"K42", "K42"}, {"", ">Sfoglia..."},
                                 {"\r", "Indicare la cartella di installazione di MaicoWin"}, {"", " C:"},
                                 {"\r", " MAICOWIN"}, {"", " MW2"}, {"mm\r", " BIN"}}));
  int buttons = t->RowOf("< Annulla >");
  ASSERT_GT(buttons, 2);
  EXPECT_NE(t->Row(buttons - 2).find("C:\\MW2"), std::string::npos) << "the status line";
  // Space ticks the focused check box (the dialog takes it at once); Enter there is the default
  // button, "Chiudi".
  ASSERT_NO_FATAL_FAILURE(Steps({{"\t\t", "@OK"}, {"\r", "-Indicare la cartella"}, {"", "C:\\MW2\\"}, {"", "K42"},
                                 {"", ">Calcolo MaicoWin abilitato"}, {" ", "[ ] Calcolo MaicoWin abilitato"}}));
  End(VTERM_KEY_ENTER, "1");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "INST_PATH"), "C:\\MW2\\");
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), "K42");
  EXPECT_EQ(ReadZelvoIni("GENERAL", "USE_MAICOWIN"), "NO");
  EXPECT_TRUE(Logged("\"answer\":\"C:\\\\MW2\",\"status\":\"C:\\\\MW2\"}"));
}

// The file picker over the form refuses a file that is not there, says why and asks again.
TEST_F(TerminalForms, ThePickerAsksAgainForAFileThatIsNotThere) {
  test::WriteFile(Scratch() + "\\ARTICOLI.ASC", "x");
  ASSERT_TRUE(Configure());
  // Two Tabs from the first "Sfoglia..." to the second, beside the ASC file.
  ASSERT_NO_FATAL_FAILURE(Steps({{"", ">Sfoglia..."}, {"\t\t\r", "Accessori Maico (*.asc)"}, {Scratch() + "\\NON-C-E.ASC\r", "file non trovato"},
                                 {Scratch() + "\\ARTICOLI.ASC\r", "-Accessori Maico (*.asc)"},
                                 {"", "C:\\zmwtest\\ARTICOLI.ASC"}}));
  EXPECT_TRUE(Logged("\"refused\":\"C:\\\\zmwtest\\\\NON-C-E.ASC\""));
  End(VTERM_KEY_ESCAPE, "2");
}

// A terminal too small for the form is told so in words, not drawn over; Esc still cancels.
TEST_F(TerminalForms, ATerminalTooSmallIsToldSo) {
  ASSERT_TRUE(Configure("troppo piccolo", 20, 60));
  EXPECT_TRUE(t->Shows("Configuratore MaicoWin\xC2\xBB")) << "the form it means";
  EXPECT_FALSE(t->Shows("< Chiudi >"));
  End(VTERM_KEY_ESCAPE, "2");
}

}  // namespace
}  // namespace zmw
