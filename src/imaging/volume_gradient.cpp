#include "imaging/volume_gradient.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "imaging/parallel_work.h"
#include "imaging/volume_rows.h"
#include "imaging/volume_work.h"
#include "lang/report.h"
#include "platform/progress_bar.h"

namespace {

// One thread's rows: the sums of the three slices and the differences slice z-1 minus slice
// z+1 along three rows of the volume (rolling down the slice), and the kernel's work rows.
struct GradientRows {
  std::vector<std::int32_t> storage;
  std::size_t stride = 0;

  void allocate(int columns) {
    stride = static_cast<std::size_t>(columns) + 2 * kRowPad;
    storage.assign(stride * 9, 0);
  }
  std::int32_t* sums(int y) { return storage.data() + static_cast<std::size_t>(y % 3) * stride + kRowPad; }
  std::int32_t* differences(int y) {
    return storage.data() + static_cast<std::size_t>(3 + y % 3) * stride + kRowPad;
  }
  std::int32_t* work() { return storage.data() + 6 * stride; }
};

// One interior slice from the original slices below it, at it and above it; its border rows
// and columns are set to 0.
void gradientSlice(int R, int C, const std::int16_t* below, const std::int16_t* at, const std::int16_t* above,
                   GradientRows& rows, std::int16_t* o) {
  const VolumeRowKernels& K = vkRowKernels();
  auto sumRow = [&](int y) {
    const std::size_t offset = static_cast<std::size_t>(y) * C;
    K.sumAndDifference(below + offset, at + offset, above + offset, rows.sums(y), rows.differences(y), C);
  };
  sumRow(0);
  sumRow(1);
  for (int y = 1; y + 1 < R; ++y) {
    sumRow(y + 1);
    // Slice z-1 minus slice z+1, row y-1 minus row y+1, column x-1 minus column x+1, each a
    // 3 x 3 sum over the two other axes.
    std::int16_t* out = o + static_cast<std::size_t>(y) * C;
    K.gradientRow(rows.sums(y - 1), rows.sums(y), rows.sums(y + 1), rows.differences(y - 1),
                  rows.differences(y), rows.differences(y + 1), rows.work(), out, C);
    out[0] = out[C - 1] = 0;
  }
  std::fill_n(o, C, std::int16_t{0});
  std::fill_n(o + static_cast<std::size_t>(R - 1) * C, C, std::int16_t{0});
}

int gradientWorkers(const VolumeSlot& v) {
  return pravella::imaging::workerCount(std::max(0, v.slices - 2),
                                        static_cast<long long>(v.rows) * v.columns);
}

bool allocateRows(std::vector<GradientRows>& rows, int columns) {
  try {
    for (GradientRows& r : rows) r.allocate(columns);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool tooThin(const VolumeSlot& v) { return v.rows < 3 || v.columns < 3 || v.slices < 3; }

}  // namespace

bool vkVolumeGradient(const VolumeSlot& v, std::vector<std::int16_t>& out, bool reports,
                      const char* noMemory) {
  const int R = v.rows, C = v.columns, S = v.slices;
  const int workers = gradientWorkers(v);
  std::vector<GradientRows> rows(static_cast<std::size_t>(workers));
  if (!pravella::imaging::allocResultVoxels(out, v.voxels.size(), noMemory)) return false;
  if (!allocateRows(rows, C)) {
    std::vector<std::int16_t>().swap(out);
    error_disp(noMemory);
    return false;
  }
  if (reports) setProcessIndicator(0, std::max(0, S - 1));
  const bool done =
      tooThin(v) || pravella::imaging::forEachItemUnlessBroken(
                        S - 2, workers,
                        [&](int worker, int item) {
                          const std::size_t z = static_cast<std::size_t>(item) + 1, plane = v.sliceSize();
                          const std::int16_t* at = v.voxels.data() + z * plane;
                          gradientSlice(R, C, at - plane, at, at + plane,
                                        rows[static_cast<std::size_t>(worker)], out.data() + z * plane);
                        },
                        [&](int finished) {
                          if (reports) setProcessIndicatorValue(finished);
                        });
  if (!done) {
    std::vector<std::int16_t>().swap(out);
    pravella::imaging::reportWorkBroken();
    return false;
  }
  if (reports) setProcessIndicatorValue(0);
  return true;
}
