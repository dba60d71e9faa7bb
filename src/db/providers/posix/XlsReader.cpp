// BIFF8 workbooks (.xls) through FreeXL. FreeXL reads the whole file when it opens it and gives
// each cell typed, dates already turned into texts by the workbook's date system; what it cannot
// give, it gives as empty: the value a formula cell last had is among those, so formula cells of
// an .xls read as NULL.
//
// FreeXL trusts the lengths a damaged file claims (a string longer than its record is copied
// whole, reading past its buffer, and can bring the process down), and loses memory on such
// files. So it never runs in the library's own process: a child process opens the workbook and
// sends every sheet's cells back through a pipe; a child that dies or stops short means a
// damaged workbook, and the caller is told so like any other failure.
#include <freexl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "db/DbError.h"
#include "db/providers/posix/WorkbookReader.h"
#include "platform/Text.h"

namespace zmw {
namespace {

std::string FreeXlError(int code) {
  switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return "out of memory";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE: return "bad compound file header";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR: return "the file ends too early";
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY: return "bad sector chain";
    case FREEXL_BIFF_INVALID_BOF: return "bad BIFF record";
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX: return "bad shared string table";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return "no workbook stream";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET: return "text in an unknown character set";
    case FREEXL_ILLEGAL_RK_VALUE: return "bad number";
    case FREEXL_CRAFTED_FILE: return "inconsistent structure";
    default: return "FreeXL error " + std::to_string(code);
  }
}

// A password-protected .xlsx is a compound file too, holding its package encrypted in a stream
// of this name instead of a workbook.
bool HoldsEncryptedPackage(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string name;
  for (char c : std::string("EncryptedPackage")) {
    name += c;
    name += '\0';
  }
  return bytes.find(name) != std::string::npos;
}

// FreeXL's date texts: "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "HH:MM:SS".
bool ParseFreeXlDate(const char* text, int type, double& serial) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (type == FREEXL_CELL_TIME) {
    if (std::sscanf(text, "%d:%d:%d", &h, &mi, &s) != 3) return false;
    serial = (h * 3600 + mi * 60 + s) / 86400.0;
    return true;
  }
  int n = std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  if (n != 3 && n != 6) return false;
  if (mo < 1 || mo > 12 || d < 1 || d > 31) return false;
  serial = DateSerial(y, mo, d, h, mi, s);
  return true;
}

// What the child sends, in order: a sheet's name, then its cells; at the end a mark that all
// came, or instead an outcome that ends the reading.
enum Tag : char { kSheet = 'S', kCell = 'C', kEnd = 'Z', kCannotOpen = 'O', kDamaged = 'D', kEncrypted = 'P' };

class Sender {
 public:
  explicit Sender(int fd) : fd_(fd) {}
  ~Sender() { Flush(); }
  void Byte(char c) { buffer_ += c; }
  void U32(std::uint32_t v) { buffer_.append(reinterpret_cast<const char*>(&v), sizeof v); }
  void Real(double v) { buffer_.append(reinterpret_cast<const char*>(&v), sizeof v); }
  void Text(const std::string& t) {
    U32(std::uint32_t(t.size()));
    buffer_ += t;
    if (buffer_.size() > (1 << 16)) Flush();
  }
  void Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
      ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += std::size_t(n);
    }
    buffer_.clear();
  }

 private:
  int fd_;
  std::string buffer_;
};

class FreeXlHandle {
 public:
  ~FreeXlHandle() {
    if (h_) freexl_close(h_);
  }
  const void** Out() { return &h_; }
  const void* Get() const { return h_; }

 private:
  const void* h_ = nullptr;
};

// In the child: the whole workbook through FreeXL.
void SendWorkbook(const std::string& nativePath, Sender& out) {
  FreeXlHandle handle;
  int rc = freexl_open(nativePath.c_str(), handle.Out());
  if (rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND && HoldsEncryptedPackage(nativePath)) return out.Byte(kEncrypted);
  if (rc == FREEXL_FILE_NOT_FOUND) return out.Byte(kCannotOpen);
  auto damaged = [&](const std::string& detail) {
    out.Byte(kDamaged);
    out.Text(detail);
  };
  if (rc != FREEXL_OK) return damaged(FreeXlError(rc));
  unsigned info = 0;
  // A FILEPASS record stops FreeXL before the sheets, and it then cannot say "plain" either.
  if (freexl_get_info(handle.Get(), FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK || info != FREEXL_BIFF_PLAIN)
    return out.Byte(kEncrypted);
  unsigned count = 0;
  freexl_get_info(handle.Get(), FREEXL_BIFF_SHEET_COUNT, &count);
  if (count == 0) return damaged("no sheets");
  for (unsigned i = 0; i < count && i < 0x10000; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle.Get(), static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
      return damaged("bad sheet name");
    if (freexl_select_active_worksheet(handle.Get(), static_cast<unsigned short>(i)) != FREEXL_OK)
      return damaged("bad sheet");
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle.Get(), &rows, &columns) != FREEXL_OK) return damaged("bad sheet dimensions");
    out.Byte(kSheet);
    out.Text(platform::Utf8ToCp1252(name));
    for (unsigned r = 0; r < rows && r < kSheetMaxRows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        rc = freexl_get_cell_value(handle.Get(), r, c, &value);
        if (rc != FREEXL_OK) return damaged(FreeXlError(rc));
        double serial = 0;
        switch (value.type) {
          case FREEXL_CELL_INT:
          case FREEXL_CELL_DOUBLE:
            out.Byte(kCell);
            out.U32(r);
            out.U32(c);
            out.Byte(SheetCell::Number);
            out.Real(value.type == FREEXL_CELL_INT ? value.value.int_value : value.value.double_value);
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
            out.Byte(kCell);
            out.U32(r);
            out.U32(c);
            out.Byte(SheetCell::Text);
            out.Text(platform::Utf8ToCp1252(value.value.text_value ? value.value.text_value : ""));
            break;
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME:
            if (!value.value.text_value || !ParseFreeXlDate(value.value.text_value, value.type, serial))
              return damaged("bad date");
            out.Byte(kCell);
            out.U32(r);
            out.U32(c);
            out.Byte(SheetCell::Date);
            out.Real(serial);
            break;
          default:  // empty, and formula cells, whose values FreeXL does not give
            break;
        }
      }
    }
  }
  out.Byte(kEnd);
}

// In the parent: what the child sent.
class Received {
 public:
  explicit Received(std::string bytes) : bytes_(std::move(bytes)) {}
  bool More() const { return at_ < bytes_.size(); }
  char Byte() {
    Need(1);
    return bytes_[at_++];
  }
  std::uint32_t U32() {
    std::uint32_t v;
    Need(sizeof v);
    std::memcpy(&v, bytes_.data() + at_, sizeof v);
    at_ += sizeof v;
    return v;
  }
  double Real() {
    double v;
    Need(sizeof v);
    std::memcpy(&v, bytes_.data() + at_, sizeof v);
    at_ += sizeof v;
    return v;
  }
  std::string Text() {
    std::uint32_t n = U32();
    Need(n);
    std::string t = bytes_.substr(at_, n);
    at_ += n;
    return t;
  }
  bool Short() const { return short_; }

 private:
  void Need(std::size_t n) {
    if (bytes_.size() - at_ < n) {
      short_ = true;
      throw DbError(kEFail);
    }
  }
  std::string bytes_;
  std::size_t at_ = 0;
  bool short_ = false;
};

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, std::size_t(n));
  }
  return bytes;
}

class XlsWorkbook final : public WorkbookReader {
 public:
  XlsWorkbook(const std::string& nativePath, std::string shown) : shown_(std::move(shown)) {
    int fds[2];
    if (::pipe(fds) != 0) throw DbError(kEFail, "[ZelvoMW][Workbook] Cannot start the .xls reader.");
    pid_t child = ::fork();
    if (child < 0) {
      ::close(fds[0]);
      ::close(fds[1]);
      throw DbError(kEFail, "[ZelvoMW][Workbook] Cannot start the .xls reader.");
    }
    if (child == 0) {
      ::close(fds[0]);
      try {
        Sender out(fds[1]);
        SendWorkbook(nativePath, out);
      } catch (...) {
        // whatever went wrong shows as a reading that stopped short
      }
      ::_exit(0);
    }
    ::close(fds[1]);
    std::string bytes = ReadAll(fds[0]);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    Take(Received(std::move(bytes)));
  }

  std::vector<std::string> SheetNames() const override { return names_; }

  std::shared_ptr<const SheetData> ReadSheet(const std::string& name) override {
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (platform::EqualsNoCase(names_[i], name)) return sheets_[i];
    ThrowNoSuchSheet(shown_, name);
  }

 private:
  void Take(Received in) {
    try {
      while (in.More()) {
        switch (in.Byte()) {
          case kSheet:
            names_.push_back(in.Text());
            sheets_.push_back(std::make_shared<SheetData>());
            break;
          case kCell: {
            if (sheets_.empty()) ThrowDamagedWorkbook(shown_, "the .xls reader stopped on it");
            std::uint32_t row = in.U32(), column = in.U32();
            SheetCell cell;
            cell.kind = static_cast<SheetCell::Kind>(in.Byte());
            if (cell.kind == SheetCell::Text) cell.text = sheets_.back()->AddText(in.Text());
            else cell.number = in.Real();
            sheets_.back()->Put(row, column, cell);
            break;
          }
          case kEnd: return;
          case kCannotOpen:
            throw DbError(kEFail, "[ZelvoMW][Workbook] The workbook '" + shown_ + "' cannot be opened.");
          case kEncrypted: ThrowEncryptedWorkbook(shown_);
          case kDamaged: ThrowDamagedWorkbook(shown_, in.Text());
          default: ThrowDamagedWorkbook(shown_, "the .xls reader stopped on it");
        }
      }
    } catch (const DbError&) {
      if (!in.Short()) throw;
    }
    // The child died on the file, or ended before it had read it all.
    ThrowDamagedWorkbook(shown_, "the .xls reader stopped on it");
  }

  std::string shown_;
  std::vector<std::string> names_;
  std::vector<std::shared_ptr<SheetData>> sheets_;
};

}  // namespace

std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const std::string& nativePath, const std::string& shown) {
  return std::make_unique<XlsWorkbook>(nativePath, shown);
}

}  // namespace zmw
