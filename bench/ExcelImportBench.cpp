// The Excel price import: a price list of 20 000 rows, as an .xlsx written here by
// libxlsxwriter and as an .xls of the same rows (bench/xlsx_to_xls.py, openpyxl and xlwt),
// imported into an SQLite archive of 20 000 Maico articles by the export Test. Target: under
// 2 s a run. And the reading alone of an .xlsx of 100 000 rows and 6 columns: under 1 s, and
// under 200 MB at the peak (measured in a process of its own).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "db/providers/posix/WorkbookReader.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "CountingUi.h"
#include "platform/Ui.h"
#include "zelvomw.h"

namespace fs = std::filesystem;
using namespace zmw;

namespace {

constexpr int kPriceRows = 20000, kLargeRows = 100000;

using bench::CountingUi;

std::string Code(int i) { return std::to_string(300000 + i); }

void WriteText(const std::string& path, const std::string& text) {
  platform::File f = platform::File::Open(path, "wb");
  f.Puts(text);
}

// A price list as Maico sends it: code, description, finish, list price, net price, price unit.
bool WritePriceList(const std::string& path, int rows, bool constantMemory) {
  lxw_workbook_options options = {};
  options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
  lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
  if (!book) return false;
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Listino");
  const char* heading[] = {"Codice", "Descrizione", "Finitura", "Listino", "Netto", "Unità"};
  for (int c = 0; c < 6; ++c) worksheet_write_string(sheet, 0, lxw_col_t(c), heading[c], nullptr);
  for (int i = 0; i < rows; ++i) {
    lxw_row_t r = lxw_row_t(i + 1);
    worksheet_write_string(sheet, r, 0, Code(i).c_str(), nullptr);
    worksheet_write_string(sheet, r, 1, ("Ferramenta Maico articolo " + std::to_string(i)).c_str(), nullptr);
    worksheet_write_string(sheet, r, 2, i % 3 == 0 ? "Argento" : i % 3 == 1 ? "Bronzo" : "Cromo", nullptr);
    worksheet_write_number(sheet, r, 3, 10 + i % 500, nullptr);
    worksheet_write_number(sheet, r, 4, (10 + i % 500) * 0.6, nullptr);
    worksheet_write_number(sheet, r, 5, i % 10 == 0 ? 100 : 1, nullptr);
  }
  return workbook_close(book) == LXW_NO_ERROR;
}

// The sample schema of the host database, statement by statement.
void RunSchema(ConnectionHolder& db) {
  platform::File in = platform::File::Open(ZMW_SOURCE_DIR "/samples/db/sqlite/schema.sql", "rt");
  std::string line, statement;
  while (in.Gets(line, 4096)) {
    std::size_t comment = line.find("--");
    if (comment != std::string::npos) line.erase(comment);
    statement += line;
    if (line.find(';') == std::string::npos) continue;
    ExecuteNoRecords(db, statement);
    statement.clear();
  }
}

struct Installation {
  Installation() {
    root = fs::temp_directory_path() / ("zmw-bench-excel-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    ::setenv("ZELVOMW_PREFIX", root.c_str(), 1);
    ::setenv("ZELVOMW_LOCALE", "it-IT", 1);
    fs::create_directories(platform::NativePath("C:\\ZELVO"));
    fs::create_directories(platform::NativePath("C:\\MAICO"));
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", ZMW_SOURCE_DIR "/samples/db/sqlite");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", "C:\\ZELVO");
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
                                 "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
    WriteText("C:\\ZELVO\\ZelvoDbConn.ini",
              "[ZELVO]\r\nCONN_STRING=Driver=SQLite3;Database=C:\\ZELVO\\ZELVO.DB;JournalMode=WAL;SyncPragma=NORMAL;StepAPI=1;\r\n");
    ZelvoDbConnection db;
    db.Open("");
    RunSchema(db);
    ExecuteNoRecords(db, "INSERT INTO Produttori VALUES (7, 'MAICO')");
    ExecuteNoRecords(db, "BEGIN");
    for (int i = 0; i < kPriceRows; ++i)
      ExecuteNoRecords(db, "INSERT INTO Accessori (Produttore, Produttore2, Codice, Costo, CostoUnitario) VALUES "
                           "('MAICO', 'MAICO', '" + Code(i) + "', 0, 0)");
    ExecuteNoRecords(db, "COMMIT");
    db.Close();
    xlsx = platform::NativePath("C:\\MAICO\\LISTINO.XLSX").string();
    xls = platform::NativePath("C:\\MAICO\\LISTINO.XLS").string();
    large = (root / "LARGE.XLSX").string();
    xlsxMade = WritePriceList(xlsx, kPriceRows, false);
    std::string convert = "/usr/bin/python3 '" ZMW_SOURCE_DIR "/bench/xlsx_to_xls.py' '" + xlsx + "' '" + xls + "'";
    xlsMade = xlsxMade && std::system(convert.c_str()) == 0;
    largeMade = WritePriceList(large, kLargeRows, false);
    platform::SetUi(&ui);
  }
  ~Installation() {
    platform::SetUi(nullptr);
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  fs::path root;
  std::string xlsx, xls, large;
  bool xlsxMade = false, xlsMade = false, largeMade = false;
  CountingUi ui;
};

Installation& TheInstallation() {
  static Installation installation;
  return installation;
}

std::string PriceOf(int i) {
  ZelvoDbConnection db;
  db.Open("");
  RecordSource& pass = OpenRecordPass(db, "SELECT CostoUnitario FROM Accessori WHERE Codice = '" + Code(i) + "'");
  std::string price = pass.AtEnd() ? "" : VariantToText(pass.Field(0));
  CloseRecordPass(db);
  db.Close();
  return price;
}

void RunTest(benchmark::State& state, bool xls) {
  Installation& in = TheInstallation();
  if (!(xls ? in.xlsMade : in.xlsxMade)) {
    state.SkipWithError(xls ? "no .xls: bench/xlsx_to_xls.py needs python3-openpyxl and python3-xlwt" : "no .xlsx");
    return;
  }
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", xls ? "C:\\MAICO\\LISTINO.XLS" : "C:\\MAICO\\LISTINO.XLSX");
  for (auto _ : state) {
    if (Test() != 1) state.SkipWithError("Test did not give 1");
  }
  if (in.ui.messages) state.SkipWithError(in.ui.last.c_str());
  // Row 11 costs 10 + 11 at 0.6 for 1 piece; row 10, 10 + 10 at 0.6 for 100.
  if (PriceOf(11) != "12,6" || PriceOf(10) != "0,12") state.SkipWithError("the prices were not written");
  state.counters["rows_per_s"] = benchmark::Counter(double(kPriceRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TestExportXlsx(benchmark::State& state) { RunTest(state, false); }
void BM_TestExportXls(benchmark::State& state) { RunTest(state, true); }

// Every cell of every row, as the import reads them.
std::size_t ReadAll(const std::string& path) {
  std::unique_ptr<WorkbookReader> reader = OpenWorkbookFile(path);
  std::shared_ptr<const SheetData> sheet = reader->ReadSheet("Listino");
  std::unique_ptr<RecordSource> pass = MakeSheetRecords(sheet);
  std::size_t cells = 0;
  for (; !pass->AtEnd(); pass->MoveNext())
    for (int c = 0; c < 6; ++c)
      if (!pass->Field(c).IsNull()) ++cells;
  return cells;
}

void BM_ReadLargeXlsx(benchmark::State& state) {
  Installation& in = TheInstallation();
  if (!in.largeMade) {
    state.SkipWithError("no large .xlsx");
    return;
  }
  for (auto _ : state) {
    if (ReadAll(in.large) != std::size_t(kLargeRows) * 6) state.SkipWithError("cells were lost");
  }
  // The peak of a process that does nothing but read it.
  pid_t child = ::fork();
  if (child == 0) {
    ReadAll(in.large);
    ::_exit(0);
  }
  int status = 0;
  struct rusage usage = {};
  ::wait4(child, &status, 0, &usage);
  state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
  state.counters["rows_per_s"] = benchmark::Counter(double(kLargeRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_TestExportXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TestExportXls)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadLargeXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
