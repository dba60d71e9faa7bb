// The report as a person and as a tool read it.
#include <gtest/gtest.h>

#include <sstream>

#include "doctor/Doctor.h"
#include "platform/Text.h"

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define ZMW_HAVE_JSON_READER 1
#endif

namespace zmw {
namespace {

Finding Make(Level level, const std::string& text, const std::string& key = "") {
  Finding f;
  f.level = level;
  f.area = "profile";
  f.check = "key";
  f.file = "C:\\windows\\ZELVO.INI";
  f.section = "SYSTEM";
  f.key = key;
  f.text = text;
  return f;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ReportText, PutsTheLevelBeforeEachLineAndClosesWithTheCount) {
  DoctorReport report;
  report.findings = {Make(Level::Ok, "a"), Make(Level::Warning, "b"), Make(Level::Error, "c")};
  std::vector<std::string> lines = LinesOf(ReportText(report));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "OK      a");
  EXPECT_EQ(lines[1], "AVVISO  b");
  EXPECT_EQ(lines[2], "ERRORE  c");
  EXPECT_EQ(lines[3], "1 ERRORE, 1 AVVISO: correggere i file e le chiavi delle righe ERRORE.");
  EXPECT_EQ(report.ExitStatus(), 1);
}

struct CountCase {
  int errors, warnings;
  const char* closing;  // UTF-8
};

class ClosingLine : public ::testing::TestWithParam<CountCase> {};

TEST_P(ClosingLine, CountsInItalian) {
  DoctorReport report;
  for (int i = 0; i < GetParam().errors; ++i) report.findings.push_back(Make(Level::Error, "e"));
  for (int i = 0; i < GetParam().warnings; ++i) report.findings.push_back(Make(Level::Warning, "w"));
  report.findings.push_back(Make(Level::Ok, "o"));
  std::vector<std::string> lines = LinesOf(platform::Cp1252ToUtf8(ReportText(report)));
  EXPECT_EQ(lines.back(), GetParam().closing);
  EXPECT_EQ(report.ExitStatus(), GetParam().errors ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClosingLine,
    ::testing::Values(CountCase{0, 0, "Installazione in ordine: nessun ERRORE."},
                      CountCase{0, 1, "Installazione in ordine: nessun ERRORE, 1 AVVISO."},
                      CountCase{0, 3, "Installazione in ordine: nessun ERRORE, 3 AVVISI."},
                      CountCase{2, 0, "2 ERRORI: correggere i file e le chiavi delle righe ERRORE."},
                      CountCase{1, 2, "1 ERRORE, 2 AVVISI: correggere i file e le chiavi delle righe ERRORE."}));

TEST(ReportJson, EscapesTextsAndGivesThemInUtf8) {
  DoctorReport report;
  report.findings = {Make(Level::Error, "C:\\ZELVO \"citato\"\tcos\xEC\x01", "JOB_PATH"), Make(Level::Ok, "fine")};
  std::string json = ReportJson(report);
  EXPECT_NE(json.find(R"("message":"C:\\ZELVO \"citato\"\tcosì\u0001")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("level":"error")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("sound":false,"errors":1,"warnings":0)"), std::string::npos) << json;
}

#ifdef ZMW_HAVE_JSON_READER
TEST(ReportJson, ReadsBackAsTheReport) {
  DoctorReport report;
  report.findings = {Make(Level::Warning, "perch\xE9 \\ \"x\"", "TMP_PATH"), Make(Level::Ok, "ok")};
  report.findings[0].value = "C:\\TMP\\";
  report.findings[0].source = "file";
  nlohmann::json read = nlohmann::json::parse(ReportJson(report));
  EXPECT_EQ(read["sound"], true);
  EXPECT_EQ(read["warnings"], 1);
  ASSERT_EQ(read["findings"].size(), 2u);
  const nlohmann::json& first = read["findings"][0];
  EXPECT_EQ(first["level"], "warning");
  EXPECT_EQ(first["area"], "profile");
  EXPECT_EQ(first["file"], "C:\\windows\\ZELVO.INI");
  EXPECT_EQ(first["section"], "SYSTEM");
  EXPECT_EQ(first["key"], "TMP_PATH");
  EXPECT_EQ(first["value"], "C:\\TMP\\");
  EXPECT_EQ(first["source"], "file");
  EXPECT_EQ(first["message"], "perché \\ \"x\"");
}
#endif

}  // namespace
}  // namespace zmw
