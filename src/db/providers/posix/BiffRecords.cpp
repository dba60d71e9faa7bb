#include "db/providers/posix/BiffRecords.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "db/providers/posix/WorkbookReader.h"
#include "platform/Text.h"

namespace zmw::biff {

bool IsBof(std::uint16_t id) { return id == kBof || id == kBof4 || id == kBof3 || id == kBof2; }

bool Records::Next(Record& record) {
  if (stream_.size() - at_ < 4 || at_ > stream_.size()) return false;
  const std::uint8_t* p = stream_.data() + at_;
  record.id = std::uint16_t(p[0] | p[1] << 8);
  record.size = std::size_t(p[2] | p[3] << 8);
  record.offset = at_;
  record.body = at_ + 4;
  if (stream_.size() - record.body < record.size)
    ThrowDamagedWorkbook(shown_, "a record reaches past the end of the workbook stream");
  at_ = record.body + record.size;
  return true;
}

std::vector<Record> Records::TakeContinues() {
  std::vector<Record> pieces;
  Record next;
  for (;;) {
    std::size_t before = at_;
    if (!Next(next)) break;
    if (next.id != kContinue) {
      at_ = before;
      break;
    }
    pieces.push_back(next);
  }
  return pieces;
}

Fields::Fields(const std::vector<std::uint8_t>& stream, const Record& record, const std::string& shown,
               std::vector<Record> continues)
    : stream_(stream), shown_(shown), continues_(std::move(continues)), at_(record.body), end_(record.body + record.size) {}

void Fields::Damaged(const std::string& what) const { ThrowDamagedWorkbook(shown_, what); }

bool Fields::Advance() {
  if (at_ < end_) return true;
  // An empty CONTINUE record holds nothing to read: the one after it goes on.
  while (next_ < continues_.size()) {
    const Record& piece = continues_[next_++];
    at_ = piece.body;
    end_ = at_ + piece.size;
    if (at_ < end_) return true;
  }
  return false;
}

// A field is whole in one piece: only characters are split between records.
const std::uint8_t* Fields::Take(std::size_t count) {
  if (count > 0 && !Advance()) Damaged("a record is shorter than its fields");
  if (end_ - at_ < count) Damaged("a record is shorter than its fields");
  const std::uint8_t* p = stream_.data() + at_;
  at_ += count;
  return p;
}

std::uint8_t Fields::U8() { return *Take(1); }
std::uint16_t Fields::U16() {
  const std::uint8_t* p = Take(2);
  return std::uint16_t(p[0] | p[1] << 8);
}
std::uint32_t Fields::U32() {
  const std::uint8_t* p = Take(4);
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
double Float64(const std::uint8_t* bytes) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | bytes[i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

double Fields::F64() { return Float64(Take(8)); }

// Runs and phonetic text may be split anywhere between pieces.
void Fields::Skip(std::size_t count) {
  while (count > 0) {
    if (!Advance()) Damaged("a record is shorter than its fields");
    std::size_t step = std::min(count, end_ - at_);
    at_ += step;
    count -= step;
  }
}

bool Fields::AtEnd() { return !Advance(); }

std::u16string Fields::Characters(std::size_t count, bool wide) {
  std::u16string out;
  out.reserve(std::min<std::size_t>(count, 1 << 16));
  while (out.size() < count) {
    if (at_ >= end_) {
      if (!Advance()) Damaged("a text is longer than its record");
      wide = (U8() & 1) != 0;
    }
    std::size_t width = wide ? 2 : 1;
    std::size_t fit = std::min(count - out.size(), (end_ - at_) / width);
    if (fit == 0) {
      if (at_ >= end_) continue;  // a piece that held only its option byte
      Damaged("a text is longer than its record");
    }
    const std::uint8_t* p = stream_.data() + at_;
    for (std::size_t i = 0; i < fit; ++i) out += wide ? char16_t(p[2 * i] | p[2 * i + 1] << 8) : char16_t(p[i]);
    at_ += fit * width;
  }
  return out;
}

// Before BIFF8 a long text goes on in CONTINUE records byte for byte.
std::string Fields::Bytes(std::size_t count) {
  std::string out;
  while (out.size() < count) {
    if (!Advance()) Damaged("a text is longer than its record");
    std::size_t step = std::min(count - out.size(), end_ - at_);
    out.append(reinterpret_cast<const char*>(stream_.data() + at_), step);
    at_ += step;
  }
  return out;
}

void CodePage::Close::operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }

void CodePage::Set(std::uint16_t codePage) {
  converter_.reset();
  // 367 is ASCII and 32769 Excel's own name for Windows-1252; 0 and 1200 appear in files whose
  // writer meant the default.
  if (codePage == 1252 || codePage == 367 || codePage == 32769 || codePage == 0 || codePage == 1200) return;
  std::string from = codePage == 10000 ? "MACINTOSH" : "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd != iconv_t(-1)) converter_.reset(cd);  // a code page iconv does not know: as it is
}

std::string CodePage::ToCp1252(const std::string& bytes) const {
  if (!converter_) return bytes;
  iconv_t cd = static_cast<iconv_t>(converter_.get());
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a text starts in the initial state
  std::string utf8(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size(), outLeft = utf8.size();
  char* out = utf8.data();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &out, &outLeft) != std::size_t(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    // A byte the code page does not define: '?' as Windows gives it, and on.
    *out++ = '?';
    --outLeft;
    ++in;
    --inLeft;
  }
  utf8.resize(utf8.size() - outLeft);
  return platform::Utf8ToCp1252(utf8);
}

std::string UnicodeString(Fields& fields, int lengthBytes) {
  std::size_t count = lengthBytes == 1 ? fields.U8() : fields.U16();
  std::uint8_t options = fields.U8();
  std::size_t runs = (options & 0x08) ? fields.U16() : 0;
  std::size_t phonetic = (options & 0x04) ? fields.U32() : 0;
  std::u16string text = fields.Characters(count, (options & 0x01) != 0);
  fields.Skip(runs * 4);
  fields.Skip(phonetic);
  return platform::Utf16ToCp1252(text);
}

std::string ByteString(Fields& fields, int lengthBytes, const CodePage& codePage) {
  std::size_t count = lengthBytes == 1 ? fields.U8() : fields.U16();
  return codePage.ToCp1252(fields.Bytes(count));
}

double RkNumber(std::uint32_t rk) {
  double v;
  if (rk & 0x02) {
    v = double(std::int32_t(rk) >> 2);
  } else {
    std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&v, &bits, sizeof v);
  }
  return (rk & 0x01) ? v / 100 : v;
}

}  // namespace zmw::biff
