// The connections of the library: the one shared connection to Zelvo's database and the
// workbook connection of the Excel import. Both hold a connection object, the current record
// set slot and the open flag; both report their own failures through ShowComError.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "db/Provider.h"

namespace zmw {

class ConnectionHolder {
 public:
  virtual ~ConnectionHolder() = default;

  // 1 opened now, 0 already open, -1 failed and reported.
  int Open(const std::string& connectionText);
  // 1 closed, -1 nothing held (no message) or failed and reported.
  int Close();
  // What unloading or the end of an import does: close what is held, report a failure.
  void Release();

  bool IsOpen() const { return open_; }
  bool HoldsConnection() const { return static_cast<bool>(connection_); }
  DataSource* Connection() const { return connection_.get(); }
  std::unique_ptr<RecordSource>& CurrentRecordSet() { return current_; }

 protected:
  ConnectionHolder(const char* openName, const char* closeName) : openName_(openName), closeName_(closeName) {}
  // The configured text that an empty connection text stands for; empty when there is none.
  virtual std::string ConfiguredText() = 0;

 private:
  void CloseCurrentRecordSet();
  void CloseConnection();

  std::unique_ptr<DataSource> connection_;
  std::unique_ptr<RecordSource> current_;
  bool open_ = false;
  const char* openName_;
  const char* closeName_;
};

class ZelvoDbConnection final : public ConnectionHolder {
 public:
  ZelvoDbConnection() : ConnectionHolder("ApriZelvoDb", "ChiudiZelvoDb") {}
  ~ZelvoDbConnection() override;

 protected:
  std::string ConfiguredText() override;
};

class ExcelConnection final : public ConnectionHolder {
 public:
  ExcelConnection() : ConnectionHolder("ApriExcel", "ChiudiExcel") {}
  ~ExcelConnection() override;

 protected:
  std::string ConfiguredText() override;
};

// The one connection to Zelvo's database, alive while the library is loaded.
ZelvoDbConnection& TheZelvoDb();

// The connection texts of ZelvoDbConn.ini and ZELVOMW.INI, placeholders expanded. Each fills
// the text and gives true, or gives false and leaves it alone.
bool ReadZelvoConnString(std::string& text);
bool ReadZelvoMySqlConnString(std::string& text);
bool ReadExcelConnString(std::string& text);

// Replaces every "[KEY]" whose key has a value in the section of the INI file.
std::string ExpandIniPlaceholders(const std::string& text, const std::string& iniFile, const char* section);

// "Function: %s\nError: 0x%X\n%s" in a box with no owner, the caption and the exclamation icon.
void ShowComError(const std::string& operation, std::int32_t code, const std::string& description,
                  const char* caption = "ZelvoMW");

}  // namespace zmw
