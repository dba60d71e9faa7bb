#include <dlfcn.h>
#include <link.h>

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/Libraries.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

// A dlopen handle, closed when it goes.
class Loaded {
 public:
  explicit Loaded(void* handle) : handle_(handle) {}
  ~Loaded() {
    if (handle_) ::dlclose(handle_);
  }
  Loaded(const Loaded&) = delete;
  Loaded& operator=(const Loaded&) = delete;
  void* Get() const { return handle_; }

 private:
  void* handle_;
};

std::string LoaderError() {
  const char* text = ::dlerror();
  return text ? Utf8ToCp1252(text) : std::string();
}

}  // namespace

SharedLibrary::SharedLibrary(const std::string& file) {
  handle_ = ::dlopen(Cp1252ToUtf8(file).c_str(), RTLD_NOW);
  if (!handle_) error_ = LoaderError();
}

SharedLibrary::~SharedLibrary() {
  if (handle_) ::dlclose(handle_);
}

void* SharedLibrary::Find(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

std::string SharedLibraryFile(const std::string& name) {
  std::string lower;
  for (char c : name) lower += char(std::tolower(static_cast<unsigned char>(c)));
  return "lib" + lower + ".so";
}

LibraryProbe ProbeLibrary(const std::string& name, const std::vector<std::string>& functions) {
  LibraryProbe probe;
  probe.file = SharedLibraryFile(name);
  void* handle = ::dlopen(probe.file.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!handle) {
    probe.error = LoaderError();
    Dl_info self;
    if (::dladdr(reinterpret_cast<void*>(&ProbeLibrary), &self) != 0 && self.dli_fname) {
      fs::path beside = fs::path(self.dli_fname).parent_path() / probe.file;
      std::error_code ec;
      if (fs::exists(beside, ec)) {
        handle = ::dlopen(beside.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (!handle) probe.error = LoaderError();
      }
    }
  }
  Loaded library(handle);
  if (!library.Get()) return probe;
  probe.loaded = true;
  probe.error.clear();
  link_map* map = nullptr;
  if (::dlinfo(library.Get(), RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) probe.where = Utf8ToCp1252(map->l_name);
  for (const std::string& function : functions)
    if (!::dlsym(library.Get(), function.c_str())) probe.missing.push_back(function);
  return probe;
}

}  // namespace zmw::platform
