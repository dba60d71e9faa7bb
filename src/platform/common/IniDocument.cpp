#include "platform/common/IniDocument.h"

#include "platform/Text.h"

namespace zmw::platform {
namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// "[name] anything" gives the trimmed name; other lines give nothing.
std::optional<std::string_view> HeaderName(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

struct Entry {
  std::string_view key, value;
};

std::optional<Entry> KeyEntry(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || HeaderName(t)) return std::nullopt;
  std::size_t eq = t.find('=');
  if (eq == npos) return std::nullopt;
  return Entry{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

std::string StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t e = bytes.find_first_of("\r\n", i);
    if (e == npos) {
      doc.lines_.push_back({std::string(bytes.substr(i)), ""});
      break;
    }
    std::size_t endLen = (bytes[e] == '\r' && e + 1 < bytes.size() && bytes[e + 1] == '\n') ? 2 : 1;
    doc.lines_.push_back({std::string(bytes.substr(i, e - i)), std::string(bytes.substr(e, endLen))});
    i = e + endLen;
  }
  return doc;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  std::string_view wanted = Trim(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = HeaderName(lines_[i].text);
    if (name && EqualsNoCase(*name, wanted)) return i;
  }
  return npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !HeaderName(lines_[i].text)) ++i;
  return i;
}

std::size_t IniDocument::FindKey(std::size_t header, std::string_view key) const {
  std::string_view wanted = Trim(key);
  std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    auto entry = KeyEntry(lines_[i].text);
    if (entry && EqualsNoCase(entry->key, wanted)) return i;
  }
  return npos;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  std::size_t at = FindKey(header, key);
  if (at == npos) return std::nullopt;
  return StripQuotes(KeyEntry(lines_[at].text)->value);
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  std::size_t header = FindSection(section);
  if (header == npos) return entries;
  for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (auto entry = KeyEntry(lines_[i].text)) entries.emplace_back(std::string(entry->key), StripQuotes(entry->value));
  return entries;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  std::size_t header = FindSection(section);
  if (header == npos) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = "\r\n";
    lines_.push_back({"[" + std::string(section) + "]", "\r\n"});
    lines_.push_back({entry, "\r\n"});
    return;
  }
  std::size_t at = FindKey(header, key);
  if (at != npos) {
    // The key keeps the spelling it has in the file.
    lines_[at].text = std::string(KeyEntry(lines_[at].text)->key) + "=" + std::string(value);
    if (lines_[at].end.empty()) lines_[at].end = "\r\n";
    return;
  }
  std::size_t last = header;
  for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (!Trim(lines_[i].text).empty()) last = i;
  if (lines_[last].end.empty()) lines_[last].end = "\r\n";
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), Line{entry, "\r\n"});
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  std::size_t header = FindSection(section);
  if (header == npos) return false;
  std::size_t at = FindKey(header, key);
  if (at == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

bool IniDocument::DeleteSection(std::string_view section) {
  std::size_t header = FindSection(section);
  if (header == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
               lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
  return true;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& l : lines_) out += l.text + l.end;
  return out;
}

unsigned ParseProfileInt(std::string_view value) {
  std::string_view s = Trim(value);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  unsigned result = 0;  // wraps modulo 2^32, as Windows does
  if (s.size() >= 2 && s[0] == '0' && s[1] == 'x') {
    for (char c : s.substr(2)) {
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) break;
      result = result * 16u + unsigned(d);
    }
  } else {
    for (char c : s) {
      if (c < '0' || c > '9') break;
      result = result * 10u + unsigned(c - '0');
    }
  }
  return negative ? 0u - result : result;
}

}  // namespace zmw::platform
