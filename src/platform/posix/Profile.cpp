#include <memory>
#include <system_error>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/common/RunMemo.h"
#include "platform/common/IniDocument.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace {

bool Given(const char* s) { return s && *s; }

// A name with no folder in it lives in the profile folder, as on Windows.
fs::path ProfileFile(const std::string& name) {
  if (name.find_first_of("\\/:") == std::string::npos) return NativePath(ProfileFolder() + "\\" + name);
  return NativePath(name);
}

// A profile file, read and parsed once within a FileCheckScope; nullptr when it cannot be read.
std::shared_ptr<const IniDocument> Profile(const fs::path& file) {
  auto read = [&]() -> std::shared_ptr<const IniDocument> {
    auto bytes = posix::ReadBytes(file);
    return bytes ? std::make_shared<const IniDocument>(IniDocument::Parse(*bytes)) : nullptr;
  };
  if (!memo::Active()) return read();
  auto& known = memo::Profiles();
  auto found = known.find(file.string());
  if (found != known.end()) return found->second;
  return known[file.string()] = read();
}

std::string TrimmedDefault(const char* def) {
  std::string d = def ? def : "";
  while (!d.empty() && (d.back() == ' ' || d.back() == '\t')) d.pop_back();
  return d;
}

}  // namespace

std::string ProfileFolder() { return "C:\\windows"; }

std::string ProfileReadString(const char* file, const char* section, const char* key,
                              const char* def, std::size_t bufSize) {
  if (bufSize == 0) return "";
  std::string value = TrimmedDefault(def);
  if (Given(file) && Given(section) && Given(key)) {
    if (auto doc = Profile(ProfileFile(file)))
      if (auto found = doc->Find(section, key)) value = *found;
  }
  if (value.size() > bufSize - 1) value.resize(bufSize - 1);
  return value;
}

unsigned ProfileReadInt(const char* file, const char* section, const char* key, int def) {
  if (!Given(file) || !Given(section) || !Given(key)) return static_cast<unsigned>(def);
  auto doc = Profile(ProfileFile(file));
  if (!doc) return static_cast<unsigned>(def);
  auto found = doc->Find(section, key);
  // An empty value gives the default, as Wine does.
  if (!found || found->empty()) return static_cast<unsigned>(def);
  return ParseProfileInt(*found);
}

bool ProfileWriteString(const char* file, const char* section, const char* key, const char* value) {
  if (!Given(file) || !section) return false;
  std::string name = file;
  bool bare = name.find_first_of("\\/:") == std::string::npos;
  if (bare) {
    std::error_code ec;
    fs::create_directories(NativePath(ProfileFolder()), ec);
  }
  fs::path where = ProfileFile(name);
  auto bytes = posix::ReadBytes(where);
  IniDocument doc = IniDocument::Parse(bytes ? *bytes : std::string());
  if (!key) doc.DeleteSection(section);
  else if (!value) doc.DeleteKey(section, key);
  else doc.Set(section, key, value);
  memo::Forget(where.string());
  return posix::WriteBytesReplacing(where, doc.Serialize());
}

}  // namespace zmw::platform
