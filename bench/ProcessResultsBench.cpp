// ProcessResults on a large job: a result of 10 000 lines against a job parameter file of
// 2 000 records and an archive of 50 000 articles in SQLite. Target: under 250 ms a run, with
// the lookup prepared once; the literal lookup of every line for comparison.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "calc/JobItem.h"
#include "calc/MwResultReader.h"
#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "CountingUi.h"
#include "platform/Ui.h"

namespace fs = std::filesystem;
using namespace zmw;

namespace {

constexpr int kArticles = 50000, kParameters = 2000, kLines = 10000;

using bench::CountingUi;

std::string Code(int i) { return "A" + std::to_string(100000 + i); }

void WriteText(const std::string& path, const std::string& text) {
  platform::File f = platform::File::Open(path, "wb");
  f.Puts(text);
}

struct Installation {
  Installation() {
    root = fs::temp_directory_path() / ("zmw-bench-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    ::setenv("ZELVOMW_PREFIX", root.c_str(), 1);
    fs::create_directories(platform::NativePath("C:\\MAICOWIN\\BIN"));
    fs::create_directories(platform::NativePath("C:\\MAICOWIN\\EXCH"));
    fs::create_directories(platform::NativePath("C:\\ZELVO\\JOBS"));
    WriteText("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nEXPORT=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\n");
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", "C:\\ZELVO\\JOBS\\");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", ZMW_SOURCE_DIR "/samples/db/sqlite");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", "C:\\ZELVO");
    WriteText("C:\\ZELVO\\ZelvoDbConn.ini",
              "[ZELVO]\r\nCONN_STRING=Driver=SQLite3;Database=C:\\ZELVO\\ZELVO.DB;JournalMode=WAL;SyncPragma=NORMAL;StepAPI=1;\r\n");
    ZelvoDbConnection db;
    db.Open("");
    ExecuteNoRecords(db,
                     "CREATE TABLE Accessori (Produttore VARCHAR(30), Produttore2 VARCHAR(30), Codice VARCHAR(30), "
                     "Categoria VARCHAR(30), GruppoStampa VARCHAR(30), UnMis INTEGER, TempoMontaggio DOUBLE, "
                     "TempoLavorazione DOUBLE, PRIMARY KEY (Produttore, Produttore2, Codice))");
    ExecuteNoRecords(db, "BEGIN");
    for (int i = 0; i < kArticles; ++i)
      ExecuteNoRecords(db, "INSERT INTO Accessori VALUES ('MAICO', 'MAICO', '" + Code(i) + "', 'CAT" +
                               std::to_string(i % 40) + "', 'GRUPPO', " + std::to_string(1 + i % 2) + ", 1.5, 0.25)");
    ExecuteNoRecords(db, "COMMIT");
    db.Close();
    platform::SetUi(&ui);
  }
  ~Installation() {
    platform::SetUi(nullptr);
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  // A fresh job: the parameter file and MaicoWin's result.
  void NewJob() {
    JobItemList job;
    for (int i = 0; i < kParameters; ++i) {
      JobItemRecord r;
      r.PosNo.Set(std::int16_t(1 + i / 10));
      r.Sub3.Set(1);
      r.PosText1.Set("POS" + std::to_string(1 + i / 10));
      r.Code.Set("P" + std::to_string(i % 10));
      job.Append(r);
    }
    job.Save("C:\\ZELVO\\JOBS\\BENCH.MW");
    std::string result;
    result.reserve(std::size_t(kLines) * 280);
    for (int i = 0; i < kLines; ++i) {
      std::string line(272, ' ');
      std::string pos = std::to_string(1 + (i * 7) % (kParameters / 10)), code = Code((i * 37) % kArticles);
      line.replace(114, pos.size(), pos);
      line.replace(143, code.size(), code);
      line.replace(156, 1, "3");
      line.replace(171, 11, "Descrizione");
      result += line + "\r\n";
    }
    WriteText("C:\\MAICOWIN\\EXCH\\RESULT.TXT", result);
    platform::RemoveFile("C:\\ZELVO\\JOBS\\BENCH.FIT");
  }

  fs::path root;
  CountingUi ui;
};

Installation& TheInstallation() {
  static Installation installation;
  return installation;
}

// The sample statement file, or a copy whose lookup is written so that it stays a literal
// query formatted for every line ('%.30s' where the sample has '%s'): the shape of the
// lookup as the statement text alone gives it, for comparison.
void UseStatements(bool literal) {
  std::string sample = ZMW_SOURCE_DIR "/samples/db/sqlite";
  if (!literal) {
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", sample.c_str());
    return;
  }
  platform::File in = platform::File::Open(sample + "/ZELVOMW.XML", "rb");
  std::string xml, piece;
  while (in.Gets(piece, 4096)) xml += piece;
  std::string from = "Codice = '%s'</MW_GET_INFO_ACC>", to = "Codice = '%.30s'</MW_GET_INFO_ACC>";
  xml.replace(xml.find(from), from.size(), to);
  WriteText("C:\\ZELVO\\ZELVOMW.XML", xml);
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", "C:\\ZELVO");
}

void RunProcessResults(benchmark::State& state, bool literal) {
  Installation& installation = TheInstallation();
  UseStatements(literal);
  for (auto _ : state) {
    state.PauseTiming();
    installation.NewJob();
    state.ResumeTiming();
    TheZelvoDb().Open("");
    {
      MwResultReader reader("BENCH");
      reader.ProcessResults();
      if (reader.Accessories().Size() != std::size_t(kLines)) state.SkipWithError("lines were lost");
    }
    TheZelvoDb().Close();
  }
  if (installation.ui.messages) state.SkipWithError(installation.ui.last.c_str());
  state.counters["lines_per_s"] = benchmark::Counter(double(kLines) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ProcessResults(benchmark::State& state) { RunProcessResults(state, false); }
void BM_ProcessResultsLiteralLookup(benchmark::State& state) { RunProcessResults(state, true); }
BENCHMARK(BM_ProcessResults)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ProcessResultsLiteralLookup)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
