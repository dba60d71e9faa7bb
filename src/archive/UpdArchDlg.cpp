#include "archive/UpdArchDlg.h"

#include "archive/MWDataScanner.h"
#include "archive/SchedTecScanner.h"
#include "db/OltrexImport.h"
#include "import/AscConverter.h"
#include "import/ExcelPriceImport.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Ui.h"

namespace zmw {

std::vector<std::string> RunArchiveUpdates(const ArchiveUpdates& updates) {
  std::vector<std::string> ran;
  if (updates.openings) {
    // An absent key goes to the import library as the empty path; it has its own answer.
    MaicoWinConf conf;
    std::string fit, kit;
    conf.GetMwFit(fit);
    conf.GetMwKit(kit);
    FitImport(fit.c_str(), 0, 0);
    ran.push_back("FitImport");
    KitImport(kit.c_str(), 0, 0);
    ran.push_back("KitImport");
    MWDataScanner().Run();
    ran.push_back("finiture");
  }
  if (updates.sheets) {
    SchedTecScanner().Run();
    ran.push_back("schede tecniche");
  }
  if (updates.accessories) {
    AscConverter().Import();
    ran.push_back("accessori ASC");
  }
  if (updates.prices) {
    MaicoWinConf conf;
    std::string xls;
    conf.GetMaicoFitXls(xls);
    if (!xls.empty()) {
      ExcelPriceImport().Run();
      ran.push_back("prezzi netti");
    }
  }
  return ran;
}

std::vector<std::string> UpdateArchives(const ArchiveUpdates& updates, platform::Owner owner) {
  std::vector<std::string> ran;
  {
    platform::WaitCursor busy;
    ran = RunArchiveUpdates(updates);
  }
  platform::CurrentUi().ShowMessage(owner, "Operazione completata.", "Aggiornamento archivi",
                                    platform::kMbOk | platform::kMbIconAsterisk);
  return ran;
}

bool CUpdArchDlg::OnInitDialog() {
  // Every box starts cleared, each time the dialog opens.
  m_accessories = m_sheets = m_openings = 0;
  UpdateData(false);
  return true;
}

void CUpdArchDlg::UpdateData(bool saveAndValidate) {
  ExchangeCheck(kAccessories, m_accessories, saveAndValidate);
  ExchangeCheck(kSheets, m_sheets, saveAndValidate);
  ExchangeCheck(kOpenings, m_openings, saveAndValidate);
  ExchangeCheck(kPrices, m_prices, saveAndValidate);
  ExchangeCheck(kSheetsToKits, m_sheetsToKits, saveAndValidate);
}

void CUpdArchDlg::OnOK() {
  UpdateData(true);
  ArchiveUpdates updates;
  updates.openings = m_openings == 1;
  updates.sheets = m_sheets == 1;
  updates.accessories = m_accessories == 1;
  updates.prices = m_prices == 1;
  UpdateArchives(updates, platform::Owner::Dialog);
  CDialog::OnOK();
}

}  // namespace zmw
