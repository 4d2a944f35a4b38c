#include "imaging/volume_cortex.h"

#include <cmath>
#include <cstddef>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "lang/report.h"
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
};

bool ready(const CortexParams& p, int* rows, int* columns) {
  if (!vkCortexGridSize(p, rows, columns)) return false;
  if (vData->empty()) {
    error_disp("VolumeData is empty.");
    return false;
  }
  return true;
}

// Runs cell(row, column, phi, theta) over the grid, latitudes split over threads.
template <typename Cell>
void forEachCell(const CortexParams& p, int rows, int columns, Cell&& cell) {
  const int workers = pravella::imaging::workerCount(rows, static_cast<long long>(columns) * 64);
  pravella::imaging::forEachItem(rows, workers, [&](int, int row) {
    const int phi = p.top - row * p.latStep;
    for (int column = 0; column < columns; ++column) cell(row, column, phi, column * p.lonStep);
  });
}

int search(const CortexParams& p, double* out, int* rows, int* columns, int mode, const Ray& ray) {
  if (!ready(p, rows, columns)) return 0;
  const VolumeSlot& v = *vData;
  forEachCell(p, *rows, *columns, [&](int row, int column, int phi, int theta) {
    double sum = 0;
    int count = 0;
    bool surface = false;
    for (int r = p.startRadius; r >= 1; --r) {
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
  return 1;
}

int underMap(const CortexParams& p, double* out, int* rows, int* columns, const double* radii,
             const Ray& ray) {
  if (!ready(p, rows, columns)) return 0;
  const VolumeSlot& v = *vData;
  forEachCell(p, *rows, *columns, [&](int row, int column, int phi, int theta) {
    const std::size_t at = static_cast<std::size_t>(row) * *columns + column;
    const double d = radii[at];
    double sum = 0;
    int count = 0;
    if (d > 0) {
      const double top = std::trunc(d);
      for (double r = top; r > top - p.samples; r -= 1) {
        const int value = r < 0 ? -1 : ray.voxel(v, phi, theta, r);
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
  return 1;
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
