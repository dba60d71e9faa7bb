// Oltrex: a stand-in for Zelvo's own import library, for the tests and the demo. It really
// loads a FIT or KIT list into the host database, through the connection settings that
// ZelvoMW uses (ZELVO.INI CONN_STR_ZELVO and ZelvoDbConn.ini). One transaction per call: a
// list is loaded whole or not at all. It shows no message box; a failure is one line on
// standard error, and with ZELVOMW_OLTREX_LOG set every call appends one JSON line there.
//
// A FIT list: ten fields separated by ";" (maker; maker 2; code; empty; description; short
// code; unit type; multiplier; print group; price with "." as decimal point), upserted by
// maker, maker 2 and code.
// A KIT list: six fields (maker; maker 2; kit code; kit description; article code; quantity):
// each kit of the list is created or renamed and its components are replaced by the list's.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "OltrexList.h"
#include "base/JsonText.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Provider.h"
#include "platform/Abi.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace zmw::oltrex {
namespace {

struct Outcome {
  long read = 0;
  long loaded = 0;
  std::string error;
};

bool IsSqlite(const std::string& connectionText) {
  return platform::AsciiUpper(connectionText).find("SQLITE") != std::string::npos;
}

// The host database as ZelvoMW reaches it, opened for this call only.
std::string ConnectionText() {
  std::string text;
  int which = platform::ProfileReadInt("ZELVO.INI", "SYSTEM", "CONN_STR_ZELVO", 0);
  if (which == 0) ReadZelvoConnString(text);
  else if (which == 1) ReadZelvoMySqlConnString(text);
  if (text.empty()) throw std::runtime_error("nessuna connessione al database configurata");
  return text;
}

class Transaction {
 public:
  explicit Transaction(DataSource& db) : db_(db) { db_.ExecuteNoRecords("BEGIN"); }
  ~Transaction() {
    if (!done_) {
      try {
        db_.ExecuteNoRecords("ROLLBACK");
      } catch (const DbError&) {
        // The connection is closed next; the server drops what it did not commit.
      }
    }
  }
  void Commit() {
    db_.ExecuteNoRecords("COMMIT");
    done_ = true;
  }

 private:
  DataSource& db_;
  bool done_ = false;
};

void LoadFit(DataSource& db, bool sqlite, const std::vector<std::string>& lines, Outcome& outcome) {
  const std::string columns =
      "INSERT INTO Accessori (Produttore, Produttore2, Codice, Descrizione, CodiceBreve, UnMis, Moltiplicatore, "
      "GruppoStampa, Costo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ";
  const std::string update =
      sqlite ? "ON CONFLICT (Produttore, Produttore2, Codice) DO UPDATE SET Descrizione = excluded.Descrizione, "
               "CodiceBreve = excluded.CodiceBreve, UnMis = excluded.UnMis, Moltiplicatore = excluded.Moltiplicatore, "
               "GruppoStampa = excluded.GruppoStampa, Costo = excluded.Costo"
             : "ON DUPLICATE KEY UPDATE Descrizione = VALUES(Descrizione), CodiceBreve = VALUES(CodiceBreve), "
               "UnMis = VALUES(UnMis), Moltiplicatore = VALUES(Moltiplicatore), GruppoStampa = VALUES(GruppoStampa), "
               "Costo = VALUES(Costo)";
  std::vector<ParameterSpec> specs = {{"p1", kAdBstr, 30}, {"p2", kAdBstr, 30},    {"p3", kAdBstr, 30},
                                      {"p4", kAdBstr, 100}, {"p5", kAdBstr, 20},   {"p6", kAdNumeric, 0},
                                      {"p7", kAdNumeric, 0}, {"p8", kAdBstr, 30},  {"p9", kAdCurrency, 0}};
  std::unique_ptr<CommandSource> upsert = db.Prepare(columns + update, specs);
  long number = 0;
  for (const std::string& line : lines) {
    ++number;
    ++outcome.read;
    FitRow values = ParseFitLine(line, number);
    for (std::size_t i = 0; i < values.size(); ++i) upsert->SetParameter(specs[i].name, values[i]);
    upsert->Execute();
    ++outcome.loaded;
  }
}

void LoadKit(DataSource& db, bool sqlite, const std::vector<std::string>& lines, Outcome& outcome) {
  const std::string kitUpsert =
      std::string("INSERT INTO Kit (Produttore, Produttore2, Codice, Descrizione) VALUES (?, ?, ?, ?) ") +
      (sqlite ? "ON CONFLICT (Produttore, Produttore2, Codice) DO UPDATE SET Descrizione = excluded.Descrizione"
              : "ON DUPLICATE KEY UPDATE Descrizione = VALUES(Descrizione)");
  std::vector<ParameterSpec> kitSpecs = {{"p1", kAdBstr, 30}, {"p2", kAdBstr, 30}, {"p3", kAdBstr, 30},
                                         {"p4", kAdBstr, 100}};
  std::vector<ParameterSpec> clearSpecs = {{"p1", kAdBstr, 30}, {"p2", kAdBstr, 30}, {"p3", kAdBstr, 30}};
  std::vector<ParameterSpec> partSpecs = {{"p1", kAdBstr, 30}, {"p2", kAdBstr, 30}, {"p3", kAdBstr, 30},
                                          {"p4", kAdBstr, 30}, {"p5", kAdNumeric, 0}};
  auto kit = db.Prepare(kitUpsert, kitSpecs);
  auto clear = db.Prepare("DELETE FROM KitComponenti WHERE Produttore = ? AND Produttore2 = ? AND CodiceKit = ?",
                          clearSpecs);
  auto part = db.Prepare(
      "INSERT INTO KitComponenti (Produttore, Produttore2, CodiceKit, CodiceArticolo, Quantita) VALUES (?, ?, ?, ?, ?)",
      partSpecs);
  std::set<std::string> seen;
  long number = 0;
  for (const std::string& line : lines) {
    ++number;
    ++outcome.read;
    KitRow row = ParseKitLine(line, number);
    const std::array<std::string, 4>& f = row.kit;
    for (std::size_t i = 0; i < 4; ++i) kit->SetParameter(kitSpecs[i].name, Variant::Bstr(f[i]));
    kit->Execute();
    // The list says what a kit is made of: its earlier components go when it first appears.
    if (seen.insert(f[0] + '\x01' + f[1] + '\x01' + f[2]).second) {
      for (std::size_t i = 0; i < 3; ++i) clear->SetParameter(clearSpecs[i].name, Variant::Bstr(f[i]));
      clear->Execute();
    }
    for (std::size_t i = 0; i < 3; ++i) part->SetParameter(partSpecs[i].name, Variant::Bstr(f[i]));
    part->SetParameter("p4", Variant::Bstr(row.article));
    part->SetParameter("p5", row.quantity);
    part->Execute();
    ++outcome.loaded;
  }
}

void Log(const char* function, const std::string& path, const Outcome& outcome) {
  const char* file = std::getenv("ZELVOMW_OLTREX_LOG");
  if (!file || !*file) return;
  std::string line = std::string("{\"function\":\"") + function + "\",\"path\":" + JsonString(path) +
                     ",\"read\":" + std::to_string(outcome.read) + ",\"loaded\":" + std::to_string(outcome.loaded) +
                     ",\"error\":" + (outcome.error.empty() ? std::string("null") : JsonString(outcome.error)) + "}\n";
  if (std::FILE* f = std::fopen(file, "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

using Loader = void (*)(DataSource&, bool, const std::vector<std::string>&, Outcome&);

int Import(const char* function, const char* path, Loader load) {
  std::string file = path ? path : "";
  Outcome outcome;
  try {
    std::vector<std::string> lines = ReadList(file);
    std::string text = ConnectionText();
    std::unique_ptr<DataSource> db = CreateDataSource(text);
    db->Open(text);
    {
      Transaction transaction(*db);
      load(*db, IsSqlite(text), lines, outcome);
      transaction.Commit();
    }
    db->Close();
  } catch (const DbError& e) {
    outcome.error = "database: " + e.Description();
  } catch (const std::exception& e) {
    outcome.error = e.what();
  }
  if (!outcome.error.empty()) {
    outcome.loaded = 0;  // nothing of the list stays
    std::fprintf(stderr, "Oltrex: %s %s: %s\n", function, platform::Cp1252ToUtf8(file).c_str(),
                 platform::Cp1252ToUtf8(outcome.error).c_str());
  }
  Log(function, file, outcome);
  return outcome.error.empty() ? 1 : 0;
}

}  // namespace
}  // namespace zmw::oltrex

extern "C" {

ZMW_DLLEXPORT int ZMW_WINAPI FitImport(const char* path, int, int) {
  return zmw::oltrex::Import("FitImport", path, zmw::oltrex::LoadFit);
}

ZMW_DLLEXPORT int ZMW_WINAPI KitImport(const char* path, int, int) {
  return zmw::oltrex::Import("KitImport", path, zmw::oltrex::LoadKit);
}

}  // extern "C"
