#include <objbase.h>

#include "support/Workbooks.h"

namespace zmw::test {

namespace {
bool Registered(const wchar_t* progId) {
  CLSID clsid;
  return SUCCEEDED(::CLSIDFromProgID(progId, &clsid));
}
}  // namespace

// Workbooks are read through ADO and the Jet provider; Wine has neither Jet nor ACE.
WorkbookProvider WorkbookProviderHere() {
  return Registered(L"ADODB.Connection") && Registered(L"Microsoft.Jet.OLEDB.4.0") ? WorkbookProvider::Jet
                                                                                  : WorkbookProvider::None;
}

std::string WhyNoWorkbookProvider() {
  if (!Registered(L"ADODB.Connection")) return "ADO is not registered on this machine";
  if (!Registered(L"Microsoft.Jet.OLEDB.4.0"))
    return "the Jet OLE DB provider is not registered on this machine (Wine has none); the import's shared "
           "logic is tested by the Linux build";
  return "";
}

}  // namespace zmw::test
