#include "imaging/volume_slices.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/parallel_work.h"

namespace pravella::imaging {

bool rewriteSlices(std::vector<std::int16_t>& voxels, std::size_t plane, int slices, int first, int last,
                   int workers, const SliceRewrite& work, const std::function<void(int done)>& progress) {
  const int count = last - first;
  if (count <= 0 || plane == 0) return true;
  workers = std::max(1, workers);
  // A few ranges per thread balance a loaded machine; each border between two ranges costs two
  // kept slices.
  const int ranges = std::min(count, workers * 2);
  auto start = [&](int range) { return first + static_cast<int>(static_cast<long long>(range) * count / ranges); };
  // One block, left uninitialised (each slice is copied in before it is read), so that no thread
  // waits for pages to be zeroed: per range the slice before it and the one after it, per
  // thread two slices that take turns holding the original of the slice being rewritten.
  const std::size_t kept = static_cast<std::size_t>(ranges) * 2 + static_cast<std::size_t>(workers) * 2;
  std::unique_ptr<std::int16_t[]> store;
  try {
    store.reset(new std::int16_t[kept * plane]);
  } catch (const std::bad_alloc&) {
    return false;
  }
  auto keptSlice = [&](std::size_t i) { return store.get() + i * plane; };
  auto before = [&](int range) { return keptSlice(static_cast<std::size_t>(range) * 2); };
  auto after = [&](int range) { return keptSlice(static_cast<std::size_t>(range) * 2 + 1); };
  std::int16_t* data = voxels.data();
  auto slice = [&](int z) { return data + static_cast<std::size_t>(z) * plane; };
  const std::size_t bytes = plane * sizeof(std::int16_t);

  forEachItem(ranges, workers, [&](int, int range) {
    if (range > 0) std::memcpy(before(range), slice(start(range) - 1), bytes);
    if (range + 1 < ranges) std::memcpy(after(range), slice(start(range + 1)), bytes);
  });

  std::atomic<int> done{0};
  forEachItem(
      ranges, workers,
      [&](int worker, int range) {
        std::int16_t* turns[2] = {keptSlice(static_cast<std::size_t>(ranges) * 2 + static_cast<std::size_t>(worker) * 2),
                                  keptSlice(static_cast<std::size_t>(ranges) * 2 + static_cast<std::size_t>(worker) * 2 + 1)};
        const int begin = start(range), end = start(range + 1);
        const std::int16_t* below = range > 0 ? before(range) : begin > 0 ? slice(begin - 1) : nullptr;
        for (int z = begin; z < end; ++z) {
          std::memcpy(turns[0], slice(z), bytes);
          const std::int16_t* above =
              z + 1 >= slices ? nullptr : z + 1 == end && range + 1 < ranges ? after(range) : slice(z + 1);
          work(worker, z, below, turns[0], above, slice(z));
          below = turns[0];
          std::swap(turns[0], turns[1]);
          ++done;
        }
      },
      [&](int) {
        if (progress) progress(done.load());
      });
  return true;
}

}  // namespace pravella::imaging
