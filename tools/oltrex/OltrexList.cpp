#include "OltrexList.h"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "platform/Files.h"

namespace zmw::oltrex {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t semi = line.find(';', start);
    fields.push_back(line.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (semi == std::string::npos) return fields;
    start = semi + 1;
  }
}

[[noreturn]] void Malformed(long number, const std::string& why) {
  throw std::runtime_error("riga " + std::to_string(number) + ": " + why);
}

// A whole number field; an empty one is none (NULL). The number must take the whole field: a
// NUL byte in it ends strtol's reading, not the field.
Variant WholeField(const std::string& text, long number, const char* what) {
  if (text.empty()) return Variant::Null();
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || errno != 0 || v < -2147483647L || v > 2147483647L)
    Malformed(number, std::string(what) + " non numerico: " + text);
  return Variant::I4(std::int32_t(v));
}

// A decimal field with "." as its point, whatever the locale.
Variant DecimalField(const std::string& text, long number, const char* what) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t digits = 0, points = 0;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') ++digits;
    else if (text[i] == '.' && points == 0) ++points;
    else digits = 0, i = text.size();
  }
  if (digits == 0) Malformed(number, std::string(what) + " non numerico: " + text);
  return Variant::R8(std::strtod(text.c_str(), nullptr));
}

}  // namespace

std::vector<std::string> ReadList(const std::string& path) {
  if (path.empty()) throw std::runtime_error("nessun file indicato");
  platform::File file = platform::File::Open(path, "rt");
  if (!file) throw std::runtime_error("impossibile aprire " + path);
  std::vector<std::string> lines;
  std::string piece, pending;
  // A long line comes in pieces; the last one may have no line end. Empty lines hold nothing.
  while (file.Gets(piece, 4096)) {
    pending += piece;
    if (pending.back() != '\n') continue;
    pending.pop_back();
    if (!pending.empty()) lines.push_back(pending);
    pending.clear();
  }
  if (!pending.empty()) lines.push_back(pending);
  return lines;
}

FitRow ParseFitLine(const std::string& line, long number) {
  std::vector<std::string> f = Split(line);
  if (f.size() != 10) Malformed(number, std::to_string(f.size()) + " campi invece di 10");
  if (f[2].empty()) Malformed(number, "codice vuoto");
  return {Variant::Bstr(f[0]), Variant::Bstr(f[1]), Variant::Bstr(f[2]),
          Variant::Bstr(f[4]), Variant::Bstr(f[5]), WholeField(f[6], number, "tipo unita'"),
          WholeField(f[7], number, "moltiplicatore"), Variant::Bstr(f[8]),
          DecimalField(f[9], number, "prezzo")};
}

KitRow ParseKitLine(const std::string& line, long number) {
  std::vector<std::string> f = Split(line);
  if (f.size() != 6) Malformed(number, std::to_string(f.size()) + " campi invece di 6");
  if (f[2].empty() || f[4].empty()) Malformed(number, "codice vuoto");
  Variant quantity = DecimalField(f[5], number, "quantita'");
  return {{f[0], f[1], f[2], f[3]}, f[4], quantity};
}

}  // namespace zmw::oltrex
