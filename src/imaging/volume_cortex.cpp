#include "imaging/volume_cortex.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"

namespace {

constexpr double kDegree = 0.01745329252;

enum class RayForm { Standard, PolarColumns, Rotated };

struct Ray {
  RayForm form;
  const CortexParams& p;
  double rotation[9];  // Rz(c) Ry(b) Rx(a), row-major

  // The voxel at radius r along latitude phi and longitude theta (degrees); 0 outside.
  int voxel(const VolumeSlot& v, int phi, int theta, double r) const {
    const double cp = std::cos(phi * kDegree), sp = std::sin(phi * kDegree);
    const double ct = std::cos(theta * kDegree), st = std::sin(theta * kDegree);
    double row = 0, column = 0, slice = 0;
    switch (form) {
      case RayForm::Standard:
        row = p.cy - r * cp * ct;
        column = p.cx - r * cp * st;
        slice = p.cz + r * sp * p.zScale;
        break;
      case RayForm::PolarColumns:
        row = p.cy - r * cp * st;
        slice = p.cz - r * cp * ct * p.zScale;
        column = p.cx + r * sp;
        break;
      case RayForm::Rotated: {
        const double u[3] = {r * cp * ct, r * cp * st, r * sp * p.zScale};
        const double* M = rotation;
        row = p.cy - (M[0] * u[0] + M[1] * u[1] + M[2] * u[2]);
        column = p.cx - (M[3] * u[0] + M[4] * u[1] + M[5] * u[2]);
        slice = p.cz + (M[6] * u[0] + M[7] * u[1] + M[8] * u[2]);
      }
    }
    const double y = std::trunc(row), x = std::trunc(column), z = std::trunc(slice);
    if (!(x >= 0 && x < v.columns && y >= 0 && y < v.rows && z >= 0 && z < v.slices)) return 0;
    return v.voxels[v.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                            static_cast<std::size_t>(z))];
  }

  // A radius beyond which the ray at (phi, theta) stays outside the volume, so that every
  // voxel there reads 0: the walk need not step through them one by one. A start radius far
  // outside (1e300 saturates to 2^31 - 1) would otherwise take billions of steps a ray.
  double lastInside(const VolumeSlot& v, int phi, int theta) const {
    const double cp = std::cos(phi * kDegree), sp = std::sin(phi * kDegree);
    const double ct = std::cos(theta * kDegree), st = std::sin(theta * kDegree);
    // Row, column and slice per unit of radius.
    double d[3] = {0, 0, 0};
    switch (form) {
      case RayForm::Standard:
        d[0] = -cp * ct;
        d[1] = -cp * st;
        d[2] = sp * p.zScale;
        break;
      case RayForm::PolarColumns:
        d[0] = -cp * st;
        d[1] = sp;
        d[2] = -cp * ct * p.zScale;
        break;
      case RayForm::Rotated: {
        const double u[3] = {cp * ct, cp * st, sp * p.zScale};
        const double* M = rotation;
        d[0] = -(M[0] * u[0] + M[1] * u[1] + M[2] * u[2]);
        d[1] = -(M[3] * u[0] + M[4] * u[1] + M[5] * u[2]);
        d[2] = M[6] * u[0] + M[7] * u[1] + M[8] * u[2];
      }
    }
    const double centre[3] = {p.cy, p.cx, p.cz};
    const double size[3] = {static_cast<double>(v.rows), static_cast<double>(v.columns),
                            static_cast<double>(v.slices)};
    double last = HUGE_VAL;
    for (int i = 0; i < 3; ++i) {
      // An axis the ray hardly moves along bounds nothing: over 2^31 steps it moves less than a
      // voxel there. Elsewhere the position lies inside only while it is in (-1, size).
      if (!(std::fabs(d[i]) >= 1e-9)) continue;
      const double a = (-1 - centre[i]) / d[i], b = (size[i] - centre[i]) / d[i];
      last = std::min(last, std::max(a, b));
    }
    // Two steps of margin for the rounding of the position.
    return last + 2;
  }
};

bool ready(const CortexParams& p, int* rows, int* columns) {
  if (!vkCortexGridSize(p, rows, columns)) return false;
  if (vData->empty()) {
    error_disp("VolumeData is empty.");
    return false;
  }
  return true;
}

// Runs cell(row, column, phi, theta) over the grid, latitudes split over threads; false after
// reporting when the user held the mouse button (the cells may stop their walks too).
template <typename Cell>
bool forEachCell(const CortexParams& p, int rows, int columns, VkWorkBreak& stop, Cell&& cell) {
  const int workers = pravella::imaging::workerCount(rows, static_cast<long long>(columns) * 64);
  pravella::imaging::forEachItem(rows, workers, [&](int, int row) {
    const int phi = p.top - row * p.latStep;
    for (int column = 0; column < columns && !stop.stop(); ++column)
      cell(row, column, phi, column * p.lonStep);
  });
  if (!stop.broken()) return true;
  error_disp(kVkBreakMessage);
  return false;
}

// How often a walk along one ray looks at the break test.
constexpr int kStepsBetweenBreakTests = 1 << 16;

int search(const CortexParams& p, double* out, int* rows, int* columns, int mode, const Ray& ray) {
  if (!ready(p, rows, columns)) return 0;
  const VolumeSlot& v = *vData;
  VkWorkBreak stop;
  const bool done = forEachCell(p, *rows, *columns, stop, [&](int row, int column, int phi, int theta) {
    double sum = 0;
    int count = 0;
    bool surface = false;
    int r = p.startRadius;
    // The radii outside the volume read 0, which is no negative voxel: they meet the surface
    // only for a threshold of 0 or less, and then count as samples of 0.
    const double inside = ray.lastInside(v, phi, theta);
    if (r >= 1 && r > inside) {
      const long long outside = r - static_cast<long long>(std::max(0.0, inside));
      if (p.threshold <= 0) {
        surface = true;
        if (mode == 1) {
          r = 0;
          sum = p.startRadius;
        } else {
          count = static_cast<int>(std::min<long long>(outside, std::max(p.samples, 1)));
          if (count >= p.samples) r = 0;
        }
      }
      if (r != 0) r = static_cast<int>(std::max(0.0, inside));
    }
    for (int steps = 1; r >= 1; --r, ++steps) {
      if (steps % kStepsBetweenBreakTests == 0 && stop.stop()) return;
      const int value = ray.voxel(v, phi, theta, r);
      if (value < 0) {  // a negative voxel ends the ray with nothing
        sum = 0;
        count = 0;
        break;
      }
      if (!surface && value >= p.threshold) surface = true;
      if (!surface) continue;
      if (mode == 1) {
        sum = r;
        break;
      }
      sum += value;
      if (++count >= p.samples) break;
    }
    if (mode == 0) sum = count ? sum / count : 0;
    out[static_cast<std::size_t>(row) * *columns + column] = sum;
  });
  return done ? 1 : 0;
}

int underMap(const CortexParams& p, double* out, int* rows, int* columns, const double* radii,
             const Ray& ray) {
  if (!ready(p, rows, columns)) return 0;
  const VolumeSlot& v = *vData;
  VkWorkBreak stop;
  const bool done = forEachCell(p, *rows, *columns, stop, [&](int row, int column, int phi, int theta) {
    const std::size_t at = static_cast<std::size_t>(row) * *columns + column;
    const double d = radii[at];
    double sum = 0;
    double count = 0;
    // The radii trunc(d), trunc(d) - 1, ... while above trunc(d) - n; one below 0 makes the
    // cell 0, and those outside the volume add samples of 0. Counted, not walked: a radius of
    // 1e300 minus 1 is 1e300 again.
    const double top = std::trunc(d);
    if (d > 0 && p.samples > 0 && p.samples < top + 2) {
      const double first = std::min(top, std::floor(ray.lastInside(v, phi, theta)));
      if (first < top) count = std::min(top - first, static_cast<double>(p.samples));
      const double end = top - p.samples;
      long long steps = 0;
      for (double r = first; r > end && count < p.samples; r -= 1) {
        if (++steps % kStepsBetweenBreakTests == 0 && stop.stop()) return;
        const int value = ray.voxel(v, phi, theta, r);
        if (value < 0) {
          sum = 0;
          count = 0;
          break;
        }
        sum += value;
        ++count;
      }
    }
    out[at] = count ? sum / count : 0;
  });
  return done ? 1 : 0;
}

}  // namespace

bool vkCortexGridSize(const CortexParams& p, int* rows, int* columns) {
  if (p.latStep <= 0 || p.lonStep <= 0 || p.top <= p.bottom) {
    error_disp("Elemnts are too small");
    return false;
  }
  const long long r = (static_cast<long long>(p.top) - p.bottom) / p.latStep + 1;
  const long long c = (360LL + p.lonStep) / p.lonStep;
  if (r * c > TNumber) {
    error_disp("Elemnts are too small");
    return false;
  }
  *rows = static_cast<int>(r);
  *columns = static_cast<int>(c);
  return true;
}

int DoVolumeCortexMapping(const CortexParams& p, double* out, int* rows, int* columns, int mode) {
  return search(p, out, rows, columns, mode, Ray{RayForm::Standard, p, {}});
}

int DoVolumeCortexMapping1(const CortexParams& p, double* out, int* rows, int* columns, int mode) {
  return search(p, out, rows, columns, mode, Ray{RayForm::PolarColumns, p, {}});
}

int DoVolumeCortexMapping_rot(const CortexParams& p, double* out, int* rows, int* columns, int mode,
                              const double angles[3]) {
  const double ca = std::cos(angles[0]), sa = std::sin(angles[0]);
  const double cb = std::cos(angles[1]), sb = std::sin(angles[1]);
  const double cc = std::cos(angles[2]), sc = std::sin(angles[2]);
  // Rz(c) Ry(b) Rx(a).
  Ray ray{RayForm::Rotated,
          p,
          {cc * cb, cc * sb * sa - sc * ca, cc * sb * ca + sc * sa,  //
           sc * cb, sc * sb * sa + cc * ca, sc * sb * ca - cc * sa,  //
           -sb, cb * sa, cb * ca}};
  return search(p, out, rows, columns, mode, ray);
}

int DoVolumeCortexMappingDis(const CortexParams& p, double* out, int* rows, int* columns,
                             const double* radii) {
  return underMap(p, out, rows, columns, radii, Ray{RayForm::Standard, p, {}});
}

int DoVolumeCortexMappingDis1(const CortexParams& p, double* out, int* rows, int* columns,
                              const double* radii) {
  return underMap(p, out, rows, columns, radii, Ray{RayForm::PolarColumns, p, {}});
}
