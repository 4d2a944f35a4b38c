#include "lang/run_state.h"

#include <atomic>
#include <chrono>
#include <thread>

std::atomic<int64_t> vkButtonDownSinceMs{0};

int64_t vkSteadyMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void vkSetButtonDown(bool down) { vkButtonDownSinceMs.store(down ? vkSteadyMillis() : 0); }

bool ButtonPress() {
  // The common case costs one relaxed load.
  int64_t since = vkButtonDownSinceMs.load(std::memory_order_relaxed);
  if (since == 0) return false;
  for (;;) {
    if (vkSteadyMillis() - since >= 2000) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    since = vkButtonDownSinceMs.load(std::memory_order_relaxed);
    if (since == 0) return false;
  }
}

namespace pravella {

namespace {
std::atomic<int> activeRuns{0};
}  // namespace

std::recursive_mutex& vkRunLock() {
  static std::recursive_mutex lock;
  return lock;
}

bool vkRunInProgress() { return activeRuns.load() > 0; }

VkActiveRun::VkActiveRun() { activeRuns.fetch_add(1); }
VkActiveRun::~VkActiveRun() { activeRuns.fetch_sub(1); }

}  // namespace pravella
