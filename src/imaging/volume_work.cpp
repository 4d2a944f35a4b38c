#include "imaging/volume_work.h"

#include <new>
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
    out.assign(voxels, 0);
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
