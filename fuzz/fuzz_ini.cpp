// INI files: parse, look up, change and write back whatever bytes come.
#include <cstdint>
#include <string>

#include "platform/common/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  zmw::platform::IniDocument doc = zmw::platform::IniDocument::Parse(bytes);
  if (doc.Serialize() != bytes) __builtin_trap();  // an unchanged file must come back unchanged
  std::string section = bytes.substr(0, bytes.size() % 7), key = bytes.substr(bytes.size() / 2, 5);
  if (auto value = doc.Find(section, key)) zmw::platform::ParseProfileInt(*value);
  doc.Entries(section);
  doc.Set(section, key, "value");
  if (section.find_first_of("\r\n]") == std::string::npos && key.find_first_of("\r\n=") == std::string::npos &&
      !key.empty() && key.front() != ';' && key.front() != '[' && key.front() != ' ' && key.back() != ' ' &&
      key.front() != '\t' && key.back() != '\t' && section.find_first_not_of(" \t") != std::string::npos &&
      section.front() != ' ' && section.back() != ' ' && section.front() != '\t' && section.back() != '\t') {
    zmw::platform::IniDocument again = zmw::platform::IniDocument::Parse(doc.Serialize());
    auto found = again.Find(section, key);
    if (!found || *found != "value") __builtin_trap();  // what was written reads back
  }
  doc.DeleteKey(section, key);
  doc.DeleteSection(section);
  return 0;
}
