// What the archive updates read: Maico's ASC article file, the Excel price list with the
// sheet and columns of ZelvoMwImport.ini, and the host's import library. Files are only
// read; the workbook is opened through the provider its connection text calls for.
#include "db/Connection.h"
#include "db/DbError.h"
#include "doctor/Checks.h"
#include "import/AscConverter.h"
#include "import/ExcelFileFormatDlg.h"
#include "platform/Files.h"
#include "platform/Libraries.h"
#include "platform/Text.h"

namespace zmw::doctor {
namespace {

constexpr const char* kArea = "imports";
// A few lines tell the layout; the conversion reads on from there by the same rule.
constexpr int kAscLinesLooked = 5;
// The widest sheet the spreadsheet programs make.
constexpr int kMostColumns = 16384;
// The settings are read through buffers of this size.
constexpr std::size_t kSettingBuffer = 260;

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

// ZelvoMwImport.ini, read as the Excel import reads it: where the price list's sheet and
// columns are. Its problems are errors only where a price list is configured to be read.
SheetSettings ImportSettings(State& s) {
  SheetSettings settings;
  if (s.startPath.empty()) return settings;
  settings.file = ExcelImportIniPath();
  ExcelSheetSettings values = ReadExcelSheetSettings();
  const char* section = kExcelImportSection;
  if (platform::FindFirstExists(settings.file))
    s.out.Add(Level::Ok, kArea, "settings", {settings.file}, It("trovato"));
  else
    s.out.Add(Level::Ok, kArea, "settings", {settings.file, "", "", "", "default"},
              It("non c'è: valgono le impostazioni predefinite (foglio Listino, colonne A, B, E, F)"));
  Level problem = s.maicoFitXls.Given() ? Level::Error : Level::Warning;
  settings.usable = true;
  // Only to tell the file's values from the defaults; the values are the import's own.
  auto source = [&](const char* key) { return ReadKey(settings.file, section, key, kSettingBuffer).present ? "file" : "default"; };
  settings.sheet = values.sheet;
  About sheetAbout{settings.file, section, "FOGLIO", settings.sheet, source("FOGLIO"), true};
  if (settings.sheet.empty()) {
    s.out.Add(problem, kArea, "sheet", sheetAbout, It("vuota: l'importazione Excel non saprebbe quale foglio leggere"));
    settings.usable = false;
  } else {
    s.out.Add(Level::Ok, kArea, "key", sheetAbout, It(sheetAbout.source == "file" ? "dal file" : "predefinito"));
  }
  struct Setting {
    const char* key;
    const std::string& letters;
    const char* meaning;
  };
  for (const Setting& c : {Setting{"ARTICOLO", values.article, "codice articolo"},
                           Setting{"DESCR", values.description, "descrizione"},
                           Setting{"PREZZO_NETTO", values.netPrice, "prezzo netto"},
                           Setting{"DIM_PREZZO", values.priceUnit, "quantità del prezzo"}}) {
    About about{settings.file, section, c.key, c.letters, source(c.key), true};
    bool fromFile = about.source == "file";
    int position = ColumnLetterToNumber(c.letters) - 1;
    if (position < 0) {
      s.out.Add(problem, kArea, "column", about,
                It("non è una lettera di colonna: l'importazione Excel non troverebbe la colonna del ") + It(c.meaning));
      settings.usable = false;
      continue;
    }
    if (c.letters.size() > CExcelFileFormatDlg::kColumnChars)
      s.out.Add(Level::Warning, kArea, "column", about,
                It("il dialogo del formato Excel accetta una lettera sola: salvandolo va cambiata"));
    else
      s.out.Add(Level::Ok, kArea, "key", about, It(fromFile ? "dal file, " : "predefinito, ") + It(c.meaning));
    settings.columns.push_back({c.key, c.letters, position});
  }
  return settings;
}

// Only looked at: what the provider says on closing changes nothing for the import.
template <typename Source>
void CloseQuietly(Source& source) {
  try {
    source.Close();
  } catch (const DbError&) {
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
  std::vector<std::string> unresolved = BracketedNames(text);
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
  About sheetAbout{settings.file, kExcelImportSection, "FOGLIO", settings.sheet, "", true};
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
  // The columns the sheet has, asked of the pass by position: a position past the last is an
  // item that is not there, while one inside it is there even on a sheet with no rows.
  auto inside = [&](int position) {
    try {
      pass->Field(position);
      return true;
    } catch (const DbError& e) {
      return e.Code() != kAdoItemNotFound;
    }
  };
  int count = 0;
  while (count < kMostColumns && inside(count)) ++count;
  bool empty = pass->AtEnd();
  CloseQuietly(*pass);
  CloseQuietly(*source);

  bool outside = false;
  for (const SheetSettings::Column& c : settings.columns) {
    if (c.position < count) continue;
    outside = true;
    s.out.Add(Level::Error, kArea, "column", {settings.file, kExcelImportSection, c.key, c.letters, "", true},
              It("il foglio ") + settings.sheet + It(" ha ") + std::to_string(count) +
                  It(count == 1 ? " colonna sola: questa è fuori" : " colonne: questa è fuori"));
  }
  if (outside) return;
  if (empty) {
    s.out.Add(Level::Warning, kArea, "sheet", sheetAbout,
              It("il foglio non ha righe sotto l'intestazione: l'importazione Excel non aggiornerebbe nulla"));
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
