// The order export of an order of 200 000 lines from SQLite, against simply writing the same
// bytes to the same place.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "db/Connection.h"
#include "db/RecordAccess.h"
#include "order/Ordine2Mw.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;
using namespace zmw;

namespace {

constexpr int kLines = 200000;

struct Installation {
  Installation() {
    root = fs::temp_directory_path() / ("zmw-order-bench-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    ::setenv("ZELVOMW_PREFIX", root.c_str(), 1);
    fs::create_directories(platform::NativePath("C:\\MAICOWIN\\BIN"));
    fs::create_directories(platform::NativePath("C:\\ZELVO\\TMP"));
    platform::File mw = platform::File::Open("C:\\MAICOWIN\\BIN\\MW.INI", "wt");
    mw.Puts("MaicoWin\nBench\nA12345\n");
    mw.Close();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", "C:\\ZELVO\\TMP");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "SQL_PATH", ZMW_SOURCE_DIR "/samples/db/sqlite");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", "C:\\ZELVO");
    platform::File ini = platform::File::Open("C:\\ZELVO\\ZelvoDbConn.ini", "wt");
    ini.Puts("[ZELVO]\nCONN_STRING=Driver=SQLite3;Database=C:\\ZELVO\\ZELVO.DB;JournalMode=WAL;SyncPragma=NORMAL;StepAPI=1;\n");
    ini.Close();
    ZelvoDbConnection db;
    db.Open("");
    ExecuteNoRecords(db, "CREATE TABLE Ordini (IdOrdine VARCHAR(20), DataConsegna DATE, DataCompilazione DATE)");
    ExecuteNoRecords(db, "CREATE TABLE RigheOrdine (IdOrdine VARCHAR(20), Riga INTEGER, Codice VARCHAR(30), "
                         "QtaOrdinata DOUBLE, PRIMARY KEY (IdOrdine, Riga))");
    ExecuteNoRecords(db, "INSERT INTO Ordini VALUES ('BENCH', '2008-12-25', '2008-12-01')");
    ExecuteNoRecords(db, "BEGIN");
    for (int i = 1; i <= kLines; ++i)
      ExecuteNoRecords(db, "INSERT INTO RigheOrdine VALUES ('BENCH', " + std::to_string(i) + ", 'A" +
                               std::to_string(100000 + i % 50000) + "', " + std::to_string(1 + i % 7) + ".5)");
    ExecuteNoRecords(db, "COMMIT");
    db.Close();
  }
  ~Installation() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path root;
};

Installation& Setup() {
  static Installation installation;
  return installation;
}

void BM_OrderExport(benchmark::State& state) {
  Setup();
  for (auto _ : state) {
    COrdine2Mw order("BENCH", "Z", "W");
    order.Run();
  }
  state.SetBytesProcessed(state.iterations() * platform::FileStamp("C:\\ZELVO\\TMP\\KBA12345.TXT").size);
}
BENCHMARK(BM_OrderExport)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the same records written in text mode, one call each, and put in place.
void BM_WriteSameBytes(benchmark::State& state) {
  Setup();
  { COrdine2Mw("BENCH", "Z", "W").Run(); }
  std::string bytes;
  {
    platform::File in = platform::File::Open("C:\\ZELVO\\TMP\\KBA12345.TXT", "rt");
    std::string line;
    while (in.Gets(line, 1024)) bytes += line;
  }
  for (auto _ : state) {
    platform::File out = platform::File::Open("C:\\ZELVO\\TMP\\COPY.TXT.~new", "wt");
    for (std::size_t at = 0; at < bytes.size();) {
      std::size_t end = bytes.find('\n', at) + 1;
      out.Puts(std::string_view(bytes).substr(at, end - at));
      at = end;
    }
    out.Close();
    platform::ReplaceFileWith("C:\\ZELVO\\TMP\\COPY.TXT.~new", "C:\\ZELVO\\TMP\\COPY.TXT");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
}
BENCHMARK(BM_WriteSameBytes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
