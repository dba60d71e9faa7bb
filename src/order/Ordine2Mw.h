// The order export: one order of fittings from Zelvo's database as Maico's fixed-width file,
// a header record "AK" and one line record "AP" per article.
#pragma once
#include <string>

#include "platform/Files.h"

namespace zmw {

class COrdine2Mw {
 public:
  COrdine2Mw(std::string orderId, std::string firstCode, std::string secondCode);
  virtual ~COrdine2Mw();

  // Always 0; failures have been shown to the user.
  int Run();

  void SetOutputPath(const std::string& path) { outputPath_ = path; }
  const std::string& OutputPath() const { return outputPath_; }
  bool OpenOutput();
  bool CloseOutput();
  void WriteHeader();
  void WriteLines();
  static std::string ToYyyymmdd(const std::string& date);

 private:
  void WriteRecord(const std::string& record);
  void ReportWriteFailure();

  std::string outputPath_;
  std::string customerCode_;
  std::string firstCode_;
  std::string secondCode_;
  std::string orderId_;
  platform::File output_;
};

}  // namespace zmw
