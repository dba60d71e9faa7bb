// JSON written by hand where the library cannot take a JSON library along (both builds must
// give the same bytes): a Windows-1252 text as a JSON string, UTF-8 inside.
#pragma once
#include <string>

namespace zmw {

std::string JsonString(const std::string& cp1252);

}  // namespace zmw
