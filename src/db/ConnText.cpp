#include "db/ConnText.h"

#include "platform/Text.h"

namespace zmw {
namespace {

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

ConnPairs ParseConnText(const std::string& text) {
  ConnPairs pairs;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t eq = text.find('=', i), semi = text.find(';', i);
    if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
      std::string lone = Trim(text.substr(i, semi == std::string::npos ? std::string::npos : semi - i));
      if (!lone.empty()) pairs.emplace_back(lone, "");
      if (semi == std::string::npos) break;
      i = semi + 1;
      continue;
    }
    std::string key = Trim(text.substr(i, eq - i));
    std::size_t v = eq + 1;
    while (v < text.size() && (text[v] == ' ' || text[v] == '\t')) ++v;
    std::string value;
    if (v < text.size() && text[v] == '{') {
      std::size_t close = text.find('}', v + 1);
      value = text.substr(v + 1, close == std::string::npos ? std::string::npos : close - v - 1);
      std::size_t next = close == std::string::npos ? text.size() : text.find(';', close);
      i = next == std::string::npos ? text.size() : next + 1;
    } else {
      std::size_t end = text.find(';', v);
      value = Trim(text.substr(v, end == std::string::npos ? std::string::npos : end - v));
      i = end == std::string::npos ? text.size() : end + 1;
    }
    if (!key.empty()) pairs.emplace_back(key, value);
  }
  return pairs;
}

std::string JoinConnText(const ConnPairs& pairs) {
  std::string text;
  for (const auto& [key, value] : pairs) {
    bool brace = value.find_first_of(";{}") != std::string::npos || value != Trim(value);
    text += key + "=" + (brace ? "{" + value + "}" : value) + ";";
  }
  return text;
}

std::optional<std::string> ConnValue(const ConnPairs& pairs, const std::string& key) {
  for (const auto& [k, v] : pairs)
    if (platform::EqualsNoCase(k, key)) return v;
  return std::nullopt;
}

}  // namespace zmw
