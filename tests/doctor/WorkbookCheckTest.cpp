// The Excel price list as the check reads it: through the provider its connection text calls
// for, the configured sheet and columns, on the workbooks that real spreadsheet writers made.
#include <gtest/gtest.h>

#include "doctor/DemoInstallation.h"
#include "platform/Profile.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

class PriceList : public test::DemoOn<test::HostDatabase>, public ::testing::WithParamInterface<const char*> {};

TEST_P(PriceList, IsReadFromTheConfiguredSheetAndColumns) {
  if (test::WorkbookProviderHere() == test::WorkbookProvider::None) GTEST_SKIP() << test::WhyNoWorkbookProvider();
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", test::WorkbookFixture(GetParam()).c_str());
  struct { const char *settings, *finding, *says; } steps[] = {
      {nullptr, "OK|imports|sheet|FOGLIO|ZELVOMWIMPORT.INI||Listino", ""},
      {"FOGLIO=Prezzi", "ERRORE|imports|sheet|FOGLIO|ZELVOMWIMPORT.INI||Prezzi", ""},
      {"DIM_PREZZO=H", "ERRORE|imports|column|DIM_PREZZO|ZELVOMWIMPORT.INI||H", " 7 colonne"},  // A to G
      {"DIM_PREZZO=g", "OK|imports|key|DIM_PREZZO|ZELVOMWIMPORT.INI|file|g", ""},
      {"FOGLIO=Vuoto", "AVVISO|imports|sheet|FOGLIO|ZELVOMWIMPORT.INI||Vuoto", ""}};  // only a heading row
  for (const auto& step : steps) {
    if (step.settings) test::WriteFile(paths.start + "\\ZelvoMwImport.ini", std::string("[PREZZO_NETTO_EXCEL]\r\n") + step.settings + "\r\n");
    DoctorReport report = RunDoctor();
    bool error = std::string(step.finding).rfind("ERRORE", 0) == 0;
    EXPECT_EQ(test::FindingsAt(report, Level::Error).size(), error ? 1u : 0u) << ReportText(report);
    EXPECT_TRUE(test::Has(report, step.finding)) << step.finding << "\n" << ReportText(report);
    EXPECT_TRUE(!*step.says || ReportText(report).find(step.says) != std::string::npos) << ReportText(report);
    EXPECT_EQ(report.ExitStatus(), error ? 1 : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Workbooks, PriceList, ::testing::Values("listino.xls", "listino.xlsx"),
                         [](const auto& info) { return std::string(info.param).find("xlsx") != std::string::npos ? "Xlsx" : "Xls"; });

}  // namespace
}  // namespace zmw
