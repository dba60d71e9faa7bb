// Workbooks that writers we do not control made (tests/db/field/SOURCES.md): each read whole by
// our readers and by an independent reader (tests/db/field/dump.py, xlrd or openpyxl) must give
// the same sheets and, cell by cell, the same values of the same types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "db/DbError.h"
#include "db/Variant.h"
#include "db/providers/posix/WorkbookReader.h"
#include "../../../fuzz/WorkbookInputs.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct CellLine {
  std::size_t row = 0, column = 0;
  char kind = 'N';
  std::string text;
  double number = 0;
  // openpyxl gives dates as date and time objects of a microsecond's grain: a date is the same
  // within a millisecond.
  bool operator==(const CellLine& o) const {
    return row == o.row && column == o.column && kind == o.kind && text == o.text &&
           (kind == 'D' ? std::abs(number - o.number) < 1e-8 : number == o.number);
  }
};

struct SheetLines {
  std::string name;
  std::vector<CellLine> cells;
};

// The dump's escapes back to Windows-1252 bytes.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() + 0 && text[i + 1] == 'x') {
      out += char(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<SheetLines> IndependentReading(const std::string& path) {
  std::string command = "/usr/bin/python3 " + test::SourceFile("tests/db/field/dump.py") + " '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string output;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
  EXPECT_EQ(::pclose(pipe.release()), 0) << command;
  std::vector<SheetLines> sheets;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("sheet ", 0) == 0) {
      sheets.push_back({Unescape(line.substr(6)), {}});
      continue;
    }
    std::istringstream fields(line);
    CellLine cell;
    std::string value;
    fields >> cell.row >> cell.column >> cell.kind >> value;
    if (cell.kind == 'T') cell.text = Unescape(value);
    else cell.number = std::strtod(value.c_str(), nullptr);
    if (sheets.empty()) ADD_FAILURE() << "a cell before any sheet: " << line;
    else sheets.back().cells.push_back(cell);
  }
  return sheets;
}

std::vector<SheetLines> OurReading(const std::string& path) {
  std::vector<SheetLines> sheets;
  std::unique_ptr<WorkbookReader> reader = OpenWorkbookFile(path);
  for (const std::string& name : reader->SheetNames()) {
    std::shared_ptr<const SheetData> data = reader->ReadSheet(name);
    SheetLines sheet{name, {}};
    for (std::size_t r = 0; r < data->RowCount(); ++r) {
      for (std::size_t c = 0; c < data->ColumnCount(); ++c) {
        Variant v = data->Value(r, c);
        CellLine cell{r, c, 'N', "", 0};
        switch (v.Type()) {
          case VarType::Null: continue;
          case VarType::R8: cell.number = v.RealValue(); break;
          case VarType::Date: cell.kind = 'D', cell.number = v.RealValue(); break;
          case VarType::Bool: cell.kind = 'B', cell.number = v.IntegerValue() != 0; break;
          case VarType::Bstr: cell.kind = 'T', cell.text = v.Text(); break;
          default: cell.kind = '?'; break;
        }
        sheet.cells.push_back(cell);
      }
    }
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

std::string Show(const CellLine& c) {
  std::ostringstream out;
  out << "row " << c.row + 1 << " column " << c.column + 1 << ": " << c.kind << " ";
  if (c.kind == 'T') out << '"' << c.text << '"';
  else out.precision(17), out << c.number;
  return out.str();
}

class FieldWorkbook : public ::testing::TestWithParam<const char*> {};

TEST_P(FieldWorkbook, ReadsAsTheIndependentReaderDoes) {
  std::string path = test::SourceFile(std::string("tests/db/field/") + GetParam());
  std::vector<SheetLines> want = IndependentReading(path);
  std::vector<SheetLines> got;
  try {
    got = OurReading(path);
  } catch (const DbError& e) {
    FAIL() << e.Description();
  }
  ASSERT_FALSE(want.empty());
  ASSERT_EQ(got.size(), want.size()) << (got.empty() ? "" : got[0].name) << " / " << want[0].name;
  for (std::size_t s = 0; s < want.size(); ++s) {
    EXPECT_EQ(got[s].name, want[s].name);
    int shown = 0;
    std::size_t n = std::max(got[s].cells.size(), want[s].cells.size());
    for (std::size_t i = 0; i < n && shown < 10; ++i) {
      const CellLine* g = i < got[s].cells.size() ? &got[s].cells[i] : nullptr;
      const CellLine* w = i < want[s].cells.size() ? &want[s].cells[i] : nullptr;
      if (g && w && *g == *w) continue;
      ADD_FAILURE() << want[s].name << ": ours " << (g ? Show(*g) : "(none)") << ", theirs "
                    << (w ? Show(*w) : "(none)");
      ++shown;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, FieldWorkbook,
                         ::testing::Values("lo-excel97.xls", "lo-excel97-1904.xls", "lo-excel97-capitals.xls",
                                           "gnumeric-biff8.xls", "gnumeric-biff7.xls", "xlwt.xls", "excel4.xls", "excel2.xls", "excel4-cp1251.xls",
                                           "lo-excel2007.xlsx", "lo-excel2007-1904.xlsx", "lo-ooxml.xlsx",
                                           "gnumeric.xlsx", "xlsxwriter.xlsx", "openpyxl.xlsx"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });


// What a sheet part may hold besides the cells, and cells in every form the format allows:
// the reader takes the values and passes over the rest, never calling the sheet damaged.
struct SheetPartCase {
  const char* what;
  const char* sheet;
  std::vector<CellLine> cells;  // the first row's, in order
};

CellLine N(std::size_t c, double v) { return {0, c, 'N', "", v}; }
CellLine T(std::size_t c, const char* v) { return {0, c, 'T', v, 0}; }
CellLine B(std::size_t c, bool v) { return {0, c, 'B', "", v ? 1.0 : 0.0}; }

class SheetPart : public ::testing::TestWithParam<SheetPartCase> {};

TEST_P(SheetPart, ValuesAreReadAndTheRestPassedOver) {
  const std::string& path = fuzz::WorkFile("sheet-part");
  ASSERT_TRUE(fuzz::WriteXlsx(path, GetParam().sheet));
  std::vector<SheetLines> got;
  try {
    got = OurReading(path);
  } catch (const DbError& e) {
    FAIL() << e.Description();
  }
  ASSERT_EQ(got.size(), 1u);
  std::vector<CellLine> row;
  for (const CellLine& c : got[0].cells)
    if (c.row == 0) row.push_back(c);
  ASSERT_EQ(row.size(), GetParam().cells.size());
  for (std::size_t i = 0; i < row.size(); ++i) EXPECT_EQ(Show(row[i]), Show(GetParam().cells[i]));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SheetPart,
    ::testing::Values(
        SheetPartCase{"cells_without_references",
                      "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2</v></c></row>"
                      "</sheetData></worksheet>",
                      {T(0, "a"), N(1, 2)}},
        SheetPartCase{"other_prefix",
                      "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
                      "<x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c><x:c r=\"C1\"><x:v>1.5E+2</x:v></x:c>"
                      "</x:row></x:sheetData></x:worksheet>",
                      {T(0, "a"), N(2, 150)}},
        SheetPartCase{"links_merges_validations_extensions",
                      "<worksheet><sheetViews><sheetView/></sheetViews><sheetData><row r=\"1\" spans=\"1:2\">"
                      "<c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\"><f>A1</f><v>+3</v></c></row></sheetData>"
                      "<mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/></mergeCells><dataValidations count=\"1\">"
                      "<dataValidation type=\"decimal\" sqref=\"B1\"><formula1>0</formula1></dataValidation>"
                      "</dataValidations><hyperlinks><hyperlink ref=\"A1\" r:id=\"rId1\"/></hyperlinks>"
                      "<extLst><ext uri=\"{x}\"><c r=\"Z9\"><v>9</v></c></ext></extLst></worksheet>",
                      {T(0, "b"), N(1, 3)}},
        SheetPartCase{"formula_results",
                      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                      "<c r=\"B1\" t=\"str\"><f>\"x\"</f><v>x</v></c><c r=\"C1\" t=\"str\"><f>\"\"</f><v></v></c>"
                      "<c r=\"D1\" t=\"b\"><f>TRUE()</f><v>1</v></c><c r=\"E1\"><f>A2</f></c></row></sheetData>"
                      "</worksheet>",
                      {T(1, "x"), B(3, true)}},
        SheetPartCase{"rich_inline_text",
                      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/></rPr><t>ab</t></r>"
                      "<r><t xml:space=\"preserve\">c </t></r><rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></is></c>"
                      "<c r=\"B1\" t=\"inlineStr\"><is><t></t></is></c></row></sheetData></worksheet>",
                      {T(0, "abc ")}}),
    [](const ::testing::TestParamInfo<SheetPartCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zmw
