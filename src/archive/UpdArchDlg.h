// The update of the host's archives from MaicoWin's and Maico's data: the choice in a dialog,
// and the fixed sequence that its OK runs (also run without the dialog by `zelvomw update`).
#pragma once
#include <string>
#include <vector>

#include "base/Dialog.h"
#include "platform/Ui.h"

namespace zmw {

struct ArchiveUpdates {
  bool openings = false;     // MaicoWin's FIT and KIT lists, then the finishes
  bool sheets = false;       // technical sheets
  bool accessories = false;  // Maico's ASC archive
  bool prices = false;       // net prices from the Excel list
};

// Runs the chosen updates in their fixed order; each reports its own failures and none depends
// on an earlier one. Gives the steps that ran, by name, in order ("FitImport", "KitImport",
// "finiture", "schede tecniche", "accessori ASC", "prezzi netti").
std::vector<std::string> RunArchiveUpdates(const ArchiveUpdates& updates);
// What the dialog's OK does after reading its boxes: the sequence under the wait cursor, then
// "Operazione completata." owned by the dialog or by none.
std::vector<std::string> UpdateArchives(const ArchiveUpdates& updates, platform::Owner owner);

class CUpdArchDlg : public CDialog {
 public:
  static constexpr int kTemplate = 1009;
  static constexpr int kOpenings = 1019;
  static constexpr int kSheets = 1020;
  static constexpr int kAccessories = 1021;
  static constexpr int kPrices = 1032;
  static constexpr int kSheetsToKits = 1033;

  CUpdArchDlg() : CDialog(kTemplate) {}

  // The fields, 0 or 1, bound to the check boxes.
  int m_accessories = 0;
  int m_sheets = 0;
  int m_openings = 0;
  int m_prices = 0;
  int m_sheetsToKits = 0;  // shown, disabled, exchanged; no update reads it

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  void UpdateData(bool saveAndValidate);
};

}  // namespace zmw
