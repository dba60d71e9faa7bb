#include <fstream>
#include <iterator>
#include <pugixml.hpp>

#include "db/StatementFile.h"
#include "db/providers/posix/PugiStatementFile.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace zmw {
namespace {

// The encoding the XML declaration names, in upper case; empty when it names none.
std::string DeclaredEncoding(const std::string& bytes) {
  if (bytes.compare(0, 5, "<?xml") != 0) return "";
  std::size_t end = bytes.find("?>");
  std::string declaration = bytes.substr(0, end);
  std::size_t at = declaration.find("encoding");
  if (at == std::string::npos) return "";
  std::size_t quote = declaration.find_first_of("\"'", at);
  if (quote == std::string::npos) return "";
  std::size_t close = declaration.find(declaration[quote], quote + 1);
  return platform::AsciiUpper(declaration.substr(quote + 1, close - quote - 1));
}

void AppendText(const pugi::xml_node& node, std::string& out) {
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) out += child.value();
    else if (child.type() == pugi::node_element) AppendText(child, out);
  }
}

}  // namespace

std::optional<std::string> ReadStatementFromFile(const std::string& path, const std::string& name) {
  std::ifstream in(platform::NativePath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return ReadStatementFromBytes(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), name);
}

std::optional<std::string> ReadStatementFromBytes(std::string bytes, const std::string& name) {
  // pugixml reads UTF-8 and UTF-16; a file in the Windows code page is decoded here, as
  // MSXML decodes it.
  std::string encoding = DeclaredEncoding(bytes);
  pugi::xml_encoding parseAs = pugi::encoding_auto;
  if (encoding == "WINDOWS-1252" || encoding == "ISO-8859-1" || encoding == "LATIN1" ||
      encoding == "ISO-8859-15") {
    bytes = platform::Cp1252ToUtf8(bytes);
    parseAs = pugi::encoding_utf8;
  }
  pugi::xml_document document;
  if (!document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, parseAs)) return std::nullopt;
  pugi::xml_node root = document.document_element();
  if (std::string(root.name()) != "SQL") return std::nullopt;
  pugi::xml_node statement = root.child(name.c_str());
  if (!statement) return std::nullopt;
  std::string text;
  AppendText(statement, text);
  return platform::Utf8ToCp1252(text);
}

}  // namespace zmw
