#include "db/Connection.h"

#include <cstdio>

#include "base/FileNames.h"
#include "base/Ini.h"
#include "db/DbError.h"
#include "platform/Com.h"
#include "platform/Ui.h"

namespace zmw {

void ShowComError(const std::string& operation, std::int32_t code, const std::string& description,
                  const char* caption) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(code));
  platform::CurrentUi().ShowMessage(platform::Owner::None,
                                    "Function: " + operation + "\nError: 0x" + hex + "\n" + description,
                                    caption, platform::kMbOk | platform::kMbIconExclamation);
}

int ConnectionHolder::Open(const std::string& connectionText) {
  platform::ComInitialize();
  if (open_) return 0;
  try {
    std::string text = connectionText.empty() ? ConfiguredText() : connectionText;
    connection_.reset();
    connection_ = CreateDataSource(text);
    if (!connection_) throw DbError(kEPointer);
    connection_->Open(text);
    current_.reset();
    open_ = true;
    return 1;
  } catch (const DbError& e) {
    ShowComError(openName_, e.Code(), e.Description());
    return -1;
  }
}

void ConnectionHolder::CloseCurrentRecordSet() {
  if (current_) {
    std::unique_ptr<RecordSource> set = std::move(current_);
    set->Close();
  }
}

void ConnectionHolder::CloseConnection() {
  connection_->Close();
  connection_.reset();
  open_ = false;
  platform::ComUninitialize();
}

int ConnectionHolder::Close() {
  try {
    CloseCurrentRecordSet();
    if (!connection_) return -1;
    CloseConnection();
    return 1;
  } catch (const DbError& e) {
    ShowComError(closeName_, e.Code(), e.Description());
    return -1;
  }
}

void ConnectionHolder::Release() {
  try {
    CloseCurrentRecordSet();
    if (connection_) CloseConnection();
  } catch (const DbError& e) {
    ShowComError(closeName_, e.Code(), e.Description());
  }
  current_.reset();
  connection_.reset();
}

// An export that left the connection open has it closed when the library goes.
ZelvoDbConnection::~ZelvoDbConnection() {
  if (HoldsConnection()) Release();
}

ExcelConnection::~ExcelConnection() {
  if (HoldsConnection()) Release();
}

std::string ZelvoDbConnection::ConfiguredText() {
  std::string text;
  switch (ReadIniInt(kZelvoIni, "SYSTEM", "CONN_STR_ZELVO", 0)) {
    case 0: ReadZelvoConnString(text); break;
    case 1: ReadZelvoMySqlConnString(text); break;
    default: break;
  }
  return text;
}

std::string ExcelConnection::ConfiguredText() {
  std::string text;
  ReadExcelConnString(text);
  return text;
}

ZelvoDbConnection& TheZelvoDb() {
  static ZelvoDbConnection connection;
  return connection;
}

std::string ExpandIniPlaceholders(const std::string& text, const std::string& iniFile, const char* section) {
  std::string result = text;
  std::size_t from = 0;
  // The scan goes on at a substituted value, so brackets inside it are expanded in turn. It
  // ends because an unresolved placeholder is stepped over, a value that names its own key is
  // put in as it stands, and keys that name each other in a ring give up after a depth that
  // no real configuration reaches.
  std::size_t depthAt = std::string::npos;
  int depth = 0;
  while (from < result.size()) {
    std::size_t open = result.find('[', from);
    if (open == std::string::npos) break;
    std::size_t close = result.find(']', open + 1);
    if (close == std::string::npos) break;
    std::string key = result.substr(open + 1, close - open - 1);
    std::string value = ReadIni(iniFile, section, key.c_str());
    depth = open == depthAt ? depth + 1 : 1;
    depthAt = open;
    if (value.empty() || depth > 32) {
      from = close + 1;
      continue;
    }
    bool selfReferring = value.find("[" + key + "]") != std::string::npos;
    result.replace(open, close - open + 1, value);
    from = selfReferring ? open + value.size() : open;
  }
  return result;
}

namespace {

bool ReadConnString(const std::string& file, const char* section, const char* key,
                    const std::string& placeholderFile, const char* placeholderSection, std::string& out) {
  std::string startPath = ReadZelvoIni("SYSTEM", "START_PATH");
  if (startPath.empty()) return false;
  std::string value = ReadIni(file.empty() ? startPath + "\\ZelvoDbConn.ini" : file, section, key);
  if (value.empty()) return false;
  out = ExpandIniPlaceholders(value, placeholderFile, placeholderSection);
  return true;
}

}  // namespace

bool ReadZelvoConnString(std::string& text) {
  return ReadConnString("", "ZELVO", "CONN_STRING", kZelvoIni, "SYSTEM", text);
}

bool ReadZelvoMySqlConnString(std::string& text) {
  return ReadConnString("", "ZELVOMYSQL", "CONN_STRING", kZelvoIni, "SYSTEM", text);
}

bool ReadExcelConnString(std::string& text) {
  return ReadConnString(kZelvoMwIni, "GENERAL", "EXCEL_CONN_STRING", kZelvoMwIni, "DIRS", text);
}

}  // namespace zmw
