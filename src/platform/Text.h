// Narrow texts are Windows-1252 bytes everywhere in the library. These helpers convert them at
// the edges (terminal, log, database) and fold case the way the Windows services do.
#pragma once
#include <string>
#include <string_view>

namespace zmw::platform {

std::string Cp1252ToUtf8(std::string_view text);
// Characters that Windows-1252 cannot hold become '?', as WideCharToMultiByte does.
std::string Utf8ToCp1252(std::string_view text);
// Appends one Unicode code point in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
std::u16string Cp1252ToUtf16(std::string_view text);
std::string Utf16ToCp1252(std::u16string_view text);

// Upper case of one Windows-1252 byte, letters with accents included (lstrcmpi's view).
unsigned char FoldUpper(unsigned char c);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Orders texts as EqualsNoCase compares them.
bool LessNoCase(std::string_view a, std::string_view b);
// The C runtime's toupper in the "C" locale: ASCII letters only.
std::string AsciiUpper(std::string_view text);

// While one lives, the C library's character functions of this thread (and the libraries that
// use them: the ODBC driver manager, curses) work in UTF-8; the process's own locale is never
// touched. Nothing changes on Windows, whose narrow texts are the ANSI code page throughout.
class Utf8CharacterScope {
 public:
  Utf8CharacterScope();
  ~Utf8CharacterScope();
  Utf8CharacterScope(const Utf8CharacterScope&) = delete;
  Utf8CharacterScope& operator=(const Utf8CharacterScope&) = delete;

 private:
  void* previous_;
};

}  // namespace zmw::platform
