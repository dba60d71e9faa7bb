#include "platform/common/RunMemo.h"

namespace zmw::platform {
namespace memo {
namespace {

int depth = 0;

struct Store {
  std::map<std::string, std::filesystem::path> paths;
  std::map<std::string, FileStampValue> stamps;
  std::map<std::string, std::shared_ptr<const IniDocument>> profiles;
};

Store& TheStore() {
  static Store store;
  return store;
}

}  // namespace

bool Active() { return depth > 0; }
std::map<std::string, std::filesystem::path>& Paths() { return TheStore().paths; }
std::map<std::string, FileStampValue>& Stamps() { return TheStore().stamps; }
std::map<std::string, std::shared_ptr<const IniDocument>>& Profiles() { return TheStore().profiles; }

void Forget(const std::string& path) {
  if (!Active()) return;
  TheStore().stamps.erase(path);
  TheStore().profiles.clear();  // the same file may have been read under another name
}

}  // namespace memo

FileCheckScope::FileCheckScope() { ++memo::depth; }

FileCheckScope::~FileCheckScope() {
  if (--memo::depth > 0) return;
  memo::Paths().clear();
  memo::Stamps().clear();
  memo::Profiles().clear();
}

}  // namespace zmw::platform
