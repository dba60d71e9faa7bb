#include "calc/MwResultReader.h"

#include <cctype>
#include <climits>

#include "base/Ini.h"
#include "base/MwPath.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "maicowin/MaicoWinConf.h"

namespace zmw {

std::string ResultField(const std::string& line, std::size_t column, std::size_t width) {
  if (column >= line.size()) return "";
  std::string field = line.substr(column, width);
  while (!field.empty() && (field.back() == ' ' || field.back() == '\t' || field.back() == '\r' || field.back() == '\n'))
    field.pop_back();
  return field;
}

long ReadDecimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = INT_MAX + 1LL;  // beyond that, all the same
  }
  value = negative ? -value : value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return long(value);
}

MwResultReader::MwResultReader(const std::string& jobName) : jobName_(jobName) {
  MaicoWinConf conf;
  std::string ini;
  conf.GetMaicoWinIni(ini);
  std::string resultFile = ReadIni(ini, "EXPORT-IMPORT", "EXPORT");
  if (!resultFile.empty()) result_ = platform::File::Open(resultFile, "r");
  std::string jobFolder = ReadZelvoIni("SYSTEM", "JOB_PATH");
  std::string workFolder = MwPath(jobFolder).IsRemoteDrive() ? ReadZelvoIni("SYSTEM", "TMP_PATH") : jobFolder;
  workBase_ = workFolder + jobName;
  jobBase_ = jobFolder + jobName;
}

int MwResultReader::ProcessResults() {
  LoadAccessoryList(workBase_);
  ReadResults();
  int saved = SaveAccessoryList(workBase_);
  MwPath(workBase_ + ".MW").Delete();
  MwPath(jobBase_ + ".MW").Delete();
  return saved;
}

int MwResultReader::ReadResults() {
  if (!result_) return 0;
  // Every line looks at the same statement file, profile and job parameter file: they are
  // found and checked once for the whole result, not once a line.
  platform::FileCheckScope once;
  std::string line;
  while (result_.Gets(line, 1024)) {
    std::string code = ResultField(line, 143, 13);
    if (code.empty()) code = ResultField(line, 130, 13);
    JobItemRecord record = MakeAccessory(ResultField(line, 114, 4), code, ResultField(line, 171, 65),
                                         ResultField(line, 156, 13), ResultField(line, 262, 10));
    ControllaTipoAcc(record);
    CompleteFromJobFile(record, workBase_);
    accessories_.Append(std::move(record));
  }
  return 1;
}

JobItemRecord MwResultReader::MakeAccessory(const std::string& position, const std::string& code,
                                            const std::string& description, const std::string& quantity,
                                            const std::string& number) const {
  JobItemRecord r;
  r.JobCode.Set(jobName_);
  r.PosNo.Set(static_cast<std::int16_t>(ReadDecimal(position)));
  r.Maker.Set("MAICO");
  r.Maker2.Set("MAICO");
  r.Code.Set(code);
  r.Text.Set(description);
  r.Category.Set("");
  r.Kind.Set(1);
  r.Quantity.Set(double(ReadDecimal(quantity)));
  r.Int879.Set(0);
  r.Int754.Set(static_cast<std::uint16_t>(ReadDecimal(number)));
  return r;
}

int MwResultReader::ControllaTipoAcc(JobItemRecord& record) {
  ConnectionHolder& db = TheZelvoDb();
  try {
    SqlRepository repository;
    repository.GetStatement("MW_GET_INFO_ACC", kStatementFile, "");
    std::string statement;
    repository.GetText(statement);
    RecordSource& pass =
        OpenRecordPassWithTexts(db, statement, {record.Maker.Get(), record.Maker2.Get(), record.Code.Get()});
    if (pass.AtEnd()) {
      CloseRecordPass(db);
      return 0;
    }
    pass.MoveFirst();
    Variant v = pass.Field("Categoria");
    std::string category = v.IsNull() ? "" : VariantToText(v);
    v = pass.Field("GruppoStampa");
    std::string printGroup = v.IsNull() ? "" : VariantToText(v);
    v = pass.Field("UnMis");
    std::int32_t unit = v.IsNull() ? 0 : VariantToLong(v);
    v = pass.Field("TempoMontaggio");
    double assembly = v.IsNull() ? 0 : VariantToDouble(v);
    v = pass.Field("TempoLavorazione");
    double processing = v.IsNull() ? 0 : VariantToDouble(v);
    // Archive texts longer than the record's fields are cut to fit.
    record.Category.Set(category);
    record.PrintGroup.Set(printGroup);
    record.Kind.Set(static_cast<std::uint16_t>(unit));
    record.AssemblyTime.Set(ScaleTime(record, assembly));
    record.ProcessingTime.Set(ScaleTime(record, processing));
    return 1;
  } catch (const DbError& e) {
    ShowComError("ControllaTipoAcc", e.Code(), e.Description());
    return -1;
  }
}

double MwResultReader::ScaleTime(const JobItemRecord& record, double t) {
  switch (record.Kind.Get()) {
    case 1: return record.Quantity.Get() * t;
    case 2:
    case 4: return record.Value.Get() * record.Quantity.Get() * t;
    default: return 0;
  }
}

const MwResultReader::JobFileCache& MwResultReader::JobFile(const std::string& path) {
  JobFileCache& cache = jobFiles_[path];
  platform::FileStampValue stamp = platform::FileStamp(path);
  if (cache.usable && stamp == cache.stamp) return cache;
  cache = JobFileCache{};
  cache.stamp = stamp;
  JobItemList list;
  JobItemFileInfo info = list.Load(path, CountRule::EmptyWhenNotPositive);
  if (!info.opened || info.count <= 0) return cache;
  cache.usable = true;
  for (const JobItemRecord& r : list) {
    // The first record of a position gives its texts.
    cache.firstOfPosition.emplace(r.PosNo.Get(), cache.records.size());
    cache.records.push_back({r.PosNo.Get(), r.PosText1.Get(), r.PosText2.Get(), r.PosText3.Get(), r.PosText4.Get()});
  }
  return cache;
}

int MwResultReader::CompleteFromJobFile(JobItemRecord& record, const std::string& base) {
  const JobFileCache& file = JobFile(base + ".MW");
  if (!file.usable) return 0;
  auto found = file.firstOfPosition.find(record.PosNo.Get());
  if (found == file.firstOfPosition.end()) return 0;
  const PositionTexts& p = file.records[found->second];
  record.PosText1.Set(p.text1);
  record.PosText2.Set(p.text2);
  record.PosText3.Set(p.text3);
  record.PosText4.Set(p.text4);
  return 1;
}

int MwResultReader::LoadAccessoryList(const std::string& base) {
  JobItemList loaded;
  JobItemFileInfo info = loaded.Load(base + ".FIT", CountRule::EmptyWhenNotPositive);
  if (!info.opened || info.count <= 0) return 0;
  for (const JobItemRecord& r : loaded) {
    JobItemRecord copy(r);
    if (copy.Maker.Get() == "MAICO") {
      if (copy.Category.Get().empty()) copy.Category.Set("ACC. A PEZZO");
      if (copy.Kind.Get() == 0) copy.Kind.Set(1);
    }
    accessories_.Append(copy);
  }
  return loaded.Empty() ? 0 : 1;
}

int MwResultReader::SaveAccessoryList(const std::string& base) { return accessories_.Save(base + ".FIT") ? 1 : 0; }

}  // namespace zmw
