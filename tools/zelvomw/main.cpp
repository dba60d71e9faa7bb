// zelvomw: calls the library's exports as Zelvo does, from a shell.
//   zelvomw <ExportName> [arguments...]
// The export's integer result is the last line of standard output.
#include <CLI/CLI.hpp>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "ExportLibrary.h"
#include "JobShow.h"
#include "archive/UpdArchDlg.h"
#include "doctor/Doctor.h"
#include "platform/Locks.h"
#include "zelvomw.h"

namespace fs = std::filesystem;

namespace {

struct ExportInfo {
  const char* name;
  const char* alias;
  int arguments;
  const char* help;
  std::vector<const char*> argumentNames;
};

const ExportInfo kExports[] = {
    {"ControllaInstallazioneMW", "check", 0, "finds MaicoWin's installation (1 found, 0 gave up)", {}},
    {"LanciaConfiguratoreMW", "configure", 0, "writes the default configuration and opens the configuration dialog", {}},
    {"LanciaCalcoloMW", "calc", 1, "runs the MaicoWin calculation of a job", {"job-path"}},
    {"DebugLeggiMwExport", "debug-read", 1, "processes a MaicoWin result that is already there", {"job-name"}},
    {"Ordine2Mw", "order", 3, "writes the order file for Maico", {"order-id", "first-code", "second-code"}},
    {"Test", "test", 0, "runs the Excel accessory import", {}},
};

// Loads the library, calls the export with the host's calling convention and releases the
// library again, so its unload runs too.
int Call(const ExportInfo& info, const std::vector<std::string>& args) {
  int result = 0;
  {
    zmw::tools::ExportLibrary library;
    if (!library.Loaded()) {
      std::cerr << "zelvomw: " << library.Error() << "\n";
      return 1;
    }
    void* symbol = library.Find(info.name);
    if (!symbol) {
      std::cerr << "zelvomw: export " << info.name << " assente nella libreria\n";
      return 1;
    }
    using Call0 = int(ZELVOMW_CALL*)();
    using Call1 = int(ZELVOMW_CALL*)(const char*);
    using Call3 = int(ZELVOMW_CALL*)(const char*, const char*, const char*);
    switch (info.arguments) {
      case 0: result = reinterpret_cast<Call0>(symbol)(); break;
      case 1: result = reinterpret_cast<Call1>(symbol)(args[0].c_str()); break;
      case 3: result = reinterpret_cast<Call3>(symbol)(args[0].c_str(), args[1].c_str(), args[2].c_str()); break;
    }
  }
  std::cout << result << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  zmw::tools::PrepareConsole();
  CLI::App app{"zelvomw: calls the exports of the ZelvoMW library as the Zelvo host does"};
  app.require_subcommand(1);
  std::vector<std::vector<std::string>> values(std::size(kExports));
  const ExportInfo* chosen = nullptr;
  for (std::size_t i = 0; i < std::size(kExports); ++i) {
    const ExportInfo& info = kExports[i];
    CLI::App* sub = app.add_subcommand(info.name, info.help);
    sub->alias(info.alias);
    values[i].resize(info.argumentNames.size());
    for (std::size_t a = 0; a < info.argumentNames.size(); ++a)
      sub->add_option(info.argumentNames[a], values[i][a], "text passed to the export")->required();
    sub->callback([&chosen, &info] { chosen = &info; });
  }
  // Not an export: the job files that Zelvo and MaicoWin exchange, made readable.
  CLI::App* job = app.add_subcommand("job", "job item files (.MW, .FIT)");
  job->require_subcommand(1);
  CLI::App* show = job->add_subcommand("show", "prints the count and every record of a job item file as JSON lines");
  std::string jobFile;
  show->add_option("file", jobFile, "the .MW or .FIT file")->required();
  bool showJob = false;
  show->callback([&showJob] { showJob = true; });
  CLI::App* make = job->add_subcommand("make", "writes a job item file from JSON lines read from standard input");
  std::string madeFile;
  make->add_option("file", madeFile, "the .MW or .FIT file to write")->required();
  bool makeJob = false;
  make->callback([&makeJob] { makeJob = true; });
  // Nor is this: the library's installation check, run here, with nothing written anywhere.
  CLI::App* doctor = app.add_subcommand("doctor", "checks the installation and names what to fix (exit 1 on ERRORE)");
  bool doctorJson = false;
  doctor->add_flag("--json", doctorJson, "one JSON object with English keys, for tools");
  bool runDoctor = false;
  doctor->callback([&runDoctor] { runDoctor = true; });

  // The archive update of the configuration dialog, without the dialog: for cron or the Task
  // Scheduler, the boxes answered as in batch.
  CLI::App* update = app.add_subcommand(
      "update", "updates the archives as the update dialog's OK does, in the same order, and prints what ran");
  zmw::ArchiveUpdates updates;
  bool allUpdates = false;
  update->add_flag("--openings", updates.openings, "MaicoWin's FIT and KIT lists, then the finishes");
  update->add_flag("--sheets", updates.sheets, "MaicoWin's technical sheets");
  update->add_flag("--accessories", updates.accessories, "Maico's accessory archive from the ASC file");
  update->add_flag("--prices", updates.prices, "net prices from the Excel list (when MAICO_FIT_XLS is set)");
  update->add_flag("--all", allUpdates, "all four");
  bool runUpdate = false;
  update->callback([&runUpdate] { runUpdate = true; });

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  // The shell hands over UTF-8; the library's narrow texts are the ANSI code page, as Wine
  // turns a Windows program's command line into it (what it cannot hold becomes '?').
  auto ansi = [](const std::string& text) { return zmw::tools::LibraryText(text); };
  if (showJob) return zmw::tools::ShowJobFile(ansi(jobFile), std::cout, std::cerr);
  if (makeJob) return zmw::tools::MakeJobFile(std::cin, ansi(madeFile), std::cerr);
  if (runDoctor) {
    zmw::DoctorReport report = zmw::RunDoctor();
    std::cout << (doctorJson ? zmw::ReportJson(report) : zmw::tools::ConsoleText(zmw::ReportText(report))) << std::flush;
    return report.ExitStatus();
  }
  if (runUpdate) {
    if (allUpdates) updates.openings = updates.sheets = updates.accessories = updates.prices = true;
    // As in an export: Ctrl-C waits for the next question rather than cutting an import short.
    zmw::platform::InterruptHold hold;
    for (const std::string& step : zmw::UpdateArchives(updates, zmw::platform::Owner::None))
      std::cout << "eseguito: " << step << "\n";
    std::cout << std::flush;
    return 0;
  }
  if (!chosen) return 2;
  std::vector<std::string> arguments;
  for (const std::string& a : values[static_cast<std::size_t>(chosen - kExports)]) arguments.push_back(ansi(a));
  return Call(*chosen, arguments);
}
