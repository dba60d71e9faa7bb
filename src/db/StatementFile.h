// Reads one statement from the statement file: the whole text content of the first child of
// the document element "SQL" with that name. Nothing when the file, the element or the child
// is missing or the file is no XML. pugixml on POSIX, the MSXML DOM on Windows.
#pragma once
#include <optional>
#include <string>

namespace zmw {

std::optional<std::string> ReadStatementFromFile(const std::string& path, const std::string& name);

// Whether a file can serve as the statement file at all, and if not, why: it cannot be read,
// it is no well-formed XML (the parser's own words, with the line), or its document element
// is not "SQL" (detail: the element's name).
struct StatementFileState {
  enum Kind { Usable, Unreadable, Malformed, WrongRoot };
  Kind kind = Usable;
  std::string detail;
  int line = 0;
};
StatementFileState InspectStatementFile(const std::string& path);

}  // namespace zmw
