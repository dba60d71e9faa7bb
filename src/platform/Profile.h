// The platform's profile (INI) functions. File names without a folder live in the profile
// folder (the Windows folder); every text is Windows-1252.
#pragma once
#include <cstddef>
#include <string>

namespace zmw::platform {

// GetPrivateProfileStringA with section and key given: the value, or the default (trailing
// blanks removed) when the key is absent, cut to bufSize - 1 characters.
std::string ProfileReadString(const char* file, const char* section, const char* key,
                              const char* def, std::size_t bufSize);
// GetPrivateProfileIntA.
unsigned ProfileReadInt(const char* file, const char* section, const char* key, int def);
// WritePrivateProfileStringA: a null value deletes the key, a null key the section.
bool ProfileWriteString(const char* file, const char* section, const char* key, const char* value);

// The folder in which bare profile names live ("C:\windows" on Windows).
std::string ProfileFolder();

}  // namespace zmw::platform
