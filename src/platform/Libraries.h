// Loading a shared library by name, as the loader would find it for the link, only to see
// that it loads and holds the functions asked for; it is unloaded again at once.
#pragma once
#include <string>
#include <vector>

namespace zmw::platform {

// A library loaded for use, released when the object goes (the library's unload runs then).
class SharedLibrary {
 public:
  // The library file at the path, or by name through the platform's search.
  explicit SharedLibrary(const std::string& file);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  // The loader's words when it did not load.
  const std::string& Error() const { return error_; }
  // The function of that name, or nullptr.
  void* Find(const char* name) const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

// The file a library of that name is on this platform: Oltrex.dll, liboltrex.so.
std::string SharedLibraryFile(const std::string& name);

struct LibraryProbe {
  std::string file;                   // what was looked for
  bool loaded = false;
  std::string where;                  // the file that loaded
  std::string error;                  // the loader's words when it did not
  std::vector<std::string> missing;   // functions it does not hold
};
// Windows: the DLL search of the running program. POSIX: the dynamic loader's search
// (LD_LIBRARY_PATH first), then the folder of the module that holds this code, where the
// library finds it through its RUNPATH.
LibraryProbe ProbeLibrary(const std::string& name, const std::vector<std::string>& functions);

}  // namespace zmw::platform
