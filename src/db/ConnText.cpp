#include "db/ConnText.h"

#include <algorithm>

#include "platform/Text.h"

namespace zmw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::pair<std::size_t, std::size_t> TrimmedSpan(std::string_view text, std::size_t from, std::size_t to) {
  while (from < to && IsBlank(text[from])) ++from;
  while (to > from && IsBlank(text[to - 1])) --to;
  return {from, to};
}

}  // namespace

ConnAttributes ParseConnText(std::string_view text) {
  ConnAttributes attributes;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t eq = text.find('=', i), semi = text.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      if (semi == std::string_view::npos) break;
      i = semi + 1;  // no key=value here
      continue;
    }
    ConnAttribute a;
    a.begin = i;
    auto [keyFrom, keyTo] = TrimmedSpan(text, i, eq);
    a.key = std::string(text.substr(keyFrom, keyTo - keyFrom));
    std::size_t v = eq + 1;
    while (v < text.size() && IsBlank(text[v])) ++v;
    if (v < text.size() && text[v] == '{') {
      // Up to the first "}" that is not "}}"; without one, the rest of the text.
      std::size_t c = v + 1;
      for (; c < text.size(); ++c) {
        if (text[c] != '}') {
          a.value += text[c];
        } else if (c + 1 < text.size() && text[c + 1] == '}') {
          a.value += '}';
          ++c;
        } else {
          break;
        }
      }
      a.valueBegin = v;
      a.valueEnd = c < text.size() ? c + 1 : text.size();
      std::size_t next = text.find(';', a.valueEnd);
      a.end = next == std::string_view::npos ? text.size() : next;
    } else {
      std::size_t next = text.find(';', v);
      a.end = next == std::string_view::npos ? text.size() : next;
      auto [from, to] = TrimmedSpan(text, v, a.end);
      a.valueBegin = from;
      a.valueEnd = to;
      a.value = std::string(text.substr(from, to - from));
    }
    i = a.end + 1;
    if (!a.key.empty()) attributes.push_back(std::move(a));
  }
  return attributes;
}

std::optional<std::string> ConnValue(const ConnAttributes& attributes, std::string_view key) {
  for (const ConnAttribute& a : attributes)
    if (platform::EqualsNoCase(a.key, key)) return a.value;
  return std::nullopt;
}

std::string EncodeConnValue(std::string_view value) {
  bool braces = value.find(';') != std::string_view::npos ||
                (!value.empty() && (value.front() == '{' || IsBlank(value.front()) || IsBlank(value.back())));
  if (!braces) return std::string(value);
  std::string text = "{";
  for (char c : value) {
    text += c;
    if (c == '}') text += '}';
  }
  return text + "}";
}

void ConnTextEdit::Add(std::size_t from, std::size_t to, std::string text) {
  from = std::min(from, text_.size());
  to = std::min(std::max(to, from), text_.size());
  for (const Change& c : changes_)
    if (from < c.to && c.from < to) return;  // one change to an attribute; a second is dropped
  changes_.push_back({from, to, std::move(text)});
}

void ConnTextEdit::Remove(const ConnAttribute& attribute) {
  Add(attribute.begin, attribute.end < text_.size() ? attribute.end + 1 : attribute.end, "");
}

void ConnTextEdit::Replace(const ConnAttribute& attribute,
                           const std::vector<std::pair<std::string, std::string>>& attributes) {
  if (attributes.empty()) return Remove(attribute);
  std::string text;
  for (const auto& [key, value] : attributes) text += (text.empty() ? "" : ";") + key + "=" + EncodeConnValue(value);
  Add(attribute.begin, attribute.end, std::move(text));
}

void ConnTextEdit::ReplaceValue(const ConnAttribute& attribute, std::string_view value) {
  Add(attribute.valueBegin, attribute.valueEnd, EncodeConnValue(value));
}

std::string ConnTextEdit::Result() const {
  std::vector<Change> changes = changes_;
  std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.from < b.from; });
  std::string text;
  std::size_t at = 0;
  for (const Change& c : changes) {
    text.append(text_, at, c.from - at);
    text += c.text;
    at = c.to;
  }
  return text.append(text_, at, std::string::npos);
}

}  // namespace zmw
