#include <unistd.h>

#include <system_error>

#include "platform/Files.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {

// Asked of the prefix itself: DriveRoot would make the drive it is asked about.
bool SystemDriveExists() {
  std::error_code ec;
  return fs::is_directory(posix::PrefixRoot() / "dosdevices" / "c:", ec);
}

bool FolderExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(NativePath(path), ec);
}

// access() answers for this process's user, as the open that follows would be answered; for
// root that is yes wherever the file system is not mounted read-only.
bool FolderIsWritable(const std::string& path) {
  if (!FolderExists(path)) return false;
  return ::access(NativePath(path).c_str(), W_OK | X_OK) == 0;
}

bool FileIsWritable(const std::string& path) {
  std::error_code ec;
  fs::path native = NativePath(path);
  return fs::is_regular_file(native, ec) && ::access(native.c_str(), W_OK) == 0;
}

}  // namespace zmw::platform
