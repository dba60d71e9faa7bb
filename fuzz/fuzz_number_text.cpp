// Texts converted to numbers under both locales: a number or a conversion error.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "db/DbError.h"
#include "db/Variant.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* locale : {"it-IT", "en-US"}) {
    ::setenv("ZELVOMW_LOCALE", locale, 1);
    try {
      zmw::VariantToDouble(zmw::Variant::Bstr(text));
    } catch (const zmw::DbError&) {
    }
    try {
      zmw::VariantToLong(zmw::Variant::Bstr(text));
    } catch (const zmw::DbError&) {
    }
    try {
      zmw::VariantToText(zmw::Variant::DecimalFromText(text));
    } catch (const zmw::DbError&) {
    }
  }
  return 0;
}
