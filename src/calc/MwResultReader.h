// MaicoWin's result: one line per accessory in fixed columns, each turned into a record of the
// job's accessory list, completed from Zelvo's archive and from the job parameter file.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "calc/JobItem.h"
#include "platform/Files.h"

namespace zmw {

class MwResultReader {
 public:
  explicit MwResultReader(const std::string& jobName);
  MwResultReader(const MwResultReader&) = delete;
  MwResultReader& operator=(const MwResultReader&) = delete;

  // 1 when the job's .FIT file could be written.
  int ProcessResults();
  int ReadResults();
  JobItemRecord MakeAccessory(const std::string& position, const std::string& code, const std::string& description,
                              const std::string& quantity, const std::string& number) const;

  // The lookups that complete an accessory.
  int ControllaTipoAcc(JobItemRecord& record);
  static double ScaleTime(const JobItemRecord& record, double timePerUnit);
  int CompleteFromJobFile(JobItemRecord& record, const std::string& base);
  int LoadAccessoryList(const std::string& base);
  int SaveAccessoryList(const std::string& base);

  const JobItemList& Accessories() const { return accessories_; }
  const std::string& WorkBase() const { return workBase_; }
  const std::string& JobBase() const { return jobBase_; }

 private:
  // The position texts of a job parameter file, read once and read again only when the file
  // changes.
  struct PositionTexts {
    std::int16_t position;
    std::string text1, text2, text3, text4;
  };
  struct JobFileCache {
    platform::FileStampValue stamp;
    bool usable = false;
    std::vector<PositionTexts> records;
    std::map<std::int16_t, std::size_t> firstOfPosition;
  };
  const JobFileCache& JobFile(const std::string& path);

  platform::File result_;
  JobItemList accessories_;
  std::string workBase_;
  std::string jobBase_;
  std::string jobName_;
  std::map<std::string, JobFileCache> jobFiles_;
};

// A field of a result line: from the column, at most the width, trailing white space removed.
std::string ResultField(const std::string& line, std::size_t column, std::size_t width);
// atoi's reading: leading white space, a sign, digits; no digits give 0.
long ReadDecimal(const std::string& text);

}  // namespace zmw
