#include <sys/vfs.h>

#include <cctype>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "platform/Files.h"
#include "platform/common/RunMemo.h"
#include "platform/Text.h"
#include "platform/common/IniDocument.h"
#include "platform/posix/Prefix.h"

namespace fs = std::filesystem;

namespace zmw::platform {
namespace posix {

fs::path PrefixRoot() {
  if (const char* p = std::getenv("ZELVOMW_PREFIX"); p && *p) return fs::path(p);
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".zelvomw";
}

fs::path DriveRoot(char letter) {
  char lower = char(std::tolower(static_cast<unsigned char>(letter)));
  fs::path root = PrefixRoot();
  fs::path link = root / "dosdevices" / (std::string(1, lower) + ":");
  if (lower == 'c') {
    std::error_code ec;
    if (!fs::exists(link, ec)) {
      fs::create_directories(root / "drive_c", ec);
      fs::create_directories(root / "dosdevices", ec);
      if (!fs::is_symlink(link, ec)) fs::create_directory_symlink("../drive_c", link, ec);
    }
  }
  return link;
}

std::vector<PrefixDrive> PrefixDrives() {
  std::vector<PrefixDrive> drives;
  std::error_code ec;
  for (fs::directory_iterator it(PrefixRoot() / "dosdevices", ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
      drives.push_back({char(std::toupper(static_cast<unsigned char>(name[0]))), it->path()});
  }
  return drives;
}

std::string WindowsPathOf(const fs::path& file, bool withRootDrive) {
  std::error_code ec;
  DriveRoot('c');
  fs::path target = fs::weakly_canonical(file, ec);
  if (ec) return "";
  std::string best;
  std::size_t bestLength = 0;
  for (const PrefixDrive& drive : PrefixDrives()) {
    std::error_code rootError;
    fs::path root = fs::canonical(drive.link, rootError);
    if (rootError || (root == root.root_path() && !withRootDrive)) continue;
    std::string rootText = root.string();
    std::string targetText = target.string();
    bool inside = targetText == rootText ||
                  (targetText.size() > rootText.size() && targetText.compare(0, rootText.size(), rootText) == 0 &&
                   (rootText.back() == '/' || targetText[rootText.size()] == '/'));
    if (!inside || rootText.size() < bestLength) continue;
    if (!best.empty() && rootText.size() == bestLength) continue;
    std::string rest = targetText.substr(rootText.size());
    for (char& c : rest)
      if (c == '/') c = '\\';
    if (rest.empty() || rest[0] != '\\') rest = "\\" + rest;
    best = std::string(1, drive.letter) + ":" + Utf8ToCp1252(rest);
    bestLength = rootText.size();
  }
  return best;
}

bool IsDriveRoot(const std::string& path) { return path.size() == 3 && path[1] == ':' && path[2] == '\\'; }

std::string FolderText(std::string path) {
  std::size_t b = path.find_first_not_of(' '), e = path.find_last_not_of(' ');
  path = b == std::string::npos ? std::string() : path.substr(b, e - b + 1);
  if (path.empty()) return path;
  if (IsNativePosixPath(path)) return WindowsPathOf(fs::path(Cp1252ToUtf8(path)), true);
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.size() >= 2 && path[1] == ':') path[0] = char(FoldUpper(static_cast<unsigned char>(path[0])));
  if (path.size() == 2 && path[1] == ':') path += '\\';
  while (path.size() > 1 && path.back() == '\\' && !IsDriveRoot(path) && path != "\\\\") path.pop_back();
  return path;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string ParentFolder(const std::string& path) {
  if (path.empty() || IsDriveRoot(path)) return "";
  std::size_t cut = path.find_last_of('\\');
  if (cut == std::string::npos) return "";
  std::string up = path.substr(0, cut);
  if (up.size() == 2 && up[1] == ':') return up + "\\";
  if (up.size() <= 2) return "";  // above a UNC share
  return up;
}

}  // namespace posix

namespace {

std::vector<std::string> SplitComponents(std::string_view text) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : text) {
    if (c == '\\' || c == '/') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

// The entry of folder whose name equals name without regard to case; the exact name first.
fs::path MatchComponent(const fs::path& folder, const std::string& name) {
  fs::path exact = folder / Cp1252ToUtf8(name);
  std::error_code ec;
  if (name == "." || name == ".." || fs::exists(fs::symlink_status(exact, ec))) return exact;
  fs::path where = folder.empty() ? fs::path(".") : folder;
  for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = Utf8ToCp1252(it->path().filename().string());
    if (EqualsNoCase(entry, name)) return folder / it->path().filename();
  }
  return exact;
}

}  // namespace

fs::path ResolveNativePath(const std::string& path);

fs::path NativePath(const std::string& path) {
  if (memo::Active())
    if (auto known = memo::Paths().find(path); known != memo::Paths().end()) return known->second;
  fs::path resolved = ResolveNativePath(path);
  if (memo::Active()) memo::Paths()[path] = resolved;
  return resolved;
}

fs::path ResolveNativePath(const std::string& path) {
  fs::path base;
  std::string_view rest = path;
  if (!path.empty() && path[0] == '/') {
    base = "/";
  } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    base = posix::PrefixRoot() / "dosdevices" / "unc";
    rest.remove_prefix(2);
  } else if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    base = posix::DriveRoot(path[0]);
    rest.remove_prefix(2);
  } else if (!path.empty() && path[0] == '\\') {
    base = posix::DriveRoot('c');
  }
  for (const std::string& part : SplitComponents(rest)) base = MatchComponent(base, part);
  return base;
}

int DriveType(const std::string& root) {
  if (root.size() < 2 || root[1] != ':' || !std::isalpha(static_cast<unsigned char>(root[0])))
    return DriveNoRoot;
  char letter = char(std::tolower(static_cast<unsigned char>(root[0])));
  // A drive can be declared in the prefix, as Wine keeps it in its registry.
  fs::path declared = posix::PrefixRoot() / "drives.ini";
  if (auto bytes = posix::ReadBytes(declared)) {
    if (auto kind = IniDocument::Parse(*bytes).Find("Drives", std::string(1, letter) + ":")) {
      static const std::pair<const char*, int> kinds[] = {
          {"network", DriveRemote}, {"hd", DriveFixed}, {"cdrom", DriveCdRom},
          {"floppy", DriveRemovable}, {"ramdisk", DriveRamDisk}};
      for (auto& [name, type] : kinds)
        if (EqualsNoCase(*kind, name)) return type;
    }
  }
  fs::path mount = posix::DriveRoot(letter);
  struct statfs info;
  if (statfs(mount.c_str(), &info) != 0) return DriveNoRoot;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x5346414F:  // AFS
    case 0x73757245:  // Coda
    case 0x01021997:  // 9P
      return DriveRemote;
    default:
      return DriveFixed;
  }
}

}  // namespace zmw::platform

namespace zmw::platform {

// Here a text that begins with "/" names a file of this computer, not of the prefix.
bool IsNativePosixPath(const std::string& path) { return !path.empty() && path[0] == '/'; }

}  // namespace zmw::platform
