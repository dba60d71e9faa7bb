// The workbook provider where there is no Jet: the connection opens the file that "Data Source"
// names and reads it with the reader its content calls for; a record pass is one sheet.
#include "db/DbError.h"
#include "db/providers/posix/WorkbookReader.h"
#include "db/providers/posix/WorkbookSource.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace zmw {

void ThrowDamagedWorkbook(const std::string& shown, const std::string& detail) {
  throw DbError(kEFail, "[ZelvoMW][Workbook] The workbook '" + shown + "' is damaged: " + detail + ".");
}

void ThrowEncryptedWorkbook(const std::string& shown) {
  throw DbError(kEFail, "[ZelvoMW][Workbook] The workbook '" + shown +
                            "' is protected by a password and cannot be read.");
}

void ThrowNoSuchSheet(const std::string& shown, const std::string& sheet) {
  throw DbError(kDbNoTable, "[ZelvoMW][Workbook] The workbook '" + shown + "' has no sheet '" + sheet + "'.");
}

bool IsDateFormatCode(const std::string& code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    switch (c) {
      case '"': {
        std::size_t close = code.find('"', i + 1);
        if (close == std::string::npos) return false;
        i = close;
        break;
      }
      case '\\':
      case '_':
      case '*': ++i; break;
      case '[': {
        std::size_t close = code.find(']', i + 1);
        if (close == std::string::npos) return false;
        std::string inside = platform::AsciiUpper(code.substr(i + 1, close - i - 1));
        // [h], [mm], [ss]: elapsed time.
        if (!inside.empty() && inside.find_first_not_of("HMS") == std::string::npos) return true;
        i = close;
        break;
      }
      case ';': return false;  // the first section is the one for positive numbers and dates
      case 'd': case 'D': case 'm': case 'M': case 'y': case 'Y':
      case 'h': case 'H': case 's': case 'S': return true;
      default: break;
    }
  }
  return false;
}

bool IsBuiltInDateFormat(int id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}


SheetCell NumberCell(double number, bool dateStyle, bool system1904) {
  SheetCell cell;
  cell.number = number;
  if (!dateStyle) return cell;
  double serial = DateFromSheetSerial(number, system1904);
  if (serial > -657435.0 && serial < 2958466.0) {
    cell.kind = SheetCell::Date;
    cell.number = serial;
  }
  return cell;
}

std::unique_ptr<WorkbookReader> OpenWorkbookFile(const std::string& path) {
  if (path.empty()) throw DbError(kEFail, "[ZelvoMW][Workbook] The connection text names no workbook (Data Source).");
  std::string native = platform::NativePath(path).string();
  switch (SniffWorkbook(path)) {
    case WorkbookKind::Unreadable:
      throw DbError(kEFail, "[ZelvoMW][Workbook] The workbook '" + path + "' cannot be found or opened.");
    case WorkbookKind::CompoundFile:
    case WorkbookKind::BiffStream: return OpenXlsWorkbook(native, path);
    case WorkbookKind::ZipPackage: return OpenXlsxWorkbook(native, path);
    case WorkbookKind::Other: break;
  }
  throw DbError(kEFail, "[ZelvoMW][Workbook] '" + path + "' is not an Excel workbook (.xls or .xlsx).");
}

namespace {

class WorkbookSource final : public DataSource {
 public:
  void Open(const std::string& connectionText) override { reader_ = OpenWorkbookFile(WorkbookFileOf(connectionText)); }

  void Close() override {
    RequireOpen();
    reader_.reset();
  }

  std::int32_t ExecuteNoRecords(const std::string& statement) override {
    RequireOpen();
    throw DbError(kDbErrorsInCommand, "[ZelvoMW][Workbook] A workbook is read only: '" + statement + "' cannot run.");
  }

  std::unique_ptr<RecordSource> OpenRecordSet(const std::string& statement) override {
    RequireOpen();
    return MakeSheetRecords(reader_->ReadSheet(SheetOfQuery(statement)));
  }

  std::unique_ptr<CommandSource> Prepare(const std::string& statement, const std::vector<ParameterSpec>&) override {
    RequireOpen();
    throw DbError(kDbErrorsInCommand, "[ZelvoMW][Workbook] A workbook is read only: '" + statement + "' cannot run.");
  }

 private:
  void RequireOpen() const {
    if (!reader_) throw DbError(kAdoClosed, kAdoClosedText);
  }

  std::unique_ptr<WorkbookReader> reader_;
};

}  // namespace

std::unique_ptr<DataSource> CreateWorkbookSource() { return std::make_unique<WorkbookSource>(); }

}  // namespace zmw
