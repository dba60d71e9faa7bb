#include "JobShow.h"

#include <istream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "ExportLibrary.h"
#include "calc/JobItem.h"
#include "platform/Text.h"

namespace zmw::tools {
namespace {

using Json = nlohmann::ordered_json;

Json RecordJson(const JobItemRecord& r) {
  auto text = [](const auto& field) { return platform::Cp1252ToUtf8(field.Get()); };
  return Json{{"JobCode", text(r.JobCode)},     {"PosText1", text(r.PosText1)},
              {"Int18", r.Int18.Get()},         {"PosText2", text(r.PosText2)},
              {"PosText3", text(r.PosText3)},   {"PosNo", r.PosNo.Get()},
              {"Text277", text(r.Text277)},     {"PosText4", text(r.PosText4)},
              {"Maker", text(r.Maker)},         {"Maker2", text(r.Maker2)},
              {"Code", text(r.Code)},           {"Text", text(r.Text)},
              {"Category", text(r.Category)},   {"Kind", r.Kind.Get()},
              {"Int754", r.Int754.Get()},       {"Finish", text(r.Finish)},
              {"Text777", text(r.Text777)},     {"Text798", text(r.Text798)},
              {"Int879", r.Int879.Get()},       {"Value", r.Value.Get()},
              {"Value2", r.Value2.Get()},       {"Sub1", r.Sub1.Get()},
              {"Sub2", r.Sub2.Get()},           {"Sub3", r.Sub3.Get()},
              {"Sub4", r.Sub4.Get()},           {"Sub5", r.Sub5.Get()},
              {"PrintGroup", text(r.PrintGroup)}, {"Quantity", r.Quantity.Get()},
              {"AssemblyTime", r.AssemblyTime.Get()}, {"ProcessingTime", r.ProcessingTime.Get()}};
}

}  // namespace

int ShowJobFile(const std::string& path, std::ostream& out, std::ostream& err) {
  JobItemList list;
  JobItemFileInfo info = list.Load(path, CountRule::Ignore);
  if (!info.opened) {
    err << "zelvomw: cannot open " << ConsoleText(path) << "\n";
    return 1;
  }
  if (!info.hasCount) {
    err << "zelvomw: " << ConsoleText(path) << " is not a job item file: it ends before its record count\n";
    return 1;
  }
  out << Json{{"file", platform::Cp1252ToUtf8(path)}, {"count", info.count}, {"records", list.Size()}}.dump()
      << "\n";
  for (const JobItemRecord& r : list) out << RecordJson(r).dump() << "\n";
  if (info.droppedBytes > 0) {
    err << "zelvomw: " << ConsoleText(path) << " ends with " << info.droppedBytes
        << " bytes that make no whole record of 1003 bytes; they were left out\n";
    return 1;
  }
  return 0;
}

namespace {

template <typename Field>
void SetText(Field& field, const Json& object, const char* name) {
  if (object.contains(name)) field.Set(platform::Utf8ToCp1252(object.at(name).get<std::string>()));
}

template <typename Field, typename T>
void SetNumber(Field& field, const Json& object, const char* name) {
  if (object.contains(name)) field.Set(static_cast<T>(object.at(name).get<double>()));
}

JobItemRecord RecordFrom(const Json& o) {
  JobItemRecord r;
  SetText(r.JobCode, o, "JobCode");
  SetText(r.PosText1, o, "PosText1");
  SetNumber<U16Field, std::uint16_t>(r.Int18, o, "Int18");
  SetText(r.PosText2, o, "PosText2");
  SetText(r.PosText3, o, "PosText3");
  SetNumber<I16Field, std::int16_t>(r.PosNo, o, "PosNo");
  SetText(r.Text277, o, "Text277");
  SetText(r.PosText4, o, "PosText4");
  SetText(r.Maker, o, "Maker");
  SetText(r.Maker2, o, "Maker2");
  SetText(r.Code, o, "Code");
  SetText(r.Text, o, "Text");
  SetText(r.Category, o, "Category");
  SetNumber<U16Field, std::uint16_t>(r.Kind, o, "Kind");
  SetNumber<U16Field, std::uint16_t>(r.Int754, o, "Int754");
  SetText(r.Finish, o, "Finish");
  SetText(r.Text777, o, "Text777");
  SetText(r.Text798, o, "Text798");
  SetNumber<U16Field, std::uint16_t>(r.Int879, o, "Int879");
  SetNumber<Ext80Field, double>(r.Value, o, "Value");
  SetNumber<Ext80Field, double>(r.Value2, o, "Value2");
  SetNumber<I16Field, std::int16_t>(r.Sub1, o, "Sub1");
  SetNumber<I16Field, std::int16_t>(r.Sub2, o, "Sub2");
  SetNumber<I16Field, std::int16_t>(r.Sub3, o, "Sub3");
  SetNumber<I16Field, std::int16_t>(r.Sub4, o, "Sub4");
  SetNumber<I16Field, std::int16_t>(r.Sub5, o, "Sub5");
  SetText(r.PrintGroup, o, "PrintGroup");
  SetNumber<F64Field, double>(r.Quantity, o, "Quantity");
  SetNumber<Ext80Field, double>(r.AssemblyTime, o, "AssemblyTime");
  SetNumber<Ext80Field, double>(r.ProcessingTime, o, "ProcessingTime");
  return r;
}

}  // namespace

int MakeJobFile(std::istream& in, const std::string& path, std::ostream& err) {
  JobItemList list;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      Json object = Json::parse(line);
      if (!object.is_object()) throw std::runtime_error("not an object");
      if (object.contains("count") && !object.contains("JobCode") && !object.contains("PosNo")) continue;
      list.Append(RecordFrom(object));
    } catch (const std::exception& e) {
      err << "zelvomw: line " << number << " is no record: " << e.what() << "\n";
      return 1;
    }
  }
  if (!list.Save(path)) {
    err << "zelvomw: cannot write " << ConsoleText(path) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zmw::tools
