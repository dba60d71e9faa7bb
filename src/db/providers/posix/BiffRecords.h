// The record layer of the binary Excel formats, Excel 2 to Excel 97-2003 (BIFF2 to BIFF8): the
// records of a workbook stream, their fields read with every length checked against the record
// that holds it, and the texts in the forms each version stores them. Nothing here trusts a
// count the file gives: a field that would reach past its record is a damaged workbook.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zmw::biff {

enum class Version { Biff2, Biff3, Biff4, Biff5, Biff8 };

// The record ids the reader needs; every other record is passed over.
enum RecordId : std::uint16_t {
  kBlank2 = 0x0001, kInteger2 = 0x0002, kNumber2 = 0x0003, kLabel2 = 0x0004, kBoolErr2 = 0x0005,
  kFormula = 0x0006,  // BIFF2 and BIFF5/8, each with its own layout
  kString2 = 0x0007, kEof = 0x000A, kFormat2 = 0x001E, kDateMode = 0x0022, kFilePass = 0x002F,
  kContinue = 0x003C, kCodePage = 0x0042, kXf2 = 0x0043, kBoundSheet = 0x0085, kMulRk = 0x00BD,
  kRString = 0x00D6, kXf = 0x00E0, kSst = 0x00FC, kLabelSst = 0x00FD, kNumber = 0x0203, kLabel = 0x0204,
  kBoolErr = 0x0205, kFormula3 = 0x0206, kString = 0x0207, kXf3 = 0x0243, kRk = 0x027E, kFormula4 = 0x0406,
  kFormat = 0x041E, kXf4 = 0x0443,
  kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof = 0x0809,
};

bool IsBof(std::uint16_t id);

struct Record {
  std::uint16_t id = 0;
  std::size_t offset = 0;  // of its header in the stream
  std::size_t body = 0;    // of its data in the stream
  std::size_t size = 0;
};

class Records {
 public:
  // `shown` is the workbook's name in the errors.
  Records(const std::vector<std::uint8_t>& stream, std::size_t from, const std::string& shown)
      : stream_(stream), shown_(shown), at_(from) {}
  // The next record; false at the end of the stream (a header cut short by the end counts as
  // the end: writers pad the stream to whole sectors).
  bool Next(Record& record);
  // The CONTINUE records that follow the last one, taken as further pieces of it.
  std::vector<Record> TakeContinues();

 private:
  const std::vector<std::uint8_t>& stream_;
  const std::string& shown_;
  std::size_t at_;
};

// Reads one record's fields in order, across its CONTINUE records where it has any.
class Fields {
 public:
  Fields(const std::vector<std::uint8_t>& stream, const Record& record, const std::string& shown,
         std::vector<Record> continues = {});
  [[noreturn]] void Damaged(const std::string& what) const;

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  double F64();
  void Skip(std::size_t count);
  bool AtEnd();

  // BIFF8 characters: count of them, 8-bit (compressed) or 16-bit as `wide` says; where the
  // text goes on in a CONTINUE record, that record starts with the option byte of its part.
  std::u16string Characters(std::size_t count, bool wide);
  std::string Bytes(std::size_t count);

 private:
  // Moves to the next piece when the current one is used up; false when none is left.
  bool Advance();
  const std::uint8_t* Take(std::size_t count);

  const std::vector<std::uint8_t>& stream_;
  const std::string& shown_;
  std::vector<Record> continues_;
  std::size_t next_ = 0, at_ = 0, end_ = 0;
};

// Turns the 8-bit texts of BIFF2-5 from the workbook's code page into Windows-1252.
// The converter is opened once, when the workbook names its code page.
class CodePage {
 public:
  void Set(std::uint16_t codePage);
  std::string ToCp1252(const std::string& bytes) const;

 private:
  struct Close {
    void operator()(void* converter) const;
  };
  std::unique_ptr<void, Close> converter_;  // none: the texts are Windows-1252 already
};

// A BIFF8 string (XLUnicodeString, or the rich one of the shared string table): its length in
// `lengthBytes` bytes, its option byte, its characters, then its formatting runs and phonetic
// text, which are skipped. As Windows-1252.
std::string UnicodeString(Fields& fields, int lengthBytes);
// A BIFF2-5 string: its length in `lengthBytes` bytes, then its 8-bit characters.
std::string ByteString(Fields& fields, int lengthBytes, const CodePage& codePage);

// The little-endian IEEE double at those 8 bytes.
double Float64(const std::uint8_t* bytes);
// An RK number: a 30-bit integer or the high bits of a double, perhaps hundredths.
double RkNumber(std::uint32_t rk);

}  // namespace zmw::biff
