// The ASC accessory import: an ASC file of 1 000 000 layout-B lines (about 104 MB) converted to
// the temporary FIT list, against copying the same file with the same reads and writes; and
// a FIT list loaded into SQLite through the stand-in import library (one transaction,
// prepared statements).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/Connection.h"
#include "db/OltrexImport.h"
#include "db/RecordAccess.h"
#include "import/AscConverter.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;
using namespace zmw;

namespace {

constexpr int kAscLines = 1000000;
constexpr int kFitLines = 200000;

std::string Pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

struct Installation {
  Installation() {
    root = fs::temp_directory_path() / ("zmw-asc-bench-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    ::setenv("ZELVOMW_PREFIX", root.c_str(), 1);
    fs::create_directories(platform::NativePath("C:\\ZELVO"));
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", "C:\\ZELVO");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", ZMW_SOURCE_DIR "/samples/db/sqlite");
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", "C:\\ZELVO\\ARTICOLI.ASC");
    {
      platform::File asc = platform::File::Open("C:\\ZELVO\\ARTICOLI.ASC", "wt");
      std::string block;
      for (int i = 0; i < kAscLines; ++i) {
        block += Pad(std::to_string(3000000 + i), 10) + Pad("ARTICOLO MAICO NUMERO " + std::to_string(i), 65) +
                 Pad("A" + std::to_string(i % 97), 4) + Pad(std::to_string(1 + i % 10), 3) + Pad(i % 3 ? "PZ" : "MT", 5) +
                 Pad(std::to_string(i % 5000) + "," + std::to_string(10 + i % 90), 11) + Pad(i % 2 ? "1" : "100", 4) + "\n";
        if (block.size() > (1 << 20)) {
          asc.Puts(block);
          block.clear();
        }
      }
      asc.Puts(block);
      asc.Close();
    }
    bytes = double(fs::file_size(platform::NativePath("C:\\ZELVO\\ARTICOLI.ASC")));
    {
      platform::File fit = platform::File::Open("C:\\ZELVO\\CARICO.FIT", "wt");
      std::string block;
      for (int i = 0; i < kFitLines; ++i)
        block += "MAICO;MAICO;" + std::to_string(3000000 + i) + ";;ARTICOLO " + std::to_string(i) + ";A1;1;" +
                 std::to_string(1 + i % 10) + ";GR;" + std::to_string(i % 900) + ".25\n";
      fit.Puts(block);
      fit.Close();
    }
    platform::File ini = platform::File::Open("C:\\ZELVO\\ZelvoDbConn.ini", "wt");
    ini.Puts("[ZELVO]\nCONN_STRING=Driver=SQLite3;Database=C:\\ZELVO\\ZELVO.DB;JournalMode=WAL;SyncPragma=NORMAL;StepAPI=1;\n");
    ini.Close();
    ZelvoDbConnection db;
    db.Open("");
    ExecuteNoRecords(db, "CREATE TABLE Accessori (Produttore VARCHAR(30) NOT NULL, Produttore2 VARCHAR(30) NOT NULL, "
                         "Codice VARCHAR(30) NOT NULL, Descrizione VARCHAR(100), CodiceBreve VARCHAR(20), UnMis INTEGER, "
                         "Moltiplicatore INTEGER, GruppoStampa VARCHAR(30), Costo NUMERIC(14,4), "
                         "PRIMARY KEY (Produttore, Produttore2, Codice))");
    db.Close();
  }
  ~Installation() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path root;
  double bytes = 0;
};

Installation& Setup() {
  static Installation installation;
  return installation;
}

void BM_AscToFit(benchmark::State& state) {
  Installation& inst = Setup();
  for (auto _ : state) {
    AscConverter converter;
    if (converter.Convert() != 1) state.SkipWithError("conversion failed");
  }
  state.SetBytesProcessed(std::int64_t(inst.bytes) * state.iterations());
}

// The same file through the same reads and writes, unchanged.
void BM_CopySameReadsAndWrites(benchmark::State& state) {
  Installation& inst = Setup();
  for (auto _ : state) {
    platform::File in = platform::File::Open("C:\\ZELVO\\ARTICOLI.ASC", "rt");
    platform::File out = platform::File::Open("C:\\ZELVO\\COPIA.TXT", "wt");
    std::string line;
    while (in.Gets(line, 2048)) out.Puts(line);
    out.Close();
  }
  state.SetBytesProcessed(std::int64_t(inst.bytes) * state.iterations());
}

void BM_FitImportIntoSqlite(benchmark::State& state) {
  Setup();
  for (auto _ : state)
    if (FitImport("C:\\ZELVO\\CARICO.FIT", 0, 0) != 1) state.SkipWithError("import failed");
  state.SetItemsProcessed(std::int64_t(kFitLines) * state.iterations());
}

BENCHMARK(BM_AscToFit)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CopySameReadsAndWrites)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FitImportIntoSqlite)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
