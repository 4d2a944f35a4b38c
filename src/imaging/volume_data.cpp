#include "imaging/volume_data.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "lang/report.h"
#include "lang/values.h"

std::array<VolumeSlot, 3> vDataX;
VolumeSlot* vData = &vDataX[0];
int currentVolume = 1;
VolumeSlot tvData;

void VolumeSlot::clear() {
  rows = columns = slices = 0;
  std::vector<std::int16_t>().swap(voxels);
}

std::int16_t vkVoxelFromDouble(double value) {
  if (!std::isfinite(value)) return 0;
  // fmod keeps the value exact and in range before the integer conversion.
  const double low = std::fmod(std::trunc(value), 65536.0);
  const auto bits = static_cast<std::uint16_t>(static_cast<std::int32_t>(low));
  return static_cast<std::int16_t>(bits);
}

bool vkAllocVoxels(std::vector<std::int16_t>& out, long long rows, long long columns, long long slices) {
  if (rows < 1 || columns < 1 || slices < 1) return false;
  if (rows > kMaxVolumeVoxels || columns > kMaxVolumeVoxels / rows ||
      slices > kMaxVolumeVoxels / (rows * columns))
    return false;
  try {
    out.assign(static_cast<std::size_t>(rows * columns * slices), 0);
  } catch (const std::bad_alloc&) {
    std::vector<std::int16_t>().swap(out);
    return false;
  }
  return true;
}

void DoInitVolumeData() {
  for (VolumeSlot& slot : vDataX) slot.clear();
  tvData.clear();
  vData = &vDataX[0];
  currentVolume = 1;
}

int DoChangeCurrentVolumeData(int number) {
  if (number < 1 || number > 3) {
    error_disp("Number of Volume Data must be 1 to 3.");
    return 0;
  }
  vData = &vDataX[static_cast<std::size_t>(number - 1)];
  currentVolume = number;
  return 1;
}

int DoCreateVolumeData(int rows, int columns, int slices) {
  vData->clear();
  if (!vkAllocVoxels(vData->voxels, rows, columns, slices)) {
    error_disp("can not allocate the memory.");
    return 0;
  }
  vData->rows = rows;
  vData->columns = columns;
  vData->slices = slices;
  return 1;
}

int DoFreeVolumeData() {
  vData->clear();
  return 1;
}

int DoCopyVolumeData(int source, int destination) {
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
  return 1;
}

int DoSetVolumeData(const double* matrix, int rows, int columns, int z) {
  if (vData->empty() || z < 0 || z >= vData->slices || rows != vData->rows || columns != vData->columns) {
    error_disp("invalid matrix size.");
    return 0;
  }
  const std::size_t n = vData->sliceSize();
  std::int16_t* slice = vData->voxels.data() + vData->index(0, 0, static_cast<std::size_t>(z));
  for (std::size_t i = 0; i < n; ++i) slice[i] = vkVoxelFromDouble(matrix[i]);
  return 1;
}

int DoGetVolumeData(int index, int* outRows, int* outColumns, std::int32_t* out, int section) {
  const VolumeSlot& v = *vData;
  const int extent = section == kSectionSagittal ? v.columns : section == kSectionCoronal ? v.rows : v.slices;
  if (v.empty() || index < 0 || index >= extent) {
    error_disp("VolumeData is empty.");
    return 0;
  }
  const int rows = section == kSectionAxial ? v.rows : v.slices;
  const int columns = section == kSectionAxial ? v.columns : section == kSectionSagittal ? v.rows : v.columns;
  // The integer scratch buffer holds two 32-bit values per 8-byte element.
  if (static_cast<long long>(rows) * columns > 2LL * TNumber) {
    error_disp("too big data. try to increase elements");
    return 0;
  }
  const auto at = static_cast<std::size_t>(index);
  std::size_t k = 0;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const auto rr = static_cast<std::size_t>(r), cc = static_cast<std::size_t>(c);
      std::size_t i = 0;
      if (section == kSectionAxial)
        i = v.index(cc, rr, at);
      else if (section == kSectionSagittal)
        i = v.index(at, cc, rr);
      else
        i = v.index(cc, at, rr);
      out[k++] = v.voxels[i];
    }
  }
  *outRows = rows;
  *outColumns = columns;
  return 1;
}

int DoCutVolumeData(int x1, int x2, int y1, int y2, int z1, int z2) {
  VolumeSlot& v = *vData;
  if (x1 > x2 || y1 > y2 || z1 > z2 || x1 < 1 || y1 < 1 || z1 < 1 || x2 > v.columns || y2 > v.rows ||
      z2 > v.slices || v.empty()) {
    error_disp("invalid area");
    return 0;
  }
  for (int z = z1 - 1; z < z2; ++z) {
    for (int y = y1 - 1; y < y2; ++y) {
      const std::size_t start =
          v.index(static_cast<std::size_t>(x1 - 1), static_cast<std::size_t>(y), static_cast<std::size_t>(z));
      std::fill_n(v.voxels.begin() + static_cast<std::ptrdiff_t>(start), x2 - x1 + 1, std::int16_t{0});
    }
  }
  return 1;
}
