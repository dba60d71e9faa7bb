// The report as people read it and as tools read it. The JSON is written here rather than
// through a library, so that both builds give the same bytes.
#include <cstdio>

#include "base/JsonText.h"
#include "doctor/Checks.h"
#include "doctor/Doctor.h"
#include "platform/Text.h"

namespace zmw {
namespace {

const char* JsonLevel(Level level) {
  switch (level) {
    case Level::Ok: return "ok";
    case Level::Warning: return "warning";
    case Level::Error: return "error";
  }
  return "";
}

std::string Counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string ReportText(const DoctorReport& report) {
  std::string text;
  for (const Finding& f : report.findings) {
    std::string word = LevelWord(f.level);
    text += word + std::string(8 - word.size(), ' ') + f.text + "\n";
  }
  int errors = report.Count(Level::Error), warnings = report.Count(Level::Warning);
  if (errors == 0)
    text += doctor::It("Installazione in ordine: nessun ERRORE") +
            (warnings ? ", " + Counted(warnings, "AVVISO", "AVVISI") : std::string()) + ".\n";
  else
    text += Counted(errors, "ERRORE", "ERRORI") +
            (warnings ? ", " + Counted(warnings, "AVVISO", "AVVISI") : std::string()) +
            doctor::It(": correggere i file e le chiavi delle righe ERRORE.\n");
  return text;
}

std::string ReportJson(const DoctorReport& report) {
  std::string json = "{\"sound\":" + std::string(report.Sound() ? "true" : "false") +
                     ",\"errors\":" + std::to_string(report.Count(Level::Error)) +
                     ",\"warnings\":" + std::to_string(report.Count(Level::Warning)) + ",\"findings\":[";
  bool first = true;
  for (const Finding& f : report.findings) {
    json += first ? "\n" : ",\n";
    first = false;
    json += "{\"level\":" + std::string("\"") + JsonLevel(f.level) + "\"" +
            ",\"area\":" + JsonString(f.area) + ",\"check\":" + JsonString(f.check) +
            ",\"file\":" + JsonString(f.file) + ",\"section\":" + JsonString(f.section) +
            ",\"key\":" + JsonString(f.key) + ",\"value\":" + JsonString(f.value) +
            ",\"source\":" + JsonString(f.source) + ",\"message\":" + JsonString(f.text) + "}";
  }
  return json + "\n]}\n";
}

}  // namespace zmw
