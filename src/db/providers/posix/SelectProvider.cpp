// POSIX has no OLE DB: a workbook text (Jet or ACE with Excel properties) goes to our workbook
// provider, any other Provider= text gets the error ADO gives for a provider that is not
// installed; everything else goes to ODBC.
#include "db/DbError.h"
#include "db/Provider.h"
#include "db/odbc/OdbcSource.h"
#include "db/providers/posix/WorkbookSource.h"

namespace zmw {
namespace {

class MissingProvider final : public DataSource {
 public:
  void Open(const std::string&) override { throw DbError(kAdoProviderNotFound, kAdoProviderNotFoundText); }
  void Close() override { throw DbError(kAdoClosed, kAdoClosedText); }
  std::int32_t ExecuteNoRecords(const std::string&) override { throw DbError(kAdoClosed, kAdoClosedText); }
  std::unique_ptr<RecordSource> OpenRecordSet(const std::string&) override {
    throw DbError(kAdoClosed, kAdoClosedText);
  }
  std::unique_ptr<CommandSource> Prepare(const std::string&, const std::vector<ParameterSpec>&) override {
    throw DbError(kAdoClosed, kAdoClosedText);
  }
};

}  // namespace

std::unique_ptr<DataSource> CreateDataSource(const std::string& connectionText) {
  if (NamesExcelWorkbook(connectionText)) return CreateWorkbookSource();
  if (NamesOleDbProvider(connectionText)) return std::make_unique<MissingProvider>();
  return CreateOdbcSource();
}

}  // namespace zmw
