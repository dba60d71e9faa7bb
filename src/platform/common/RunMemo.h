// What a FileCheckScope remembers while it lives: path texts resolved, file stamps taken and
// profile files read, each once.
#pragma once
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Files.h"
#include "platform/common/IniDocument.h"

namespace zmw::platform::memo {

bool Active();
std::map<std::string, std::filesystem::path>& Paths();
std::map<std::string, FileStampValue>& Stamps();
// Profile files as parsed documents; nullptr for a file that cannot be read.
std::map<std::string, std::shared_ptr<const IniDocument>>& Profiles();
// A file was written: what is remembered of it is forgotten.
void Forget(const std::string& path);

}  // namespace zmw::platform::memo
