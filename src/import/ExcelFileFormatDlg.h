// Where Maico's Excel price list keeps its data: the sheet and the letters of four columns,
// kept in ZelvoMwImport.ini in Zelvo's start folder and set in the "Formato file Excel" dialog.
#pragma once
#include <cstdint>
#include <string>

#include "base/Dialog.h"

namespace zmw {

inline constexpr const char* kExcelImportIni = "ZelvoMwImport.ini";
inline constexpr const char* kExcelImportSection = "PREZZO_NETTO_EXCEL";

// The settings as the import reads them: five texts, each through a buffer of 260 characters,
// with their defaults when the file lacks a key; all empty, defaults too, when ZELVO.INI
// names no START_PATH.
struct ExcelSheetSettings {
  std::string sheet;        // FOGLIO
  std::string article;      // ARTICOLO
  std::string description;  // DESCR
  std::string netPrice;     // PREZZO_NETTO
  std::string priceUnit;    // DIM_PREZZO
};
// The settings file, or an empty text when there is no START_PATH.
std::string ExcelImportIniPath();
ExcelSheetSettings ReadExcelSheetSettings();

// A column letter as a number: A to Z are 1 to 26, and longer letters count on as the
// spreadsheet programs letter their columns (AA is 27, AZ 52, BA 53); case does not matter.
// An empty text, and one that is not all letters, gives 0. The column's position is the number
// less 1, so A is position 0 and an empty setting -1, which no sheet has.
std::int32_t ColumnLetterToNumber(const std::string& letters);

class CExcelFileFormatDlg : public CDialog {
 public:
  static constexpr int kTemplate = 1017;
  static constexpr int kSheetEdit = 1029;
  static constexpr int kArticleEdit = 1031;
  static constexpr int kDescriptionEdit = 1032;
  static constexpr int kNetPriceEdit = 1033;
  static constexpr int kPriceUnitEdit = 1034;
  // The column fields hold one letter.
  static constexpr std::size_t kColumnChars = 1;

  // Reads the settings; the dialog is not shown until DoModal.
  CExcelFileFormatDlg();

  // The fields, bound to the edit controls.
  std::string m_articolo;
  std::string m_foglio;
  std::string m_descrizione;
  std::string m_dimPrezzo;
  std::string m_prezzoNetto;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  // The fields to the controls (false), or the controls to the fields, validated (true):
  // false when a field failed, after the user has been told.
  bool UpdateData(bool saveAndValidate);
  void TakeSettings(const ExcelSheetSettings& settings);
};

}  // namespace zmw
