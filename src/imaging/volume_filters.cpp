#include "imaging/volume_filters.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_gradient.h"
#include "lang/report.h"
#include "platform/progress_bar.h"

namespace {

// 3 x 3 sums of one slice, clipped at its edges: every cube sum of the 3 x 3 x 3 filters is
// three of these added, and the count of voxels inside is a product of per-axis counts.
struct BoxSums {
  std::vector<std::int32_t> line, box;
};

void boxSlice(const VolumeSlot& v, int z, BoxSums& s) {
  const int R = v.rows, C = v.columns;
  const std::int16_t* p = v.voxels.data() + v.index(0, 0, static_cast<std::size_t>(z));
  for (int y = 0; y < R; ++y) {
    const std::int16_t* row = p + static_cast<std::size_t>(y) * C;
    std::int32_t* out = s.line.data() + static_cast<std::size_t>(y) * C;
    if (C == 1) {
      out[0] = row[0];
      continue;
    }
    out[0] = row[0] + row[1];
    for (int x = 1; x + 1 < C; ++x) out[x] = row[x - 1] + row[x] + row[x + 1];
    out[C - 1] = row[C - 2] + row[C - 1];
  }
  for (int y = 0; y < R; ++y) {
    const std::int32_t* mid = s.line.data() + static_cast<std::size_t>(y) * C;
    const std::int32_t* up = y > 0 ? mid - C : nullptr;
    const std::int32_t* down = y + 1 < R ? mid + C : nullptr;
    std::int32_t* out = s.box.data() + static_cast<std::size_t>(y) * C;
    if (up && down) {
      for (int x = 0; x < C; ++x) out[x] = up[x] + mid[x] + down[x];
    } else {
      for (int x = 0; x < C; ++x) out[x] = mid[x] + (up ? up[x] : 0) + (down ? down[x] : 0);
    }
  }
}

inline int axisCount(int i, int n) { return 1 + (i > 0) + (i + 1 < n); }

// The low 16 bits of an integer result, as the store's conversion keeps them.
inline std::int16_t low16(std::int64_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

enum class CubeFilter { Mean, Laplace, Laplacian };

// One output slice from the box sums of the slices around it (null outside the volume).
void filterSlice(const VolumeSlot& v, CubeFilter filter, int z, const BoxSums* before, const BoxSums& at,
                 const BoxSums* after, std::int16_t* o) {
  const int R = v.rows, C = v.columns, S = v.slices;
  const int cz = axisCount(z, S);
  const std::int16_t* in = v.voxels.data() + v.index(0, 0, static_cast<std::size_t>(z));
  const std::int16_t* below = z > 0 ? in - v.sliceSize() : nullptr;
  const std::int16_t* above = z + 1 < S ? in + v.sliceSize() : nullptr;
  for (int y = 0; y < R; ++y) {
    const int cy = axisCount(y, R);
    const std::size_t rowStart = static_cast<std::size_t>(y) * C;
    const std::int32_t* b0 = before ? before->box.data() + rowStart : nullptr;
    const std::int32_t* b1 = at.box.data() + rowStart;
    const std::int32_t* b2 = after ? after->box.data() + rowStart : nullptr;
    // Inside the volume every voxel has all 26 neighbours: a tight loop with constant counts
    // (27 for the mean, 24 for the Laplace forms); the edges take the general loop below.
    const bool inner = b0 && b2 && y > 0 && y + 1 < R && C > 2;
    if (inner) {
      const std::int16_t* centre = in + rowStart;
      const std::int16_t* corner0 = below + rowStart - C - 1;
      const std::int16_t* corner1 = above + rowStart + C + 1;
      std::int16_t* row = o + rowStart;
      for (int x = 1; x + 1 < C; ++x) {
        const std::int32_t sum = b0[x] + b1[x] + b2[x];
        if (filter == CubeFilter::Mean) {
          row[x] = static_cast<std::int16_t>(sum / 27);
        } else {
          const std::int32_t c = centre[x], s = sum - c - corner0[x] - corner1[x];
          row[x] = low16((filter == CubeFilter::Laplace ? c * 24 - s : s - c * 24) / 10);
        }
      }
    }
    for (int x = 0; x < C; ++x) {
      if (inner && x == 1) x = C - 1;
      const std::int64_t sum = static_cast<std::int64_t>(b1[x]) + (b0 ? b0[x] : 0) + (b2 ? b2[x] : 0);
      const std::int64_t count = static_cast<std::int64_t>(axisCount(x, C)) * cy * cz;
      const std::size_t i = rowStart + static_cast<std::size_t>(x);
      if (filter == CubeFilter::Mean) {
        // Inside the volume the divisor is the constant 27, which divides fast.
        o[i] = static_cast<std::int16_t>(count == 27 ? sum / 27 : sum / count);
        continue;
      }
      // The centre and the two corners (-1,-1,-1) and (+1,+1,+1) are no neighbours.
      const std::int64_t centre = in[i];
      std::int64_t s = sum - centre, n = count - 1;
      if (below && x > 0 && y > 0) {
        s -= below[i - static_cast<std::size_t>(C) - 1];
        --n;
      }
      if (above && x + 1 < C && y + 1 < R) {
        s -= above[i + static_cast<std::size_t>(C) + 1];
        --n;
      }
      const std::int64_t d = filter == CubeFilter::Laplace ? centre * n - s : s - centre * n;
      o[i] = n == 0 ? 0 : low16(d / 10);
    }
  }
}

// The 3 x 3 x 3 filters: slices in contiguous ranges per thread, the box sums of three
// slices rolling along each range.
bool cubeFilter(VolumeSlot& v, CubeFilter filter, bool reports, int progressEnd) {
  const int S = v.slices;
  const int workers = pravella::imaging::workerCount(S, static_cast<long long>(v.rows) * v.columns);
  std::vector<std::int16_t> out;
  std::vector<BoxSums> sums(static_cast<std::size_t>(workers) * 3);
  try {
    out.assign(v.voxels.size(), 0);
    for (BoxSums& s : sums) {
      s.line.assign(v.sliceSize(), 0);
      s.box.assign(v.sliceSize(), 0);
    }
  } catch (const std::bad_alloc&) {
    error_disp("can not allocate the memory.");
    return false;
  }
  if (reports) setProcessIndicator(0, progressEnd);
  pravella::imaging::forEachRange(
      S, workers,
      [&](int worker, int begin, int end) {
        BoxSums* planes[3] = {&sums[static_cast<std::size_t>(worker) * 3],
                              &sums[static_cast<std::size_t>(worker) * 3 + 1],
                              &sums[static_cast<std::size_t>(worker) * 3 + 2]};
        if (begin > 0) boxSlice(v, begin - 1, *planes[0]);
        boxSlice(v, begin, *planes[1]);
        for (int z = begin; z < end; ++z) {
          if (z + 1 < S) boxSlice(v, z + 1, *planes[2]);
          filterSlice(v, filter, z, z > 0 ? planes[0] : nullptr, *planes[1], z + 1 < S ? planes[2] : nullptr,
                      out.data() + v.index(0, 0, static_cast<std::size_t>(z)));
          std::rotate(planes, planes + 1, planes + 3);  // the next slice's before and at
        }
      },
      [&](int done) {
        if (reports) setProcessIndicatorValue(done);
      });
  v.voxels.swap(out);
  if (reports) setProcessIndicatorValue(0);
  return true;
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
  for (std::int16_t& x : v.voxels)
    if (upper ? x > L : x < L) x = V;
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
  VolumeSlot& v = *vData;
  if (v.empty()) return emptySource();
  std::vector<std::int16_t> out;
  if (!vkVolumeGradient(v, out, true)) {
    error_disp("can not allocate the memory.");
    return 0;
  }
  v.voxels.swap(out);
  return 1;
}

int DoVolume_Grad() {
  VolumeSlot& v = *vData;
  if (v.empty()) return 1;
  std::vector<std::int16_t> out;
  if (!vkVolumeGradient(v, out, true)) {
    error_disp("memory allocation");
    return 0;
  }
  v.voxels.swap(out);
  return 1;
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
  VolumeSlot& O = slot(out);
  O.clear();
  try {
    O.voxels.resize(A.voxels.size());
  } catch (const std::bad_alloc&) {
    O.clear();
    error_disp("can not allocate the memory.");
    return 0;
  }
  for (std::size_t i = 0; i < A.voxels.size(); ++i)
    O.voxels[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(A.voxels[i] - B.voxels[i]));
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
  VolumeSlot& dst = slot(destination);
  dst.clear();
  try {
    dst.voxels = src.voxels;
  } catch (const std::bad_alloc&) {
    dst.clear();
    error_disp("can not allocate the memory.");
    return 0;
  }
  dst.rows = src.rows;
  dst.columns = src.columns;
  dst.slices = src.slices;
  const std::size_t C = static_cast<std::size_t>(src.columns), plane = src.sliceSize();
  for (int z = 1; z + 1 < src.slices; ++z)
    for (int y = 1; y + 1 < src.rows; ++y)
      for (int x = 1; x + 1 < src.columns; ++x) {
        const std::size_t i =
            src.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y), static_cast<std::size_t>(z));
        const std::int16_t* s = src.voxels.data();
        if (s[i - 1] && s[i + 1] && s[i - C] && s[i + C] && s[i - plane] && s[i + plane]) dst.voxels[i] = 0;
      }
  return 1;
}
