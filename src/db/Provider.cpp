#include "db/Provider.h"

#include "db/ConnText.h"
#include "db/DbError.h"
#include "platform/Text.h"

namespace zmw {

std::vector<std::string> DataSource::ResultColumns(const std::string&) { throw DbError(kENotImpl); }
std::vector<std::vector<std::string>> DataSource::UniqueKeys(const std::string&) { throw DbError(kENotImpl); }

bool NamesOleDbProvider(const std::string& connectionText) {
  return ConnValue(ParseConnText(connectionText), "Provider").has_value();
}

bool NamesExcelWorkbook(const std::string& connectionText) {
  ConnAttributes pairs = ParseConnText(connectionText);
  std::string provider = platform::AsciiUpper(ConnValue(pairs, "Provider").value_or(""));
  std::string properties = platform::AsciiUpper(ConnValue(pairs, "Extended Properties").value_or(""));
  bool jetOrAce = provider.find("MICROSOFT.JET.OLEDB") != std::string::npos ||
                  provider.find("MICROSOFT.ACE.OLEDB") != std::string::npos;
  return jetOrAce && properties.find("EXCEL") != std::string::npos;
}

}  // namespace zmw
