// What the calc tests share: records and job files by their bytes.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "calc/JobItem.h"

namespace zmw::calctest {

// Ten bytes of an x87 extended value: the significand, then sign and exponent.
inline std::string Ext80(std::uint64_t significand, unsigned top) {
  std::string b(10, '\0');
  for (int i = 0; i < 8; ++i) b[std::size_t(i)] = char(significand >> (8 * i));
  b[8] = char(top);
  b[9] = char(top >> 8);
  return b;
}

inline std::string Bytes(const JobItemRecord& r) {
  std::string b(JobItemRecord::kSize, '\0');
  r.ToBytes(reinterpret_cast<unsigned char*>(b.data()));
  return b;
}

// A job file: the count as stored (it need not match), then the records.
inline std::string JobFile(std::int16_t count, const std::vector<JobItemRecord>& records) {
  std::string bytes{char(count & 0xFF), char((count >> 8) & 0xFF)};
  for (const JobItemRecord& r : records) bytes += Bytes(r);
  return bytes;
}

// The fields the calculation fills in, each as "|Name=value|".
inline std::string Show(const JobItemRecord& r) {
  std::ostringstream s;
  s << "|JobCode=" << r.JobCode.Get() << "|PosNo=" << r.PosNo.Get() << "|Maker=" << r.Maker.Get()
    << "|Code=" << r.Code.Get() << "|Text=" << r.Text.Get() << "|Category=" << r.Category.Get()
    << "|PrintGroup=" << r.PrintGroup.Get() << "|Kind=" << r.Kind.Get() << "|Int754=" << r.Int754.Get()
    << "|Quantity=" << r.Quantity.Get() << "|AssemblyTime=" << r.AssemblyTime.Get()
    << "|ProcessingTime=" << r.ProcessingTime.Get() << "|PosText1=" << r.PosText1.Get()
    << "|PosText4=" << r.PosText4.Get() << "|";
  return s.str();
}

// Whether the record shows each of the '|'-separated "Name=value" exactly.
inline ::testing::AssertionResult Has(const JobItemRecord& r, const std::string& fields) {
  std::string shown = Show(r);
  for (std::size_t from = 0, to; from <= fields.size(); from = to + 1) {
    to = std::min(fields.find('|', from), fields.size());
    if (shown.find("|" + fields.substr(from, to - from) + "|") == std::string::npos)
      return ::testing::AssertionFailure() << "no " << fields.substr(from, to - from) << " in " << shown;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace zmw::calctest
