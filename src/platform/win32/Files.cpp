#include <io.h>
#include <utility>
#include <windows.h>

#include <vector>

#include "platform/Files.h"
#include "platform/common/RunMemo.h"
#include "platform/win32/Handles.h"

namespace zmw::platform {

File::~File() { Close(); }

File::File(File&& other) noexcept
    : f_(std::exchange(other.f_, nullptr)), text_(other.text_), atEnd_(other.atEnd_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    f_ = std::exchange(other.f_, nullptr);
    text_ = other.text_;
    atEnd_ = other.atEnd_;
  }
  return *this;
}

// The C runtime does the text translation itself on Windows.
File File::Open(const std::string& path, const char* mode) {
  File file;
  std::string m = mode;
  if (m.find('b') == std::string::npos && m.find('t') == std::string::npos) m += 't';
  file.f_ = std::fopen(path.c_str(), m.c_str());
  file.text_ = m.find('t') != std::string::npos;
  return file;
}

int File::GetChar() { return f_ ? std::fgetc(f_) : EOF; }

bool File::Gets(std::string& line, int bufSize) {
  line.clear();
  if (!f_ || bufSize <= 1) return false;
  std::vector<char> buffer(static_cast<std::size_t>(bufSize));
  if (!std::fgets(buffer.data(), bufSize, f_)) return false;
  line = buffer.data();
  return true;
}

bool File::Puts(std::string_view text) { return Write(text.data(), text.size()) == text.size(); }

std::size_t File::Read(void* buffer, std::size_t bytes) { return f_ ? std::fread(buffer, 1, bytes, f_) : 0; }

std::size_t File::Write(const void* buffer, std::size_t bytes) {
  return f_ ? std::fwrite(buffer, 1, bytes, f_) : 0;
}

long long File::Length() {
  if (!f_) return -1;
  std::fflush(f_);
  return _filelengthi64(_fileno(f_));
}

bool File::Flush() { return f_ && std::fflush(f_) == 0; }

bool File::Close() {
  if (!f_) return false;
  bool ok = std::fclose(f_) == 0;
  f_ = nullptr;
  return ok;
}

namespace {

FileStampValue TakeStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  FileStampValue stamp;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return stamp;
  stamp.size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  long long ticks = (static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  stamp.modified = (ticks - 116444736000000000LL) * 100;  // from 100 ns since 1601
  return stamp;
}

}  // namespace

FileStampValue FileStamp(const std::string& path) {
  if (!memo::Active()) return TakeStamp(path);
  auto known = memo::Stamps().find(path);
  if (known != memo::Stamps().end()) return known->second;
  return memo::Stamps()[path] = TakeStamp(path);
}

bool FindFirstExists(const std::string& path) {
  WIN32_FIND_DATAA data;
  win32::UniqueFind find(::FindFirstFileA(path.c_str(), &data));
  return static_cast<bool>(find);
}

bool RemoveFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool CreateFolder(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return ::MoveFileExA(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int DriveType(const std::string& root) { return static_cast<int>(::GetDriveTypeA(root.c_str())); }

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(path); }

}  // namespace zmw::platform

namespace zmw::platform {

// On Windows a text that begins with "/" is a path on the current drive like any other.
bool IsNativePosixPath(const std::string&) { return false; }

}  // namespace zmw::platform
