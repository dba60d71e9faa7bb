// The binary workbooks (.xls): Excel 97-2003 (BIFF8) and Excel 5/95 (BIFF5) from the workbook
// stream of their compound file, which libgsf opens; the single sheets of Excel 2 to 4, which
// are the bare stream. The stream is read into memory once; the workbook's globals (sheets,
// shared strings, number formats, date system, code page) are read when it opens, each sheet's
// cells when it is asked for.
//
// A formula cell gives the value it had when the file was last saved, as the writer stored it
// beside the formula: the reader never computes. Dates are numbers whose cell style shows a date.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "db/DbError.h"
#include "db/providers/posix/BiffRecords.h"
#include "db/providers/posix/WorkbookReader.h"
#include "platform/Text.h"

namespace zmw {
namespace {

using namespace biff;

template <typename T>
struct GObjectRelease {
  void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectRelease<T>>;

struct ErrorRelease {
  void operator()(GError* error) const { g_error_free(error); }
};

// The compound file's streams whose names tell what the file holds, found in any case as
// Excel finds them.
GObjectPtr<GsfInput> ChildNamed(GsfInfile* root, const char* name) {
  int count = gsf_infile_num_children(root);
  for (int i = 0; i < count; ++i) {
    const char* child = gsf_infile_name_by_index(root, i);
    if (child && platform::EqualsNoCase(child, name)) return GObjectPtr<GsfInput>(gsf_infile_child_by_index(root, i));
  }
  return nullptr;
}

std::vector<std::uint8_t> ReadWorkbookStream(const std::string& nativePath, const std::string& shown) {
  GError* failure = nullptr;
  GObjectPtr<GsfInput> file(gsf_input_stdio_new(nativePath.c_str(), &failure));
  std::unique_ptr<GError, ErrorRelease> fileError(failure);
  if (!file) throw DbError(kEFail, "[ZelvoMW][Workbook] The workbook '" + shown + "' cannot be opened.");
  failure = nullptr;
  GObjectPtr<GsfInfile> root(gsf_infile_msole_new(file.get(), &failure));
  std::unique_ptr<GError, ErrorRelease> rootError(failure);
  if (!root) ThrowDamagedWorkbook(shown, "not a readable compound file");
  GObjectPtr<GsfInput> stream = ChildNamed(root.get(), "Workbook");
  if (!stream) stream = ChildNamed(root.get(), "Book");
  if (!stream) {
    // A password-protected .xlsx is a compound file holding its package encrypted.
    if (ChildNamed(root.get(), "EncryptedPackage")) ThrowEncryptedWorkbook(shown);
    ThrowDamagedWorkbook(shown, "no workbook stream");
  }
  gsf_off_t size = gsf_input_size(stream.get());
  if (size < 0 || std::uint64_t(size) > (std::uint64_t(1) << 31)) ThrowDamagedWorkbook(shown, "bad workbook stream size");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t piece = std::min<std::size_t>(bytes.size() - done, 1 << 20);
    if (!gsf_input_read(stream.get(), piece, bytes.data() + done)) ThrowDamagedWorkbook(shown, "the workbook stream ends early");
    done += piece;
  }
  return bytes;
}

struct BoundSheet {
  std::string name;  // Windows-1252
  std::size_t offset;
};

class XlsWorkbook final : public WorkbookReader {
 public:
  XlsWorkbook(const std::string& nativePath, std::string shown, bool bareStream) : shown_(std::move(shown)) {
    if (bareStream) {
      std::ifstream in(nativePath, std::ios::binary);
      stream_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
      stream_ = ReadWorkbookStream(nativePath, shown_);
    }
    ReadGlobals(nativePath);
  }

  std::vector<std::string> SheetNames() const override {
    std::vector<std::string> names;
    for (const BoundSheet& s : sheets_) names.push_back(s.name);
    return names;
  }

  std::shared_ptr<const SheetData> ReadSheet(const std::string& name) override {
    for (const BoundSheet& s : sheets_)
      if (platform::EqualsNoCase(s.name, name)) return ReadCells(s.offset);
    ThrowNoSuchSheet(shown_, name);
  }

 private:
  void ReadGlobals(const std::string& nativePath) {
    Records records(stream_, 0, shown_);
    Record r;
    if (!records.Next(r) || !IsBof(r.id)) ThrowDamagedWorkbook(shown_, "the workbook stream does not start with a BOF record");
    std::uint16_t kind = ReadBof(r);
    // Excel 2 to 4 wrote one sheet a file, its cells after its formats; BIFF5/8 has a globals
    // part naming the sheets, and a sheet of its own after it.
    bool single = kind != 0x0005;
    if (kind == 0x0100) ThrowDamagedWorkbook(shown_, "an Excel 4.0 workbook of several sheets; save it as Excel 97-2003");
    if (single) sheets_.push_back({platform::Utf8ToCp1252(std::filesystem::path(nativePath).stem().string()), 0});
    std::uint16_t formats = 0;  // before BIFF5 a format's number is its place
    while (records.Next(r) && r.id != kEof) {
      Fields f(stream_, r, shown_);
      switch (r.id) {
        case kFilePass: ThrowEncryptedWorkbook(shown_);
        case kCodePage: codePage_.Set(f.U16()); break;
        case kDateMode: date1904_ = f.U16() == 1; break;
        case kFormat:
          if (version_ == Version::Biff8) {
            std::uint16_t id = f.U16();
            formatCodes_[id] = UnicodeString(f, 2);
          } else if (version_ == Version::Biff5) {
            std::uint16_t id = f.U16();
            formatCodes_[id] = ByteString(f, 1, codePage_);
          } else {
            f.U16();
            formatCodes_[formats++] = ByteString(f, 1, codePage_);
          }
          break;
        case kFormat2: formatCodes_[formats++] = ByteString(f, 1, codePage_); break;
        case kXf:
          f.U16();
          xfFormats_.push_back(f.U16());
          break;
        case kXf3:
        case kXf4:
          f.U8();
          xfFormats_.push_back(f.U8());
          break;
        case kXf2:
          f.Skip(2);
          xfFormats_.push_back(f.U8() & 0x3F);
          break;
        case kBoundSheet:
          if (!single) ReadBoundSheet(f);
          break;
        case kSst:
          if (version_ == Version::Biff8) ReadSharedStrings(r, records.TakeContinues());
          break;
        default: break;
      }
    }
    for (std::uint16_t id : xfFormats_) dateXfs_.push_back(IsDateFormat(id));
  }

  // The version from the first BOF; what the stream holds: 5 a workbook's globals, 0x10 a
  // worksheet, 0x100 an Excel 4 workbook.
  std::uint16_t ReadBof(const Record& r) {
    Fields f(stream_, r, shown_);
    switch (r.id) {
      case kBof2: version_ = Version::Biff2; break;
      case kBof3: version_ = Version::Biff3; break;
      case kBof4: version_ = Version::Biff4; break;
      default: version_ = Version::Biff8; break;
    }
    if (r.size < 4) return 0x10;  // BIFF2's BOF may hold its version only
    std::uint16_t vers = f.U16(), kind = f.U16();
    if (r.id == kBof && vers < 0x0600) version_ = Version::Biff5;
    return kind;
  }

  void ReadBoundSheet(Fields& f) {
    std::uint32_t offset = f.U32();
    f.U8();
    std::uint8_t type = f.U8();
    std::string name = version_ == Version::Biff8 ? UnicodeString(f, 1) : ByteString(f, 1, codePage_);
    // Chart sheets and modules have no cells; macro sheets do.
    if (type == 0 || type == 1) sheets_.push_back({name, offset});
  }

  void ReadSharedStrings(const Record& sst, std::vector<Record> continues) {
    Fields f(stream_, sst, shown_, std::move(continues));
    f.U32();
    std::uint32_t unique = f.U32();
    // Writers have put a wrong count here: the strings end where the records end.
    for (std::uint32_t i = 0; i < unique && !f.AtEnd(); ++i) strings_.push_back(UnicodeString(f, 2));
  }

  bool IsDateFormat(std::uint16_t id) const {
    auto code = formatCodes_.find(id);
    if (code != formatCodes_.end()) return IsDateFormatCode(code->second);
    return version_ >= Version::Biff5 && IsBuiltInDateFormat(id);
  }

  bool IsDateStyle(std::uint16_t xf) const { return xf < dateXfs_.size() && dateXfs_[xf]; }

  // A BIFF2 cell's attributes: its style in the first byte, its number format in the second
  // (which is what a file without styles has).
  bool IsDateAttributes(std::uint8_t a0, std::uint8_t a1) const {
    return dateXfs_.empty() ? IsDateFormat(a1 & 0x3F) : IsDateStyle(a0 & 0x3F);
  }

  class Cells {
   public:
    Cells(SheetData& data, const XlsWorkbook& book) : data_(data), book_(book) {}
    void Number(std::uint32_t row, std::uint32_t column, double v, bool date) {
      Put(row, column, NumberCell(v, date, book_.date1904_));
    }
    void Text(std::uint32_t row, std::uint32_t column, std::string text) {
      SheetCell cell;
      cell.kind = SheetCell::Text;
      cell.text = data_.AddText(std::move(text));
      Put(row, column, cell);
    }
    void Shared(std::uint32_t row, std::uint32_t column, std::uint32_t index) {
      if (index >= book_.strings_.size()) ThrowDamagedWorkbook(book_.shown_, "bad shared string index");
      SheetCell cell;
      cell.kind = SheetCell::Text;
      cell.text = index;
      Put(row, column, cell);
    }
    void Bool(std::uint32_t row, std::uint32_t column, bool v) {
      SheetCell cell;
      cell.kind = SheetCell::Bool;
      cell.number = v ? 1 : 0;
      Put(row, column, cell);
    }

   private:
    void Put(std::uint32_t row, std::uint32_t column, const SheetCell& cell) {
      if (column >= kSheetMaxColumns) ThrowDamagedWorkbook(book_.shown_, "bad cell reference");
      data_.Put(row, column, cell);
    }
    SheetData& data_;
    const XlsWorkbook& book_;
  };

  // A formula's stored result: a number, or by its marker a text (in the STRING record that
  // follows), a boolean, an error (no value) or an empty text.
  bool FormulaResult(Fields& f, Cells& cells, std::uint32_t row, std::uint32_t column, bool date) {
    std::uint8_t b[8];
    for (auto& byte : b) byte = f.U8();
    if (b[6] != 0xFF || b[7] != 0xFF) {
      cells.Number(row, column, Float64(b), date);
      return false;
    }
    switch (b[0]) {
      case 0: return true;
      case 1: cells.Bool(row, column, b[2] != 0); break;
      case 3: cells.Text(row, column, ""); break;
      default: break;
    }
    return false;
  }

  std::shared_ptr<const SheetData> ReadCells(std::size_t offset) {
    auto data = std::make_shared<SheetData>();
    data->texts = strings_;
    Cells cells(*data, *this);
    Records records(stream_, offset, shown_);
    Record r;
    if (!records.Next(r) || !IsBof(r.id)) ThrowDamagedWorkbook(shown_, "a sheet's place in the workbook stream is wrong");
    bool biff8 = version_ == Version::Biff8, biff2 = version_ == Version::Biff2;
    bool pendingText = false;  // the last formula's text is in the STRING record after it
    std::uint32_t pendingRow = 0, pendingColumn = 0;
    int nested = 0;  // an embedded chart is a BOF..EOF of its own inside the sheet
    while (records.Next(r)) {
      if (IsBof(r.id)) {
        ++nested;
        continue;
      }
      if (r.id == kEof) {
        if (nested-- == 0) break;
        continue;
      }
      if (nested > 0) continue;
      std::vector<Record> continues;
      if (r.id == kString || r.id == kLabel || r.id == kRString) continues = records.TakeContinues();
      Fields f(stream_, r, shown_, std::move(continues));
      bool wasPending = pendingText;
      pendingText = false;
      if (biff2) {
        if (r.id == kString2) {
          if (wasPending) cells.Text(pendingRow, pendingColumn, ByteString(f, 1, codePage_));
          continue;
        }
        if (r.id < kBlank2 || r.id > kBoolErr2) {
          if (r.id != kFormula) {
            pendingText = wasPending;
            continue;
          }
        }
        std::uint32_t row = f.U16(), column = f.U16();
        std::uint8_t a0 = f.U8(), a1 = f.U8();
        f.U8();
        bool date = IsDateAttributes(a0, a1);
        switch (r.id) {
          case kInteger2: cells.Number(row, column, f.U16(), date); break;
          case kNumber2: cells.Number(row, column, f.F64(), date); break;
          case kLabel2: cells.Text(row, column, ByteString(f, 1, codePage_)); break;
          case kBoolErr2: {
            std::uint8_t v = f.U8();
            if (f.U8() == 0) cells.Bool(row, column, v != 0);
            break;
          }
          case kFormula:
            pendingText = FormulaResult(f, cells, row, column, date);
            pendingRow = row;
            pendingColumn = column;
            break;
          default: break;
        }
        continue;
      }
      switch (r.id) {
        case kNumber: case kRk: case kLabel: case kRString: case kLabelSst: case kBoolErr:
        case kFormula: case kFormula3: case kFormula4: case kMulRk: break;
        case kString:
          if (wasPending)
            cells.Text(pendingRow, pendingColumn, biff8 ? UnicodeString(f, 2) : ByteString(f, 2, codePage_));
          continue;
        default:
          // A shared or array formula's record may sit between a formula and its text.
          pendingText = wasPending;
          continue;
      }
      std::uint32_t row = f.U16(), column = f.U16();
      if (r.id == kMulRk) {
        if (r.size < 6) ThrowDamagedWorkbook(shown_, "a record is shorter than its fields");
        for (std::size_t i = 0; i < (r.size - 6) / 6; ++i) {
          std::uint16_t xf = f.U16();
          cells.Number(row, column + std::uint32_t(i), RkNumber(f.U32()), IsDateStyle(xf));
        }
        continue;
      }
      std::uint16_t xf = f.U16();
      switch (r.id) {
        case kNumber: cells.Number(row, column, f.F64(), IsDateStyle(xf)); break;
        case kRk: cells.Number(row, column, RkNumber(f.U32()), IsDateStyle(xf)); break;
        case kLabel:
        case kRString: cells.Text(row, column, biff8 ? UnicodeString(f, 2) : ByteString(f, 2, codePage_)); break;
        case kLabelSst: cells.Shared(row, column, f.U32()); break;
        case kBoolErr: {
          std::uint8_t v = f.U8();
          if (f.U8() == 0) cells.Bool(row, column, v != 0);
          break;
        }
        default:  // the formulas
          pendingText = FormulaResult(f, cells, row, column, IsDateStyle(xf));
          pendingRow = row;
          pendingColumn = column;
          break;
      }
    }
    return data;
  }

  std::string shown_;
  std::vector<std::uint8_t> stream_;
  Version version_ = Version::Biff8;
  CodePage codePage_;
  bool date1904_ = false;
  std::map<std::uint16_t, std::string> formatCodes_;
  std::vector<std::uint16_t> xfFormats_;
  std::vector<bool> dateXfs_;
  std::vector<BoundSheet> sheets_;
  std::vector<std::string> strings_;
};

}  // namespace

std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const std::string& nativePath, const std::string& shown) {
  return std::make_unique<XlsWorkbook>(nativePath, shown, SniffWorkbook(nativePath) == WorkbookKind::BiffStream);
}

}  // namespace zmw
