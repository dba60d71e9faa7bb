#include "base/MwPath.h"

#include <memory>
#include <new>

#include "platform/Files.h"

namespace zmw {

int MwPath::SetPath(const std::string& path) {
  path_ = path;
  return 1;
}

int MwPath::GetPath(std::string& out) const {
  out = path_;
  return 1;
}

int MwPath::GetFileName(std::string& out) const {
  std::size_t slash = path_.rfind('\\');
  if (slash == std::string::npos) {
    out.clear();
    return 0;
  }
  out = path_.substr(slash + 1);
  return 1;
}

int MwPath::GetFileTitle(std::string& out) const {
  std::size_t slash = path_.rfind('\\');
  std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  out = dot == std::string::npos ? name : name.substr(0, dot);
  return 1;
}

int MwPath::GetFolder(std::string& out) const {
  std::size_t slash = path_.rfind('\\');
  if (slash == std::string::npos) {
    out.clear();
    return 0;
  }
  out = path_.substr(0, slash);
  return 1;
}

int MwPath::IsUnc() const { return path_.size() >= 2 && path_[0] == '\\' && path_[1] == '\\'; }

int MwPath::GetDrive(std::string& out) const {
  if (!IsUnc()) out = path_.substr(0, 2);
  return 1;
}

int MwPath::EnsureTrailingBackslash() {
  if (!path_.empty() && path_.back() == '\\') return 0;
  path_ += '\\';
  return 1;
}

MwPath& MwPath::Append(const std::string& name) {
  EnsureTrailingBackslash();
  path_ += name;
  return *this;
}

int MwPath::Exists() const { return platform::File::Open(path_, "rt") ? 1 : 0; }

long long MwPath::GetSize() const {
  platform::File f = platform::File::Open(path_, "rb");
  if (!f) return 0;
  long long n = f.Length();
  return n < 0 ? 0 : n;
}

int MwPath::Delete() const { return platform::RemoveFile(path_) ? 1 : 0; }

int MwPath::CopyTo(const std::string& destination) const {
  platform::File source = platform::File::Open(path_, "rb");
  if (!source) return 0;
  platform::File target = platform::File::Open(destination, "wb");
  if (!target) return 0;

  // Large files go through in chunks; a smaller buffer will do when memory is short.
  std::size_t size = 60000;
  std::unique_ptr<char[]> buffer;
  while (size > 0 && !(buffer = std::unique_ptr<char[]>(new (std::nothrow) char[size]))) size /= 2;
  if (!buffer) return 0;

  long long remaining = source.Length();
  while (remaining >= 1) {
    std::size_t chunk = remaining < static_cast<long long>(size) ? static_cast<std::size_t>(remaining) : size;
    if (source.Read(buffer.get(), chunk) != chunk) break;
    if (target.Write(buffer.get(), chunk) != chunk) break;
    remaining -= static_cast<long long>(chunk);
  }
  bool closed = target.Close();
  return remaining == 0 && closed ? 1 : 0;
}

int MwPath::IsRemoteDrive() const {
  std::string drive;
  GetDrive(drive);
  return platform::DriveType(drive) == platform::DriveRemote ? 1 : 0;
}

}  // namespace zmw
