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
                                           "gnumeric-biff8.xls", "gnumeric-biff7.xls", "xlwt.xls",
                                           "lo-excel2007.xlsx", "lo-excel2007-1904.xlsx", "lo-ooxml.xlsx",
                                           "gnumeric.xlsx", "xlsxwriter.xlsx", "openpyxl.xlsx"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace zmw
