#include <algorithm>
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

// pugixml reads UTF-8 and UTF-16; a file in the Windows code page is decoded here, as MSXML
// decodes it.
pugi::xml_parse_result ParseStatementBytes(std::string& bytes, pugi::xml_document& document) {
  std::string encoding = DeclaredEncoding(bytes);
  pugi::xml_encoding parseAs = pugi::encoding_auto;
  if (encoding == "WINDOWS-1252" || encoding == "ISO-8859-1" || encoding == "LATIN1" ||
      encoding == "ISO-8859-15") {
    bytes = platform::Cp1252ToUtf8(bytes);
    parseAs = pugi::encoding_utf8;
  }
  return document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, parseAs);
}

std::optional<std::string> ReadBytesOf(const std::string& path) {
  std::ifstream in(platform::NativePath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

StatementFileState InspectStatementFile(const std::string& path) {
  StatementFileState state;
  std::optional<std::string> bytes = ReadBytesOf(path);
  if (!bytes) {
    state.kind = StatementFileState::Unreadable;
    return state;
  }
  pugi::xml_document document;
  pugi::xml_parse_result result = ParseStatementBytes(*bytes, document);
  if (!result) {
    state.kind = StatementFileState::Malformed;
    state.detail = result.description();
    // The offset is into the bytes as parsed; lines count the same in either encoding.
    std::size_t end = result.offset > 0 && std::size_t(result.offset) <= bytes->size() ? std::size_t(result.offset) : 0;
    state.line = 1 + int(std::count(bytes->begin(), bytes->begin() + std::ptrdiff_t(end), '\n'));
    return state;
  }
  std::string root = document.document_element().name();
  if (root != "SQL") {
    state.kind = StatementFileState::WrongRoot;
    state.detail = platform::Utf8ToCp1252(root);
  }
  return state;
}

std::optional<std::string> ReadStatementFromFile(const std::string& path, const std::string& name) {
  std::optional<std::string> bytes = ReadBytesOf(path);
  if (!bytes) return std::nullopt;
  return ReadStatementFromBytes(std::move(*bytes), name);
}

std::optional<std::string> ReadStatementFromBytes(std::string bytes, const std::string& name) {
  pugi::xml_document document;
  if (!ParseStatementBytes(bytes, document)) return std::nullopt;
  pugi::xml_node root = document.document_element();
  if (std::string(root.name()) != "SQL") return std::nullopt;
  pugi::xml_node statement = root.child(name.c_str());
  if (!statement) return std::nullopt;
  std::string text;
  AppendText(statement, text);
  return platform::Utf8ToCp1252(text);
}

}  // namespace zmw
