#include "base/Ini.h"

#include "base/FileNames.h"
#include "platform/Profile.h"

namespace zmw {

std::string ReadIni(const std::string& file, const char* section, const char* key,
                    std::size_t bufSize, const char* def) {
  return platform::ProfileReadString(file.c_str(), section, key, def, bufSize);
}

int ReadIniInt(const std::string& file, const char* section, const char* key, int def) {
  return static_cast<int>(platform::ProfileReadInt(file.c_str(), section, key, def));
}

bool WriteIni(const std::string& file, const char* section, const char* key, const std::string& value) {
  return platform::ProfileWriteString(file.c_str(), section, key,
                                      value.empty() ? nullptr : value.c_str());
}

std::string ReadZelvoIni(const char* section, const char* key, std::size_t bufSize) {
  return ReadIni(kZelvoIni, section, key, bufSize);
}

std::string ReadZelvoMwIni(const char* section, const char* key, std::size_t bufSize) {
  return ReadIni(kZelvoMwIni, section, key, bufSize);
}

}  // namespace zmw
