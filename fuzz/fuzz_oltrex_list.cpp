// FIT and KIT lists of any content, as the stand-in import library reads them before anything
// reaches the database. The list's lines are the file's non-empty lines, whole however long;
// each line is read as a FIT and as a KIT line: a refused line says its number, an accepted one
// gives back its own fields, with number fields that hold a number and nothing else.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "OltrexList.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ';') fields.emplace_back();
    else fields.back() += c;
  }
  return fields;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What strtol takes whole: white space, a sign, digits; the value those digits make.
void CheckWhole(const zmw::Variant& v, const std::string& field) {
  if (field.empty()) {
    if (!v.IsNull()) __builtin_trap();
    return;
  }
  if (v.Type() != zmw::VarType::I4) __builtin_trap();
  std::size_t i = field.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) __builtin_trap();
  bool negative = field[i] == '-';
  if (field[i] == '-' || field[i] == '+') ++i;
  if (i == field.size()) __builtin_trap();
  long long value = 0;
  for (; i < field.size(); ++i) {
    if (!IsDigit(field[i])) __builtin_trap();
    if (value < 10000000000LL) value = value * 10 + (field[i] - '0');
  }
  if ((negative ? -value : value) != v.IntegerValue()) __builtin_trap();
}

// A sign, digits with at most one point among them, at least one digit.
void CheckDecimal(const zmw::Variant& v, const std::string& field) {
  if (v.Type() != zmw::VarType::R8) __builtin_trap();
  std::size_t i = field.empty() || (field[0] != '-' && field[0] != '+') ? 0 : 1;
  std::size_t digits = 0, points = 0;
  for (; i < field.size(); ++i) {
    if (IsDigit(field[i])) ++digits;
    else if (field[i] == '.') ++points;
    else __builtin_trap();
  }
  if (digits == 0 || points > 1) __builtin_trap();
}

void CheckRefusal(const std::runtime_error& e, long number) {
  if (std::string(e.what()).rfind("riga " + std::to_string(number) + ": ", 0) != 0) __builtin_trap();
}

void CheckFit(const std::string& line, long number) {
  zmw::oltrex::FitRow row;
  try {
    row = zmw::oltrex::ParseFitLine(line, number);
  } catch (const std::runtime_error& e) {
    CheckRefusal(e, number);
    return;
  }
  std::vector<std::string> f = Fields(line);
  if (f.size() != 10 || f[2].empty()) __builtin_trap();
  const std::size_t texts[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 4}, {4, 5}, {7, 8}};
  for (const auto& t : texts)
    if (row[t[0]].Type() != zmw::VarType::Bstr || row[t[0]].Text() != f[t[1]]) __builtin_trap();
  CheckWhole(row[5], f[6]);
  CheckWhole(row[6], f[7]);
  CheckDecimal(row[8], f[9]);
}

void CheckKit(const std::string& line, long number) {
  zmw::oltrex::KitRow row;
  try {
    row = zmw::oltrex::ParseKitLine(line, number);
  } catch (const std::runtime_error& e) {
    CheckRefusal(e, number);
    return;
  }
  std::vector<std::string> f = Fields(line);
  if (f.size() != 6 || f[2].empty() || f[4].empty()) __builtin_trap();
  for (std::size_t i = 0; i < 4; ++i)
    if (row.kit[i] != f[i]) __builtin_trap();
  if (row.article != f[4]) __builtin_trap();
  CheckDecimal(row.quantity, f[5]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string& path = zmw::fuzz::WorkFile("oltrex-list");
  zmw::fuzz::WriteRaw(path, bytes);
  std::vector<std::string> lines;
  try {
    lines = zmw::oltrex::ReadList(path);
  } catch (const std::runtime_error&) {
    __builtin_trap();  // the file is there: it must be read
  }

  // The file's non-empty lines in text mode, up to a Ctrl-Z; only carriage returns may differ.
  std::string expected, read;
  std::string text = zmw::fuzz::WithoutCr(bytes.substr(0, bytes.find('\x1A')));
  for (std::size_t from = 0; from <= text.size();) {
    std::size_t feed = text.find('\n', from);
    std::string segment = text.substr(from, feed == std::string::npos ? std::string::npos : feed - from);
    if (!segment.empty()) expected += segment + '\n';
    if (feed == std::string::npos) break;
    from = feed + 1;
  }
  for (const std::string& line : lines) {
    if (line.empty() || line.find('\n') != std::string::npos) __builtin_trap();
    std::string bare = zmw::fuzz::WithoutCr(line);
    if (!bare.empty()) read += bare + '\n';
  }
  if (read != expected) __builtin_trap();

  long number = 0;
  for (const std::string& line : lines) {
    ++number;
    CheckFit(line, number);
    CheckKit(line, number);
  }
  return 0;
}
