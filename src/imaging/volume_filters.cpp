#include "imaging/volume_filters.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_gradient.h"
#include "imaging/volume_rows.h"
#include "imaging/volume_work.h"
#include "lang/report.h"
#include "platform/progress_bar.h"

namespace {

inline int axisCount(int i, int n) { return 1 + (i > 0) + (i + 1 < n); }

// The low 16 bits of an integer result, as the store's conversion keeps them.
inline std::int16_t low16(std::int64_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

enum class CubeFilter { Mean, Laplace, Laplacian };

// One thread's rows: the sums along z of three rows of the volume (rolling down the slice), a
// row of zeros above and below it, and their sums along y; each padded with zeros.
struct CubeRows {
  std::vector<std::int32_t> storage;
  std::vector<float> count;  // the mean's divisor per column for the current row
  std::size_t stride = 0;

  void allocate(int columns) {
    stride = static_cast<std::size_t>(columns) + 2 * kRowPad;
    storage.assign(stride * 5, 0);
    count.assign(static_cast<std::size_t>(columns), 0.0f);
  }
  std::int32_t* zSums(int y) { return storage.data() + static_cast<std::size_t>(y % 3) * stride + kRowPad; }
  std::int32_t* zero() { return storage.data() + 3 * stride + kRowPad; }
  std::int32_t* ySums() { return storage.data() + 4 * stride + kRowPad; }
};

// The Laplace forms at a voxel on the volume's faces, from the cube sum of the rows: the
// neighbours that exist, less the two left-out corners when they exist.
std::int16_t laplaceAtEdge(CubeFilter filter, const std::int32_t* ySums, const std::int16_t* below,
                           const std::int16_t* at, const std::int16_t* above, int x, int y, int C, int R,
                           int countYZ) {
  const std::int64_t sum = static_cast<std::int64_t>(ySums[x - 1]) + ySums[x] + ySums[x + 1];
  const std::int64_t centre = at[static_cast<std::size_t>(y) * C + x];
  std::int64_t s = sum - centre, n = static_cast<std::int64_t>(axisCount(x, C)) * countYZ - 1;
  if (below && x > 0 && y > 0) {
    s -= below[static_cast<std::size_t>(y - 1) * C + x - 1];
    --n;
  }
  if (above && x + 1 < C && y + 1 < R) {
    s -= above[static_cast<std::size_t>(y + 1) * C + x + 1];
    --n;
  }
  const std::int64_t d = filter == CubeFilter::Laplace ? centre * n - s : s - centre * n;
  return n == 0 ? 0 : low16(d / 10);
}

// One output slice from the original slices below it, at it and above it (null outside the
// volume): row by row, the sums along z of the next row of the three slices, then along y over
// three of those, then along x inside the kernels.
void filterSlice(const VolumeSlot& v, CubeFilter filter, int z, const std::int16_t* below,
                 const std::int16_t* in, const std::int16_t* above, CubeRows& rows, std::int16_t* o) {
  const VolumeRowKernels& K = vkRowKernels();
  const int R = v.rows, C = v.columns;
  auto row = [C](const std::int16_t* slice, int y) {
    return slice ? slice + static_cast<std::size_t>(y) * C : nullptr;
  };
  const int cz = axisCount(z, v.slices);
  int countYZ = 0;  // the mean's divisors are set for this product of counts
  K.sum3(row(below, 0), in, row(above, 0), rows.zSums(0), C);
  std::int32_t* ySums = rows.ySums();
  for (int y = 0; y < R; ++y) {
    std::int32_t* next = rows.zero();
    if (y + 1 < R) {
      next = rows.zSums(y + 1);
      K.sum3(row(below, y + 1), row(in, y + 1), row(above, y + 1), next, C);
    }
    K.add3(y > 0 ? rows.zSums(y - 1) : rows.zero(), rows.zSums(y), next, ySums, C);
    std::int16_t* out = o + static_cast<std::size_t>(y) * C;
    const int cyz = axisCount(y, R) * cz;
    if (filter == CubeFilter::Mean) {
      if (cyz != countYZ) {
        countYZ = cyz;
        for (int x = 0; x < C; ++x)
          rows.count[static_cast<std::size_t>(x)] = static_cast<float>(axisCount(x, C) * cyz);
      }
      K.meanRow(ySums, rows.count.data(), out, C);
      continue;
    }
    // Inside the volume every voxel has all 26 neighbours and the kernel's constant count;
    // the faces take the general formula.
    const bool inner = below && above && y > 0 && y + 1 < R && C > 2;
    if (inner)
      K.laplaceRow(ySums, row(in, y), row(below, y - 1), row(above, y + 1), filter == CubeFilter::Laplacian,
                   out, 1, C - 1);
    for (int x = 0; x < C; ++x) {
      if (inner && x == 1) x = C - 1;
      out[x] = laplaceAtEdge(filter, ySums, below, in, above, x, y, C, R, cyz);
    }
  }
}

constexpr const char* kNoMemory = "can not allocate the memory.";

// The 3 x 3 x 3 filters: the slices filtered over the threads, each with its own rows, into a
// new array that replaces the voxels when every slice is done.
bool cubeFilter(VolumeSlot& v, CubeFilter filter, bool reports, int progressEnd) {
  const int S = v.slices;
  const int workers = pravella::imaging::workerCount(S, static_cast<long long>(v.rows) * v.columns);
  std::vector<CubeRows> rows(static_cast<std::size_t>(workers));
  std::vector<std::int16_t> out;
  if (!pravella::imaging::allocResultVoxels(out, v.voxels.size(), kNoMemory)) return false;
  try {
    for (CubeRows& r : rows) r.allocate(v.columns);
  } catch (const std::bad_alloc&) {
    error_disp(kNoMemory);
    return false;
  }
  if (reports) setProcessIndicator(0, progressEnd);
  const std::size_t plane = v.sliceSize();
  const std::int16_t* in = v.voxels.data();
  const bool done = pravella::imaging::forEachItemUnlessBroken(
      S, workers,
      [&](int worker, int z) {
        const std::int16_t* at = in + static_cast<std::size_t>(z) * plane;
        filterSlice(v, filter, z, z > 0 ? at - plane : nullptr, at, z + 1 < S ? at + plane : nullptr,
                    rows[static_cast<std::size_t>(worker)], out.data() + static_cast<std::size_t>(z) * plane);
      },
      [&](int finished) {
        if (reports) setProcessIndicatorValue(finished);
      });
  if (!done) return pravella::imaging::reportWorkBroken();
  if (reports) setProcessIndicatorValue(0);
  v.voxels.swap(out);
  return true;
}

// The difference filter and the gradient magnitude, which differ only in their message.
int gradientFilter(VolumeSlot& v, const char* noMemory) {
  std::vector<std::int16_t> out;
  if (!vkVolumeGradient(v, out, true, noMemory)) return 0;
  v.voxels.swap(out);
  return 1;
}

int emptySource() {
  error_disp("Source is empty volume");
  return 0;
}

int limitTo(double limit, double value, bool upper) {
  VolumeSlot& v = *vData;
  if (v.empty()) {
    error_disp("Volume data is empty.");
    return 0;
  }
  const std::int16_t L = vkVoxelFromDouble(limit), V = vkVoxelFromDouble(value);
  // Built beside the volume, slice by slice, so that a break leaves no half-limited volume.
  std::vector<std::int16_t> out;
  if (!pravella::imaging::allocResultVoxels(out, v.voxels.size(), kNoMemory)) return 0;
  const std::size_t plane = v.sliceSize();
  const bool done = pravella::imaging::forEachItemUnlessBroken(
      v.slices, pravella::imaging::workerCount(v.slices, static_cast<long long>(plane)), [&](int, int z) {
        const std::size_t first = static_cast<std::size_t>(z) * plane;
        const std::int16_t* in = v.voxels.data() + first;
        std::int16_t* o = out.data() + first;
        if (upper)
          for (std::size_t i = 0; i < plane; ++i) o[i] = in[i] > L ? V : in[i];
        else
          for (std::size_t i = 0; i < plane; ++i) o[i] = in[i] < L ? V : in[i];
      });
  if (!done) return pravella::imaging::reportWorkBroken();
  v.voxels.swap(out);
  return 1;
}

bool validSlot(int n) { return n >= 1 && n <= 3; }
VolumeSlot& slot(int n) { return vDataX[static_cast<std::size_t>(n - 1)]; }

}  // namespace

int DoSmoothVolumeData() {
  if (vData->empty()) return emptySource();
  return cubeFilter(*vData, CubeFilter::Mean, true, std::max(0, vData->slices - 1)) ? 1 : 0;
}

int DoLaplaceVolumeData() {
  if (vData->empty()) return emptySource();
  return cubeFilter(*vData, CubeFilter::Laplace, true, vData->slices) ? 1 : 0;
}

int DoLaplacianVolumeData() {
  if (vData->empty()) return emptySource();
  return cubeFilter(*vData, CubeFilter::Laplacian, false, 0) ? 1 : 0;
}

int DoDiffVolumeData() {
  if (vData->empty()) return emptySource();
  return gradientFilter(*vData, kNoMemory);
}

int DoVolume_Grad() {
  if (vData->empty()) return 1;
  return gradientFilter(*vData, "memory allocation");
}

int DoVolumeULimitTo(double limit, double value) { return limitTo(limit, value, true); }
int DoVolumeLLimitTo(double limit, double value) { return limitTo(limit, value, false); }

int SubtractVolumeData(int a, int b, int out) {
  if (!validSlot(a) || !validSlot(b) || !validSlot(out)) {
    error_disp("invalid volume number");
    return 0;
  }
  if (a == b || a == out || b == out) {
    error_disp("same Volume");
    return 0;
  }
  const VolumeSlot &A = slot(a), &B = slot(b);
  if (A.empty() || B.empty()) return emptySource();
  if (A.rows != B.rows || A.columns != B.columns || A.slices != B.slices) {
    error_disp("imvalid volume structure");
    return 0;
  }
  // Built beside the slot it replaces, which keeps its volume when this fails or is stopped.
  std::vector<std::int16_t> result;
  if (!pravella::imaging::allocResultVoxels(result, A.voxels.size(), kNoMemory)) return 0;
  const std::size_t plane = A.sliceSize();
  const bool done = pravella::imaging::forEachItemUnlessBroken(
      A.slices, pravella::imaging::workerCount(A.slices, static_cast<long long>(plane)), [&](int, int z) {
        const std::size_t first = static_cast<std::size_t>(z) * plane;
        for (std::size_t i = first; i < first + plane; ++i)
          result[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(A.voxels[i] - B.voxels[i]));
      });
  if (!done) return pravella::imaging::reportWorkBroken();
  VolumeSlot& O = slot(out);
  O.voxels.swap(result);
  O.rows = A.rows;
  O.columns = A.columns;
  O.slices = A.slices;
  return 1;
}

int DoV2P(int source, int destination) {
  if (source == destination) {
    error_disp("same volume number");
    return 0;
  }
  if (!validSlot(source) || !validSlot(destination)) {
    error_disp("invalid volume number");
    return 0;
  }
  const VolumeSlot& src = slot(source);
  if (src.empty()) return emptySource();
  std::vector<std::int16_t> shell;
  if (!pravella::imaging::allocResultVoxels(shell, src.voxels.size(), kNoMemory)) return 0;
  const std::size_t C = static_cast<std::size_t>(src.columns), plane = src.sliceSize();
  const int S = src.slices;
  const bool done = pravella::imaging::forEachItemUnlessBroken(
      S, pravella::imaging::workerCount(S, static_cast<long long>(plane)), [&](int, int z) {
        const std::size_t first = static_cast<std::size_t>(z) * plane;
        const std::int16_t* s = src.voxels.data();
        std::copy_n(s + first, plane, shell.data() + first);
        if (z == 0 || z + 1 >= S) return;
        for (int y = 1; y + 1 < src.rows; ++y)
          for (int x = 1; x + 1 < src.columns; ++x) {
            const std::size_t i = src.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                                            static_cast<std::size_t>(z));
            if (s[i - 1] && s[i + 1] && s[i - C] && s[i + C] && s[i - plane] && s[i + plane]) shell[i] = 0;
          }
      });
  if (!done) return pravella::imaging::reportWorkBroken();
  VolumeSlot& dst = slot(destination);
  dst.voxels.swap(shell);
  dst.rows = src.rows;
  dst.columns = src.columns;
  dst.slices = src.slices;
  return 1;
}
