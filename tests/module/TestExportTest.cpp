// The export Test: one Excel price import, and 1 for the host whatever happened.
#include <gtest/gtest.h>

#include "db/Connection.h"
#include "platform/Profile.h"
#include "support/Database.h"
#include "support/Workbooks.h"
#include "zelvomw.h"

namespace zmw {
namespace {

class TestExport : public test::HostDatabase {};

TEST_F(TestExport, ImportsThePriceListAndGivesOne) {
  if (test::WorkbookProviderHere() == test::WorkbookProvider::None) GTEST_SKIP() << test::WhyNoWorkbookProvider();
  test::WriteFile(Scratch() + "\\LISTINO.XLSX", test::ReadFile(test::WorkbookFixture("listino-lo.xlsx")));
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", (Scratch() + "\\LISTINO.XLSX").c_str());
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "EXCEL_CONN_STRING",
                               "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[MAICO_FIT_XLS];Extended Properties=Excel 8.0;");
  EXPECT_EQ(::Test(), 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Rows("SELECT Codice, Descrizione, CostoUnitario FROM Accessori WHERE Codice IN ('301234', '301235') "
                 "ORDER BY Codice"),
            "301234|Cerniera angolare rinforzata|12,5\n301235|Forbice anta ribalta|2,5\n");
}

TEST_F(TestExport, GivesOneWhenTheWorkbookCannotBeOpened) {
  std::string before = Rows("SELECT * FROM Accessori ORDER BY Codice");
  EXPECT_EQ(::Test(), 1);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: ApriExcel\n", 0), 0u) << ui.messages[0].text;
  EXPECT_EQ(ui.messages[1].text, "Impossibile aprire XLS");
  EXPECT_EQ(ui.messages[1].caption, "ATTENZIONE");
  EXPECT_EQ(ui.messages[2].text.rfind("Function: ChiudiExcel\n", 0), 0u) << ui.messages[2].text;
  EXPECT_EQ(Rows("SELECT * FROM Accessori ORDER BY Codice"), before);
}

}  // namespace
}  // namespace zmw
