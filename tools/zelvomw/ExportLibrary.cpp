#include "ExportLibrary.h"

#include "platform/Programs.h"

namespace zmw::tools {

// Beside the program first, then where the platform's own search finds it.
ExportLibrary::ExportLibrary() {
  std::string own = platform::OwnProgramPath();
  std::string folder = own.substr(0, own.find_last_of("\\/") + 1);
  for (const std::string& file : {folder + platform::SharedLibraryFile("ZelvoMW"), platform::SharedLibraryFile("ZelvoMW")}) {
    library_ = std::make_unique<platform::SharedLibrary>(file);
    if (library_->Loaded()) return;
    if (error_.empty()) error_ = file + " non trovata: " + library_->Error();
  }
}

}  // namespace zmw::tools
