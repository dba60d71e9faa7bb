#include <msxml2.h>
#include <objbase.h>

#include "db/StatementFile.h"
#include "db/providers/win32/ComObjects.h"
#include "platform/Text.h"

namespace zmw {

std::optional<std::string> ReadStatementFromFile(const std::string& path, const std::string& name) {
  com::Ptr<IXMLDOMDocument> document;
  CLSID domDocument;
  if (SUCCEEDED(::CLSIDFromProgID(L"Msxml2.DOMDocument", &domDocument)))
    ::CoCreateInstance(domDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument,
                       reinterpret_cast<void**>(document.Out()));
  if (!document) return std::nullopt;
  document->put_async(VARIANT_FALSE);
  com::Var source = com::Var::Text(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  document->load(*source.Get(), &loaded);  // a failed load shows as an empty document
  com::Bstr query("SQL/" + name);
  com::Ptr<IXMLDOMNode> node;
  if (FAILED(document->selectSingleNode(query.Get(), node.Out())) || !node) return std::nullopt;
  com::ReceivedBstr text;
  if (FAILED(node->get_text(text.Out()))) return std::nullopt;
  return com::Narrow(text.Get());
}

}  // namespace zmw
