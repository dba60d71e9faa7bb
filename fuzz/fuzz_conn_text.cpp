// Connection texts: every attribute lies where the parser says; an edit that changes nothing
// gives the text back byte for byte; a value written anew, or an attribute removed, leaves
// the other attributes as they were read.
#include <cstdint>
#include <string>

#include "db/ConnText.h"

namespace {

bool SameAttributes(const zmw::ConnAttributes& a, const zmw::ConnAttributes& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].key != b[i].key || a[i].value != b[i].value) return false;
  return true;
}

// Only blanks between the value as written and the ";" that ends the attribute: a value
// written anew then ends the attribute as the old one did.
bool EndsAtItsValue(const std::string& text, const zmw::ConnAttribute& a) {
  return text.find_first_not_of(" \t", a.valueEnd) >= a.end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  zmw::ConnAttributes attributes = zmw::ParseConnText(text);
  zmw::ConnValue(attributes, "Database");

  std::size_t previousEnd = 0;
  for (const zmw::ConnAttribute& a : attributes) {
    if (a.begin < previousEnd || a.begin > a.valueBegin || a.valueBegin > a.valueEnd || a.valueEnd > a.end ||
        a.end > text.size() || a.key.empty())
      __builtin_trap();
    previousEnd = a.end;
  }

  if (zmw::ConnTextEdit(text).Result() != text) __builtin_trap();

  // Every edit reads the whole text again: of a text with more than sixteen attributes, sixteen
  // spread from the first to the last are edited, so an input costs in proportion to its length
  // rather than to its square.
  constexpr std::size_t kEdited = 16;
  const std::size_t count = attributes.size();
  for (std::size_t k = 0; k < count && k < kEdited; ++k) {
    std::size_t i = count <= kEdited ? k : k * (count - 1) / (kEdited - 1);
    if (!EndsAtItsValue(text, attributes[i])) continue;
    // The value as read, and one that needs every escape, written in its place.
    for (const std::string& value : {attributes[i].value, std::string(" {a;b}}c} ")}) {
      zmw::ConnTextEdit edit(text);
      edit.ReplaceValue(attributes[i], value);
      zmw::ConnAttributes expected = attributes;
      expected[i].value = value;
      if (!SameAttributes(zmw::ParseConnText(edit.Result()), expected)) __builtin_trap();
    }
    zmw::ConnTextEdit removal(text);
    removal.Remove(attributes[i]);
    zmw::ConnAttributes rest = attributes;
    rest.erase(rest.begin() + std::ptrdiff_t(i));
    if (!SameAttributes(zmw::ParseConnText(removal.Result()), rest)) __builtin_trap();
  }
  return 0;
}
