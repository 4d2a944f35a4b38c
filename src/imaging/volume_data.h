#pragma once
// The volume store: three slots of 16-bit signed voxels that the volume built-ins create, fill,
// read and replace, the current slot among them, and a temporary slot that holds a new voxel
// array while an operation builds it. The store is process-wide and has no lock: programs run
// one at a time.
//
// Voxel (x, y, z) of a slot is element (z * rows + y) * columns + x: x (the column) fastest,
// then the row, then the slice. Every volume routine uses this one layout.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct VolumeSlot {
  std::int32_t rows = 0;     // extent along y
  std::int32_t columns = 0;  // extent along x
  std::int32_t slices = 0;   // extent along z
  std::vector<std::int16_t> voxels;

  bool empty() const { return voxels.empty(); }
  std::size_t sliceSize() const { return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns); }
  std::size_t index(std::size_t x, std::size_t y, std::size_t z) const {
    return (z * static_cast<std::size_t>(rows) + y) * static_cast<std::size_t>(columns) + x;
  }
  // Frees the voxels and sets the sizes to 0.
  void clear();
};

// The three slots, numbered 1 to 3 by the language.
extern std::array<VolumeSlot, 3> vDataX;
// The current slot and its number (1 to 3).
extern VolumeSlot* vData;
extern int currentVolume;
// The temporary slot.
extern VolumeSlot tvData;

// Voxel indices are 32-bit in the language's results and in the files' headers, so a volume
// holds at most this many voxels.
inline constexpr long long kMaxVolumeVoxels = 2147483647LL;

// A size a program gives, as the volume routines take it: truncated toward zero, and 0 (which
// they refuse) for NaN and for values past the int range, so that 1e+300 is not taken as the
// largest int, a size they would go on to allocate.
inline int vkVolumeSizeFromDouble(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
  return static_cast<int>(v);
}

// The one conversion of a computed value into a voxel: truncated toward zero, the low 16 bits
// kept (so 65537 becomes 1 and -1.5 becomes -1); NaN and infinities become 0.
std::int16_t vkVoxelFromDouble(double value);

// A new zeroed voxel array of rows x columns x slices; false when a size is below 1, the
// count passes kMaxVolumeVoxels or memory runs out (no message: callers have their own).
bool vkAllocVoxels(std::vector<std::int16_t>& out, long long rows, long long columns, long long slices);

// Empties the three slots and the temporary slot and makes slot 1 current.
void DoInitVolumeData();

// Each returns 1, or 0 after reporting through error_disp.
int DoChangeCurrentVolumeData(int number);
int DoCreateVolumeData(int rows, int columns, int slices);
int DoFreeVolumeData();
int DoCopyVolumeData(int source, int destination);
// Stores the rows x columns matrix as slice z (from 0) of the current volume.
int DoSetVolumeData(const double* matrix, int rows, int columns, int z);

// The sections of DoGetVolumeData.
enum VolumeSection { kSectionAxial = 0, kSectionSagittal = 1, kSectionCoronal = 2 };
// Copies section `section` at index `index` (from 0) of the current volume into `out`, which
// holds 2 x TNumber 32-bit integers, and gives its rows and columns.
int DoGetVolumeData(int index, int* outRows, int* outColumns, std::int32_t* out, int section);
// Sets the voxels of a box of the current volume to 0; the ranges are 1-based and inclusive,
// x over the columns, y over the rows, z over the slices.
int DoCutVolumeData(int x1, int x2, int y1, int y2, int z1, int z2);
