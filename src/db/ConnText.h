// Connection texts: "key=value" pairs separated by ";", a value in braces may hold ";".
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmw {

using ConnPairs = std::vector<std::pair<std::string, std::string>>;

ConnPairs ParseConnText(const std::string& text);
std::string JoinConnText(const ConnPairs& pairs);
// The value of a key, found without regard to case.
std::optional<std::string> ConnValue(const ConnPairs& pairs, const std::string& key);

}  // namespace zmw
