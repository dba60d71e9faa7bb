#include "calc/JobItem.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "calc/Ext80.h"
#include "platform/Files.h"

namespace zmw {

// The record is Zelvo's: every offset is fixed.
static_assert(sizeof(JobItemRecord) == 1003);
static_assert(alignof(JobItemRecord) == 1);
static_assert(offsetof(JobItemRecord, JobCode) == 0);
static_assert(offsetof(JobItemRecord, PosText1) == 9);
static_assert(offsetof(JobItemRecord, Int18) == 18);
static_assert(offsetof(JobItemRecord, PosText2) == 20);
static_assert(offsetof(JobItemRecord, PosText3) == 175);
static_assert(offsetof(JobItemRecord, PosNo) == 275);
static_assert(offsetof(JobItemRecord, Text277) == 277);
static_assert(offsetof(JobItemRecord, PosText4) == 512);
static_assert(offsetof(JobItemRecord, Maker) == 532);
static_assert(offsetof(JobItemRecord, Maker2) == 562);
static_assert(offsetof(JobItemRecord, Code) == 592);
static_assert(offsetof(JobItemRecord, Text) == 622);
static_assert(offsetof(JobItemRecord, Category) == 722);
static_assert(offsetof(JobItemRecord, Kind) == 752);
static_assert(offsetof(JobItemRecord, Int754) == 754);
static_assert(offsetof(JobItemRecord, Finish) == 756);
static_assert(offsetof(JobItemRecord, Text777) == 777);
static_assert(offsetof(JobItemRecord, Text798) == 798);
static_assert(offsetof(JobItemRecord, Int879) == 879);
static_assert(offsetof(JobItemRecord, Value) == 881);
static_assert(offsetof(JobItemRecord, Value2) == 891);
static_assert(offsetof(JobItemRecord, Sub1) == 901);
static_assert(offsetof(JobItemRecord, Sub2) == 903);
static_assert(offsetof(JobItemRecord, Sub3) == 905);
static_assert(offsetof(JobItemRecord, Sub4) == 907);
static_assert(offsetof(JobItemRecord, Sub5) == 909);
static_assert(offsetof(JobItemRecord, PrintGroup) == 911);
static_assert(offsetof(JobItemRecord, Reserved942) == 942);
static_assert(offsetof(JobItemRecord, Quantity) == 972);
static_assert(offsetof(JobItemRecord, AssemblyTime) == 980);
static_assert(offsetof(JobItemRecord, ProcessingTime) == 990);
static_assert(offsetof(JobItemRecord, Reserved1000) == 1000);

double F64Field::Get() const {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
  return std::bit_cast<double>(bits);
}

void F64Field::Set(double v) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(bits >> (8 * i));
}

double Ext80Field::Get() const { return Ext80ToDouble(b); }
void Ext80Field::Set(double v) { DoubleToExt80(v, b); }

JobItemRecord::JobItemRecord() {
  std::memset(static_cast<void*>(this), 0, sizeof *this);
  Int754.Set(1);
}

JobItemRecord::JobItemRecord(const JobItemRecord& other) : JobItemRecord() { *this = other; }

JobItemRecord& JobItemRecord::operator=(const JobItemRecord& o) {
  if (this == &o) return *this;
  JobCode.Set(o.JobCode.Get());
  PosText1.Set(o.PosText1.Get());
  Int18 = o.Int18;
  PosText2.Set(o.PosText2.Get());
  PosText3.Set(o.PosText3.Get());
  PosNo = o.PosNo;
  Text277.Set(o.Text277.Get());
  PosText4.Set(o.PosText4.Get());
  Maker.Set(o.Maker.Get());
  Maker2.Set(o.Maker2.Get());
  Code.Set(o.Code.Get());
  Text.Set(o.Text.Get());
  Category.Set(o.Category.Get());
  Kind = o.Kind;
  Int754 = o.Int754;
  Finish.Set(o.Finish.Get());
  Text777.Set(o.Text777.Get());
  Text798.Set(o.Text798.Get());
  Int879 = o.Int879;
  Value = o.Value;
  Value2 = o.Value2;
  Sub1 = o.Sub1;
  Sub2 = o.Sub2;
  Sub3 = o.Sub3;
  Sub4 = o.Sub4;
  Sub5 = o.Sub5;
  PrintGroup.Set(o.PrintGroup.Get());
  std::memset(Reserved942, 0, sizeof Reserved942);
  Quantity = o.Quantity;
  AssemblyTime = o.AssemblyTime;
  ProcessingTime = o.ProcessingTime;
  std::memset(Reserved1000, 0, sizeof Reserved1000);
  return *this;
}

JobItemRecord JobItemRecord::FromBytes(const unsigned char* bytes) {
  JobItemRecord raw;
  std::memcpy(static_cast<void*>(&raw), bytes, kSize);
  return JobItemRecord(raw);
}

void JobItemRecord::ToBytes(unsigned char* bytes) const { std::memcpy(bytes, static_cast<const void*>(this), kSize); }

JobItemFileInfo JobItemList::Load(const std::string& path, CountRule rule) {
  records_.clear();
  JobItemFileInfo info;
  platform::File file = platform::File::Open(path, "rb");
  if (!file) return info;
  info.opened = true;
  unsigned char head[2];
  std::size_t got = file.Read(head, 2);
  if (got < 2) {
    info.droppedBytes = got;
    return info;
  }
  info.hasCount = true;
  info.count = static_cast<std::int16_t>(std::uint16_t(head[0] | (head[1] << 8)));
  if (rule == CountRule::EmptyWhenNotPositive && info.count <= 0) return info;
  unsigned char buffer[JobItemRecord::kSize];
  while ((got = file.Read(buffer, sizeof buffer)) == sizeof buffer) records_.push_back(JobItemRecord::FromBytes(buffer));
  info.droppedBytes = got;
  return info;
}

bool JobItemList::Save(const std::string& path) const {
  std::string temp = path + ".~new";
  {
    platform::File file = platform::File::Open(temp, "wb");
    if (!file) return false;
    std::uint16_t count = static_cast<std::uint16_t>(records_.size());
    unsigned char head[2] = {static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8)};
    bool ok = file.Write(head, 2) == 2;
    unsigned char buffer[JobItemRecord::kSize];
    for (std::size_t i = 0; ok && i < records_.size(); ++i) {
      records_[i].ToBytes(buffer);
      ok = file.Write(buffer, sizeof buffer) == sizeof buffer;
    }
    if (!file.Close() || !ok) {
      platform::RemoveFile(temp);
      return false;
    }
  }
  if (platform::ReplaceFileWith(temp, path)) return true;
  platform::RemoveFile(temp);
  return false;
}

}  // namespace zmw
