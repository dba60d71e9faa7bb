// Files as the Windows C runtime has them: text mode writes "\n" as CR LF, reads CR LF as "\n"
// and stops at Ctrl-Z; binary mode passes bytes through. Paths are Windows path texts.
#pragma once
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace zmw::platform {

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // fopen modes: r, w, a with an optional +, then t (default) or b.
  static File Open(const std::string& path, const char* mode);

  explicit operator bool() const { return f_ != nullptr; }
  // fgets: at most bufSize - 1 characters, up to and including a line feed.
  bool Gets(std::string& line, int bufSize);
  bool Puts(std::string_view text);
  std::size_t Read(void* buffer, std::size_t bytes);
  std::size_t Write(const void* buffer, std::size_t bytes);
  // _filelength: the length on disk, whatever the mode.
  long long Length();
  bool Flush();
  bool Close();

 private:
  int GetChar();
  std::FILE* f_ = nullptr;
  bool text_ = false;
  bool atEnd_ = false;  // a Ctrl-Z ended a text read
};

// FindFirstFileA on the exact name: a file or a folder of that name exists.
bool FindFirstExists(const std::string& path);
bool RemoveFile(const std::string& path);
bool CreateFolder(const std::string& path);
// Moves a finished file over its target, replacing it in one step.
bool ReplaceFileWith(const std::string& source, const std::string& target);

// Size and time of last change (nanoseconds since 1970), to tell whether a file changed since
// it was last read.
struct FileStampValue {
  long long size = -1;
  long long modified = 0;
  bool operator==(const FileStampValue&) const = default;
};
FileStampValue FileStamp(const std::string& path);

// While one lives, a path text is resolved, a file's stamp taken and a profile file read only
// once: for work that looks at the same few files for every line of a long input, and may
// take what it saw at the start as holding until its end. The library's own writes of a
// profile are seen all the same.
class FileCheckScope {
 public:
  FileCheckScope();
  ~FileCheckScope();
  FileCheckScope(const FileCheckScope&) = delete;
  FileCheckScope& operator=(const FileCheckScope&) = delete;
};

enum DriveKind { DriveUnknown = 0, DriveNoRoot = 1, DriveRemovable = 2, DriveFixed = 3,
                 DriveRemote = 4, DriveCdRom = 5, DriveRamDisk = 6 };
// GetDriveTypeA of a root text such as "C:" or "C:\".
int DriveType(const std::string& root);

// Whether drive C is there. On POSIX the prefix makes it on first use of any path on it, so a
// check that must leave the machine as it found it asks this first.
bool SystemDriveExists();
// Whether a folder of that name exists (FindFirstExists says yes for a file as well).
bool FolderExists(const std::string& path);
// Whether this process may create files in the folder, and whether it may write an existing
// file: both asked of the file system, with nothing created or opened for writing.
bool FolderIsWritable(const std::string& path);
bool FileIsWritable(const std::string& path);

// Where a Windows path text lives on this machine.
std::filesystem::path NativePath(const std::string& path);
// Whether the text is a path of the POSIX build's own file system, split at "/" rather than
// at backslashes: one that begins with "/". Never on Windows.
bool IsNativePosixPath(const std::string& path);

}  // namespace zmw::platform
