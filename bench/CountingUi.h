// The benchmarks' user interface: a box would stop the run, so boxes are counted and the last
// one kept for the report.
#pragma once
#include <string>

#include "platform/Ui.h"

namespace zmw::bench {

class CountingUi : public platform::Ui {
 public:
  int ShowMessage(platform::Owner, const std::string& text, const std::string&, unsigned) override {
    ++messages;
    last = text;
    return platform::kIdOk;
  }
  void Beep(unsigned) override {}
  platform::BrowseResult BrowseFolder(const platform::FolderBrowseRequest&, const platform::FolderBrowserCallback&,
                                      std::string&) override {
    return platform::BrowseResult::Cancelled;
  }
  bool PickOpenFile(const platform::OpenFileRequest&, std::string&) override { return false; }
  std::uintptr_t SetWaitCursor() override { return 0; }
  void RestoreCursor(std::uintptr_t) override {}
  int messages = 0;
  std::string last;
};

}  // namespace zmw::bench
