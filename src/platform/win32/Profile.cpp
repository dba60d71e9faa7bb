#include <windows.h>

#include <vector>

#include "platform/Profile.h"

namespace zmw::platform {

std::string ProfileReadString(const char* file, const char* section, const char* key,
                              const char* def, std::size_t bufSize) {
  if (bufSize == 0) return "";
  std::vector<char> buffer(bufSize, '\0');
  DWORD n = ::GetPrivateProfileStringA(section, key, def ? def : "", buffer.data(),
                                       static_cast<DWORD>(bufSize), file);
  return std::string(buffer.data(), n);
}

unsigned ProfileReadInt(const char* file, const char* section, const char* key, int def) {
  return ::GetPrivateProfileIntA(section, key, def, file);
}

bool ProfileWriteString(const char* file, const char* section, const char* key, const char* value) {
  return ::WritePrivateProfileStringA(section, key, value, file) != 0;
}

std::string ProfileFolder() {
  char buffer[MAX_PATH] = {};
  UINT n = ::GetWindowsDirectoryA(buffer, MAX_PATH);
  return std::string(buffer, n < MAX_PATH ? n : 0);
}

}  // namespace zmw::platform
