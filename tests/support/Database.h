// A host database of Zelvo in a test's scratch folder: SQLite through the real ODBC driver,
// the sample schema and data, the sample ZELVOMW.XML and the INI keys that lead to them.
#pragma once
#include <string>

#include "support/TestEnv.h"

namespace zmw::test {

class HostDatabase : public CleanMachine {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Creates a database file from the sample schema (and the seed data when asked).
  void CreateDatabase(const std::string& windowsPath, bool seed);
  // Runs statements on the shared connection, which must be open.
  void Run(const std::string& statements);
  std::string DatabaseFile() const { return Scratch() + "\\ZELVO.DB"; }
  std::string ConnectionText(const std::string& windowsPath) const;
};

}  // namespace zmw::test
