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
struct PlainField {
  bool left = false;
  int width = 0;
  int precision = -1;
};

bool ReadPlainField(const std::string& field, PlainField& out) {
  std::size_t i = 1;  // past '%'
  while (i < field.size() && field[i] == '-') {
    out.left = true;
    ++i;
  }
  if (i < field.size() && !(field[i] >= '0' && field[i] <= '9') && field[i] != '.') return false;  // other flags
  if (i < field.size() && field[i] == '0') return false;  // zero padding
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) out.width = out.width * 10 + (field[i] - '0');
  if (i < field.size() && field[i] == '.') {
    out.precision = 0;
    for (++i; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) out.precision = out.precision * 10 + (field[i] - '0');
  }
  return i == field.size();
}

// The field and its blanks in one step: a record line is mostly fields of a fixed width.
void Pad(std::string& out, std::string_view field, int width, bool left) {
  std::size_t fill = width > 0 && std::size_t(width) > field.size() ? std::size_t(width) - field.size() : 0;
  std::size_t at = out.size();
  out.append(fill + field.size(), ' ');
  if (!field.empty()) std::memcpy(&out[left ? at : at + fill], field.data(), field.size());
}

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }

}  // namespace

std::string FormatStatement(const std::string& format, std::initializer_list<SqlArg> args) {
  return FormatStatement(format, std::vector<SqlArg>(args));
}

std::string FormatStatement(const std::string& format, const std::vector<SqlArg>& given) {
  std::string out;
  out.reserve(format.size() + 64);
  StatementFormat(format).AppendTo(out, given);
  return out;
}

// A fault of the format itself ends it: the conversions before it still take their arguments
// first, so a missing one is said before the fault, as a single left-to-right pass says it.
StatementFormat::StatementFormat(const std::string& format) {
  std::string literal;
  auto endLiteral = [&] {
    if (literal.empty()) return;
    pieces_.push_back({Piece::Kind::Literal, literal});
    literal.clear();
  };
  auto failure = [&](const char* description) {
    endLiteral();
    pieces_.push_back({Piece::Kind::Failure, description});
  };
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      literal += format[i];
      continue;
    }
    std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      literal += '%';
      continue;
    }
    while (i < format.size() && IsFlag(format[i])) ++i;
    // Width and precision stay within what a statement or a record line can hold.
    auto number = [&] {
      std::size_t digits = 0;
      long value = 0;
      for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i, ++digits)
        if (digits < 6) value = value * 10 + (format[i] - '0');
      return digits <= 4 && value <= kMaxFieldWidth;
    };
    if (!number()) {
      failure("ampiezza eccessiva");
      return;
    }
    if (i < format.size() && format[i] == '.') {
      ++i;
      if (!number()) {
        failure("ampiezza eccessiva");
        return;
      }
    }
    std::string printfForm = format.substr(start, i - start);  // flags, width and precision
    bool isLong = false;
    if (i < format.size() && format[i] == 'l') {
      isLong = true;
      ++i;
    }
    if (i >= format.size()) {
      failure("formato incompleto");
      return;
    }
    endLiteral();
    Piece piece;
    piece.conversion = format[i];
    PlainField plain;
    piece.plain = ReadPlainField(printfForm, plain);
    piece.left = plain.left;
    piece.width = plain.width;
    piece.precision = plain.precision;
    if (piece.conversion == 's' && !isLong) {
      piece.kind = Piece::Kind::Text;
      piece.text = printfForm + "s";
    } else if (std::string_view("diuxX").find(piece.conversion) != std::string_view::npos) {
      piece.kind = Piece::Kind::Number;
      piece.plain = piece.plain && (piece.conversion == 'd' || piece.conversion == 'i');
      piece.text = printfForm + piece.conversion;
    } else {
      piece.kind = Piece::Kind::Unknown;
    }
    pieces_.push_back(std::move(piece));
  }
  endLiteral();
}

void StatementFormat::AppendTo(std::string& out, const std::vector<SqlArg>& given) const {
  std::size_t next = 0;
  for (const Piece& piece : pieces_) {
    if (piece.kind == Piece::Kind::Literal) {
      out += piece.text;
      continue;
    }
    if (piece.kind == Piece::Kind::Failure) throw DbError(kEInvalidArg, piece.text);
    if (next >= given.size()) throw DbError(kEInvalidArg, "argomento mancante");
    const SqlArg& arg = given[next++];
    if (piece.kind == Piece::Kind::Text) {
      const std::string* text = std::get_if<std::string>(&arg);
      if (!text) throw DbError(kEInvalidArg, "numero al posto di un testo");
      if (piece.plain) {
        // As printf: the text up to its first NUL, cut at the precision, padded to the width.
        std::size_t length = text->size();
        if (piece.precision >= 0 && std::size_t(piece.precision) < length) length = std::size_t(piece.precision);
        if (const void* nul = std::memchr(text->data(), '\0', length)) length = std::size_t(static_cast<const char*>(nul) - text->data());
        Pad(out, std::string_view(text->data(), length), piece.width, piece.left);
        continue;
      }
      // Width and precision apply as printf applies them; the text itself is never a format.
      int n = std::snprintf(nullptr, 0, piece.text.c_str(), text->c_str());
      if (n < 0) throw DbError(kEInvalidArg, "testo non formattabile");
      std::size_t at = out.size();
      out.resize(at + std::size_t(n) + 1);
      std::snprintf(out.data() + at, std::size_t(n) + 1, piece.text.c_str(), text->c_str());
      out.resize(at + std::size_t(n));
    } else if (piece.kind == Piece::Kind::Number) {
      const std::int32_t* number = std::get_if<std::int32_t>(&arg);
      if (!number) throw DbError(kEInvalidArg, "testo al posto di un numero");
      if (piece.plain) {
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
        int want = piece.precision < 0 ? 1 : piece.precision;
        char field[kMaxFieldWidth + 64];
        int at = 0;
        if (value < 0) field[at++] = '-';
        for (int z = n; z < want; ++z) field[at++] = '0';
        while (n) field[at++] = digits[--n];
        Pad(out, std::string_view(field, std::size_t(at)), piece.width, piece.left);
        continue;
      }
      char buffer[kMaxFieldWidth + 64];
      if (piece.conversion == 'd' || piece.conversion == 'i') std::snprintf(buffer, sizeof buffer, piece.text.c_str(), int(*number));
      else std::snprintf(buffer, sizeof buffer, piece.text.c_str(), static_cast<unsigned>(*number));
      out += buffer;
    } else {
      throw DbError(kEInvalidArg, "conversione non ammessa");
    }
  }
}

}  // namespace zmw
