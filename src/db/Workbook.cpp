#include "db/Workbook.h"

#include <algorithm>
#include <cstring>

#include "db/ConnText.h"
#include "db/DbError.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace zmw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Skips blanks, then takes the word if it stands there in any case.
bool TakeWord(const std::string& text, std::size_t& at, const char* word) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  std::size_t n = std::strlen(word);
  if (text.size() - at < n || !platform::EqualsNoCase(text.substr(at, n), word)) return false;
  at += n;
  return true;
}

[[noreturn]] void RejectQuery(const std::string& statement) {
  throw DbError(kDbErrorsInCommand, "[ZelvoMW][Workbook] Syntax error in query '" + statement +
                                        "': a workbook answers SELECT * FROM [<sheet>$] only.");
}

}  // namespace

WorkbookKind SniffWorkbook(const std::string& path) {
  platform::File file = platform::File::Open(path, "rb");
  if (!file) return WorkbookKind::Unreadable;
  unsigned char head[8] = {};
  std::size_t got = file.Read(head, sizeof head);
  static const unsigned char kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (got == 8 && std::memcmp(head, kCompound, 8) == 0) return WorkbookKind::CompoundFile;
  if (got >= 4 && head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4) return WorkbookKind::ZipPackage;
  // A BOF record of BIFF2, 3, 4 or 5/8, whose length is that of a BOF.
  if (got >= 4 && head[0] == 0x09 && (head[1] == 0x00 || head[1] == 0x02 || head[1] == 0x04 || head[1] == 0x08) &&
      head[3] == 0 && head[2] >= 4 && head[2] <= 20)
    return WorkbookKind::BiffStream;
  return WorkbookKind::Other;
}

std::string WorkbookFileOf(const std::string& connectionText) {
  return ConnValue(ParseConnText(connectionText), "Data Source").value_or("");
}

bool NamesJetProvider(const std::string& connectionText) {
  std::string provider = platform::AsciiUpper(ConnValue(ParseConnText(connectionText), "Provider").value_or(""));
  return provider.find("MICROSOFT.JET.OLEDB") != std::string::npos;
}

std::string AceWorkbookText(const std::string& connectionText) {
  ConnAttributes attributes = ParseConnText(connectionText);
  ConnTextEdit edit(connectionText);
  bool providerDone = false, propertiesDone = false;
  for (const ConnAttribute& a : attributes) {
    if (!providerDone && platform::EqualsNoCase(a.key, "Provider")) {
      edit.ReplaceValue(a, "Microsoft.ACE.OLEDB.12.0");
      providerDone = true;
    } else if (!propertiesDone && platform::EqualsNoCase(a.key, "Extended Properties")) {
      propertiesDone = true;
      // "Excel 8.0" (and whatever else the properties hold, HDR=... among them, kept) becomes
      // the Office Open XML format; the version runs to the next separator.
      std::string value = a.value;
      std::size_t at = platform::AsciiUpper(value).find("EXCEL");
      if (at == std::string::npos) continue;
      std::size_t end = value.find_first_of(";\"", at);
      if (end == std::string::npos) end = value.size();
      value.replace(at, end - at, "Excel 12.0 Xml");
      edit.ReplaceValue(a, value);
    }
  }
  return edit.Result();
}

std::string SheetOfQuery(const std::string& statement) {
  std::size_t at = 0;
  if (!TakeWord(statement, at, "SELECT") || !TakeWord(statement, at, "*") || !TakeWord(statement, at, "FROM") ||
      !TakeWord(statement, at, "["))
    RejectQuery(statement);
  std::size_t close = statement.find(']', at);
  if (close == std::string::npos || close == at || statement[close - 1] != '$') RejectQuery(statement);
  std::string sheet = statement.substr(at, close - 1 - at);
  at = close + 1;
  TakeWord(statement, at, ";");
  while (at < statement.size() && IsBlank(statement[at])) ++at;
  if (at != statement.size()) RejectQuery(statement);
  return sheet;
}

std::uint32_t SheetData::AddText(std::string text) {
  texts.push_back(std::move(text));
  return static_cast<std::uint32_t>(texts.size() - 1);
}

void SheetData::Put(std::uint32_t row, std::uint32_t column, const SheetCell& value) {
  if (row >= kSheetMaxRows || column >= kSheetMaxColumns) return;
  // An empty text shows nothing: both readers make it an empty cell, whether a formula gave it
  // or the file stores it.
  if (value.kind == SheetCell::Text && value.text < texts.size() && texts[value.text].empty()) return;
  if (rows_.size() <= row) rows_.resize(std::size_t(row) + 1);
  SheetCell cell = value;
  cell.column = static_cast<std::uint16_t>(column);
  std::vector<SheetCell>& cells = rows_[row];
  if (cells.empty() || cells.back().column < cell.column) {
    cells.push_back(cell);
  } else {
    // Cells out of order are rare; a second value for the same cell replaces the first.
    auto it = std::lower_bound(cells.begin(), cells.end(), cell.column,
                               [](const SheetCell& c, std::uint16_t col) { return c.column < col; });
    if (it != cells.end() && it->column == cell.column) *it = cell;
    else cells.insert(it, cell);
  }
  if (columns_ <= column) columns_ = std::size_t(column) + 1;
}

Variant SheetData::Value(std::size_t row, std::size_t column) const {
  if (row >= rows_.size()) return Variant::Null();
  const std::vector<SheetCell>& cells = rows_[row];
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const SheetCell& c, std::size_t col) { return c.column < col; });
  if (it == cells.end() || it->column != column) return Variant::Null();
  switch (it->kind) {
    case SheetCell::Number: return Variant::R8(it->number);
    case SheetCell::Text: return Variant::Bstr(it->text < texts.size() ? texts[it->text] : std::string());
    case SheetCell::Bool: return Variant::Bool(it->number != 0);
    case SheetCell::Date: return Variant::Date(it->number);
  }
  return Variant::Null();
}

namespace {

class SheetRecords final : public RecordSource {
 public:
  explicit SheetRecords(std::shared_ptr<const SheetData> sheet) : sheet_(std::move(sheet)) {
    for (std::size_t c = 0; c < sheet_->ColumnCount(); ++c) {
      Variant heading = sheet_->Value(0, c);
      std::string name = "F";
      if (heading.IsNull()) name += std::to_string(c + 1);
      names_.push_back(heading.IsNull() ? name : VariantToText(heading));
    }
  }

  bool AtEnd() const override {
    RequireOpen();
    return row_ >= sheet_->RowCount();
  }

  // Running the query again would read the same rows from the same sheet: the pass simply
  // starts over.
  void MoveFirst() override {
    RequireOpen();
    row_ = 1;
  }

  void MoveNext() override {
    if (AtEnd()) throw DbError(kAdoNoCurrentRecord, kAdoNoCurrentRecordText);
    ++row_;
  }

  Variant Field(const std::string& name) const override {
    RequireOpen();
    for (std::size_t c = 0; c < names_.size(); ++c)
      if (platform::EqualsNoCase(names_[c], name)) return Current(c);
    throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
  }

  Variant Field(int position) const override {
    RequireOpen();
    if (position < 0 || std::size_t(position) >= names_.size()) throw DbError(kAdoItemNotFound, kAdoItemNotFoundText);
    return Current(std::size_t(position));
  }

  void Close() override {
    RequireOpen();
    closed_ = true;
  }

 private:
  void RequireOpen() const {
    if (closed_) throw DbError(kAdoClosed, kAdoClosedText);
  }
  Variant Current(std::size_t column) const {
    if (AtEnd()) throw DbError(kAdoNoCurrentRecord, kAdoNoCurrentRecordText);
    return sheet_->Value(row_, column);
  }

  std::shared_ptr<const SheetData> sheet_;
  std::vector<std::string> names_;
  std::size_t row_ = 1;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<RecordSource> MakeSheetRecords(std::shared_ptr<const SheetData> sheet) {
  return std::make_unique<SheetRecords>(std::move(sheet));
}

double DateFromSheetSerial(double serial, bool system1904) {
  if (system1904) return serial + 1462;
  if (serial >= 1 && serial < 60) return serial + 1;
  return serial;
}

}  // namespace zmw
