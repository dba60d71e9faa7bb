// MaicoWin's request file: one block of key=value lines per position and item of a job,
// built from the job parameter file; or the stop request "FINE".
#pragma once
#include <string>

#include "calc/JobItem.h"
#include "platform/Files.h"

namespace zmw {

class CalcRequestWriter {
 public:
  // Opens the request file named by MAICOWIN.INI [EXPORT-IMPORT] IMPORT, emptying it.
  CalcRequestWriter();
  CalcRequestWriter(const CalcRequestWriter&) = delete;
  CalcRequestWriter& operator=(const CalcRequestWriter&) = delete;

  // 1 once the job parameter file was loaded (or found missing), 0 without a job folder.
  int WriteRequest(const std::string& jobName);
  void WriteBlock(int position, int item);
  int NextPosition(int position) const;
  int CountItems(int position) const;
  int WriteStop();

  bool HasStream() const { return static_cast<bool>(out_); }
  const JobItemList& Parameters() const { return parameters_; }

 private:
  void Write(const std::string& text);

  platform::File out_;
  JobItemList parameters_;
};

// A numeric parameter as the request carries it: ten significant digits, and "1500." becomes
// "1500.0".
std::string FormatRequestNumber(double value);

}  // namespace zmw
