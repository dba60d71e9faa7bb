// The Excel price list as the check reads it: through the provider its connection text calls
// for, the configured sheet and columns, on the workbooks that real spreadsheet writers made.
#include <gtest/gtest.h>

#include "doctor/DemoInstallation.h"
#include "platform/Profile.h"
#include "support/Workbooks.h"

namespace zmw {
namespace {

class PriceList : public test::DemoOn<test::HostDatabase>, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    test::DemoOn<test::HostDatabase>::SetUp();
    if (IsSkipped()) return;
    if (test::WorkbookProviderHere() == test::WorkbookProvider::None) GTEST_SKIP() << test::WhyNoWorkbookProvider();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT_XLS", test::WorkbookFixture(GetParam()).c_str());
  }

  void Settings(const std::string& lines) {
    test::WriteFile(paths.start + "\\ZelvoMwImport.ini", "[PREZZO_NETTO_EXCEL]\r\n" + lines);
  }

  const Finding* Only(const DoctorReport& report, Level level) {
    std::vector<const Finding*> found = test::FindingsAt(report, level);
    EXPECT_EQ(found.size(), 1u) << test::Lines(report);
    return found.size() == 1 ? found[0] : nullptr;
  }
};

TEST_P(PriceList, WithItsSheetAndColumnsIsSound) {
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(report.Sound()) << test::Lines(report);
  bool sheet = false;
  for (const Finding& f : report.findings)
    if (f.area == "imports" && f.check == "sheet") {
      sheet = true;
      EXPECT_EQ(f.level, Level::Ok) << f.text;
      EXPECT_EQ(f.value, "Listino");
    }
  EXPECT_TRUE(sheet) << test::Lines(report);
}

TEST_P(PriceList, WithoutTheConfiguredSheetNamesTheSheetSetting) {
  Settings("FOGLIO=Prezzi\r\n");
  DoctorReport report = RunDoctor();
  const Finding* error = Only(report, Level::Error);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->check, "sheet");
  EXPECT_EQ(error->key, "FOGLIO");
  EXPECT_EQ(error->value, "Prezzi");
  EXPECT_EQ(report.ExitStatus(), 1);
}

TEST_P(PriceList, WithAColumnPastTheSheetNamesThatColumnsSetting) {
  // The sheet has seven columns, A to G.
  Settings("DIM_PREZZO=H\r\n");
  DoctorReport report = RunDoctor();
  const Finding* error = Only(report, Level::Error);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->check, "column");
  EXPECT_EQ(error->key, "DIM_PREZZO");
  EXPECT_NE(error->text.find(" 7 colonne"), std::string::npos) << error->text;

  Settings("DIM_PREZZO=g\r\n");
  EXPECT_TRUE(RunDoctor().Sound());
}

TEST_P(PriceList, WithOnlyAHeadingRowIsAWarning) {
  Settings("FOGLIO=Vuoto\r\n");
  DoctorReport report = RunDoctor();
  EXPECT_TRUE(report.Sound()) << test::Lines(report);
  bool warned = false;
  for (const Finding& f : report.findings)
    if (f.check == "sheet" && f.level == Level::Warning) warned = true;
  EXPECT_TRUE(warned) << test::Lines(report);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, PriceList, ::testing::Values("listino.xls", "listino.xlsx"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).find("xlsx") != std::string::npos ? "Xlsx" : "Xls";
                         });

}  // namespace
}  // namespace zmw
