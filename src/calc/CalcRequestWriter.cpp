#include "calc/CalcRequestWriter.h"

#include <cstdint>

#include "base/FileNames.h"
#include "base/Gcvt.h"
#include "base/Ini.h"
#include "base/MwPath.h"
#include "maicowin/MaicoWinConf.h"

namespace zmw {

std::string FormatRequestNumber(double value) {
  std::string text = Gcvt(value, 10);
  if (!text.empty() && text.back() == '.') text += '0';
  return text;
}

CalcRequestWriter::CalcRequestWriter() {
  MaicoWinConf conf;
  std::string ini;
  conf.GetMaicoWinIni(ini);
  std::string request = ReadIni(ini, "EXPORT-IMPORT", "IMPORT");
  if (!request.empty()) out_ = platform::File::Open(request, "wt");
}

void CalcRequestWriter::Write(const std::string& text) {
  if (out_) out_.Puts(text);
}

namespace {

// A double cut toward zero to a 32-bit integer; what has no such value becomes the integer
// indefinite, as the processor's conversion gives it.
int TruncateToInt(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<int>(v);
}

}  // namespace

int CalcRequestWriter::WriteRequest(const std::string& jobName) {
  std::string folder = ReadZelvoIni("SYSTEM", "JOB_PATH");
  if (folder.empty()) return 0;
  // A job folder on the network is mirrored in a local one.
  if (MwPath(folder).IsRemoteDrive()) folder = ReadZelvoIni("SYSTEM", "TMP_PATH");
  parameters_.Load(folder + jobName + ".MW", CountRule::Ignore);
  for (int p = NextPosition(0); p != 0; p = NextPosition(p)) {
    int items = CountItems(p);
    for (int item = 1; item <= items; ++item) WriteBlock(p, item);
  }
  return 1;
}

// The first record of the file makes no position known by itself.
int CalcRequestWriter::NextPosition(int position) const {
  int next = 0;
  bool found = false;
  for (std::size_t i = 1; i < parameters_.Size(); ++i) {
    int p = parameters_[i].PosNo.Get();
    if (p > position && (!found || p < next)) {
      next = p;
      found = true;
    }
  }
  return found ? next : 0;
}

int CalcRequestWriter::CountItems(int position) const {
  int last = 0, count = 0;
  for (std::size_t i = 1; i < parameters_.Size(); ++i) {
    const JobItemRecord& r = parameters_[i];
    if (r.PosNo.Get() == position && r.Sub3.Get() != last) {
      ++count;
      last = r.Sub3.Get();
    }
  }
  return count;
}

void CalcRequestWriter::WriteBlock(int position, int item) {
  bool first = true, finitura = false, colore = false;
  std::string pending;
  for (const JobItemRecord& r : parameters_) {
    if (r.PosNo.Get() != position || r.Sub3.Get() != item) continue;
    if (first) {
      first = false;
      Write("CODCLIENTE=" + ReadZelvoMwIni("GENERAL", "CODCLIENTE") + "\n");
      Write("COMMESSA=" + r.JobCode.Get() + "\n");
      Write("NUMPOSIZ=" + std::to_string(position) + "\n");
      Write("QUANTITA=" + std::to_string(TruncateToInt(r.Quantity.Get())) + "\n");
    }
    std::string key = r.Code.Get();
    switch (r.Kind.Get()) {
      case 1:
        if (key == "FINITURA") {
          std::string line = key + "=" + r.Finish.Get() + "\n";
          pending = colore ? pending + line : line;
          finitura = true;
        } else if (key == "COLORE_RS") {
          std::string line = key + "=" + r.Finish.Get() + "\n";
          pending = finitura ? line + pending : line;
          colore = true;
        } else {
          std::string value = r.Text.Get();
          Write(key + "=" + (value.empty() ? "1" : value) + "\n");
        }
        break;
      case 2:
        Write(key + "=" + FormatRequestNumber(r.Value.Get()) + "\n");
        break;
      default:
        break;
    }
  }
  if (finitura || colore) Write(pending);
  Write("END\n");
}

int CalcRequestWriter::WriteStop() {
  if (!out_) return 0;
  return out_.Puts("FINE\n") && out_.Flush() ? 1 : 0;
}

}  // namespace zmw
