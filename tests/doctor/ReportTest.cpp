// The report as a person and as a tool read it.
#include <gtest/gtest.h>

#include "doctor/Doctor.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define ZMW_HAVE_JSON_READER 1
#endif

namespace zmw {
namespace {

Finding Make(Level level, const std::string& text, const std::string& key = "") {
  return Finding{level, "profile", "key", "C:\\windows\\ZELVO.INI", "SYSTEM", key, "", "", text};
}

TEST(ReportText, PutsTheLevelBeforeEachLineAndClosesWithTheCountInItalian) {
  DoctorReport report;
  report.findings = {Make(Level::Ok, "a"), Make(Level::Warning, "b"), Make(Level::Error, "c")};
  EXPECT_EQ(ReportText(report), "OK      a\nAVVISO  b\nERRORE  c\n1 ERRORE, 1 AVVISO: correggere i file e le chiavi delle righe ERRORE.\n");
  EXPECT_EQ(report.ExitStatus(), 1);
  struct { int errors, warnings; const char* closing; } counts[] = {
      {0, 0, "Installazione in ordine: nessun ERRORE."}, {0, 1, "Installazione in ordine: nessun ERRORE, 1 AVVISO."},
      {0, 3, "Installazione in ordine: nessun ERRORE, 3 AVVISI."}, {2, 0, "2 ERRORI: correggere i file e le chiavi delle righe ERRORE."},
      {1, 2, "1 ERRORE, 2 AVVISI: correggere i file e le chiavi delle righe ERRORE."}};
  for (const auto& c : counts) {
    report.findings.assign(c.errors, Make(Level::Error, "e"));
    report.findings.insert(report.findings.end(), c.warnings, Make(Level::Warning, "w"));
    report.findings.push_back(Make(Level::Ok, "o"));
    EXPECT_EQ(test::LastLine(platform::Cp1252ToUtf8(ReportText(report))), c.closing);
    EXPECT_EQ(report.ExitStatus(), c.errors ? 1 : 0) << c.closing;
  }
}

TEST(ReportJson, EscapesTextsAndGivesThemInUtf8) {
  DoctorReport report;
  report.findings = {Make(Level::Error, "C:\\ZELVO \"citato\"\tcos\xEC\x01", "TMP_PATH"), Make(Level::Warning, "w"), Make(Level::Ok, "fine")};
  report.findings[0].value = "C:\\TMP\\";
  report.findings[0].source = "file";
  std::string json = ReportJson(report);
  for (const char* part : {R"("message":"C:\\ZELVO \"citato\"\tcosì\u0001")", R"("sound":false,"errors":1,"warnings":1)"})
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
#ifdef ZMW_HAVE_JSON_READER
  nlohmann::json read = nlohmann::json::parse(json);
  ASSERT_EQ(read["findings"].size(), 3u);
  EXPECT_EQ(read["findings"][1]["level"], "warning");
  EXPECT_EQ(read["findings"][0], nlohmann::json::parse(R"({"level": "error", "area": "profile", "check": "key", "file": "C:\\windows\\ZELVO.INI",
      "section": "SYSTEM", "key": "TMP_PATH", "value": "C:\\TMP\\", "source": "file", "message": "C:\\ZELVO \"citato\"\tcosì\u0001"})"));
#endif
}

}  // namespace
}  // namespace zmw
