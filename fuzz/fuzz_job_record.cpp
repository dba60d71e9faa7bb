// Job item records from any bytes: every field reads, copies and writes back.
#include <cstdint>
#include <cstring>

#include "calc/Ext80.h"
#include "calc/JobItem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  unsigned char bytes[zmw::JobItemRecord::kSize] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  zmw::JobItemRecord record = zmw::JobItemRecord::FromBytes(bytes);
  zmw::JobItemRecord copy(record);
  unsigned char out[zmw::JobItemRecord::kSize];
  copy.ToBytes(out);
  if (zmw::JobItemRecord::FromBytes(out).Code.Get() != record.Code.Get()) __builtin_trap();
  double v = zmw::Ext80ToDouble(bytes + 881);
  unsigned char ext[10];
  zmw::DoubleToExt80(v, ext);
  double back = zmw::Ext80ToDouble(ext);
  if (!(back == v) && !(v != v)) __builtin_trap();  // a double survives the extended format
  return 0;
}
