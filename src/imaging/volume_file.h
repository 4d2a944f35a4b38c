#pragma once
// The volume file of the volume store and the raw voxel forms. A volume file holds the magic
// text, the three voxel sizes as text, the three sizes and the 16-bit voxels, in either byte
// order (ByteOrderBigEndian decides on writing, the first word on reading). File names are
// resolved against the working folder; writers replace files atomically.

#include <cstdint>
#include <string_view>

// The magic text of a volume file, 23 characters; the file stores it with its zero byte.
inline constexpr char kVolumeFileMagic[] = "ZoT VolumeData Ver.1.00";
inline constexpr int kVolumeFileMagicBytes = 24;

// Each returns 1, or 0 after reporting through error_disp.
//
// Writes the current volume with the three voxel sizes.
int DoSaveVolumeData(std::string_view path, double s1, double s2, double s3);
// Loads a volume file into the current slot and gives its sizes and voxel sizes. A file that
// is not a volume file gives zeros and 1, and the slot is unchanged; so is every failure.
int DoLoadVolumeData(std::string_view path, int* rows, int* columns, int* slices, double sizes[3]);
// Writes the current volume's voxels alone.
int DoXSaveVolumeData(std::string_view path);
// Reads the listed slices (numbers from 1) of rows x columns voxels after `offset` bytes into
// the current slot; swap = 1 swaps the bytes once more.
int DoxLoadVolumeData(std::string_view path, long long rows, long long columns, long long offset, int swap,
                      const double* sliceNumbers, int count);

// The byte swap of 16- and 32-bit words, in place.
void vkSwapBytes16(std::int16_t* values, std::size_t count);
inline std::uint32_t vkSwap32(std::uint32_t v) { return __builtin_bswap32(v); }
