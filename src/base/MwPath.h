// One path text with the joins, splits and file tests that the whole library uses. The rules
// are textual: the backslash is the only separator and the dot the only extension mark;
// nothing is normalised or made absolute.
#pragma once
#include <string>

namespace zmw {

class MwPath {
 public:
  MwPath() = default;
  MwPath(std::string path) : path_(std::move(path)) {}
  MwPath(const char* path) : path_(path ? path : "") {}

  int SetPath(const std::string& path);
  int GetPath(std::string& out) const;
  const std::string& Text() const { return path_; }

  int GetFileName(std::string& out) const;
  int GetFileTitle(std::string& out) const;
  int GetFolder(std::string& out) const;
  int IsUnc() const;
  int GetDrive(std::string& out) const;

  int EnsureTrailingBackslash();
  MwPath& Append(const std::string& name);

  int Exists() const;
  long long GetSize() const;
  int Delete() const;
  int CopyTo(const std::string& destination) const;
  int IsRemoteDrive() const;

 private:
  std::string path_;
};

}  // namespace zmw
