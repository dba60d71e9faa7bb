#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/Files.h"
#include "platform/common/RunMemo.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace posix {

std::optional<std::string> ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteBytesReplacing(const fs::path& file, const std::string& bytes) {
  fs::path temp = file;
  temp += ".zmw-" + std::to_string(::getpid()) + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ec;
      fs::remove(temp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

}  // namespace posix

namespace {

// Windows takes a name that ends with a separator for a folder only: a file is neither opened,
// removed nor found by it. Our path mapping drops empty components, so the test is made on the
// text.
bool NamesAFolderOnly(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

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

File File::Open(const std::string& path, const char* mode) {
  File file;
  std::string native;  // the mode without t and b: POSIX streams are always binary
  bool binary = false;
  for (const char* m = mode; *m; ++m) {
    if (*m == 'b') binary = true;
    else if (*m != 't') native += *m;
  }
  if (NamesAFolderOnly(path)) return file;
  fs::path where = NativePath(path);
  std::error_code ec;
  if (fs::is_directory(where, ec)) return file;  // Windows refuses to open a folder
  file.f_ = std::fopen(where.c_str(), native.c_str());
  file.text_ = !binary;
  return file;
}

int File::GetChar() {
  if (atEnd_) return EOF;
  int c = std::getc(f_);
  if (!text_) return c;
  if (c == 0x1A) {  // Ctrl-Z ends a text read
    atEnd_ = true;
    return EOF;
  }
  if (c == '\r') {
    int next = std::getc(f_);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, f_);
  }
  return c;
}

bool File::Gets(std::string& line, int bufSize) {
  line.clear();
  if (!f_ || bufSize <= 1) return false;
  while (static_cast<int>(line.size()) < bufSize - 1) {
    int c = GetChar();
    if (c == EOF) break;
    line += char(c);
    if (c == '\n') break;
  }
  return !line.empty();
}

bool File::Puts(std::string_view text) { return Write(text.data(), text.size()) == text.size(); }

std::size_t File::Read(void* buffer, std::size_t bytes) {
  if (!f_) return 0;
  if (!text_) return std::fread(buffer, 1, bytes, f_);
  auto* out = static_cast<char*>(buffer);
  std::size_t n = 0;
  for (int c; n < bytes && (c = GetChar()) != EOF;) out[n++] = char(c);
  return n;
}

std::size_t File::Write(const void* buffer, std::size_t bytes) {
  if (!f_) return 0;
  if (!text_) return std::fwrite(buffer, 1, bytes, f_);
  // Runs between line feeds go out whole; each line feed becomes CR LF.
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < bytes) {
    const void* feed = std::memchr(in + done, '\n', bytes - done);
    std::size_t run = feed ? std::size_t(static_cast<const char*>(feed) - (in + done)) : bytes - done;
    if (run > 0) {
      std::size_t wrote = std::fwrite(in + done, 1, run, f_);
      done += wrote;
      if (wrote != run) return done;
    }
    if (feed) {
      if (std::fwrite("\r\n", 1, 2, f_) != 2) return done;
      ++done;
    }
  }
  return bytes;
}

long long File::Length() {
  if (!f_) return -1;
  std::fflush(f_);
  struct stat st;
  if (fstat(fileno(f_), &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

bool File::Flush() { return f_ && std::fflush(f_) == 0; }

bool File::Close() {
  if (!f_) return false;
  bool ok = std::fclose(f_) == 0;
  f_ = nullptr;
  return ok;
}

FileStampValue FileStamp(const std::string& path) {
  if (memo::Active())
    if (auto known = memo::Stamps().find(path); known != memo::Stamps().end()) return known->second;
  struct stat st;
  FileStampValue stamp;
  struct Remember {
    const std::string& path;
    FileStampValue& stamp;
    ~Remember() {
      if (memo::Active()) memo::Stamps()[path] = stamp;
    }
  } remember{path, stamp};
  if (NamesAFolderOnly(path)) return stamp;
  if (::stat(NativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return stamp;
  stamp.size = static_cast<long long>(st.st_size);
  stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return stamp;
}

bool FindFirstExists(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos || NamesAFolderOnly(path)) return false;
  std::error_code ec;
  return fs::exists(NativePath(path), ec);
}

bool RemoveFile(const std::string& path) {
  if (NamesAFolderOnly(path)) return false;
  fs::path where = NativePath(path);
  std::error_code ec;
  if (fs::is_directory(where, ec)) return false;
  return ::unlink(where.c_str()) == 0;
}

bool CreateFolder(const std::string& path) {
  return ::mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  if (NamesAFolderOnly(source) || NamesAFolderOnly(target)) return false;
  return std::rename(NativePath(source).c_str(), NativePath(target).c_str()) == 0;
}

}  // namespace zmw::platform
