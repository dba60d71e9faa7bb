// Reads one statement from the statement file: the whole text content of the first child of
// the document element "SQL" with that name. Nothing when the file, the element or the child
// is missing or the file is no XML. pugixml on POSIX, the MSXML DOM on Windows.
#pragma once
#include <optional>
#include <string>

namespace zmw {

std::optional<std::string> ReadStatementFromFile(const std::string& path, const std::string& name);

}  // namespace zmw
