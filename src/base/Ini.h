// Reading and writing single INI keys the way the whole library does: the empty text as the
// default, a buffer of 1024 characters unless a caller says otherwise.
#pragma once
#include <cstddef>
#include <string>

namespace zmw {

inline constexpr std::size_t kIniBuffer = 1024;

std::string ReadIni(const std::string& file, const char* section, const char* key,
                    std::size_t bufSize = kIniBuffer, const char* def = "");
int ReadIniInt(const std::string& file, const char* section, const char* key, int def);
// An empty value deletes the key.
bool WriteIni(const std::string& file, const char* section, const char* key, const std::string& value);

// The host's keys of ZELVO.INI [SYSTEM] and the link's own file, read the usual way.
std::string ReadZelvoIni(const char* section, const char* key, std::size_t bufSize = kIniBuffer);
std::string ReadZelvoMwIni(const char* section, const char* key, std::size_t bufSize = kIniBuffer);

}  // namespace zmw
