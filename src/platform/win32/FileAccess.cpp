#include <windows.h>

#include "platform/Files.h"
#include "platform/win32/Handles.h"

namespace zmw::platform {

bool SystemDriveExists() { return ::GetDriveTypeA("C:\\") > DRIVE_NO_ROOT_DIR; }

bool FolderExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A handle to the folder asking for the right to add a file: the system checks the folder's
// access list and the volume, and nothing is created.
bool FolderIsWritable(const std::string& path) {
  if (!FolderExists(path)) return false;
  win32::UniqueFileHandle folder(::CreateFileA(path.c_str(), FILE_ADD_FILE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return static_cast<bool>(folder);
}

// Opened for writing as it stands (no truncation, nothing written) and closed again.
bool FileIsWritable(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return false;
  win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

}  // namespace zmw::platform
