#pragma once
#include <optional>
#include <string>

namespace zmw {

// The statement of that name in a statement file's bytes.
std::optional<std::string> ReadStatementFromBytes(std::string bytes, const std::string& name);

}  // namespace zmw
