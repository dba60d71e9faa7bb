// The configuration dialog and the archive update driven by a script, as a batch run or a
// scheduled task does it: a real zelvomw process, its exit, what it said and what it wrote.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "Runs.h"
#include "base/Ini.h"

namespace zmw {
namespace {

class ConfigureCommand : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    test::InstallConfiguredLink(Scratch());
  }
  void TearDown() override {
    std::remove(err_.c_str());
    test::CleanMachine::TearDown();
  }
  test::CommandOutcome Run(const std::string& arguments, const std::string& script = "", const std::string& launch = "") {
    return test::RunZelvomw(arguments, script.empty() ? launch : "ZELVOMW_UI_SCRIPT='" + script + "' " + launch, err_);
  }
  std::string Err() const { return test::ReadHostFile(err_); }
  const std::string err_ = ::testing::TempDir() + "zmw-configure-" + std::to_string(::getpid()) + ".err";
};

struct ScriptCase {
  const char* name;
  const char* script;
  const char* result;        // the export's, last line of the output
  const char* customerCode;  // in ZELVOMW.INI afterwards
  const char* said;          // on standard error, "" for nothing in particular
  const char* launch = "";   // another interface, and what starts zelvomw; then said is all it says
};

class ConfigureScripts : public ConfigureCommand, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(ConfigureScripts, AreTakenInOrderAcrossTheDialogs) {
  const ScriptCase& c = GetParam();
  test::CommandOutcome o = Run("LanciaConfiguratoreMW", c.script, c.launch);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(test::LastLine(o.out), c.result);
  EXPECT_EQ(ReadZelvoMwIni("GENERAL", "CODCLIENTE"), c.customerCode);
  EXPECT_TRUE(*c.launch ? Err() == c.said : Err().find(c.said) != std::string::npos) << Err();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigureScripts,
    ::testing::Values(
        ScriptCase{"Chiudi", "set 1009 K9; click 1", "1", "K9", ""},
        ScriptCase{"Esc", "set 1009 K9; click 2", "2", "K1", ""},
        // Typed and left before the update: saved by it, and Esc afterwards keeps it.
        ScriptCase{"UpdateThenEsc", "set 1009 K7; click 1004; click 2; click 2", "2", "K7", ""},
        ScriptCase{"RunsOut", "set 1009 K8", "2", "K1", "nessuna azione rimasta nello script"},
        ScriptCase{"DisabledBox", "click 1004; check 1033 1; click 2; click 2", "2", "K1",
                   "\"check 1033 1\": il controllo \xC3\xA8 disattivato"},
        ScriptCase{"NoSuchControl", "click 1099; click 1", "1", "K1", "non c'\xC3\xA8 un controllo con questo numero"},
        // The update's OK runs the sequence and confirms; the configuration stays open.
        ScriptCase{"UpdateOk", "click 1004; click 1; click 1", "1", "K1", "[Aggiornamento archivi] Operazione completata."},
        // The terminal interface asked for in a session with no terminal: the script is not
        // its input, the dialog is cancelled, and one line says why.
        ScriptCase{"TerminalWithoutOne", "set 1009 K9; click 1", "2", "K1",
                   "ZELVOMW_UI=terminal, ma non c'\xC3\xA8 un terminale di controllo: le finestre di dialogo vengono "
                   "annullate e i messaggi prendono la risposta predefinita.\n",
                   "ZELVOMW_UI=terminal TERM=xterm </dev/null setsid -w"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigureCommand, TheFormatDialogTakesOneLetterAndPickersNeedExistingFiles) {
  test::WriteFile(Scratch() + "\\LISTINO.XLS", "x");
  EXPECT_EQ(test::LastLine(Run("LanciaConfiguratoreMW", "click 1031; set 1031 CD; set 1029 Prezzi 2009; click 1; click 1027; "
                                                        "pick " + Scratch() + "\\NON-C-E.XLS; pick " + Scratch() +
                                                        "\\LISTINO.XLS; click 1").out), "1");
  std::string ini = Scratch() + "\\ZelvoMwImport.ini";
  EXPECT_EQ(ReadIni(ini, "PREZZO_NETTO_EXCEL", "ARTICOLO", 260, ""), "C");
  EXPECT_EQ(ReadIni(ini, "PREZZO_NETTO_EXCEL", "FOGLIO", 260, ""), "Prezzi 2009");
  EXPECT_EQ(ReadZelvoMwIni("DIRS", "MAICO_FIT_XLS"), Scratch() + "\\LISTINO.XLS");
  EXPECT_NE(Err().find("File non trovato."), std::string::npos) << Err();
}

TEST_F(ConfigureCommand, UpdatePrintsWhatRanInTheDialogsOrder) {
  test::CommandOutcome o = Run("update --prices --openings");
  EXPECT_EQ(o.exitCode, 0);
  // No Excel list is configured: the prices are passed over without a word.
  EXPECT_EQ(o.out, "eseguito: FitImport\neseguito: KitImport\neseguito: finiture\n");
  EXPECT_EQ(Run("update").out, "");
  EXPECT_EQ(Run("update --nothing").exitCode, 2);
}

}  // namespace
}  // namespace zmw
