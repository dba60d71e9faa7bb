// Maico's net prices from its Excel price list: each row of the configured sheet gives an
// article's description and unit net price, written to Zelvo's database with Maico's id.
#pragma once
#include <cstdint>
#include <string>

namespace zmw {

class ExcelPriceImport {
 public:
  // Takes the sheet and the column positions from the format dialog's settings.
  ExcelPriceImport();
  virtual ~ExcelPriceImport();
  ExcelPriceImport(const ExcelPriceImport&) = delete;
  ExcelPriceImport& operator=(const ExcelPriceImport&) = delete;

  // Imports; failures have been shown to the user when it returns.
  void Run();

  const std::string& SheetName() const { return sheet_; }
  // Positions from 0 (column A); -1 for a column that is not set.
  std::int32_t ArticleColumn() const { return article_; }
  std::int32_t DescriptionColumn() const { return description_; }
  std::int32_t NetPriceColumn() const { return netPrice_; }
  std::int32_t PriceUnitColumn() const { return priceUnit_; }

  // The id of Maico's row among the host's makers; false, silently, when there is none or the
  // lookup fails.
  static bool GetMaicoId(std::int32_t& id);

 private:
  std::string sheet_;
  std::int32_t article_;
  std::int32_t description_;
  std::int32_t netPrice_;
  std::int32_t priceUnit_;
};

}  // namespace zmw
