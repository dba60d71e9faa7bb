#include "JobShow.h"

#include <nlohmann/json.hpp>

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
    err << "zelvomw: cannot open " << path << "\n";
    return 1;
  }
  if (!info.hasCount) {
    err << "zelvomw: " << path << " is not a job item file: it ends before its record count\n";
    return 1;
  }
  out << Json{{"file", platform::Cp1252ToUtf8(path)}, {"count", info.count}, {"records", list.Size()}}.dump()
      << "\n";
  for (const JobItemRecord& r : list) out << RecordJson(r).dump() << "\n";
  if (info.droppedBytes > 0) {
    err << "zelvomw: " << path << " ends with " << info.droppedBytes
        << " bytes that make no whole record of 1003 bytes; they were left out\n";
    return 1;
  }
  return 0;
}

}  // namespace zmw::tools
