// Office Open XML workbooks (.xlsx): a ZIP package of XML parts, read with libzip and streamed
// through expat, so that a large sheet never sits in memory as a document tree. The parts are
// found through the package's relationships, as the format prescribes, not by fixed names.
#include <expat.h>
#include <zip.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>

#include "db/DbError.h"
#include "db/providers/posix/WorkbookReader.h"
#include "platform/Text.h"

namespace zmw {
namespace {

const char* LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

const char* Attribute(const char** attributes, const char* local) {
  for (; *attributes; attributes += 2)
    if (std::strcmp(LocalName(attributes[0]), local) == 0) return attributes[1];
  return nullptr;
}

bool Is(const char* name, const char* local) { return std::strcmp(name, local) == 0; }

// The format writes characters that XML cannot carry as _xHHHH_ (and a literal "_x" as _x005F_x).
std::string DecodeEscapes(const std::string& utf8) {
  if (utf8.find("_x") == std::string::npos) return utf8;
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned unit = 0;
    if (utf8.compare(i, 2, "_x") == 0 && i + 7 <= utf8.size() && utf8[i + 6] == '_' &&
        std::from_chars(utf8.data() + i + 2, utf8.data() + i + 6, unit, 16).ptr == utf8.data() + i + 6) {
      char32_t cp = (unit >= 0xD800 && unit <= 0xDFFF) ? U'?' : char32_t(unit);
      if (cp < 0x80) {
        out += char(cp);
      } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
      } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
      }
      i += 7;
    } else {
      out += utf8[i++];
    }
  }
  return out;
}

std::string SheetText(const std::string& utf8) { return platform::Utf8ToCp1252(DecodeEscapes(utf8)); }

// "B12" as a column (from 0) and a row (from 0); false when the text is no cell reference.
bool ParseCellReference(const char* text, std::uint32_t& column, std::uint32_t& row) {
  std::uint32_t letters = 0, col = 0;
  const char* p = text;
  for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
    if (++letters > 3) return false;
    col = col * 26 + std::uint32_t((*p & ~0x20) - 'A' + 1);
  }
  if (letters == 0 || col > kSheetMaxColumns) return false;
  std::uint32_t number = 0;
  auto r = std::from_chars(p, p + std::strlen(p), number);
  if (r.ec != std::errc() || *r.ptr != '\0' || number == 0 || number > kSheetMaxRows) return false;
  column = col - 1;
  row = number - 1;
  return true;
}

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void Start(const char* name, const char** attributes) = 0;
  virtual void End(const char* name) = 0;
  virtual void Text(const char*, int) {}
};

// Handlers run inside expat's C frames: a failure is kept and the parse stopped, and it goes on
// its way once the parser has returned.
struct ParseState {
  XML_Parser parser;
  XmlHandler* handler;
  std::exception_ptr failure;
};

template <typename Call>
void Guarded(ParseState* state, Call&& call) {
  if (state->failure) return;
  try {
    call();
  } catch (...) {
    state->failure = std::current_exception();
    XML_StopParser(state->parser, XML_FALSE);
  }
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* s = static_cast<ParseState*>(data);
  Guarded(s, [&] { s->handler->Start(LocalName(name), attributes); });
}
void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto* s = static_cast<ParseState*>(data);
  Guarded(s, [&] { s->handler->End(LocalName(name)); });
}
void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto* s = static_cast<ParseState*>(data);
  Guarded(s, [&] { s->handler->Text(text, length); });
}

struct Relationship {
  std::string id, type, target;
};

class RelationshipsHandler final : public XmlHandler {
 public:
  void Start(const char* name, const char** a) override {
    if (!Is(name, "Relationship")) return;
    const char *id = Attribute(a, "Id"), *type = Attribute(a, "Type"), *target = Attribute(a, "Target");
    const char* mode = Attribute(a, "TargetMode");
    if (id && type && target && !(mode && std::strcmp(mode, "External") == 0)) list.push_back({id, type, target});
  }
  void End(const char*) override {}
  std::vector<Relationship> list;
};

bool HasType(const Relationship& r, const char* suffix) {
  std::size_t n = std::strlen(suffix);
  return r.type.size() >= n && r.type.compare(r.type.size() - n, n, suffix) == 0;
}

struct SheetEntry {
  std::string name;  // Windows-1252
  std::string relationship;
};

class WorkbookHandler final : public XmlHandler {
 public:
  void Start(const char* name, const char** a) override {
    if (Is(name, "sheet")) {
      const char *sheet = Attribute(a, "name"), *id = Attribute(a, "id");
      if (sheet && id) sheets.push_back({SheetText(sheet), id});
    } else if (Is(name, "workbookPr")) {
      const char* flag = Attribute(a, "date1904");
      date1904 = flag && (std::strcmp(flag, "1") == 0 || std::strcmp(flag, "true") == 0);
    }
  }
  void End(const char*) override {}
  std::vector<SheetEntry> sheets;
  bool date1904 = false;
};

class StylesHandler final : public XmlHandler {
 public:
  void Start(const char* name, const char** a) override {
    if (Is(name, "numFmt")) {
      const char *id = Attribute(a, "numFmtId"), *code = Attribute(a, "formatCode");
      if (id && code) formats_[std::atoi(id)] = code;
    } else if (Is(name, "cellXfs")) {
      inCellXfs_ = true;
    } else if (Is(name, "xf") && inCellXfs_) {
      const char* id = Attribute(a, "numFmtId");
      xfFormats_.push_back(id ? std::atoi(id) : 0);
    }
  }
  void End(const char* name) override {
    if (Is(name, "cellXfs")) inCellXfs_ = false;
  }
  // For each cell style, whether it shows its number as a date.
  std::vector<bool> DateStyles() const {
    std::vector<bool> dates;
    for (int id : xfFormats_) {
      auto custom = formats_.find(id);
      dates.push_back(custom != formats_.end() ? IsDateFormatCode(custom->second) : IsBuiltInDateFormat(id));
    }
    return dates;
  }

 private:
  std::map<int, std::string> formats_;
  std::vector<int> xfFormats_;
  bool inCellXfs_ = false;
};

// Shared strings: each <si> is one string, plain or in runs; phonetic guides are not its text.
class SharedStringsHandler final : public XmlHandler {
 public:
  void Start(const char* name, const char**) override {
    if (Is(name, "si")) current_.clear();
    else if (Is(name, "rPh")) ++phonetic_;
    else if (Is(name, "t") && phonetic_ == 0) inText_ = true;
  }
  void End(const char* name) override {
    if (Is(name, "t")) inText_ = false;
    else if (Is(name, "rPh")) --phonetic_;
    else if (Is(name, "si")) strings.push_back(SheetText(current_));
  }
  void Text(const char* text, int length) override {
    if (inText_) current_.append(text, std::size_t(length));
  }
  std::vector<std::string> strings;

 private:
  std::string current_;
  int phonetic_ = 0;
  bool inText_ = false;
};

// An ISO 8601 date and time of a cell of type "d".
bool ParseIsoDate(const std::string& text, double& serial) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s);
  if (n < 3 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
    return false;
  serial = DateSerial(y, mo, d, h, mi, s);
  return true;
}

class SheetHandler final : public XmlHandler {
 public:
  SheetHandler(SheetData& data, const std::vector<bool>& dateStyles, bool date1904, std::uint32_t sharedCount,
               const std::string& shown)
      : data_(data), dateStyles_(dateStyles), date1904_(date1904), sharedCount_(sharedCount), shown_(shown) {}

  void Start(const char* name, const char** a) override {
    if (Is(name, "sheetData")) {
      inData_ = true;
    } else if (!inData_) {
      return;
    } else if (Is(name, "row")) {
      const char* r = Attribute(a, "r");
      if (r) {
        std::uint32_t number = 0;
        auto got = std::from_chars(r, r + std::strlen(r), number);
        if (got.ec != std::errc() || *got.ptr || number == 0 || number > kSheetMaxRows) Damaged("row number");
        row_ = std::int64_t(number) - 1;
      } else {
        ++row_;
      }
      column_ = -1;
    } else if (Is(name, "c")) {
      const char* r = Attribute(a, "r");
      if (r) {
        std::uint32_t column = 0, row = 0;
        if (!ParseCellReference(r, column, row)) Damaged("cell reference");
        column_ = column;
        row_ = row;
      } else {
        ++column_;
      }
      if (row_ < 0) row_ = 0;
      if (column_ >= std::int64_t(kSheetMaxColumns) || row_ >= std::int64_t(kSheetMaxRows)) Damaged("cell reference");
      const char* t = Attribute(a, "t");
      type_ = !t ? 'n' : Is(t, "s") ? 's' : Is(t, "str") ? 'f' : Is(t, "inlineStr") ? 'i' : Is(t, "b") ? 'b'
            : Is(t, "e") ? 'e' : Is(t, "d") ? 'd' : Is(t, "n") ? 'n' : '?';
      const char* s = Attribute(a, "s");
      style_ = s ? std::atoi(s) : 0;
      value_.clear();
      inline_.clear();
      hasValue_ = hasInline_ = false;
      inCell_ = true;
    } else if (!inCell_) {
      return;
    } else if (Is(name, "v")) {
      inValue_ = hasValue_ = true;
    } else if (Is(name, "is")) {
      inInline_ = hasInline_ = true;
    } else if (Is(name, "rPh")) {
      ++phonetic_;
    } else if (Is(name, "t") && inInline_ && phonetic_ == 0) {
      inText_ = true;
    }
  }

  void End(const char* name) override {
    if (Is(name, "sheetData")) inData_ = false;
    else if (Is(name, "v")) inValue_ = false;
    else if (Is(name, "t")) inText_ = false;
    else if (Is(name, "rPh")) --phonetic_;
    else if (Is(name, "is")) inInline_ = false;
    else if (Is(name, "c") && inCell_) {
      inCell_ = false;
      Emit();
    }
  }

  void Text(const char* text, int length) override {
    if (inValue_) value_.append(text, std::size_t(length));
    else if (inText_) inline_.append(text, std::size_t(length));
  }

 private:
  [[noreturn]] void Damaged(const char* what) const { ThrowDamagedWorkbook(shown_, std::string("bad ") + what); }

  void Put(SheetCell::Kind kind, double number, std::uint32_t text = 0) {
    SheetCell cell;
    cell.kind = kind;
    cell.number = number;
    cell.text = text;
    data_.Put(std::uint32_t(row_), std::uint32_t(column_), cell);
  }

  // Formulas need no evaluation: the cell's <v> holds the value it had when last saved.
  void Emit() {
    switch (type_) {
      case 's': {
        if (!hasValue_ || value_.empty()) return;
        std::uint32_t index = 0;
        auto r = std::from_chars(value_.data(), value_.data() + value_.size(), index);
        if (r.ec != std::errc() || r.ptr != value_.data() + value_.size() || index >= sharedCount_)
          Damaged("shared string index");
        Put(SheetCell::Text, 0, index);
        return;
      }
      case 'f':
        if (hasValue_) Put(SheetCell::Text, 0, data_.AddText(SheetText(value_)));
        return;
      case 'i':
        if (hasInline_) Put(SheetCell::Text, 0, data_.AddText(SheetText(inline_)));
        return;
      case 'b':
        if (hasValue_ && !value_.empty()) Put(SheetCell::Bool, value_ != "0" && value_ != "false" ? 1 : 0);
        return;
      case 'd': {
        double serial = 0;
        if (hasValue_ && ParseIsoDate(value_, serial)) Put(SheetCell::Date, serial);
        return;
      }
      case 'n': {
        if (!hasValue_ || value_.empty()) return;
        double number = 0;
        const char* begin = value_.data();
        if (*begin == '+') ++begin;
        auto r = std::from_chars(begin, value_.data() + value_.size(), number);
        if (r.ec != std::errc() || r.ptr != value_.data() + value_.size()) Damaged("number");
        bool isDate = style_ >= 0 && std::size_t(style_) < dateStyles_.size() && dateStyles_[std::size_t(style_)];
        SheetCell cell = NumberCell(number, isDate, date1904_);
        Put(cell.kind, cell.number);
        return;
      }
      default:  // an error value (#DIV/0!, #N/A) or a type no spreadsheet writes: no value
        return;
    }
  }

  SheetData& data_;
  const std::vector<bool>& dateStyles_;
  bool date1904_;
  std::uint32_t sharedCount_;
  const std::string& shown_;
  std::int64_t row_ = -1, column_ = -1;
  char type_ = 'n';
  int style_ = 0;
  std::string value_, inline_;
  bool inData_ = false, inCell_ = false, inValue_ = false, inInline_ = false, inText_ = false;
  bool hasValue_ = false, hasInline_ = false;
  int phonetic_ = 0;
};

std::string FolderOf(const std::string& part) {
  std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

// A relationship's target, relative to the folder of the part that names it, as a part name.
std::string ResolvePart(const std::string& folder, const std::string& target) {
  std::string joined = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (from <= joined.size()) {
    std::size_t slash = joined.find('/', from);
    std::string segment = joined.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
    if (segment == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!segment.empty() && segment != ".") {
      parts.push_back(segment);
    }
    if (slash == std::string::npos) break;
    from = slash + 1;
  }
  std::string result;
  for (const std::string& p : parts) result += (result.empty() ? "" : "/") + p;
  return result;
}

std::string RelationshipsPartOf(const std::string& part) {
  std::size_t slash = part.rfind('/');
  std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  return FolderOf(part) + "_rels/" + file + ".rels";
}

class XlsxWorkbook final : public WorkbookReader {
 public:
  XlsxWorkbook(const std::string& nativePath, std::string shown) : shown_(std::move(shown)) {
    int error = 0;
    zip_.reset(zip_open(nativePath.c_str(), ZIP_RDONLY, &error));
    if (!zip_) {
      if (error == ZIP_ER_OPEN || error == ZIP_ER_NOENT || error == ZIP_ER_READ)
        throw DbError(kEFail, "[ZelvoMW][Workbook] The workbook '" + shown_ + "' cannot be opened.");
      ThrowDamagedWorkbook(shown_, "not a readable ZIP package");
    }
    RelationshipsHandler root;
    Parse("_rels/.rels", root);
    std::string workbookPart;
    for (const Relationship& r : root.list)
      if (HasType(r, "/officeDocument")) workbookPart = ResolvePart("", r.target);
    if (workbookPart.empty()) ThrowDamagedWorkbook(shown_, "no workbook part");
    WorkbookHandler workbook;
    Parse(workbookPart, workbook);
    date1904_ = workbook.date1904;
    RelationshipsHandler links;
    Parse(RelationshipsPartOf(workbookPart), links);
    std::string folder = FolderOf(workbookPart);
    std::map<std::string, std::string> targets;
    for (const Relationship& r : links.list) {
      std::string part = ResolvePart(folder, r.target);
      targets[r.id] = part;
      if (HasType(r, "/sharedStrings")) sharedPart_ = part;
      else if (HasType(r, "/styles")) stylesPart_ = part;
    }
    for (const SheetEntry& s : workbook.sheets) {
      auto target = targets.find(s.relationship);
      sheets_.push_back({s.name, target == targets.end() ? std::string() : target->second});
    }
    if (!stylesPart_.empty() && Has(stylesPart_)) {
      StylesHandler styles;
      Parse(stylesPart_, styles);
      dateStyles_ = styles.DateStyles();
    }
    if (!sharedPart_.empty() && Has(sharedPart_)) {
      SharedStringsHandler strings;
      Parse(sharedPart_, strings);
      shared_ = std::move(strings.strings);
    }
  }

  std::vector<std::string> SheetNames() const override {
    std::vector<std::string> names;
    for (const auto& s : sheets_) names.push_back(s.name);
    return names;
  }

  std::shared_ptr<const SheetData> ReadSheet(const std::string& name) override {
    for (const auto& s : sheets_) {
      if (!platform::EqualsNoCase(s.name, name)) continue;
      if (s.relationship.empty()) ThrowDamagedWorkbook(shown_, "sheet '" + name + "' has no part");
      auto data = std::make_shared<SheetData>();
      data->texts = shared_;
      SheetHandler handler(*data, dateStyles_, date1904_, std::uint32_t(shared_.size()), shown_);
      Parse(s.relationship, handler);
      return data;
    }
    ThrowNoSuchSheet(shown_, name);
  }

 private:
  bool Has(const std::string& part) const { return zip_name_locate(zip_.get(), part.c_str(), ZIP_FL_NOCASE) >= 0; }

  // Streams one part through the handler; a part that is missing or not well formed means a
  // damaged workbook.
  void Parse(const std::string& part, XmlHandler& handler) {
    zip_int64_t index = zip_name_locate(zip_.get(), part.c_str(), ZIP_FL_NOCASE);
    if (index < 0) ThrowDamagedWorkbook(shown_, "part '" + part + "' is missing");
    zip_file_t* file = zip_fopen_index(zip_.get(), zip_uint64_t(index), 0);
    if (!file) ThrowDamagedWorkbook(shown_, "part '" + part + "': " + zip_strerror(zip_.get()));
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
      zip_fclose(file);
      throw DbError(kEFail, "[ZelvoMW][Workbook] Out of memory");
    }
    ParseState state{parser, &handler, nullptr};
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    std::string failure;
    std::vector<char> buffer(1 << 16);
    for (;;) {
      zip_int64_t got = zip_fread(file, buffer.data(), buffer.size());
      if (got < 0) {
        failure = std::string("part '") + part + "': " + zip_file_strerror(file);
        break;
      }
      bool last = got == 0;
      if (XML_Parse(parser, buffer.data(), int(got), last) != XML_STATUS_OK) {
        if (!state.failure)
          failure = "part '" + part + "': " + XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(parser));
        break;
      }
      if (last) break;
    }
    XML_ParserFree(parser);
    zip_fclose(file);
    if (state.failure) std::rethrow_exception(state.failure);
    if (!failure.empty()) ThrowDamagedWorkbook(shown_, failure);
  }

  struct Sheet {
    std::string name, relationship;  // the part, resolved
  };

  struct Discard {
    void operator()(zip_t* zip) const { zip_discard(zip); }
  };
  std::string shown_;
  std::unique_ptr<zip_t, Discard> zip_;
  std::vector<Sheet> sheets_;
  std::string sharedPart_, stylesPart_;
  std::vector<std::string> shared_;
  std::vector<bool> dateStyles_;
  bool date1904_ = false;
};

}  // namespace

std::unique_ptr<WorkbookReader> OpenXlsxWorkbook(const std::string& nativePath, const std::string& shown) {
  return std::make_unique<XlsxWorkbook>(nativePath, shown);
}

}  // namespace zmw
