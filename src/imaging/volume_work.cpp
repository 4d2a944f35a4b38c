#include "imaging/volume_work.h"

#include <new>

#include <sys/mman.h>
#include <string>

#include "imaging/parallel_work.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "platform/available_memory.h"
#include "platform/cformat.h"

namespace pravella::imaging {

namespace {

std::string amount(long long bytes) {
  constexpr long long kMiB = 1 << 20;
  if (bytes < 10 * kMiB) return cformat("%lld bytes", bytes);
  return cformat("%lld MB", bytes / kMiB);
}

// A large block comes straight from mmap as untouched pages, and a 4 KiB page fault costs more
// than filtering the page's voxels, so a result built in one would be several times slower
// than the filter itself. Huge pages, where the system gives them on request, take 512 times
// fewer faults.
void adviseHugePages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

bool allocResultVoxels(std::vector<std::int16_t>& out, std::size_t voxels, const char* noMemory) {
  const long long need = static_cast<long long>(voxels * sizeof(std::int16_t));
  const long long available = availableMemoryBytes();
  if (available >= 0 && need > available) {
    error_disp(cformat("%s The result needs %s beside the volume; the system has %s available.", noMemory,
                       amount(need).c_str(), amount(available).c_str()));
    return false;
  }
  try {
    std::vector<std::int16_t> fresh;
    fresh.reserve(voxels);
    adviseHugePages(fresh.data(), voxels * sizeof(std::int16_t));
    fresh.resize(voxels);
    out.swap(fresh);
  } catch (const std::bad_alloc&) {
    std::vector<std::int16_t>().swap(out);
    error_disp(noMemory);
    return false;
  }
  return true;
}

bool forEachItemUnlessBroken(int count, int workers, const std::function<void(int worker, int item)>& work,
                             const std::function<void(int done)>& progress) {
  VkWorkBreak stop;
  forEachItem(
      count, workers,
      [&](int worker, int item) {
        if (!stop.stop()) work(worker, item);
      },
      progress);
  return !stop.broken();
}

}  // namespace pravella::imaging
