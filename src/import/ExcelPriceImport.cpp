#include "import/ExcelPriceImport.h"

#include <vector>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "import/ExcelFileFormatDlg.h"
#include "platform/Ui.h"

namespace zmw {
namespace {

constexpr const char* kOperation = "UpdateXlsArticoli";
constexpr std::size_t kDescriptionChars = 100;

// The provider is asked for a column by a 16-bit position, as the platform's record set takes it.
Variant FieldAt(RecordSource& pass, std::int32_t position) { return pass.Field(static_cast<std::int16_t>(position)); }

Variant Or(const Variant& v, const Variant& instead) { return v.IsNull() ? instead : v; }

// The rows of the pass, first to last, through the prepared update; rows already written stay.
void WriteRows(RecordSource& pass, std::int32_t maicoId, std::int32_t article, std::int32_t description,
               std::int32_t netPrice, std::int32_t priceUnit) {
  SqlRepository repository;
  repository.GetStatement("MW_UPD_CODES_XLS");
  PreparedCommand command(TheZelvoDb(), repository.Text(),
                          {{"descr", kAdBstr, 100},
                           {"cost", kAdCurrency, 8},
                           {"costo_un", kAdCurrency, 8},
                           {"maico_id", kAdNumeric, 4},
                           {"codice", kAdBstr, 30}});
  for (pass.MoveFirst(); !pass.AtEnd(); pass.MoveNext()) {
    Variant code = Or(FieldAt(pass, article), Variant::Bstr(""));
    Variant text = Or(FieldAt(pass, description), Variant::Bstr(""));
    Variant price = Or(FieldAt(pass, netPrice), Variant::I4(0));
    Variant unit = Or(FieldAt(pass, priceUnit), Variant::I4(1));
    double unitPrice = 0;
    try {
      std::int32_t divisor = VariantToLong(unit);
      if (divisor == 0) divisor = 1;
      unitPrice = VariantToDouble(price) / divisor;
    } catch (const DbError&) {
      unitPrice = 0;  // a price that is no number: this row gets 0 and the list goes on
    }
    std::string descr = VariantToText(text).substr(0, kDescriptionChars);
    command.SetParameter("descr", Variant::Bstr(descr));
    command.SetParameter("cost", Variant::R8(unitPrice));
    command.SetParameter("costo_un", Variant::R8(unitPrice));
    command.SetParameter("maico_id", Variant::I4(maicoId));
    command.SetParameter("codice", Variant::Bstr(VariantToText(code)));
    command.Execute();
  }
}

}  // namespace

ExcelPriceImport::ExcelPriceImport() {
  CExcelFileFormatDlg format;
  sheet_ = format.m_foglio;
  article_ = ColumnLetterToNumber(format.m_articolo) - 1;
  description_ = ColumnLetterToNumber(format.m_descrizione) - 1;
  netPrice_ = ColumnLetterToNumber(format.m_prezzoNetto) - 1;
  priceUnit_ = ColumnLetterToNumber(format.m_dimPrezzo) - 1;
}

ExcelPriceImport::~ExcelPriceImport() = default;

bool ExcelPriceImport::GetMaicoId(std::int32_t& id) {
  ConnectionHolder& db = TheZelvoDb();
  try {
    SqlRepository repository;
    repository.GetStatement("MW_GET_MAICO_ID");
    RecordSource& pass = OpenRecordPass(db, repository.Text());
    bool found = false;
    std::int32_t value = 0;
    if (!pass.AtEnd()) {
      pass.MoveFirst();
      if (!pass.AtEnd()) {
        value = VariantToLong(Or(pass.Field("PkId"), Variant::I4(0)));
        found = true;
      }
    }
    CloseRecordPass(db);
    if (found) id = value;
    return found;
  } catch (const DbError&) {
    return false;
  }
}

void ExcelPriceImport::Run() {
  ExcelConnection workbook;
  if (workbook.Open("") != 1) {
    platform::CurrentUi().ShowMessage(platform::Owner::None, "Impossibile aprire XLS", "ATTENZIONE",
                                      platform::kMbOk | platform::kMbIconExclamation);
    workbook.Release();
    return;
  }
  ZelvoDbConnection& db = TheZelvoDb();
  bool hostOpened = false;
  try {
    RecordSource& pass = OpenRecordPass(workbook, "SELECT * FROM [" + sheet_ + "$]");
    if (!pass.AtEnd()) {
      long count = 0;
      for (pass.MoveFirst(); !pass.AtEnd(); pass.MoveNext()) ++count;
      if (count > 0) {
        hostOpened = db.Open("") == 1;
        SetCursorLocation(db, kAdUseClient);
        std::int32_t maicoId = 0;
        if (GetMaicoId(maicoId)) WriteRows(pass, maicoId, article_, description_, netPrice_, priceUnit_);
        db.Close();
        hostOpened = false;
      }
    }
    CloseRecordPass(workbook);
    workbook.Close();
  } catch (const DbError& e) {
    ShowComError(kOperation, e.Code(), e.Description());
    if (hostOpened) db.Close();
  }
  workbook.Release();
}

}  // namespace zmw
