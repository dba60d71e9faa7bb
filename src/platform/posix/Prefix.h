// The POSIX stand-in for Windows paths: a folder laid out as a Wine prefix.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace zmw::platform::posix {

// $ZELVOMW_PREFIX, or ~/.zelvomw.
std::filesystem::path PrefixRoot();
// dosdevices/<letter>: of the prefix; drive C is created on first use.
std::filesystem::path DriveRoot(char letter);
// The prefix's drives as they are now: each dosdevices/<letter>: entry, its letter upper case.
struct PrefixDrive {
  char letter;
  std::filesystem::path link;
};
std::vector<PrefixDrive> PrefixDrives();

// The Windows path text of a POSIX file through the prefix's drives, the most specific drive
// first; empty when no drive holds it. A drive that stands for the whole file system (Wine's
// z:) counts only when asked for: through it every file of the computer would seem the
// prefix's own.
std::string WindowsPathOf(const std::filesystem::path& file, bool withRootDrive);

// Folder texts as the folder browser gives them: "C:\" for a drive, "C:\MAICOWIN" below it.
// A typed text is tidied so (blanks around it, slashes, the drive letter's case, backslashes at
// the end); a POSIX path is named as the prefix's drives name it, "" when none holds it.
std::string FolderText(std::string path);
bool IsDriveRoot(const std::string& path);
std::string JoinFolder(const std::string& folder, const std::string& name);
// The folder above; "" above a drive (the computer, holding the drives) or a UNC share.
std::string ParentFolder(const std::string& path);

// Whether a program that Wine runs for this prefix is there (a Windows MaicoWin, say).
bool WineRunsInPrefix();
// The prefix of a Wine process, as its environment names it (~/.wine when it names none).
std::filesystem::path WinePrefixOf(int pid);

}  // namespace zmw::platform::posix

#include <optional>

namespace zmw::platform::posix {

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::filesystem::path& file);
// Writes beside the target and renames over it, so a reader never sees half a file.
bool WriteBytesReplacing(const std::filesystem::path& file, const std::string& bytes);

}  // namespace zmw::platform::posix
