// The accumulating renderings: inverse distances of the surface points, and the mean projection
// of the positive voxels of the volume or of its gradient magnitude.

#include <algorithm>
#include <new>

#include "imaging/parallel_work.h"
#include "imaging/volume_gradient.h"
#include "imaging/volume_render.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/progress_bar.h"

namespace {

using pravella::imaging::Projection;

bool sizeFits(int w, int h) {
  if (static_cast<long long>(w) * h > TNumber) {
    error_disp("too many elements.");
    return false;
  }
  return true;
}

// Sum and count per pixel of every positive voxel; threads take slices, each into sums of its
// own. The sums are of 16-bit integers, exact in doubles, so the merge gives the one-thread
// image whatever the order.
int meanProjection(const VolumeSlot& v, const std::int16_t* voxels, double* image, const Projection& p) {
  const auto n = static_cast<std::size_t>(p.w) * static_cast<std::size_t>(p.h);
  const int workers = pravella::imaging::workerCount(v.slices, static_cast<long long>(v.rows) * v.columns);
  std::vector<std::vector<double>> sums;
  std::vector<std::vector<std::int64_t>> counts;
  try {
    sums.assign(static_cast<std::size_t>(workers), std::vector<double>(n, 0.0));
    counts.assign(static_cast<std::size_t>(workers), std::vector<std::int64_t>(n, 0));
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  setProcessIndicator(0, v.slices);
  VkWorkBreak stop;
  pravella::imaging::forEachItem(
      v.slices, workers,
      [&](int worker, int z) {
        double* sum = sums[static_cast<std::size_t>(worker)].data();
        std::int64_t* count = counts[static_cast<std::size_t>(worker)].data();
        for (int y = 0; y < v.rows; ++y) {
          if (stop.stop()) return;
          const std::int16_t* row =
              voxels + v.index(0, static_cast<std::size_t>(y), static_cast<std::size_t>(z));
          for (int x = 0; x < v.columns; ++x) {
            if (row[x] <= 0) continue;
            const double value = row[x];
            for (int k = 0; k < p.subSteps(); ++k)
              p.project(x, y, z, k, [&](long long pixel, double) {
                sum[pixel] += value;
                ++count[pixel];
              });
          }
        }
      },
      [](int done) { setProcessIndicatorValue(done); });
  if (stop.broken()) return pravella::imaging::reportWorkBroken();
  for (std::size_t i = 0; i < n; ++i) {
    double s = 0;
    std::int64_t c = 0;
    for (int t = 0; t < workers; ++t) {
      s += sums[static_cast<std::size_t>(t)][i];
      c += counts[static_cast<std::size_t>(t)][i];
    }
    image[i] = c ? s / static_cast<double>(c) : 0.0;
  }
  return 1;
}

}  // namespace

int DoRendering_Trans(double* image, int w, int h, const double* R, double mag, double zmag) {
  if (!sizeFits(w, h)) return 0;
  const VolumeSlot& v = *vData;
  std::vector<VolumeSurfacePoint> points;
  if (!pravella::imaging::surfacePoints(v, points)) {
    setProcessIndicatorValue(0);
    return 0;
  }
  const Projection p{R, mag, zmag, w, h, v.rows, v.columns, v.slices};
  const auto n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  const int count = static_cast<int>(points.size());
  constexpr int kChunk = 4096;
  const int chunks = (count + kChunk - 1) / kChunk;
  const int workers = pravella::imaging::workerCount(chunks, static_cast<long long>(kChunk) * p.subSteps());
  std::vector<std::vector<double>> sums;
  try {
    sums.assign(static_cast<std::size_t>(workers), std::vector<double>(n, 0.0));
  } catch (const std::bad_alloc&) {
    setProcessIndicatorValue(0);
    error_disp("memory allocation");
    return 0;
  }
  setProcessIndicator(0, count);
  VkWorkBreak stop;
  pravella::imaging::forEachItem(
      chunks, workers,
      [&](int worker, int chunk) {
        if (stop.stop()) return;
        double* sum = sums[static_cast<std::size_t>(worker)].data();
        const int end = std::min(count, (chunk + 1) * kChunk);
        for (int i = chunk * kChunk; i < end; ++i) {
          const VolumeSurfacePoint& q = points[static_cast<std::size_t>(i)];
          for (int k = 0; k < p.subSteps(); ++k)
            p.project(q.x, q.y, q.z, k, [&](long long pixel, double dist) { sum[pixel] += 1.0 / dist; });
        }
      },
      [&](int done) { setProcessIndicatorValue(std::min(count, done * kChunk)); });
  if (stop.broken()) return pravella::imaging::reportWorkBroken();
  for (std::size_t i = 0; i < n; ++i) {
    double s = 0;
    for (const auto& part : sums) s += part[i];
    image[i] = s;
  }
  setProcessIndicatorValue(0);
  return 1;
}

int DoRendering_Xray(double* image, int w, int h, const double* R, double mag, double zmag) {
  if (!sizeFits(w, h)) return 0;
  const VolumeSlot& v = *vData;
  const Projection p{R, mag, zmag, w, h, v.rows, v.columns, v.slices};
  const int ok = meanProjection(v, v.voxels.data(), image, p);
  setProcessIndicatorValue(0);
  return ok;
}

int DoRendering_XrayGrad(double* image, int w, int h, const double* R, double mag, double zmag) {
  if (!sizeFits(w, h)) return 0;
  const VolumeSlot& v = *vData;
  std::vector<std::int16_t> gradient;
  if (!vkVolumeGradient(v, gradient, true, "memory allocation")) {
    setProcessIndicatorValue(0);
    return 0;
  }
  const Projection p{R, mag, zmag, w, h, v.rows, v.columns, v.slices};
  const int ok = meanProjection(v, gradient.data(), image, p);
  setProcessIndicatorValue(0);
  return ok;
}
