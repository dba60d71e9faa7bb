// The POSIX stand-in for Windows paths: a folder laid out as a Wine prefix.
#pragma once
#include <filesystem>
#include <string>

namespace zmw::platform::posix {

// $ZELVOMW_PREFIX, or ~/.zelvomw.
std::filesystem::path PrefixRoot();
// dosdevices/<letter>: of the prefix; drive C is created on first use.
std::filesystem::path DriveRoot(char letter);

}  // namespace zmw::platform::posix

#include <optional>

namespace zmw::platform::posix {

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::filesystem::path& file);
// Writes beside the target and renames over it, so a reader never sees half a file.
bool WriteBytesReplacing(const std::filesystem::path& file, const std::string& bytes);

}  // namespace zmw::platform::posix
