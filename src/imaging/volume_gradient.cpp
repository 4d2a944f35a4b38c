#include "imaging/volume_gradient.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "imaging/parallel_work.h"
#include "platform/progress_bar.h"

namespace {

// Sums of three neighbours along x (h) and along y (c) of one slice, so that every plane sum of
// the gradient is a few additions.
struct SliceSums {
  std::vector<std::int32_t> h, c;
};

void sumSlice(const VolumeSlot& v, int z, SliceSums& s) {
  const int R = v.rows, C = v.columns;
  const std::int16_t* p = v.voxels.data() + v.index(0, 0, static_cast<std::size_t>(z));
  for (int y = 0; y < R; ++y) {
    const std::int16_t* row = p + static_cast<std::size_t>(y) * C;
    std::int32_t* h = s.h.data() + static_cast<std::size_t>(y) * C;
    for (int x = 1; x + 1 < C; ++x) h[x] = row[x - 1] + row[x] + row[x + 1];
  }
  for (int y = 1; y + 1 < R; ++y) {
    const std::int16_t* above = p + static_cast<std::size_t>(y - 1) * C;
    std::int32_t* c = s.c.data() + static_cast<std::size_t>(y) * C;
    for (int x = 0; x < C; ++x) c[x] = above[x] + above[x + C] + above[x + 2 * C];
  }
}

}  // namespace

bool vkVolumeGradient(const VolumeSlot& v, std::vector<std::int16_t>& out, bool reports) {
  const int R = v.rows, C = v.columns, S = v.slices;
  const int workers = pravella::imaging::workerCount(std::max(0, S - 2), static_cast<long long>(R) * C);
  // Three slices of sums per thread: before, at and after the slice being computed.
  std::vector<SliceSums> sums(static_cast<std::size_t>(workers) * 3);
  try {
    out.assign(v.voxels.size(), 0);
    if (R >= 3 && C >= 3 && S >= 3)
      for (SliceSums& s : sums) {
        s.h.assign(v.sliceSize(), 0);
        s.c.assign(v.sliceSize(), 0);
      }
  } catch (const std::bad_alloc&) {
    std::vector<std::int16_t>().swap(out);
    return false;
  }
  if (reports) setProcessIndicator(0, std::max(0, S - 1));
  if (R < 3 || C < 3 || S < 3) return true;
  // Slices in contiguous ranges per thread; the sums of three slices roll along a range.
  pravella::imaging::forEachRange(
      S - 2, workers,
      [&](int worker, int begin, int end) {
        SliceSums* three[3] = {&sums[static_cast<std::size_t>(worker) * 3],
                               &sums[static_cast<std::size_t>(worker) * 3 + 1],
                               &sums[static_cast<std::size_t>(worker) * 3 + 2]};
        sumSlice(v, begin, *three[0]);
        sumSlice(v, begin + 1, *three[1]);
        for (int item = begin; item < end; ++item) {
          const int z = item + 1;
          sumSlice(v, z + 1, *three[2]);
          const SliceSums& before = *three[0];
          const SliceSums& middle = *three[1];
          const SliceSums& after = *three[2];
          std::int16_t* o = out.data() + v.index(0, 0, static_cast<std::size_t>(z));
          for (int y = 1; y + 1 < R; ++y) {
            const std::size_t up = static_cast<std::size_t>(y - 1) * C, at = static_cast<std::size_t>(y) * C,
                              down = static_cast<std::size_t>(y + 1) * C;
            for (int x = 1; x + 1 < C; ++x) {
              // Slice z-1 minus slice z+1, row y-1 minus row y+1, column x-1 minus column
              // x+1, each a 3 x 3 sum over the two other axes.
              const double gz = (before.h[up + x] + before.h[at + x] + before.h[down + x]) -
                                (after.h[up + x] + after.h[at + x] + after.h[down + x]);
              const double gy = (before.h[up + x] + middle.h[up + x] + after.h[up + x]) -
                                (before.h[down + x] + middle.h[down + x] + after.h[down + x]);
              const double gx = (before.c[at + x - 1] + middle.c[at + x - 1] + after.c[at + x - 1]) -
                                (before.c[at + x + 1] + middle.c[at + x + 1] + after.c[at + x + 1]);
              const double g = std::trunc(std::sqrt(gx * gx + gy * gy + gz * gz) / 3.0);
              o[at + x] = static_cast<std::int16_t>(std::min(g, 32767.0));
            }
          }
          std::rotate(three, three + 1, three + 3);
        }
      },
      [&](int done) {
        if (reports) setProcessIndicatorValue(done);
      });
  if (reports) setProcessIndicatorValue(0);
  return true;
}
