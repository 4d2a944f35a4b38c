#include "imaging/volume_statistics.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_resample.h"
#include "imaging/volume_rows.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/spread.h"
#include "platform/progress_bar.h"

namespace {

bool validSlot(int n) { return n >= 1 && n <= 3; }
VolumeSlot& slot(int n) { return vDataX[static_cast<std::size_t>(n - 1)]; }

// The checks shared by the two window statistics; out gets a new array of a's size.
bool prepareWindowStatistic(int a, int b, int out, std::vector<std::int16_t>& result, bool allocate = true) {
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
  if (!allocate) return true;
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
// The six sums of every window of one slice, kept as an integral image per slice: a window
// of (2r + 1)³ is the (2r + 1)² boxes of 2r + 1 slices, and the boxes of a slice come from its
// integral image in four look-ups. Sliding along z adds the slice that enters and subtracts the
// one that leaves, so a voxel costs the same whatever r is.
class WindowPlanes {
 public:
  static constexpr int kSums = 6;  // n, a, b, aa, bb, ab

  WindowPlanes(const VolumeSlot& a, const VolumeSlot& b, int r)
      : A(a), B(b), r_(r), R(a.rows), C(a.columns) {}

  void allocate() {
    integral_.assign(static_cast<std::size_t>(R + 1) * (C + 1) * kSums, 0);
    sums_.assign(static_cast<std::size_t>(R) * C * kSums, 0);
  }

  void clear() { std::fill(sums_.begin(), sums_.end(), 0); }

  // Adds (sign 1) or removes (sign -1) the boxes of slice k.
  void add(int k, std::int64_t sign) {
    const std::size_t W = static_cast<std::size_t>(C + 1) * kSums;
    const std::int16_t* pa = A.voxels.data() + A.index(0, 0, static_cast<std::size_t>(k));
    const std::int16_t* pb = B.voxels.data() + B.index(0, 0, static_cast<std::size_t>(k));
    for (int y = 0; y < R; ++y) {
      std::int64_t row[kSums] = {0, 0, 0, 0, 0, 0};
      const std::int64_t* above = integral_.data() + static_cast<std::size_t>(y) * W;
      std::int64_t* at = integral_.data() + static_cast<std::size_t>(y + 1) * W;
      for (int x = 0; x < C; ++x) {
        const std::int64_t va = pa[static_cast<std::size_t>(y) * C + x],
                           vb = pb[static_cast<std::size_t>(y) * C + x];
        if (va && vb) {
          ++row[0];
          row[1] += va;
          row[2] += vb;
          row[3] += va * va;
          row[4] += vb * vb;
          row[5] += va * vb;
        }
        const std::size_t i = static_cast<std::size_t>(x + 1) * kSums;
        for (int q = 0; q < kSums; ++q) at[i + q] = above[i + q] + row[q];
      }
    }
    for (int y = 0; y < R; ++y) {
      const std::size_t y0 = static_cast<std::size_t>(std::max(0, y - r_)) * W,
                        y1 = static_cast<std::size_t>(std::min(R, y + r_ + 1)) * W;
      std::int64_t* out = sums_.data() + static_cast<std::size_t>(y) * C * kSums;
      for (int x = 0; x < C; ++x) {
        const std::size_t x0 = static_cast<std::size_t>(std::max(0, x - r_)) * kSums,
                          x1 = static_cast<std::size_t>(std::min(C, x + r_ + 1)) * kSums;
        for (int q = 0; q < kSums; ++q) {
          const std::int64_t box = integral_[y1 + x1 + q] - integral_[y0 + x1 + q] - integral_[y1 + x0 + q] +
                                   integral_[y0 + x0 + q];
          out[static_cast<std::size_t>(x) * kSums + q] += sign * box;
        }
      }
    }
  }

  WindowSums at(int y, int x) const {
    const std::int64_t* s = sums_.data() + (static_cast<std::size_t>(y) * C + x) * kSums;
    return {s[0], s[1], s[2], s[3], s[4], s[5]};
  }

 private:
  const VolumeSlot& A;
  const VolumeSlot& B;
  int r_, R, C;
  std::vector<std::int64_t> integral_, sums_;
};

// Runs value(sums) for every voxel of a; slices in contiguous ranges per thread, the window
// sums sliding along each range.
template <typename Value>
bool windowStatistic(int a, int b, int out, int r, bool reports, Value&& value) {
  std::vector<std::int16_t> result;
  if (!prepareWindowStatistic(a, b, out, result)) return false;
  const VolumeSlot &A = slot(a), &B = slot(b);
  // A window wider than the volume holds the whole volume whatever its radius; the bound also
  // keeps the window's ends (centre + r) inside int.
  r = std::clamp(r, 0, std::max({A.rows, A.columns, A.slices}));
  const int S = A.slices;
  const int workers = pravella::imaging::workerCount(S, static_cast<long long>(A.rows) * A.columns * 16);
  std::vector<WindowPlanes> planes(static_cast<std::size_t>(workers), WindowPlanes(A, B, r));
  try {
    for (WindowPlanes& p : planes) p.allocate();
  } catch (const std::bad_alloc&) {
    error_disp("Can't allocate memory.");
    return false;
  }
  if (reports) setProcessIndicator(0, S);
  VkWorkBreak stop;
  pravella::imaging::forEachRange(
      S, workers,
      [&](int worker, int begin, int end) {
        WindowPlanes& w = planes[static_cast<std::size_t>(worker)];
        w.clear();
        // A wide window gathers many slices before its first plane, and a large plane takes a
        // while itself: the break is tested at each slice added and each row, not each plane.
        for (int k = std::max(0, begin - r); k <= std::min(S - 1, begin + r); ++k) {
          if (stop.stop()) return;
          w.add(k, 1);
        }
        for (int z = begin; z < end; ++z) {
          std::int16_t* o = result.data() + A.index(0, 0, static_cast<std::size_t>(z));
          for (int y = 0; y < A.rows; ++y) {
            if (stop.stop()) return;
            for (int x = 0; x < A.columns; ++x)
              o[static_cast<std::size_t>(y) * A.columns + x] = value(w.at(y, x));
          }
          if (z + 1 == end) break;
          if (z + 1 + r < S) w.add(z + 1 + r, 1);
          if (z - r >= 0) w.add(z - r, -1);
        }
      },
      [&](int done) {
        if (reports) setProcessIndicatorValue(done);
      });
  if (reports) setProcessIndicatorValue(0);
  if (stop.broken()) {
    error_disp(kVkBreakMessage);
    return false;
  }
  VolumeSlot& O = slot(out);
  O.voxels.swap(result);
  O.rows = A.rows;
  O.columns = A.columns;
  O.slices = A.slices;
  return true;
}

// One thread's rows for the 3 x 3 x 3 correlation: blocks of the six sums, each row padded with
// zeros; three hold the sums over the slices of rows y-1, y and y+1 (rolling down the slice),
// one is zero, one holds their sums over the rows. Kernels see a block from its first row's
// first element; the sums over rows run over whole blocks, padding included.
struct PairRows {
  std::vector<double> storage;
  std::size_t stride = 0, block = 0;

  void allocate(int columns) {
    stride = static_cast<std::size_t>(columns) + 2 * kRowPad;
    block = stride * kPairSumRows;
    storage.assign(block * 5, 0.0);
  }
  double* whole(int i) { return storage.data() + static_cast<std::size_t>(i) * block; }
  double* sums(int y) { return whole(y % 3); }
  double* zero() { return whole(3); }
  double* rowSums() { return whole(4); }
};

void correlationSlice(const VolumeSlot& A, const VolumeSlot& B, int z, PairRows& rows, std::int16_t* o) {
  const VolumeRowKernels& K = vkRowKernels();
  const int R = A.rows, C = A.columns;
  const std::size_t plane = A.sliceSize();
  const std::size_t at = static_cast<std::size_t>(z) * plane;
  const bool below = z > 0, above = z + 1 < A.slices;
  auto sumRow = [&](int y) {
    const std::size_t i = at + static_cast<std::size_t>(y) * C;
    const std::int16_t *a = A.voxels.data() + i, *b = B.voxels.data() + i;
    K.pairSums(below ? a - plane : nullptr, below ? b - plane : nullptr, a, b, above ? a + plane : nullptr,
               above ? b + plane : nullptr, rows.sums(y) + kRowPad, rows.stride, C);
  };
  sumRow(0);
  for (int y = 0; y < R; ++y) {
    double* next = rows.zero();
    if (y + 1 < R) {
      sumRow(y + 1);
      next = rows.sums(y + 1);
    }
    K.add3Double(y > 0 ? rows.sums(y - 1) : rows.zero(), rows.sums(y), next, rows.rowSums(), rows.block);
    K.correlationRow(rows.rowSums() + kRowPad, rows.stride, o + static_cast<std::size_t>(y) * C, C);
  }
}

// The correlation over windows of 3 x 3 x 3 voxels, by sums along z, y and x of each row, slices
// split over threads. The result goes into the slot's own array when it has the size already.
bool correlationOfCubes(int a, int b, int out) {
  std::vector<std::int16_t> result;
  if (!prepareWindowStatistic(a, b, out, result, false)) return false;
  const VolumeSlot &A = slot(a), &B = slot(b);
  VolumeSlot& O = slot(out);
  const bool reuse = O.voxels.size() == A.voxels.size();
  const int S = A.slices;
  const int workers = pravella::imaging::workerCount(S, static_cast<long long>(A.rows) * A.columns * 16);
  std::vector<PairRows> rows(static_cast<std::size_t>(workers));
  try {
    if (!reuse) result.resize(A.voxels.size());
  } catch (const std::bad_alloc&) {
    error_disp("can not allocate the memory.");
    return false;
  }
  try {
    for (PairRows& r : rows) r.allocate(A.columns);
  } catch (const std::bad_alloc&) {
    error_disp("Can't allocate memory.");
    return false;
  }
  std::vector<std::int16_t>& target = reuse ? O.voxels : result;
  setProcessIndicator(0, S);
  std::atomic<int> done{0};
  VkWorkBreak stop;
  pravella::imaging::forEachItem(
      S, workers,
      [&](int worker, int z) {
        if (stop.stop()) return;
        correlationSlice(A, B, z, rows[static_cast<std::size_t>(worker)],
                         target.data() + A.index(0, 0, static_cast<std::size_t>(z)));
        ++done;
      },
      [&](int) { setProcessIndicatorValue(done.load()); });
  if (stop.broken()) {
    setProcessIndicatorValue(0);
    error_disp(kVkBreakMessage);
    return false;
  }
  if (!reuse) O.voxels.swap(result);
  O.rows = A.rows;
  O.columns = A.columns;
  O.slices = A.slices;
  setProcessIndicatorValue(0);
  return true;
}

// n Σxy - Σx Σy: n times the centred sum of products.
double centred(std::int64_t n, std::int64_t xy, std::int64_t x, std::int64_t y) {
  if (n <= kExactWindow) return static_cast<double>(n * xy - x * y);
  return static_cast<double>(n) * static_cast<double>(xy) - static_cast<double>(x) * static_cast<double>(y);
}

}  // namespace

int volumeCorrelation(int a, int b, int out, int r) {
  if (r == 1) return correlationOfCubes(a, b, out) ? 1 : 0;
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
  // The pixel indexes 0, step, 2 step, ... that every height samples.
  std::vector<std::size_t> sampled;
  try {
    // Counted by index: a step added to a sum it is below the spacing of leaves the sum.
    for (long long i = 0;; ++i) {
      const double k = static_cast<double>(i) * step;
      if (!(k < static_cast<double>(imageA.size()))) break;
      sampled.push_back(static_cast<std::size_t>(k));
    }
  } catch (const std::bad_alloc&) {
    error_disp("allocate memory");
    return 0;
  }
  const double perSlice = static_cast<double>(sampled.size());
  // The heights z0 + i step for i < heights. A height off the volume's slices gives images of
  // zeros, which add perSlice samples of 0 and nothing else: those are counted, not sampled,
  // so a range far beyond the volume costs no more than one inside it.
  const double heights = std::floor((z1 - z0) / step) + 1;
  auto height = [&](double i) { return z0 + i * step; };
  auto onSlice = [&](double z) { return z > -1 && z < A.slices; };
  // The first and last i whose height lies on a slice, set right where rounding moved them.
  double first = std::max(0.0, std::floor((-1 - z0) / step));
  double last = std::min(heights - 1, std::ceil((A.slices - z0) / step));
  while (first <= last && !onSlice(height(first))) first += 1;
  while (last >= first && !onSlice(height(last))) last -= 1;
  const double inside = last >= first ? last - first + 1 : 0;
  // The samples off the slices are pairs (0, 0); each slice's samples are taken in two passes
  // and merged in, so that no sum of raw squares loses the spread of values far from 0.
  pravella::numerics::CoMoments all;
  all.n = (heights - inside) * perSlice;
  for (double i = first; i <= last; i += 1) {
    const double z = height(i);
    const double slice = std::trunc(z);
    setProcessIndicator(0, std::max(0, R - 1));
    for (int row = 0; row < R; ++row) {
      if (ButtonPress()) {
        setProcessIndicatorValue(0);
        error_disp(kVkBreakMessage);
        return 0;
      }
      setProcessIndicatorValue(row);
      for (int j = 0; j < C; ++j) {
        const std::size_t at = static_cast<std::size_t>(row) * C + j;
        imageA[at] = A.voxels[A.index(static_cast<std::size_t>(j), static_cast<std::size_t>(row),
                                      static_cast<std::size_t>(slice))];
        if (imageA[at] == 0) {
          imageB[at] = 0;
          continue;
        }
        const double w = j * M[3] + row * M[7] + z * M[11] + M[15];
        imageB[at] = vkTrilinear(B, (j * M[0] + row * M[4] + z * M[8] + M[12]) / w,
                                 (j * M[1] + row * M[5] + z * M[9] + M[13]) / w,
                                 (j * M[2] + row * M[6] + z * M[10] + M[14]) / w);
      }
    }
    all.merge(pravella::numerics::coMomentsOf(
        static_cast<long long>(sampled.size()),
        [&](long long i) { return imageA[sampled[static_cast<std::size_t>(i)]]; },
        [&](long long i) { return imageB[sampled[static_cast<std::size_t>(i)]]; }));
  }
  setProcessIndicatorValue(0);
  // No sample, or one of the images constant: no correlation to give.
  *result = all.n > 0 ? all.correlation() : 0;
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
  for (int i = 2; i < rows - 2; ++i) {
    // Some 30 depths are read per pixel: a depth image of the largest size takes many seconds.
    if (vkBreakHeld()) return pravella::imaging::reportWorkBroken();
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
  }
  return 1;
}
