// Connection texts as ODBC writes them: "key=value" attributes separated by ";". A value in
// braces may hold ";", and "}" written as "}}"; a value without braces runs to the next ";"
// and may hold "}" as it stands. The drivers get a text as it was written: it is read here
// attribute by attribute, and changed only where an attribute is removed or replaced.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zmw {

struct ConnAttribute {
  std::string key;    // without the blanks around it
  std::string value;  // without its braces and with "}}" read as "}"; unbraced, without blanks around
  // Where it stands in the text: the attribute from just after the ";" before it up to the ";"
  // that ends it (or the end of the text), and within that the value as written, braces
  // included.
  std::size_t begin = 0, end = 0;
  std::size_t valueBegin = 0, valueEnd = 0;
};
using ConnAttributes = std::vector<ConnAttribute>;

// The attributes in text order. A part without "=" or with an empty key is no attribute.
ConnAttributes ParseConnText(std::string_view text);
// The value of the first attribute of that key, found without regard to case.
std::optional<std::string> ConnValue(const ConnAttributes& attributes, std::string_view key);
// The value as it must be written to be read back: as it stands when it can be, otherwise in
// braces with each "}" doubled (a ";", a leading "{" or blanks at either end need them).
std::string EncodeConnValue(std::string_view value);

// Changes to one connection text, each naming an attribute of ParseConnText of that text; an
// attribute is changed once at most. Everything they do not touch keeps its bytes.
class ConnTextEdit {
 public:
  explicit ConnTextEdit(std::string text) : text_(std::move(text)) {}

  // The attribute goes with the ";" that ends it.
  void Remove(const ConnAttribute& attribute);
  // The attribute gives way to others, written "key=value" and joined by ";" (none removes it).
  void Replace(const ConnAttribute& attribute, const std::vector<std::pair<std::string, std::string>>& attributes);
  // The value alone is written anew; the key and whatever surrounds it stay.
  void ReplaceValue(const ConnAttribute& attribute, std::string_view value);

  std::string Result() const;

 private:
  struct Change {
    std::size_t from, to;
    std::string text;
  };
  void Add(std::size_t from, std::size_t to, std::string text);

  std::string text_;
  std::vector<Change> changes_;
};

}  // namespace zmw
