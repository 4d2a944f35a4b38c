#pragma once
// What code outside the executor may know of a run: the process-wide run lock, the count of
// runs going on and the break test. The working-folder sheet keeps out of a running program's
// way with it, and long work in any library stops when the user holds the mouse button,
// without reaching into the executor.

#include <atomic>
#include <cstdint>
#include <mutex>

// The break test: true once the mouse button has been held down over the running program's
// window for two seconds; while it is held less long the run pauses here. The GUI records the
// moment the button went down (vkSetButtonDown); tests may set it directly.
bool ButtonPress();
extern std::atomic<int64_t> vkButtonDownSinceMs;  // steady-clock ms, 0 while the button is up
int64_t vkSteadyMillis();
void vkSetButtonDown(bool down);

// The break test for a loop whose length a program sets: one relaxed load while the button
// is up.
inline bool vkBreakHeld() {
  return vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress();
}

// The break test for a loop whose steps differ in cost (a window of one element or of a
// million): made once the steps since the last test have done about 65,536 units of work, so
// that cheap steps cost no load each and a costly one is never passed over.
class VkBreakByWork {
 public:
  bool held(long long units) {
    done_ += units;
    if (done_ < kEvery) return false;
    done_ = 0;
    return vkBreakHeld();
  }

 private:
  static constexpr long long kEvery = 1 << 16;
  long long done_ = 0;
};

// The message of a run or a built-in that the break test ended.
inline constexpr const char* kVkBreakMessage = "**** BREAK *****";

// The break test for one piece of work that several threads share: the first thread that sees
// the button held stops them all at their next check, and the work then reports
// kVkBreakMessage once. Each check costs one relaxed load while the button is up.
class VkWorkBreak {
 public:
  bool stop() {
    if (broken_.load(std::memory_order_relaxed)) return true;
    if (vkButtonDownSinceMs.load(std::memory_order_relaxed) == 0 || !ButtonPress()) return false;
    broken_.store(true);
    return true;
  }
  bool broken() const { return broken_.load(); }

 private:
  std::atomic<bool> broken_{false};
};

namespace pravella {

// The lock that runVkProgram holds. Whoever changes the interpreter's tables around a run
// (raising the variable level, setting a variable) holds it too; it is recursive so that a
// nested run on the same thread goes through.
std::recursive_mutex& vkRunLock();

// Whether a run is going on (on any thread). A window that must not block checks this before
// it starts a run, since runVkProgram waits for the run in progress.
bool vkRunInProgress();

// Counts a run as going on for as long as it lives.
class VkActiveRun {
 public:
  VkActiveRun();
  ~VkActiveRun();
  VkActiveRun(const VkActiveRun&) = delete;
  VkActiveRun& operator=(const VkActiveRun&) = delete;
};

}  // namespace pravella
