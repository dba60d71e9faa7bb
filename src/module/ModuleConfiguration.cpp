#include "archive/UpdArchDlg.h"
#include "calc/CalcRequestWriter.h"
#include "import/ExcelFileFormatDlg.h"
#include "module/Configuration.h"

namespace zmw {

ConfDialogActions ConfigurationActions() {
  ConfDialogActions actions;
  actions.stopMaicoWin = [] {
    CalcRequestWriter writer;
    writer.WriteStop();
  };
  actions.updateArchives = [] { CUpdArchDlg().DoModal(); };
  actions.excelFormat = [] { CExcelFileFormatDlg().DoModal(); };
  return actions;
}

}  // namespace zmw
