// Sleeps for the number of seconds given (default 60), then ends.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}
