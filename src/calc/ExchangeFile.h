// The two files MaicoWin exchanges with the library, as MAICOWIN.INI names them: the request
// (IMPORT) and the result (EXPORT), with their .BAK copies.
#pragma once
#include <string>

namespace zmw {

class ExchangeFile {
 public:
  enum Kind { Result, Request };
  explicit ExchangeFile(Kind kind);

  // Copies the file to its backup when it exists (for the result, the old backup goes first).
  int Backup();
  // Deletes the file: 1 when it existed and is gone.
  int Remove();
  const std::string& Path() const { return path_; }

  // The same folder and title with the extension ".BAK".
  static std::string BackupPath(const std::string& path);

 private:
  Kind kind_;
  std::string path_;
};

}  // namespace zmw
