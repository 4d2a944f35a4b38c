#include "imaging/volume_raycast.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_geometry.h"
#include "imaging/volume_render.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/progress_bar.h"

namespace {

// The rays of one image: the eye, and the clipped voxel line through each pixel.
struct Rays {
  const VolumeSlot& v;
  const double* view;
  const double* R;
  int w, h;
  double eye[3];
  double box[6];

  Rays(const VolumeSlot& volume, const double* viewVector, const double* rotation, int width, int height)
      : v(volume), view(viewVector), R(rotation), w(width), h(height) {
    DoCalcRotateData(R, view[0], view[1], view[2], eye);
    const int half[3] = {v.columns / 2, v.rows / 2, v.slices / 2};
    for (int k = 0; k < 3; ++k) {
      box[2 * k] = -half[k];
      box[2 * k + 1] = half[k];
    }
  }

  // The voxel line of pixel (u, v) into `line`; 0 points when the ray misses the box.
  int line(int row, int column, VolumeSurfacePoint* points) const {
    double s[3], in[3], out[3];
    DoCalcRotateData(R, column - w / 2, row - h / 2, view[3], s);
    if (!DoVolumeKouten(box, eye, s, in, out)) return 0;
    return DoGet3DLine(static_cast<int>(in[0]), static_cast<int>(in[1]), static_cast<int>(in[2]),
                       static_cast<int>(out[0]), static_cast<int>(out[1]), static_cast<int>(out[2]), points,
                       kVoxelLineLimit);
  }

  // The voxel under a line point, or 0 outside the volume.
  int voxel(const VolumeSurfacePoint& p, bool& inside) const {
    const int x = p.x + v.columns / 2, y = p.y + v.rows / 2, z = p.z + v.slices / 2;
    inside = x >= 0 && x < v.columns && y >= 0 && y < v.rows && z >= 0 && z < v.slices;
    return inside ? v.voxels[v.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                                     static_cast<std::size_t>(z))]
                  : 0;
  }

  // Runs pixel(row, column, points, count) for every pixel, rows split over threads; false when
  // the held button stopped it (the image is then incomplete).
  template <typename Pixel>
  bool forEachPixel(Pixel&& pixel) const {
    const int workers = pravella::imaging::workerCount(h, static_cast<long long>(w) * 64);
    std::vector<std::vector<VolumeSurfacePoint>> lines(static_cast<std::size_t>(workers),
                                                       std::vector<VolumeSurfacePoint>(kVoxelLineLimit));
    setProcessIndicator(0, h);
    VkWorkBreak stop;
    pravella::imaging::forEachItem(
        h, workers,
        [&](int worker, int row) {
          if (stop.stop()) return;
          VolumeSurfacePoint* points = lines[static_cast<std::size_t>(worker)].data();
          for (int column = 0; column < w; ++column) pixel(row, column, points, line(row, column, points));
        },
        [](int done) { setProcessIndicatorValue(done); });
    return !stop.broken();
  }
};

bool usable(const VolumeSlot& v) { return !v.empty(); }

}  // namespace

bool vkRayImageSize(const double* view, int* w, int* h) {
  *w = vkTruncToInt(view[4]);
  *h = vkTruncToInt(view[5]);
  return *w >= 1 && *h >= 1 && static_cast<long long>(*w) * *h <= TNumber;
}

int DoGetScreenVolume_Ray(const double* view, double* image, const double* R) {
  int w = 0, h = 0;
  const VolumeSlot& v = *vData;
  if (!vkRayImageSize(view, &w, &h) || !usable(v)) return 0;
  const auto n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  std::vector<double> hits, smooth;
  try {
    hits.assign(n, kNoDepth);
    smooth.assign(n, kNoDepth);
    const Rays rays(v, view, R, w, h);
    const bool traced =
        rays.forEachPixel([&](int row, int column, const VolumeSurfacePoint* points, int count) {
          for (int i = 0; i < count; ++i) {
            bool inside = false;
            if (rays.voxel(points[i], inside) > 0) {
              const double dx = points[i].x - rays.eye[0], dy = points[i].y - rays.eye[1],
                           dz = points[i].z - rays.eye[2];
              hits[static_cast<std::size_t>(row) * w + column] = std::sqrt(dx * dx + dy * dy + dz * dz);
              return;
            }
          }
        });
    if (!traced) return pravella::imaging::reportWorkBroken();
  } catch (const std::bad_alloc&) {
    setProcessIndicatorValue(0);
    error_disp("memory allocation");
    return 0;
  }
  auto at = [w](int row, int column) { return static_cast<std::size_t>(row) * w + column; };
  for (int row = 1; row + 1 < h; ++row)
    for (int column = 1; column + 1 < w; ++column) {
      double s = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) s += hits[at(row + dy, column + dx)];
      smooth[at(row, column)] = s / 9;
    }
  std::fill_n(image, n, 0.0);
  const double ez = view[2];
  for (int row = 1; row + 1 < h; ++row)
    for (int column = 1; column + 1 < w; ++column) {
      const double d = smooth[at(row, column)];
      if (!(d < kNoDepth)) continue;
      double s = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if (!dx && !dy) continue;
          const double spacing = dx && dy ? 1.414 : 1.0;
          s += std::fabs(std::atan2(smooth[at(row + dy, column + dx)] - d, spacing));
        }
      const double value = (kHalfPi - s / 8) * (v.rows / 1.5 + ez - d) / v.rows;
      image[at(row, column)] = std::max(0.0, value);
    }
  setProcessIndicatorValue(0);
  return 1;
}

int DoGetScreenVolume_Surface(const double* view, double* image, const double* R, int n, int mode) {
  int w = 0, h = 0;
  const VolumeSlot& v = *vData;
  if (!vkRayImageSize(view, &w, &h) || !usable(v)) return 0;
  std::fill_n(image, static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0.0);
  try {
    const Rays rays(v, view, R, w, h);
    const bool traced =
        rays.forEachPixel([&](int row, int column, const VolumeSurfacePoint* points, int count) {
          double sum = 0;
          int taken = 0;
          for (int i = 0; i < count && taken < n; ++i) {
            bool inside = false;
            const int value = rays.voxel(points[i], inside);
            if (value <= 0) continue;  // before the surface nothing counts; behind it only positives
            sum += value;
            ++taken;
          }
          double& pixel = image[static_cast<std::size_t>(row) * w + column];
          pixel = mode == 0 ? (taken ? sum / taken : 0.0) : sum;
        });
    if (!traced) return pravella::imaging::reportWorkBroken();
  } catch (const std::bad_alloc&) {
    setProcessIndicatorValue(0);
    error_disp("memory allocation");
    return 0;
  }
  setProcessIndicatorValue(0);
  return 1;
}
