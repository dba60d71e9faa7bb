// A host database of Zelvo for a test: SQLite in the test's scratch folder, or a database of
// its own on the MariaDB server that ZELVOMW_TEST_MARIADB names (an ODBC connection text
// without Database). Both through the real ODBC drivers, with the sample schema, data and
// statement file, and the INI keys that lead the library to them.
#pragma once
#include <string>

#include "support/TestEnv.h"

namespace zmw::test {

enum class Backend { Sqlite, MariaDb };
// The ODBC connection text of the server that ZELVOMW_TEST_MARIADB names; empty without one.
std::string ServerConnectionText();
std::string BackendName(const ::testing::TestParamInfo<Backend>& info);

class HostDatabase : public CleanMachine {
 protected:
  void SetUp() override;
  void TearDown() override;
  virtual Backend Which() const { return Backend::Sqlite; }

  // Creates a database of the backend (a Windows path for SQLite, a name on the server) from
  // the sample schema, with the seed data when asked.
  void CreateDatabase(const std::string& name, bool seed);
  // Runs statements on the shared connection, which must be open.
  void Run(const std::string& statements);
  // The rows of a query as text, on a connection of its own: fields joined by "|", rows
  // ended by "\n", NULL as "(null)". For looking at what an operation left in the database.
  std::string Rows(const std::string& query);
  // Runs statements on a connection of its own, for setting up what a test needs.
  void Apply(const std::string& statements);
  // The test's own database and the connection text that reaches it.
  const std::string& DatabaseName() const { return database_; }
  std::string ConnectionText(const std::string& name) const;
  // SQLite only: the database file.
  std::string DatabaseFile() const { return Scratch() + "\\ZELVO.DB"; }

 private:
  std::string database_;
};

// For tests that run on each backend; MariaDB ones are skipped when no server is named.
class AnyHostDatabase : public HostDatabase, public ::testing::WithParamInterface<Backend> {
 protected:
  void SetUp() override;
  Backend Which() const override { return GetParam(); }
};

// The demo installation's update data, each where its key says: MaicoWin's FINITURA.DAT and
// SCHEDTEC.DAT in C:\MAICOWIN\DATI, its FIT and KIT lists, Maico's ASC archive (layout A) and,
// where a workbook provider exists (not under Wine), the Excel price list in the folder given.
void InstallUpdateData(const std::string& folder);

#define ZMW_ON_EVERY_BACKEND(suite) \
  INSTANTIATE_TEST_SUITE_P(Backends, suite, ::testing::Values(test::Backend::Sqlite, test::Backend::MariaDb), \
                           test::BackendName)

}  // namespace zmw::test
