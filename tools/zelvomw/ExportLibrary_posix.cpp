#include <dlfcn.h>

#include <filesystem>
#include <vector>

#include "ExportLibrary.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace zmw::tools {

ExportLibrary::ExportLibrary() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  std::vector<fs::path> candidates;
  if (!ec) {
    candidates.push_back(self.parent_path() / "libzelvomw.so");
    candidates.push_back(self.parent_path() / ".." / "lib" / "libzelvomw.so");
  }
  for (const fs::path& p : candidates)
    if (fs::exists(p, ec))
      if ((handle_ = ::dlopen(p.c_str(), RTLD_NOW)) != nullptr) return;
  handle_ = ::dlopen("libzelvomw.so", RTLD_NOW);
  if (!handle_) {
    const char* why = ::dlerror();
    error_ = std::string("libzelvomw.so non trovata: ") + (why ? why : "");
  }
}

ExportLibrary::~ExportLibrary() {
  if (handle_) ::dlclose(handle_);
}

void* ExportLibrary::Find(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

std::string LibraryText(const std::string& argument) { return platform::Utf8ToCp1252(argument); }
std::string ConsoleText(const std::string& text) { return platform::Cp1252ToUtf8(text); }
void PrepareConsole() {}

}  // namespace zmw::tools
