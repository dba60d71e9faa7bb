#include "import/ExcelFileFormatDlg.h"

#include "base/FileNames.h"
#include "base/Ini.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "platform/Ui.h"

namespace zmw {
namespace {

constexpr std::size_t kSettingBuffer = 260;

// The dialog framework's own words when a field holds more than it may, with the count put in.
std::string TooManyCharacters(std::size_t limit) {
  return "Immettere non pi\xF9 di " + std::to_string(limit) + " caratteri.";
}

}  // namespace

std::string ExcelImportIniPath() {
  std::string startPath = ReadZelvoIni("SYSTEM", "START_PATH");
  return startPath.empty() ? std::string() : startPath + "\\" + kExcelImportIni;
}

ExcelSheetSettings ReadExcelSheetSettings() {
  ExcelSheetSettings s;
  std::string file = ExcelImportIniPath();
  if (file.empty()) return s;
  auto read = [&](const char* key, const char* def) {
    return ReadIni(file, kExcelImportSection, key, kSettingBuffer, def);
  };
  s.sheet = read("FOGLIO", "Listino");
  s.article = read("ARTICOLO", "A");
  s.description = read("DESCR", "B");
  s.netPrice = read("PREZZO_NETTO", "E");
  s.priceUnit = read("DIM_PREZZO", "F");
  return s;
}

std::int32_t ColumnLetterToNumber(const std::string& letters) {
  std::string upper = platform::AsciiUpper(letters);
  std::int64_t number = 0;
  for (char c : upper) {
    if (c < 'A' || c > 'Z') return 0;
    number = number * 26 + (c - 'A' + 1);
    if (number > INT32_MAX) return 0;  // no sheet is that wide: no column
  }
  return static_cast<std::int32_t>(number);
}

CExcelFileFormatDlg::CExcelFileFormatDlg() : CDialog(kTemplate) { TakeSettings(ReadExcelSheetSettings()); }

void CExcelFileFormatDlg::TakeSettings(const ExcelSheetSettings& settings) {
  m_articolo = settings.article;
  m_foglio = settings.sheet;
  m_descrizione = settings.description;
  m_dimPrezzo = settings.priceUnit;
  m_prezzoNetto = settings.netPrice;
}

bool CExcelFileFormatDlg::OnInitDialog() {
  // The file may have changed since the dialog was made.
  if (!ExcelImportIniPath().empty()) TakeSettings(ReadExcelSheetSettings());
  UpdateData(false);
  return true;
}

bool CExcelFileFormatDlg::UpdateData(bool saveAndValidate) {
  platform::DialogWindow& window = Window();
  struct Field {
    int control;
    std::string* value;
    bool oneLetter;
  };
  const Field fields[] = {{kArticleEdit, &m_articolo, true},     {kSheetEdit, &m_foglio, false},
                          {kDescriptionEdit, &m_descrizione, true}, {kPriceUnitEdit, &m_dimPrezzo, true},
                          {kNetPriceEdit, &m_prezzoNetto, true}};
  for (const Field& f : fields) {
    ExchangeText(f.control, *f.value, saveAndValidate);
    if (!saveAndValidate) {
      // The limit holds for what the user types; a longer text from the file still shows.
      if (f.oneLetter) window.SendControlMessage(f.control, platform::kEmLimitText, kColumnChars, 0);
      continue;
    }
    if (f.oneLetter && f.value->size() > kColumnChars) {
      platform::CurrentUi().ShowMessage(platform::Owner::Active, TooManyCharacters(kColumnChars), "ZelvoMW",
                                        platform::kMbOk | platform::kMbIconExclamation);
      return false;
    }
  }
  return true;
}

void CExcelFileFormatDlg::OnOK() {
  if (!UpdateData(true)) return;  // the dialog stays open on the field
  std::string file = ExcelImportIniPath();
  if (!file.empty()) {
    const char* f = file.c_str();
    platform::ProfileWriteString(f, kExcelImportSection, "FOGLIO", m_foglio.c_str());
    platform::ProfileWriteString(f, kExcelImportSection, "ARTICOLO", m_articolo.c_str());
    platform::ProfileWriteString(f, kExcelImportSection, "DESCR", m_descrizione.c_str());
    platform::ProfileWriteString(f, kExcelImportSection, "PREZZO_NETTO", m_prezzoNetto.c_str());
    platform::ProfileWriteString(f, kExcelImportSection, "DIM_PREZZO", m_dimPrezzo.c_str());
  }
  EndDialog(kIdOk);
}

}  // namespace zmw
