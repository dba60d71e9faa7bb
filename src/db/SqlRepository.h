// The named statements of ZELVOMW.XML, and how their arguments are put in.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace zmw {

inline constexpr const char* kStatementFile = "ZELVOMW.XML";

class SqlRepository {
 public:
  // Reads ZELVO.INI [SYSTEM] SQL_PATH.
  SqlRepository();
  // 1 with the statement held; raises DbError E_POINTER when it cannot be had.
  int GetStatement(const std::string& name, const std::string& fileName = kStatementFile,
                   const std::string& folder = "");
  bool GetText(std::string& out) const;
  const std::string& Text() const { return statement_; }

 private:
  std::string statement_;
  std::string folder_;
};

// An argument of a statement: a text or a 32-bit number.
using SqlArg = std::variant<std::string, std::int32_t>;

// Every single quote doubled, for a text argument that the statement puts between quotes.
std::string Quoted(const std::string& text);

// The statement text as a printf format over typed arguments: %s takes a text, %d %i %ld %u
// %x %X take a number, %% is a percent sign; flags, width and precision as printf has them.
// A conversion without its argument, or of the wrong kind, raises DbError E_INVALIDARG.
std::string FormatStatement(const std::string& format, std::initializer_list<SqlArg> args);
std::string FormatStatement(const std::string& format, const std::vector<SqlArg>& args);

// A format read once, for a writer that puts many records through the same one: each use
// gives what FormatStatement gives for that format and those arguments, and raises what it
// raises, at the same conversion.
class StatementFormat {
 public:
  explicit StatementFormat(const std::string& format);
  // The text appended to `out`; after a DbError, `out` holds what came before the failure.
  void AppendTo(std::string& out, const std::vector<SqlArg>& args) const;

 private:
  struct Piece {
    enum class Kind { Literal, Text, Number, Unknown, Failure } kind;
    std::string text;  // the bytes of a literal, the failure's description, or the printf form
    bool plain = false;  // at most "-", a width and a precision: written without printf
    bool left = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
  };
  std::vector<Piece> pieces_;
};

}  // namespace zmw
