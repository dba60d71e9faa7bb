// The library whose exports the command calls, loaded as its host loads it: ZelvoMW.DLL beside
// zelvomw.exe, libzelvomw.so beside zelvomw; released again when the object goes, so the
// library's unload runs as under Zelvo.
#pragma once
#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace zmw::tools {

class ExportLibrary {
 public:
  ExportLibrary();
  bool Loaded() const { return library_ && library_->Loaded(); }
  const std::string& Error() const { return error_; }
  // The export of that name, or nullptr.
  void* Find(const char* name) const { return Loaded() ? library_->Find(name) : nullptr; }

 private:
  std::unique_ptr<platform::SharedLibrary> library_;
  std::string error_;
};

// A command-line argument as the library's narrow texts hold it: Windows-1252. The shell's
// UTF-8 on Linux, as Wine turns a command line into the ANSI code page; unchanged on Windows,
// whose command line is in that code page already.
std::string LibraryText(const std::string& argument);
// A library text for the console: UTF-8 on both builds, as the library's own boxes print it.
std::string ConsoleText(const std::string& text);
// Windows: the console shows UTF-8 (its own code page would garble accented letters).
void PrepareConsole();

}  // namespace zmw::tools
