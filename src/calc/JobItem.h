// Zelvo's job item record and file: the job parameter file (.MW) and the job accessory list
// (.FIT) are both a signed 16-bit count followed by packed 1003-byte records, little-endian.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zmw {

// A zero-terminated text of at most N - 1 characters, zero-padded to N bytes.
template <std::size_t N>
struct TextField {
  char bytes[N];
  // A field that fills all N bytes without a terminator cannot be a string: it is cut to
  // N - 1 characters, as the writers would have stored it.
  std::string Get() const {
    std::size_t n = 0;
    while (n < N - 1 && bytes[n] != '\0') ++n;
    return std::string(bytes, n);
  }
  void Set(std::string_view text) {
    std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i) bytes[i] = i < n ? text[i] : '\0';
  }
};

struct U16Field {
  unsigned char b[2];
  std::uint16_t Get() const { return std::uint16_t(b[0] | (b[1] << 8)); }
  void Set(std::uint16_t v) { b[0] = std::uint8_t(v); b[1] = std::uint8_t(v >> 8); }
};

struct I16Field {
  unsigned char b[2];
  std::int16_t Get() const { return static_cast<std::int16_t>(std::uint16_t(b[0] | (b[1] << 8))); }
  void Set(std::int16_t v) { b[0] = std::uint8_t(v); b[1] = std::uint8_t(std::uint16_t(v) >> 8); }
};

struct F64Field {
  unsigned char b[8];
  double Get() const;
  void Set(double v);
};

struct Ext80Field {
  unsigned char b[10];
  // The value by the readers' rule of Ext80ToDouble.
  double Get() const;
  void Set(double v);
};

struct JobItemRecord {
  static constexpr std::size_t kSize = 1003;

  TextField<9> JobCode;
  TextField<9> PosText1;
  U16Field Int18;
  TextField<155> PosText2;
  TextField<100> PosText3;
  I16Field PosNo;
  TextField<235> Text277;
  TextField<20> PosText4;
  TextField<30> Maker;
  TextField<30> Maker2;
  TextField<30> Code;
  TextField<100> Text;
  TextField<30> Category;
  U16Field Kind;
  U16Field Int754;
  TextField<21> Finish;
  TextField<21> Text777;
  TextField<81> Text798;
  U16Field Int879;
  Ext80Field Value;
  Ext80Field Value2;
  I16Field Sub1;
  I16Field Sub2;
  I16Field Sub3;
  I16Field Sub4;
  I16Field Sub5;
  TextField<31> PrintGroup;
  unsigned char Reserved942[30];
  F64Field Quantity;
  Ext80Field AssemblyTime;
  Ext80Field ProcessingTime;
  unsigned char Reserved1000[3];

  // A new record: every byte zero but Int754, which is 1.
  JobItemRecord();
  // Copies every named field, texts as strings; the reserved areas stay zero.
  JobItemRecord(const JobItemRecord& other);
  JobItemRecord& operator=(const JobItemRecord& other);
  // A record that is handed on rather than copied keeps its bytes as they are: every record
  // the library holds already has its texts as strings and its reserved areas zero.
  JobItemRecord(JobItemRecord&& other) noexcept = default;
  JobItemRecord& operator=(JobItemRecord&& other) noexcept = default;

  // A record as Zelvo's readers take it from a file: texts as strings. The extended fields keep
  // their ten bytes, so a list written back carries them unchanged (a double could not hold
  // their low bits, infinities or far exponents); Get reads them as doubles where a value is
  // used.
  static JobItemRecord FromBytes(const unsigned char* bytes);
  void ToBytes(unsigned char* bytes) const;
};

// How a reader treats the stored count: the request disregards it; the accessory list
// takes a count of 0 or less as an empty file.
enum class CountRule { Ignore, EmptyWhenNotPositive };

struct JobItemFileInfo {
  bool opened = false;
  bool hasCount = false;  // the file is at least two bytes long
  std::int16_t count = 0;
  std::size_t droppedBytes = 0;  // a short last record, not taken
};

// The records of one job item file, in file order.
class JobItemList {
 public:
  JobItemFileInfo Load(const std::string& path, CountRule rule);
  // The count is stored cut to 16 bits. The file is written beside its target and renamed
  // over it, so that no reader ever sees half a list.
  bool Save(const std::string& path) const;

  void Append(const JobItemRecord& record) { records_.push_back(record); }
  void Append(JobItemRecord&& record) { records_.push_back(std::move(record)); }
  void Clear() { records_.clear(); }
  std::size_t Size() const { return records_.size(); }
  bool Empty() const { return records_.empty(); }
  const JobItemRecord& operator[](std::size_t i) const { return records_[i]; }
  JobItemRecord& operator[](std::size_t i) { return records_[i]; }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

 private:
  std::vector<JobItemRecord> records_;
};

}  // namespace zmw
