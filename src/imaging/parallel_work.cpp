#include "imaging/parallel_work.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "platform/progress_bar.h"

namespace pravella::imaging {

namespace {

std::atomic<int> fixedWorkers{0};
std::atomic<void (*)(int)> itemHook{nullptr};

// Below this many voxel visits a thread costs more than it saves.
constexpr long long kMinWorkPerThread = 1 << 16;

}  // namespace

int workerCount(long long items, long long costPerItem) {
  const int fixed = fixedWorkers.load();
  const long long limit = std::max<long long>(1, items);
  if (fixed > 0) return static_cast<int>(std::min<long long>(fixed, limit));
  if (items * std::max<long long>(1, costPerItem) < 2 * kMinWorkPerThread) return 1;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return static_cast<int>(std::min<long long>(cores, limit));
}

int reportWorkBroken() {
  setProcessIndicatorValue(0);
  error_disp(kVkBreakMessage);
  return 0;
}

void setWorkerCountForTests(int workers) { fixedWorkers = std::max(0, workers); }

void setItemHookForTests(void (*hook)(int done)) { itemHook.store(hook); }

void forEachItem(int count, int workers, const std::function<void(int worker, int item)>& work,
                 const std::function<void(int done)>& progress) {
  std::atomic<int> next{0}, done{0};
  auto run = [&](int worker, bool reports) {
    for (int item = next++; item < count; item = next++) {
      work(worker, item);
      const int finished = ++done;
      if (!reports) continue;
      if (progress) progress(finished);
      if (void (*hook)(int) = itemHook.load(std::memory_order_relaxed)) hook(finished);
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(std::max(0, workers - 1)));
  for (int w = 1; w < workers; ++w) threads.emplace_back(run, w, false);
  run(0, true);
  for (std::thread& t : threads) t.join();
}

void forEachRange(int count, int workers, const std::function<void(int worker, int begin, int end)>& work,
                  const std::function<void(int done)>& progress) {
  const int ranges = std::min(count, std::max(1, workers) * 4);
  if (ranges <= 0) return;
  auto start = [&](int i) { return static_cast<int>(static_cast<long long>(i) * count / ranges); };
  forEachItem(
      ranges, workers, [&](int worker, int range) { work(worker, start(range), start(range + 1)); },
      [&](int done) {
        if (progress) progress(start(done));
      });
}

}  // namespace pravella::imaging
