#include "support/RecordingDialogs.h"

#include <chrono>
#include <thread>

namespace zmw::test {

std::unique_ptr<platform::DialogWindow> RecordingDialogHost::MakeWindow(int templateId, platform::DialogEvents& events) {
  dialogs.push_back({templateId, {}, {}, {}});
  return std::make_unique<RecordedDialog>(*this, dialogs.size() - 1, events);
}

int RecordedDialog::RunModal() {
  Record().events.push_back("start");
  events_.OnInitDialog();
  if (host_.driver) {
    host_.driver(*this);
  } else {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(host_.patience);
    while (!ended_ && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      Tick();
    }
  }
  if (!ended_) {
    ended_ = true;
    result_ = -1;  // the test's patience ran out
  }
  Record().events.push_back("end " + std::to_string(result_));
  return result_;
}

bool RecordedDialog::ShowModeless() {
  Record().events.push_back("modeless");
  events_.OnInitDialog();
  return true;
}

void RecordedDialog::EndModal(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
}

void RecordedDialog::Destroy() {
  Record().events.push_back("destroy");
  timers_.clear();
  if (!ended_) {
    ended_ = true;
    result_ = 2;
  }
}

unsigned RecordedDialog::StartTimer(unsigned id, unsigned milliseconds) {
  timers_[id] = milliseconds;
  Record().timersStarted[id] = milliseconds;
  return id;
}

void RecordedDialog::Tick() {
  std::map<unsigned, unsigned> running = timers_;
  for (auto& [id, interval] : running)
    if (!ended_ && timers_.count(id)) events_.OnTimer(id);
}

std::intptr_t RecordedDialog::SendControlMessage(int control, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  Record().progress.push_back({control, message, wParam, lParam});
  return 0;
}

}  // namespace zmw::test
