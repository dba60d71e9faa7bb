// Workbooks that writers we do not control made (tests/db/field/SOURCES.md): each read whole by
// our readers and by an independent reader (tests/db/field/dump.py, xlrd or openpyxl) must give
// the same sheets and, cell by cell, the same values of the same types.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

#include "db/providers/posix/WorkbookReader.h"
#include "../../../fuzz/WorkbookInputs.h"
#include "../DbTests.h"

namespace zmw {
namespace {

// A sheet ('S', its name as text) or a cell that holds a value, as the dump writes them.
struct Line {
  std::size_t row = 0, column = 0;
  char kind = 'N';
  std::string text;
  double number = 0;
  // openpyxl gives dates as date and time objects of a microsecond's grain: a date is the same
  // within a millisecond.
  bool operator==(const Line& o) const {
    return row == o.row && column == o.column && kind == o.kind && text == o.text &&
           (kind == 'D' ? std::abs(number - o.number) < 1e-8 : number == o.number);
  }
};

std::string Show(const Line& c) {
  std::ostringstream out;
  out.precision(17);
  out << "row " << c.row + 1 << " column " << c.column + 1 << ": " << c.kind << " ";
  if (c.kind == 'T' || c.kind == 'S') out << '"' << c.text << '"';
  else out << c.number;
  return out.str();
}

// The dump's escapes back to Windows-1252 bytes.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') out += char(std::stoi(text.substr(i + 2, 2), nullptr, 16)), i += 3;
    else out += text[i];
  return out;
}

std::vector<Line> IndependentReading(const std::string& path) {
  std::string command = "/usr/bin/python3 " + test::SourceFile("tests/db/field/dump.py") + " '" + path + "'", output;
  FILE* pipe = ::popen(command.c_str(), "r");
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << command;
  std::vector<Line> lines;
  std::istringstream in(output);
  for (std::string text; std::getline(in, text);) {
    Line line{0, 0, 'S', Unescape(text.substr(6)), 0};
    if (text.rfind("sheet ", 0) != 0) {
      std::string value;
      std::istringstream(text) >> line.row >> line.column >> line.kind >> value;
      line.text = line.kind == 'T' ? Unescape(value) : "";
      line.number = line.kind == 'T' ? 0 : std::strtod(value.c_str(), nullptr);
      if (lines.empty()) ADD_FAILURE() << "a cell before any sheet: " << text;
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<Line> OurReading(const std::string& path) {
  std::vector<Line> lines;
  std::unique_ptr<WorkbookReader> reader = OpenWorkbookFile(path);
  for (const std::string& name : reader->SheetNames()) {
    std::shared_ptr<const SheetData> data = reader->ReadSheet(name);
    lines.push_back({0, 0, 'S', name, 0});
    for (std::size_t r = 0; r < data->RowCount(); ++r)
      for (std::size_t c = 0; c < data->ColumnCount(); ++c) {
        Variant v = data->Value(r, c);
        VarType t = v.Type();
        if (t == VarType::Null) continue;
        char kind = t == VarType::R8 ? 'N' : t == VarType::Date ? 'D' : t == VarType::Bool ? 'B' : t == VarType::Bstr ? 'T' : '?';
        lines.push_back({r, c, kind, kind == 'T' ? v.Text() : "",
                         kind == 'B' ? double(v.IntegerValue() != 0) : kind == 'N' || kind == 'D' ? v.RealValue() : 0});
      }
  }
  return lines;
}

class FieldWorkbook : public ::testing::TestWithParam<const char*> {};

TEST_P(FieldWorkbook, ReadsAsTheIndependentReaderDoes) {
  std::string path = test::SourceFile(std::string("tests/db/field/") + GetParam()), description;
  std::vector<Line> want = IndependentReading(path), got;
  ASSERT_EQ(test::CodeOf([&] { got = OurReading(path); }, &description), 0) << description;
  ASSERT_FALSE(want.empty());
  std::string sheet;
  for (std::size_t i = 0, shown = 0; i < std::max(got.size(), want.size()) && shown < 10; ++i) {
    if (i < want.size() && want[i].kind == 'S') sheet = want[i].text;
    if (i < got.size() && i < want.size() && got[i] == want[i]) continue;
    ADD_FAILURE() << sheet << ": ours " << (i < got.size() ? Show(got[i]) : "(none)") << ", theirs "
                  << (i < want.size() ? Show(want[i]) : "(none)");
    ++shown;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, FieldWorkbook,
                         ::testing::Values("lo-excel97.xls", "lo-excel97-1904.xls", "lo-excel97-capitals.xls", "gnumeric-biff8.xls",
                                           "gnumeric-biff7.xls", "xlwt.xls", "excel4.xls", "excel2.xls", "excel4-cp1251.xls",
                                           "lo-excel2007.xlsx", "lo-excel2007-1904.xlsx", "lo-ooxml.xlsx", "gnumeric.xlsx",
                                           "xlsxwriter.xlsx", "openpyxl.xlsx"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// What a sheet part may hold besides the cells, and cells in every form the format allows:
// the reader takes the values and passes over the rest, never calling the sheet damaged.
// A number is a date when its format says so as Excel reads a format: a date letter outside
// quotes, escapes and brackets, or an elapsed-time bracket, in the first section.
TEST(NumberFormat, IsADateAsExcelReadsIt) {
  const std::pair<const char*, bool> rows[] = {
      {"dd/mm/yyyy", true}, {"[h]:mm:ss", true}, {"[MM]", true},  {"[Red]0.00", false}, {"[$-410]General", false},
      {"0.00;[Red]-0.00 d", false}, {"\"d\"0", false}, {"0\\d", false}, {"_d0", false}, {"[]0", false},
      {"[hh", false}, {"#,##0", false}};
  for (auto [code, date] : rows) EXPECT_EQ(IsDateFormatCode(code), date) << code;
}

TEST(SheetPart, ValuesAreReadAndTheRestPassedOver) {
  const std::pair<const char*, const char*> rows[] = {
      {"<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2</v></c></row></sheetData></worksheet>",
       "row 1 column 1: T \"a\"; row 1 column 2: N 2; "},
      {"<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData><x:row r=\"1\">"
       "<x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c><x:c r=\"C1\"><x:v>1.5E+2</x:v></x:c></x:row></x:sheetData></x:worksheet>",
       "row 1 column 1: T \"a\"; row 1 column 3: N 150; "},
      {"<worksheet><sheetViews><sheetView/></sheetViews><sheetData><row r=\"1\" spans=\"1:2\"><c r=\"A1\" t=\"s\"><v>1</v></c>"
       "<c r=\"B1\"><f>A1</f><v>+3</v></c></row></sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/></mergeCells>"
       "<dataValidations count=\"1\"><dataValidation type=\"decimal\" sqref=\"B1\"><formula1>0</formula1></dataValidation>"
       "</dataValidations><hyperlinks><hyperlink ref=\"A1\" r:id=\"rId1\"/></hyperlinks><extLst><ext uri=\"{x}\"><c r=\"Z9\">"
       "<v>9</v></c></ext></extLst></worksheet>",
       "row 1 column 1: T \"b\"; row 1 column 2: N 3; "},
      {"<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c><c r=\"B1\" t=\"str\"><f>\"x\"</f>"
       "<v>x</v></c><c r=\"C1\" t=\"str\"><f>\"\"</f><v></v></c><c r=\"D1\" t=\"b\"><f>TRUE()</f><v>1</v></c><c r=\"E1\">"
       "<f>A2</f></c></row></sheetData></worksheet>",
       "row 1 column 2: T \"x\"; row 1 column 4: B 1; "},
      {"<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/></rPr><t>ab</t></r><r><t xml:space="
       "\"preserve\">c </t></r><rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></is></c><c r=\"B1\" t=\"inlineStr\"><is><t></t></is></c>"
       "</row></sheetData></worksheet>",
       "row 1 column 1: T \"abc \"; "},
      // ISO dates (t="d") to the 31st; a month or a day out of range is no date.
      {"<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"d\"><v>2024-01-31T12:00:00</v></c><c r=\"B1\" t=\"d\">"
       "<v>2024-13-01</v></c><c r=\"C1\" t=\"d\"><v>2024-01-32</v></c></row></sheetData></worksheet>",
       "row 1 column 1: D 45322.5; "}};
  const std::string& path = fuzz::WorkFile("sheet-part");
  for (auto [sheet, expected] : rows) {
    ASSERT_TRUE(fuzz::WriteXlsx(path, sheet));
    std::vector<Line> got;
    std::string description, row;
    EXPECT_EQ(test::CodeOf([&] { got = OurReading(path); }, &description), 0) << description;
    ASSERT_EQ(std::count_if(got.begin(), got.end(), [](const Line& l) { return l.kind == 'S'; }), 1) << sheet;
    for (const Line& c : got)
      if (c.kind != 'S' && c.row == 0)
        row += Show(c) + "; ";
    EXPECT_EQ(row, expected) << sheet;
  }
}

}  // namespace
}  // namespace zmw
