#include "db/SqlRepository.h"

#include <cstdio>
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

std::string FormatStatement(const std::string& format, std::initializer_list<SqlArg> args) {
  return FormatStatement(format, std::vector<SqlArg>(args));
}

std::string FormatStatement(const std::string& format, const std::vector<SqlArg>& given) {
  std::size_t next = 0;
  std::string out;
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
    char buffer[kMaxFieldWidth + 64];
    if (conversion == 's' && !isLong) {
      const std::string* text = std::get_if<std::string>(&arg);
      if (!text) throw DbError(kEInvalidArg, "numero al posto di un testo");
      // Width and precision apply as printf applies them; the text itself is never a format.
      std::string piece;
      int n = std::snprintf(nullptr, 0, (spec + "s").c_str(), text->c_str());
      if (n < 0) throw DbError(kEInvalidArg, "testo non formattabile");
      piece.resize(std::size_t(n) + 1);
      std::snprintf(piece.data(), piece.size(), (spec + "s").c_str(), text->c_str());
      piece.resize(std::size_t(n));
      out += piece;
    } else if (std::string("diuxX").find(conversion) != std::string::npos) {
      const std::int32_t* number = std::get_if<std::int32_t>(&arg);
      if (!number) throw DbError(kEInvalidArg, "testo al posto di un numero");
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
