// An INI file as the Windows profile functions read and write it. Reading trims blanks, folds
// case for section and key names, strips one pair of matching quotes and lets the first of
// duplicate sections and keys win. Writing changes only the affected line and keeps every
// other byte of the file as it was.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmw::platform {

class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes);

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // Every key of a section with its value, in file order.
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // True when something was removed.
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;
    std::string end;  // the line's own terminator, empty on an unterminated last line
  };
  // Index of the first header of that section, or npos.
  std::size_t FindSection(std::string_view section) const;
  std::size_t SectionEnd(std::size_t header) const;
  std::size_t FindKey(std::size_t header, std::string_view key) const;

  std::vector<Line> lines_;
};

// GetPrivateProfileIntA's parse of a value already read as text.
unsigned ParseProfileInt(std::string_view value);

}  // namespace zmw::platform
