// Windows: OLE DB providers through ADO (a workbook text with its own choice of provider),
// everything else through ODBC.
#include "db/Provider.h"
#include "db/odbc/OdbcSource.h"
#include "db/providers/win32/AdoSource.h"

namespace zmw {

std::unique_ptr<DataSource> CreateDataSource(const std::string& connectionText) {
  if (NamesExcelWorkbook(connectionText)) return CreateAdoWorkbookSource();
  if (NamesOleDbProvider(connectionText)) return CreateAdoSource();
  return CreateOdbcSource();
}

}  // namespace zmw
