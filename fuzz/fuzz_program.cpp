// Any text as a program: tokenizer, parser and executor, with a time limit per run. Programs
// run in a scratch home with no programs on the path, so that exec and the file built-ins
// reach nothing of the machine's.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>

#include "fuzz_support.h"
#include "lang/executor.h"
#include "lang/run_state.h"

namespace {

// Holds the "mouse button" down once a run has gone on for a second: the break test ends it.
class RunLimit {
 public:
  RunLimit() : watcher_([this] { watch(); }) {}
  ~RunLimit() {
    {
      std::lock_guard lock(m_);
      done_ = true;
    }
    cv_.notify_all();
    watcher_.join();
    vkButtonDownSinceMs = 0;
  }

 private:
  void watch() {
    std::unique_lock lock(m_);
    if (!cv_.wait_for(lock, std::chrono::seconds(1), [this] { return done_; }))
      vkButtonDownSinceMs = vkSteadyMillis() - 10000;
  }
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread watcher_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepareLanguage();
  const RunLimit limit;
  pravella::runVkProgram(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
