#include <windows.h>
#include <msxml2.h>
#include <objbase.h>

#include "db/StatementFile.h"
#include "db/providers/win32/ComObjects.h"
#include "platform/Text.h"

namespace zmw {

namespace {

com::Ptr<IXMLDOMDocument> NewDocument() {
  com::Ptr<IXMLDOMDocument> document;
  CLSID domDocument;
  if (SUCCEEDED(::CLSIDFromProgID(L"Msxml2.DOMDocument", &domDocument)))
    ::CoCreateInstance(domDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument,
                       reinterpret_cast<void**>(document.Out()));
  return document;
}

}  // namespace

StatementFileState InspectStatementFile(const std::string& path) {
  StatementFileState state;
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    state.kind = StatementFileState::Unreadable;
    return state;
  }
  com::Ptr<IXMLDOMDocument> document = NewDocument();
  if (!document) {
    state.kind = StatementFileState::Unreadable;
    state.detail = "MSXML non disponibile";
    return state;
  }
  document->put_async(VARIANT_FALSE);
  com::Var source = com::Var::Text(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  document->load(*source.Get(), &loaded);
  if (loaded != VARIANT_TRUE) {
    state.kind = StatementFileState::Malformed;
    com::Ptr<IXMLDOMParseError> error;
    if (SUCCEEDED(document->get_parseError(error.Out())) && error) {
      com::ReceivedBstr reason;
      if (SUCCEEDED(error->get_reason(reason.Out())) && reason.Get()) state.detail = com::Narrow(reason.Get());
      long line = 0;
      if (SUCCEEDED(error->get_line(&line))) state.line = int(line);
    }
    while (!state.detail.empty() && (state.detail.back() == '\n' || state.detail.back() == '\r'))
      state.detail.pop_back();
    return state;
  }
  com::Ptr<IXMLDOMElement> root;
  com::ReceivedBstr name;
  if (FAILED(document->get_documentElement(root.Out())) || !root || FAILED(root->get_tagName(name.Out())) ||
      com::Narrow(name.Get()) != "SQL") {
    state.kind = StatementFileState::WrongRoot;
    state.detail = name.Get() ? com::Narrow(name.Get()) : std::string();
  }
  return state;
}

std::optional<std::string> ReadStatementFromFile(const std::string& path, const std::string& name) {
  com::Ptr<IXMLDOMDocument> document = NewDocument();
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
