#include "imaging/volume_statistics.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_resample.h"
#include "lang/report.h"
#include "platform/progress_bar.h"

namespace {

bool validSlot(int n) { return n >= 1 && n <= 3; }
VolumeSlot& slot(int n) { return vDataX[static_cast<std::size_t>(n - 1)]; }

// The checks shared by the two window statistics; out gets a new array of a's size.
bool prepareWindowStatistic(int a, int b, int out, std::vector<std::int16_t>& result) {
  if (!validSlot(a) || !validSlot(b) || !validSlot(out)) {
    error_disp("invalid volume number");
    return false;
  }
  if (a == b || a == out || b == out) {
    error_disp("same Volume");
    return false;
  }
  const VolumeSlot &A = slot(a), &B = slot(b);
  if (A.empty() || B.empty()) {
    error_disp("Source is empty volume");
    return false;
  }
  if (A.rows != B.rows || A.columns != B.columns || A.slices != B.slices) {
    error_disp("imvalid volume structure");
    return false;
  }
  try {
    result.assign(A.voxels.size(), 0);
  } catch (const std::bad_alloc&) {
    error_disp("can not allocate the memory.");
    return false;
  }
  return true;
}

// Sums over the pairs (a value, b value) of a window where both are non-zero. The values are
// 16-bit integers, so the sums and the centred products below are exact integers.
struct WindowSums {
  std::int64_t n = 0, a = 0, b = 0, aa = 0, bb = 0, ab = 0;
};

// Windows of (2r + 1)³ voxels up to this many hold centred products (n x sum of squares) that
// fit 64 bits; larger windows compute them in floating point.
constexpr std::int64_t kExactWindow = 80000;

// Runs value(sums) for every voxel of a; slices split over threads.
template <typename Value>
bool windowStatistic(int a, int b, int out, int r, bool reports, Value&& value) {
  std::vector<std::int16_t> result;
  if (!prepareWindowStatistic(a, b, out, result)) return false;
  const VolumeSlot &A = slot(a), &B = slot(b);
  const long long side = 2LL * std::max(0, r) + 1;
  const int workers = pravella::imaging::workerCount(
      A.slices, static_cast<long long>(A.rows) * A.columns * side * side * side);
  if (reports) setProcessIndicator(0, A.slices);
  pravella::imaging::forEachItem(
      A.slices, workers,
      [&](int, int z) {
        const int k0 = std::max(0, z - r), k1 = std::min(A.slices - 1, z + r);
        for (int y = 0; y < A.rows; ++y) {
          const int j0 = std::max(0, y - r), j1 = std::min(A.rows - 1, y + r);
          for (int x = 0; x < A.columns; ++x) {
            const int i0 = std::max(0, x - r), i1 = std::min(A.columns - 1, x + r);
            WindowSums w;
            for (int k = k0; k <= k1; ++k)
              for (int j = j0; j <= j1; ++j) {
                const std::size_t row = A.index(0, static_cast<std::size_t>(j), static_cast<std::size_t>(k));
                const std::int16_t* pa = A.voxels.data() + row;
                const std::int16_t* pb = B.voxels.data() + row;
                for (int i = i0; i <= i1; ++i) {
                  const std::int64_t va = pa[i], vb = pb[i];
                  if (va && vb) {
                    ++w.n;
                    w.a += va;
                    w.b += vb;
                    w.aa += va * va;
                    w.bb += vb * vb;
                    w.ab += va * vb;
                  }
                }
              }
            result[A.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                           static_cast<std::size_t>(z))] = value(w);
          }
        }
      },
      [&](int done) {
        if (reports) setProcessIndicatorValue(done);
      });
  VolumeSlot& O = slot(out);
  O.voxels.swap(result);
  O.rows = A.rows;
  O.columns = A.columns;
  O.slices = A.slices;
  if (reports) setProcessIndicatorValue(0);
  return true;
}

// n Σxy - Σx Σy: n times the centred sum of products.
double centred(std::int64_t n, std::int64_t xy, std::int64_t x, std::int64_t y) {
  if (n <= kExactWindow) return static_cast<double>(n * xy - x * y);
  return static_cast<double>(n) * static_cast<double>(xy) - static_cast<double>(x) * static_cast<double>(y);
}

}  // namespace

int volumeCorrelation(int a, int b, int out, int r) {
  return windowStatistic(a, b, out, r, true,
                         [](const WindowSums& w) {
                           if (w.n == 0) return std::int16_t{0};
                           const double ab = centred(w.n, w.ab, w.a, w.b);
                           const double d =
                               std::sqrt(centred(w.n, w.aa, w.a, w.a) * centred(w.n, w.bb, w.b, w.b));
                           return d == 0 ? std::int16_t{0} : vkVoxelFromDouble(10000.0 * ab / d);
                         })
             ? 1
             : 0;
}

int volumePairedTtest(int a, int b, int out, int r) {
  return windowStatistic(a, b, out, r, false,
                         [](const WindowSums& w) {
                           if (w.n < 2) return std::int16_t{0};
                           // The differences d = a - b: Σd and n Σd² - (Σd)².
                           const std::int64_t sd = w.a - w.b;
                           const std::int64_t sdd = w.aa - 2 * w.ab + w.bb;
                           const double n = static_cast<double>(w.n);
                           const double spread = centred(w.n, sdd, sd, sd);
                           if (!(spread > 0)) return std::int16_t{0};
                           const double m = static_cast<double>(sd) / n;
                           const double s = std::sqrt(spread / (n * (n - 1)));
                           const double t = std::trunc(1000.0 * std::sqrt(n) * m / s);
                           return static_cast<std::int16_t>(std::clamp(t, -30000.0, 30000.0));
                         })
             ? 1
             : 0;
}

int DoGetVolumeImage(int n, int m, double* image, const double* M, double z) {
  const VolumeSlot& v = *vData;
  if (v.empty()) {
    error_disp("VolumeData is empty.");
    return 0;
  }
  const int workers = pravella::imaging::workerCount(n, static_cast<long long>(m) * 8);
  pravella::imaging::forEachItem(n, workers, [&](int, int i) {
    for (int j = 0; j < m; ++j) {
      const double w = j * M[3] + i * M[7] + z * M[11] + M[15];
      const double X = (j * M[0] + i * M[4] + z * M[8] + M[12]) / w;
      const double Y = (j * M[1] + i * M[5] + z * M[9] + M[13]) / w;
      const double Z = (j * M[2] + i * M[6] + z * M[10] + M[14]) / w;
      image[static_cast<std::size_t>(i) * m + j] = vkTrilinear(v, X, Y, Z);
    }
  });
  return 1;
}

int DoGetVolumeImage_correlation(int a, int b, const double* M, double z0, double z1, double* result,
                                 double step) {
  *result = 0;
  const VolumeSlot &A = slot(a), &B = slot(b);
  if (A.empty() || B.empty()) {
    error_disp("Empty volume");
    return 0;
  }
  if (A.rows != B.rows || A.columns != B.columns) {
    error_disp("Invalid Size");
    return 0;
  }
  const int R = A.rows, C = A.columns;
  std::vector<double> imageA, imageB;
  try {
    imageA.resize(A.sliceSize());
    imageB.resize(A.sliceSize());
  } catch (const std::bad_alloc&) {
    error_disp("allocate memory");
    return 0;
  }
  double n = 0, sa = 0, sb = 0, saa = 0, sab = 0, sbb = 0;
  for (double z = z0; z <= z1; z += step) {
    const double slice = std::trunc(z);
    const bool inside = slice >= 0 && slice < A.slices;
    setProcessIndicator(0, std::max(0, R - 1));
    for (int i = 0; i < R; ++i) {
      setProcessIndicatorValue(i);
      for (int j = 0; j < C; ++j) {
        const std::size_t at = static_cast<std::size_t>(i) * C + j;
        imageA[at] = inside ? A.voxels[A.index(static_cast<std::size_t>(j), static_cast<std::size_t>(i),
                                               static_cast<std::size_t>(slice))]
                            : 0;
        if (imageA[at] == 0) {
          imageB[at] = 0;
          continue;
        }
        const double w = j * M[3] + i * M[7] + z * M[11] + M[15];
        imageB[at] = vkTrilinear(B, (j * M[0] + i * M[4] + z * M[8] + M[12]) / w,
                                 (j * M[1] + i * M[5] + z * M[9] + M[13]) / w,
                                 (j * M[2] + i * M[6] + z * M[10] + M[14]) / w);
      }
    }
    for (double k = 0; k < static_cast<double>(imageA.size()); k += step) {
      const auto at = static_cast<std::size_t>(k);
      const double p = imageA[at], q = imageB[at];
      n += 1;
      sa += p;
      sb += q;
      saa += p * p;
      sab += p * q;
      sbb += q * q;
    }
  }
  setProcessIndicatorValue(0);
  const double d = std::sqrt((n * saa - sa * sa) * (n * sbb - sb * sb));
  // No sample, or one of the images constant: no correlation to give.
  *result = n > 0 && d > 0 ? (n * sab - sa * sb) / d : 0;
  return 1;
}

namespace {

// The local depth of the 3 x 3 neighbourhood at (row, column): the first value as it is and
// the other eight negated; the centre negated when all nine are equal, else the mean of those
// less than 10 x step above the smallest.
double meanDist(const double* depth, int columns, int row, int column, double step) {
  double v[9];
  int k = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const double d = depth[static_cast<std::size_t>(row + dy) * columns + (column + dx)];
      v[k] = k == 0 ? d : -d;
      ++k;
    }
  const auto [lo, hi] = std::minmax_element(v, v + 9);
  if (*lo == *hi) return -depth[static_cast<std::size_t>(row) * columns + column];
  double sum = 0;
  int n = 0;
  for (double x : v)
    if (x < *lo + 10 * step) {
      sum += x;
      ++n;
    }
  return sum / n;
}

}  // namespace

int DoAngleVolumeData(const double* depth, double* out, int columns, int rows, double step) {
  std::fill_n(out, static_cast<std::size_t>(columns) * rows, 1.0);
  for (int i = 2; i < rows - 2; ++i)
    for (int j = 2; j < columns - 2; ++j) {
      const double d = meanDist(depth, columns, i, j, step);
      const double below = meanDist(depth, columns, i + 1, j, step) - d;
      const double right = meanDist(depth, columns, i, j + 1, step) - d;
      // U = (0, s, below), V = (s, 0, right), N = U x V.
      const double nx = step * right, ny = step * below, nz = -step * step;
      const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
      if (!(length > 0)) continue;  // a step of 0 gives no normal: the pixel keeps 1
      out[static_cast<std::size_t>(i) * columns + j] = 1 - std::acos(std::fabs(nz) / length) / (M_PI / 2);
    }
  return 1;
}
