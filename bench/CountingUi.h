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
  bool BrowseFolder(const std::string&, std::string&) override { return false; }
  int messages = 0;
  std::string last;
};

}  // namespace zmw::bench
