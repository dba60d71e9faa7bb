#include "db/SqlRepository.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <map>
#include <optional>
#include <vector>

#include "base/Ini.h"
#include "base/MwPath.h"
#include "db/DbError.h"
#include "db/StatementFile.h"
#include "platform/Files.h"

namespace zmw {

SqlRepository::SqlRepository() : folder_(ReadZelvoIni("SYSTEM", "SQL_PATH")) {}

namespace {

// Statements already read, per file; a file whose size or time of change differs is read
// again, so every change of the file is seen.
struct CachedFile {
  platform::FileStampValue stamp;
  std::map<std::string, std::optional<std::string>> statements;
};

std::optional<std::string> CachedStatement(const std::string& path, const std::string& name) {
  static std::map<std::string, CachedFile> files;
  platform::FileStampValue stamp = platform::FileStamp(path);
  if (stamp.size < 0) {
    files.erase(path);
    return std::nullopt;
  }
  CachedFile& file = files[path];
  if (!(file.stamp == stamp)) {
    file.stamp = stamp;
    file.statements.clear();
  }
  auto found = file.statements.find(name);
  if (found != file.statements.end()) return found->second;
  std::optional<std::string> text = ReadStatementFromFile(path, name);
  file.statements[name] = text;
  return text;
}

}  // namespace

int SqlRepository::GetStatement(const std::string& name, const std::string& fileName, const std::string& folder) {
  std::string path = MwPath(folder.empty() ? folder_ : folder).Append(fileName).Text();
  std::optional<std::string> text = CachedStatement(path, name);
  if (!text) throw DbError(kEPointer);
  statement_ = *text;
  return 1;
}

bool SqlRepository::GetText(std::string& out) const {
  out = statement_;
  return true;
}

std::string Quoted(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

namespace {
constexpr long kMaxFieldWidth = 1024;
}

namespace {

// A conversion with at most the "-" flag, a width and a precision: the shape of every field of
// the order file and of most statements, done here without the C library's formatter.
struct Spec {
  bool left = false;
  int width = 0;
  int precision = -1;
};

bool ReadPlainSpec(const std::string& spec, Spec& out) {
  std::size_t i = 1;  // past '%'
  while (i < spec.size() && spec[i] == '-') {
    out.left = true;
    ++i;
  }
  if (i < spec.size() && !(spec[i] >= '0' && spec[i] <= '9') && spec[i] != '.') return false;  // other flags
  if (i < spec.size() && spec[i] == '0') return false;  // zero padding
  for (; i < spec.size() && spec[i] >= '0' && spec[i] <= '9'; ++i) out.width = out.width * 10 + (spec[i] - '0');
  if (i < spec.size() && spec[i] == '.') {
    out.precision = 0;
    for (++i; i < spec.size() && spec[i] >= '0' && spec[i] <= '9'; ++i) out.precision = out.precision * 10 + (spec[i] - '0');
  }
  return i == spec.size();
}

void Pad(std::string& out, std::string_view field, const Spec& spec) {
  std::size_t fill = spec.width > 0 && std::size_t(spec.width) > field.size() ? std::size_t(spec.width) - field.size() : 0;
  if (!spec.left) out.append(fill, ' ');
  out.append(field);
  if (spec.left) out.append(fill, ' ');
}

}  // namespace

std::string FormatStatement(const std::string& format, std::initializer_list<SqlArg> args) {
  return FormatStatement(format, std::vector<SqlArg>(args));
}

std::string FormatStatement(const std::string& format, const std::vector<SqlArg>& given) {
  std::size_t next = 0;
  std::string out;
  out.reserve(format.size() + 64);
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      continue;
    }
    while (i < format.size() && std::string("-+ #0").find(format[i]) != std::string::npos) ++i;
    // Width and precision stay within what a statement or a record line can hold.
    auto number = [&] {
      std::size_t digits = 0;
      long value = 0;
      for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i, ++digits)
        if (digits < 6) value = value * 10 + (format[i] - '0');
      if (digits > 4 || value > kMaxFieldWidth) throw DbError(kEInvalidArg, "ampiezza eccessiva");
    };
    number();
    if (i < format.size() && format[i] == '.') {
      ++i;
      number();
    }
    std::string spec = format.substr(start, i - start);  // flags, width and precision
    bool isLong = false;
    if (i < format.size() && format[i] == 'l') {
      isLong = true;
      ++i;
    }
    if (i >= format.size()) throw DbError(kEInvalidArg, "formato incompleto");
    char conversion = format[i];
    if (next >= given.size()) throw DbError(kEInvalidArg, "argomento mancante");
    const SqlArg& arg = given[next++];
    Spec plain;
    bool fast = ReadPlainSpec(spec, plain);
    char buffer[kMaxFieldWidth + 64];
    if (conversion == 's' && !isLong) {
      const std::string* text = std::get_if<std::string>(&arg);
      if (!text) throw DbError(kEInvalidArg, "numero al posto di un testo");
      if (fast) {
        // As printf: the text up to its first NUL, cut at the precision, padded to the width.
        std::size_t length = std::strlen(text->c_str());
        if (plain.precision >= 0 && std::size_t(plain.precision) < length) length = std::size_t(plain.precision);
        Pad(out, std::string_view(text->data(), length), plain);
        continue;
      }
      // Width and precision apply as printf applies them; the text itself is never a format.
      std::string piece;
      int n = std::snprintf(nullptr, 0, (spec + "s").c_str(), text->c_str());
      if (n < 0) throw DbError(kEInvalidArg, "testo non formattabile");
      piece.resize(std::size_t(n) + 1);
      std::snprintf(piece.data(), piece.size(), (spec + "s").c_str(), text->c_str());
      piece.resize(std::size_t(n));
      out += piece;
    } else if (std::string_view("diuxX").find(conversion) != std::string_view::npos) {
      const std::int32_t* number = std::get_if<std::int32_t>(&arg);
      if (!number) throw DbError(kEInvalidArg, "testo al posto di un numero");
      if (fast && (conversion == 'd' || conversion == 'i')) {
        // As printf: at least `precision` digits (none for 0 with precision 0), the sign before
        // them, padded to the width.
        long long value = *number;
        unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
        char digits[32];
        int n = 0;
        while (magnitude) {
          digits[n++] = char('0' + magnitude % 10);
          magnitude /= 10;
        }
        int want = plain.precision < 0 ? 1 : plain.precision;
        char field[kMaxFieldWidth + 64];
        int at = 0;
        if (value < 0) field[at++] = '-';
        for (int z = n; z < want; ++z) field[at++] = '0';
        while (n) field[at++] = digits[--n];
        Pad(out, std::string_view(field, std::size_t(at)), plain);
        continue;
      }
      std::string full = spec + conversion;
      if (conversion == 'd' || conversion == 'i') std::snprintf(buffer, sizeof buffer, full.c_str(), int(*number));
      else std::snprintf(buffer, sizeof buffer, full.c_str(), static_cast<unsigned>(*number));
      out += buffer;
    } else {
      throw DbError(kEInvalidArg, "conversione non ammessa");
    }
  }
  return out;
}

}  // namespace zmw
