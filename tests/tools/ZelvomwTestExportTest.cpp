// `zelvomw Test` as a person runs it: the Excel price import in a process of its own, against
// the SQLite archive of the prefix, with the price lists that spreadsheet programs wrote.
#include <gtest/gtest.h>

#include <cstdio>

#include "Runs.h"
#include "support/Database.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

class TestCommand : public test::HostDatabase, public ::testing::WithParamInterface<std::string> {};

TEST_P(TestCommand, UpdatesTheArchiveFromTheListAndPrintsOne) {
  std::string list = Scratch() + "\\LISTINO" + GetParam().substr(GetParam().rfind('.'));
  test::WriteFile(list, test::ReadFile(test::WorkbookFixture(GetParam())));
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", list.c_str());
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
                               "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
  std::string err = ::testing::TempDir() + "zmw-test-command.err";
  test::CommandOutcome o = test::RunZelvomw("Test", "", err);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "1\n");
  EXPECT_EQ(test::ReadHostFile(err), "");  // no box
  EXPECT_EQ(Rows("SELECT Codice, CostoUnitario FROM Accessori WHERE Produttore = 'MAICO' ORDER BY Codice"),
            "301234|12,5\n301235|2,5\n402010|9,9\n402011|0\n509900|2,1\n");
  std::remove(err.c_str());
}

INSTANTIATE_TEST_SUITE_P(Lists, TestCommand, ::testing::Values("listino-lo.xls", "listino.xlsx"),
                         [](const auto& info) { return info.param.find("xlsx") == std::string::npos ? "xls" : "xlsx"; });

}  // namespace
}  // namespace zmw
