// What the archive updates read: Maico's ASC article file, the Excel price list with the
// sheet and columns of ZelvoMwImport.ini, and the host's import library. Files are only
// read; the workbook is opened through the provider its connection text calls for.
#include <cctype>

#include "db/Connection.h"
#include "db/DbError.h"
#include "doctor/Checks.h"
#include "import/AscConverter.h"
#include "platform/Files.h"
#include "platform/Libraries.h"
#include "platform/Text.h"

namespace zmw::doctor {
namespace {

constexpr const char* kArea = "imports";
// A few lines tell the layout; the conversion reads on from there by the same rule.
constexpr int kAscLinesLooked = 5;

void AscFile(State& s) {
  if (!s.haveZelvoMwIni || !s.maicoFit.Given()) return;
  About about{s.zelvoMwIni, "DIRS", "MAICO_FIT", s.maicoFit.value, "file", true};
  platform::File file = platform::File::Open(s.maicoFit.value, "rt");
  if (!file) {
    s.out.Add(Level::Warning, kArea, "asc", about,
              It("il file non si apre: l'importazione ASC non potrà partire finché Maico non lo fornisce"));
    return;
  }
  std::string line, layouts;
  int number = 0, articles = 0;
  while (articles < kAscLinesLooked && file.Gets(line, kAscReadBuffer)) {
    ++number;
    AscLine kind = ClassifyAscLine(line);
    if (kind == AscLine::Blank) continue;
    if (kind == AscLine::Unrecognised) {
      s.out.Add(Level::Error, kArea, "asc", about,
                It("riga ") + std::to_string(number) + ": " + std::to_string(line.size()) +
                    It(" caratteri con il fine riga, nessun tracciato noto (A da 85 a 102, B 103, C 176): "
                       "l'importazione ASC si fermerebbe lì"));
      return;
    }
    std::string name = kind == AscLine::LayoutA ? "A" : kind == AscLine::LayoutB ? "B" : "C";
    if (layouts.find(name) == std::string::npos) layouts += (layouts.empty() ? "" : ", ") + name;
    ++articles;
  }
  if (articles == 0) {
    s.out.Add(Level::Warning, kArea, "asc", about, It("il file è vuoto: l'importazione ASC non importerebbe nulla"));
    return;
  }
  s.out.Add(Level::Ok, kArea, "asc", about,
            It("leggibile, tracciato ") + layouts + It(" nelle prime ") + std::to_string(articles) + It(" righe"));
}

struct SheetSettings {
  std::string file;
  bool usable = false;
  std::string sheet;
  struct Column {
    const char* key;
    std::string letters;
    int position;
  };
  std::vector<Column> columns;
};

// Spreadsheet lettering: A is 0, Z 25, AA 26; -1 for anything that is no column name.
int ColumnPosition(const std::string& letters) {
  if (letters.empty() || letters.size() > 3) return -1;
  int number = 0;
  for (char c : letters) {
    char upper = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper < 'A' || upper > 'Z') return -1;
    number = number * 26 + (upper - 'A' + 1);
  }
  return number - 1;
}

// ZelvoMwImport.ini: where the price list's sheet and columns are. Its problems are errors
// only where an Excel price list is configured to be read with it.
SheetSettings ImportSettings(State& s) {
  SheetSettings settings;
  if (s.startPath.empty()) return settings;
  settings.file = s.startPath + "\\ZelvoMwImport.ini";
  const char* section = "PREZZO_NETTO_EXCEL";
  if (platform::FindFirstExists(settings.file))
    s.out.Add(Level::Ok, kArea, "settings", {settings.file}, It("trovato"));
  else
    s.out.Add(Level::Ok, kArea, "settings", {settings.file, "", "", "", "default"},
              It("non c'è: valgono le impostazioni predefinite (foglio Listino, colonne A, B, E, F)"));
  Level problem = s.maicoFitXls.Given() ? Level::Error : Level::Warning;
  settings.usable = true;
  // The dialog and the import read these through buffers of 260 characters.
  constexpr std::size_t kBuffer = 260;
  KeyValue sheet = ReadKey(settings.file, section, "FOGLIO", kBuffer);
  settings.sheet = sheet.present ? sheet.value : "Listino";
  About sheetAbout{settings.file, section, "FOGLIO", settings.sheet, sheet.present ? "file" : "default", true};
  if (settings.sheet.empty()) {
    s.out.Add(problem, kArea, "sheet", sheetAbout, It("vuota: l'importazione Excel non saprebbe quale foglio leggere"));
    settings.usable = false;
  } else {
    s.out.Add(Level::Ok, kArea, "key", sheetAbout, It(sheet.present ? "dal file" : "predefinito"));
  }
  struct Default {
    const char* key;
    const char* letter;
    const char* meaning;
  };
  for (const Default& d : {Default{"ARTICOLO", "A", "codice articolo"}, Default{"DESCR", "B", "descrizione"},
                           Default{"PREZZO_NETTO", "E", "prezzo netto"}, Default{"DIM_PREZZO", "F", "quantità del prezzo"}}) {
    KeyValue kv = ReadKey(settings.file, section, d.key, kBuffer);
    std::string letters = kv.present ? kv.value : d.letter;
    About about{settings.file, section, d.key, letters, kv.present ? "file" : "default", true};
    int position = ColumnPosition(letters);
    if (position < 0) {
      s.out.Add(problem, kArea, "column", about,
                It("non è una lettera di colonna: l'importazione Excel non troverebbe la colonna del ") + It(d.meaning));
      settings.usable = false;
      continue;
    }
    if (letters.size() > 1)
      s.out.Add(Level::Warning, kArea, "column", about,
                It("il dialogo del formato Excel accetta una lettera sola: salvandolo va cambiata"));
    else
      s.out.Add(Level::Ok, kArea, "key", about, It(kv.present ? "dal file, " : "predefinito, ") + It(d.meaning));
    settings.columns.push_back({d.key, letters, position});
  }
  return settings;
}

void CloseQuietly(DataSource& source) {
  try {
    source.Close();
  } catch (const DbError&) {
    // Only looked at; what the provider says on closing changes nothing for the import.
  }
}

void Workbook(State& s, const SheetSettings& settings) {
  if (!s.haveZelvoMwIni || !s.maicoFitXls.Given()) return;
  About fileAbout{s.zelvoMwIni, "DIRS", "MAICO_FIT_XLS", s.maicoFitXls.value, "file", true};
  if (!platform::FindFirstExists(s.maicoFitXls.value)) {
    s.out.Add(Level::Error, kArea, "workbook", fileAbout, It("il file non c'è: l'importazione Excel non può aprirlo"));
    return;
  }
  // What else it needs has been reported where it is missing.
  std::string text;
  if (s.startPath.empty() || !s.excelConnString.Given() || !settings.usable || !ReadExcelConnString(text)) return;
  std::vector<std::string> unresolved = UnresolvedPlaceholders(text);
  for (const std::string& name : unresolved)
    s.out.Add(Level::Error, kArea, "placeholder", {s.zelvoMwIni, "DIRS", name, "", "default"},
              It("manca: in EXCEL_CONN_STRING resta [") + name + "]");
  if (!unresolved.empty()) return;

  About connAbout{s.zelvoMwIni, "GENERAL", "EXCEL_CONN_STRING", text, "file"};
  std::unique_ptr<DataSource> source;
  try {
    source = CreateDataSource(text);
    if (!source) throw DbError(kEPointer);
    source->Open(text);
  } catch (const DbError& e) {
    s.out.Add(Level::Error, kArea, "workbook", connAbout,
              It("il file Excel non si apre (") + text + "): " + ErrorText(e.Code(), e.Description()));
    return;
  }
  // The import's own query.
  std::string query = "SELECT * FROM [" + settings.sheet + "$]";
  About sheetAbout{settings.file, "PREZZO_NETTO_EXCEL", "FOGLIO", settings.sheet, "", true};
  std::unique_ptr<RecordSource> pass;
  try {
    pass = source->OpenRecordSet(query);
    if (!pass) throw DbError(kEPointer);
  } catch (const DbError& e) {
    s.out.Add(Level::Error, kArea, "sheet", sheetAbout,
              It("il foglio non c'è in ") + s.maicoFitXls.value + ": " + ErrorText(e.Code(), e.Description()));
    CloseQuietly(*source);
    return;
  }
  // The columns the sheet has: from the provider's description where it gives one, else from
  // the first row; a sheet with no row below its heading leaves them unknown.
  int count = -1;
  try {
    count = int(source->ResultColumns(query).size());
  } catch (const DbError&) {
    if (!pass->AtEnd()) {
      count = 0;
      for (bool more = true; more && count < 16384;) {
        try {
          pass->Field(count);
          ++count;
        } catch (const DbError&) {
          more = false;
        }
      }
    }
  }
  bool empty = pass->AtEnd();
  try {
    pass->Close();
  } catch (const DbError&) {
  }
  CloseQuietly(*source);

  bool outside = false;
  for (const SheetSettings::Column& c : settings.columns) {
    if (count < 0 || c.position < count) continue;
    outside = true;
    s.out.Add(Level::Error, kArea, "column", {settings.file, "PREZZO_NETTO_EXCEL", c.key, c.letters, "", true},
              It("il foglio ") + settings.sheet + It(" ha ") + std::to_string(count) +
                  It(count == 1 ? " colonna sola: questa è fuori" : " colonne: questa è fuori"));
  }
  if (outside) return;
  if (empty) {
    s.out.Add(Level::Warning, kArea, "sheet", sheetAbout,
              It("il foglio non ha righe sotto l'intestazione: l'importazione Excel non aggiornerebbe nulla") +
                  (count < 0 ? It(", e le colonne non si possono verificare") : ""));
    return;
  }
  std::string letters;
  for (const SheetSettings::Column& c : settings.columns) letters += (letters.empty() ? "" : ", ") + c.letters;
  s.out.Add(Level::Ok, kArea, "sheet", sheetAbout,
            It("il foglio c'è in ") + s.maicoFitXls.value + It(", con le colonne ") + letters);
}

void ImportLibrary(State& s) {
  platform::LibraryProbe probe = platform::ProbeLibrary("Oltrex", {"FitImport", "KitImport"});
  if (!probe.loaded) {
    s.out.Add(Level::Error, kArea, "library", {probe.file},
              It("non si carica: ") + OneLine(probe.error) + It("; senza di essa ZelvoMW non si carica"));
    return;
  }
  About about{probe.where.empty() ? probe.file : probe.where};
  if (!probe.missing.empty()) {
    std::string names;
    for (const std::string& m : probe.missing) names += (names.empty() ? "" : ", ") + m;
    s.out.Add(Level::Error, kArea, "library", about,
              It(probe.missing.size() == 1 ? "manca la funzione " : "mancano le funzioni ") + names +
                  It(": non è la libreria di importazione di Zelvo"));
    return;
  }
  s.out.Add(Level::Ok, kArea, "library", about, It("si carica, con FitImport e KitImport"));
}

}  // namespace

void CheckImports(State& s) {
  AscFile(s);
  SheetSettings settings = ImportSettings(s);
  Workbook(s, settings);
  ImportLibrary(s);
}

}  // namespace zmw::doctor
