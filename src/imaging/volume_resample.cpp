#include "imaging/volume_resample.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_rows.h"
#include "imaging/volume_settings.h"
#include "imaging/volume_work.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/spline.h"
#include "lang/values.h"
#include "platform/cformat.h"
#include "platform/progress_bar.h"

namespace {

int emptyVolume() {
  error_disp("VolumeData is empty.");
  return 0;
}

constexpr const char* kNoMemoryVD = "Can not allocate memory(VD)";

int noMemoryVD() {
  error_disp(kNoMemoryVD);
  return 0;
}

// A resample to `slices` slices: none (or a size no int holds, which the caller gives as 0) is
// no size to make; a row of new profiles past the element limit is refused by the spline of the
// factor form, and by both forms alike, before anything is allocated for it, so that one cause
// gets one reason whichever form asked.
bool sliceCountFits(const VolumeSlot& v, int slices) {
  if (slices < 1) {
    error_disp("Invalid arguments.");
    return false;
  }
  if (static_cast<long long>(v.columns) * slices > TNumber) {
    error_disp(
        pravella::cformat("Too many slices: %d columns of %d slices are more than the element limit %d.",
                          v.columns, slices, TNumber));
    return false;
  }
  return true;
}

// The resampled value as a voxel; false when it lies outside the 16-bit range, where it would
// wrap into a value of the other sign (a spline between slices a hair apart overshoots by the
// ratio of the spacings).
bool voxelInRange(double value, std::int16_t& voxel) {
  if (std::isfinite(value) && !(std::trunc(value) >= -32768 && std::trunc(value) <= 32767)) return false;
  voxel = vkVoxelFromDouble(value);
  return true;
}

// A new array of the volume's rows and columns and `slices` slices, which sliceCountFits
// has let through.
bool allocResized(std::vector<std::int16_t>& out, const VolumeSlot& v, int slices) {
  if (static_cast<long long>(v.sliceSize()) * slices > kMaxVolumeVoxels) return noMemoryVD();
  return pravella::imaging::allocResultVoxels(out, v.sliceSize() * static_cast<std::size_t>(slices),
                                              kNoMemoryVD);
}

// [x y z 1] M divided by its fourth component; false when that is not a finite division.
bool mapPoint(const double* M, double x, double y, double z, double& X, double& Y, double& Z) {
  const double w = x * M[3] + y * M[7] + z * M[11] + M[15];
  X = (x * M[0] + y * M[4] + z * M[8] + M[12]) / w;
  Y = (x * M[1] + y * M[5] + z * M[9] + M[13]) / w;
  Z = (x * M[2] + y * M[6] + z * M[10] + M[14]) / w;
  return std::isfinite(X) && std::isfinite(Y) && std::isfinite(Z);
}

// Builds a new array of the volume's size row by row, slices split over threads, and puts it in
// place of the old. row(y, z, out) fills row y of slice z.
template <typename Row>
int rebuildRows(VolumeSlot& v, Row&& row) {
  std::vector<std::int16_t> out;
  if (!pravella::imaging::allocResultVoxels(out, v.voxels.size(), kNoMemoryVD)) return 0;
  setProcessIndicator(0, std::max(0, v.slices - 1));
  const int workers = pravella::imaging::workerCount(v.slices, static_cast<long long>(v.rows) * v.columns);
  VkWorkBreak stop;
  pravella::imaging::forEachItem(
      v.slices, workers,
      [&](int, int z) {
        std::int16_t* o = out.data() + v.index(0, 0, static_cast<std::size_t>(z));
        for (int y = 0; y < v.rows; ++y) {
          if (stop.stop()) return;
          row(y, z, o + static_cast<std::size_t>(y) * v.columns);
        }
      },
      [](int done) { setProcessIndicatorValue(done); });
  if (stop.broken()) return pravella::imaging::reportWorkBroken();
  v.voxels.swap(out);
  setProcessIndicatorValue(0);
  return 1;
}

// The same voxel by voxel.
template <typename Voxel>
int rebuild(VolumeSlot& v, Voxel&& voxel) {
  return rebuildRows(v, [&](int y, int z, std::int16_t* o) {
    for (int x = 0; x < v.columns; ++x) o[x] = voxel(x, y, z);
  });
}

}  // namespace

double vkTrilinear(const VolumeSlot& v, double X, double Y, double Z) {
  if (!(std::isfinite(X) && std::isfinite(Y) && std::isfinite(Z))) return 0;
  const double tx = std::trunc(X), ty = std::trunc(Y), tz = std::trunc(Z);
  if (!(tx > 0 && tx < v.columns - 2 && ty > 0 && ty < v.rows - 2 && tz > 0 && tz < v.slices - 2)) return 0;
  const auto xi = static_cast<std::size_t>(tx), yi = static_cast<std::size_t>(ty),
             zi = static_cast<std::size_t>(tz);
  const double fx = X - tx, fy = Y - ty, fz = Z - tz;
  const std::int16_t* p = v.voxels.data();
  const std::size_t C = static_cast<std::size_t>(v.columns), plane = v.sliceSize();
  const std::size_t i = v.index(xi, yi, zi);
  const double c00 = p[i] * (1 - fx) + p[i + 1] * fx;
  const double c10 = p[i + C] * (1 - fx) + p[i + C + 1] * fx;
  const double c01 = p[i + plane] * (1 - fx) + p[i + plane + 1] * fx;
  const double c11 = p[i + plane + C] * (1 - fx) + p[i + plane + C + 1] * fx;
  return (c00 * (1 - fy) + c10 * fy) * (1 - fz) + (c01 * (1 - fy) + c11 * fy) * fz;
}

int DozHokanVolumeData(int slices) {
  VolumeSlot& v = *vData;
  if (v.empty()) return emptyVolume();
  if (!sliceCountFits(v, slices)) return 0;
  std::vector<std::int16_t> out;
  if (!allocResized(out, v, slices)) return 0;
  const std::size_t C = static_cast<std::size_t>(v.columns), S = static_cast<std::size_t>(v.slices),
                    N = static_cast<std::size_t>(slices);
  std::vector<double> in, work, result;
  try {
    in.resize(C * S);
    work.resize(C * std::max(S, N));
    result.resize(C * N);
  } catch (const std::bad_alloc&) {
    return noMemoryVD();
  }
  setProcessIndicator(0, std::max(0, v.rows - 1));
  for (int y = 0; y < v.rows; ++y) {
    if (ButtonPress()) return pravella::imaging::reportWorkBroken();
    setProcessIndicatorValue(y);
    // Row x of the matrix is the z profile of voxel column (x, y).
    for (std::size_t x = 0; x < C; ++x)
      for (std::size_t z = 0; z < S; ++z)
        in[x * S + z] = v.voxels[v.index(x, static_cast<std::size_t>(y), z)];
    const int ok =
        zHokanSwitch
            ? DoHokan(in.data(), work.data(), result.data(), v.columns, v.slices, v.columns, slices)
            : DoHokanN(in.data(), work.data(), result.data(), v.columns, v.slices, v.columns, slices);
    if (!ok) {
      setProcessIndicatorValue(0);
      return 0;
    }
    for (std::size_t x = 0; x < C; ++x)
      for (std::size_t z = 0; z < N; ++z) {
        const std::size_t at = (z * static_cast<std::size_t>(v.rows) + static_cast<std::size_t>(y)) * C + x;
        if (!voxelInRange(result[x * N + z], out[at])) {
          setProcessIndicatorValue(0);
          error_disp("The interpolation passes the 16-bit range of a voxel.");
          return 0;
        }
      }
  }
  v.voxels.swap(out);
  v.slices = slices;
  setProcessIndicatorValue(0);
  return 1;
}

int DozHokanVolumeData2(int slices, const double* spacings, int count) {
  VolumeSlot& v = *vData;
  if (v.empty()) return emptyVolume();
  if (count != v.slices) {
    error_disp("Width data is wrong");
    return 0;
  }
  // The slice positions are the running sums of the spacings, the first included (where they
  // start does not matter), and must go forward: a negative later spacing, or one that does
  // not move the position it is added to (1e-17 after 1), leaves the spline two samples at one
  // place; spacings each finite may still sum past the largest double. Checked before anything
  // is allocated, as the size is.
  if (!sliceCountFits(v, slices)) return 0;
  if (!slicePositionsIncrease(spacings, count)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  std::vector<std::int16_t> out;
  if (!allocResized(out, v, slices)) return 0;
  std::vector<double> profile, result;
  try {
    profile.resize(static_cast<std::size_t>(v.slices));
    result.resize(static_cast<std::size_t>(slices));
  } catch (const std::bad_alloc&) {
    return noMemoryVD();
  }
  setProcessIndicator(0, std::max(0, v.rows - 1));
  for (int y = 0; y < v.rows; ++y) {
    setProcessIndicatorValue(y);
    for (int x = 0; x < v.columns; ++x) {
      if (ButtonPress()) return pravella::imaging::reportWorkBroken();
      for (int z = 0; z < v.slices; ++z)
        profile[static_cast<std::size_t>(z)] = v.voxels[v.index(
            static_cast<std::size_t>(x), static_cast<std::size_t>(y), static_cast<std::size_t>(z))];
      if (!DoNewtonHokan2(profile.data(), spacings, v.slices, result.data(), slices)) {
        setProcessIndicatorValue(0);
        return 0;
      }
      for (int z = 0; z < slices; ++z)
        if (!voxelInRange(
                result[static_cast<std::size_t>(z)],
                out[(static_cast<std::size_t>(z) * v.rows + static_cast<std::size_t>(y)) * v.columns +
                    static_cast<std::size_t>(x)])) {
          setProcessIndicatorValue(0);
          error_disp("Slices too close together for the spline: it passes the 16-bit range of a voxel.");
          return 0;
        }
    }
  }
  v.voxels.swap(out);
  v.slices = slices;
  setProcessIndicatorValue(0);
  return 1;
}

int DoDecVolSize4() {
  VolumeSlot& v = *vData;
  if (v.empty()) return emptyVolume();
  // One row or one column halves to none: no volume to make, and the reason is not memory.
  if (v.rows < 2 || v.columns < 2) {
    error_disp("A volume of one row or one column can not be halved.");
    return 0;
  }
  const int R = v.rows / 2, C = v.columns / 2;
  std::vector<std::int16_t> out;
  if (!pravella::imaging::allocResultVoxels(
          out, static_cast<std::size_t>(R) * C * static_cast<std::size_t>(v.slices),
          "Can not allocate memory(DecVolSize4)"))
    return 0;
  const bool done = pravella::imaging::forEachItemUnlessBroken(
      v.slices, pravella::imaging::workerCount(v.slices, static_cast<long long>(v.sliceSize())),
      [&](int, int z) {
        std::size_t k = static_cast<std::size_t>(z) * R * C;
        for (int y = 0; y < R; ++y)
          for (int x = 0; x < C; ++x) {
            const std::size_t i = v.index(static_cast<std::size_t>(2 * x), static_cast<std::size_t>(2 * y),
                                          static_cast<std::size_t>(z));
            const std::size_t down = i + static_cast<std::size_t>(v.columns);
            const int sum = v.voxels[i] + v.voxels[i + 1] + v.voxels[down] + v.voxels[down + 1];
            out[k++] = static_cast<std::int16_t>(sum / 4);
          }
      });
  if (!done) return pravella::imaging::reportWorkBroken();
  v.voxels.swap(out);
  v.rows = R;
  v.columns = C;
  return 1;
}

int flipVolumeData() {
  VolumeSlot& v = *vData;
  if (v.empty()) return emptyVolume();
  if (v.slices == 1) return 1;
  std::vector<std::int16_t> flipped;
  if (!pravella::imaging::allocResultVoxels(flipped, v.voxels.size(), "Can not get temp volume.")) return 0;
  const std::size_t plane = v.sliceSize(), S = static_cast<std::size_t>(v.slices);
  const bool done = pravella::imaging::forEachItemUnlessBroken(v.slices, 1, [&](int, int z) {
    const std::size_t k = static_cast<std::size_t>(z);
    std::copy_n(v.voxels.begin() + static_cast<std::ptrdiff_t>((S - 1 - k) * plane), plane,
                flipped.begin() + static_cast<std::ptrdiff_t>(k * plane));
  });
  if (!done) return pravella::imaging::reportWorkBroken();
  v.voxels.swap(flipped);
  return 1;
}

int DoRotVolumeData_new(const double* M) {
  VolumeSlot& v = *vData;
  if (v.empty()) return emptyVolume();
  // mapPoint and vkTrilinear for a row of voxels at a time.
  const VolumeRowKernels& K = vkRowKernels();
  return rebuildRows(v, [&](int y, int z, std::int16_t* o) {
    K.trilinearRow(v.voxels.data(), v.columns, v.rows, v.slices, M, y, z, o, v.columns);
  });
}

int DoRotVolumeData(const double* M) {
  VolumeSlot& v = *vData;
  if (v.empty()) return emptyVolume();
  return rebuild(v, [&](int x, int y, int z) {
    double X, Y, Z;
    if (!mapPoint(M, x, y, z, X, Y, Z)) return std::int16_t{0};
    const double xi = std::trunc(X), yi = std::trunc(Y), zi = std::trunc(Z);
    if (!(xi >= 1 && xi < v.columns - 1 && yi >= 1 && yi < v.rows - 1 && zi >= 1 && zi < v.slices - 1))
      return std::int16_t{0};
    return v.voxels[v.index(static_cast<std::size_t>(xi), static_cast<std::size_t>(yi),
                            static_cast<std::size_t>(zi))];
  });
}

int DoTensyaVolumeData(int source, int destination, const double* M) {
  if (source == destination) {
    error_disp("same volume number");
    return 0;
  }
  if (source < 1 || source > 3 || destination < 1 || destination > 3) {
    error_disp("invalid volume number");
    return 0;
  }
  const VolumeSlot& src = vDataX[static_cast<std::size_t>(source - 1)];
  VolumeSlot& dst = vDataX[static_cast<std::size_t>(destination - 1)];
  if (src.empty()) {
    error_disp("Source is empty volume");
    return 0;
  }
  std::vector<std::int16_t> out;
  if (dst.empty()) {
    error_disp("can not allocate the memory.");
    return 0;
  }
  if (!pravella::imaging::allocResultVoxels(out, dst.voxels.size(), "can not allocate the memory.")) return 0;
  const int workers =
      pravella::imaging::workerCount(dst.slices, static_cast<long long>(dst.rows) * dst.columns);
  const bool done = pravella::imaging::forEachItemUnlessBroken(dst.slices, workers, [&](int, int k) {
    for (int i = 0; i < dst.rows; ++i)
      for (int j = 0; j < dst.columns; ++j) {
        // The row vector [j i k 1] times M, with no projective divide.
        const double x = std::trunc(j * M[0] + i * M[4] + k * M[8] + M[12]);
        const double y = std::trunc(j * M[1] + i * M[5] + k * M[9] + M[13]);
        const double z = std::trunc(j * M[2] + i * M[6] + k * M[10] + M[14]);
        if (!(x >= 0 && x < src.columns && y >= 0 && y < src.rows && z >= 0 && z < src.slices)) continue;
        out[dst.index(static_cast<std::size_t>(j), static_cast<std::size_t>(i),
                      static_cast<std::size_t>(k))] =
            src.voxels[src.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                                 static_cast<std::size_t>(z))];
      }
  });
  if (!done) return pravella::imaging::reportWorkBroken();
  dst.voxels.swap(out);
  return 1;
}
