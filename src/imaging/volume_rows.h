#pragma once
// Row kernels of the 3 x 3 x 3 volume filters (mean, Laplace forms, gradient magnitude): the
// sums along z, y and x of one output row at a time, so that every buffer is a few rows long
// and stays in the first-level cache. On processors with AVX2 they use its wider vectors;
// elsewhere the compiler's baseline ones. Both give the same integers as the scalar formulas.

#include <cstddef>
#include <cstdint>

// Rows handed to the kernels carry this many spare elements before and after them; those read
// as neighbours of the first and last element must be 0.
inline constexpr int kRowPad = 8;

struct VolumeRowKernels {
  // out = a + b + c over n elements; a or c may be null.
  void (*sum3)(const std::int16_t* a, const std::int16_t* b, const std::int16_t* c, std::int32_t* out, int n);
  // sum = a + b + c and difference = a - c.
  void (*sumAndDifference)(const std::int16_t* a, const std::int16_t* b, const std::int16_t* c,
                           std::int32_t* sum, std::int32_t* difference, int n);
  // out = a + b + c over 32-bit rows.
  void (*add3)(const std::int32_t* a, const std::int32_t* b, const std::int32_t* c, std::int32_t* out, int n);
  // out[x] = (s[x-1] + s[x] + s[x+1]) / count[x], truncated; s is padded with 0.
  void (*meanRow)(const std::int32_t* s, const float* count, std::int16_t* out, int n);
  // The Laplace form (negate: the Laplacian) where all 26 neighbours exist, x in [begin, end)
  // inside [1, n-1); corner0 is row y-1 of slice z-1, corner1 row y+1 of slice z+1.
  void (*laplaceRow)(const std::int32_t* s, const std::int16_t* centre, const std::int16_t* corner0,
                     const std::int16_t* corner1, bool negate, std::int16_t* out, int begin, int end);
  // One interior row of the gradient magnitude (columns 1 to n-2); work holds 3 padded rows.
  void (*gradientRow)(const std::int32_t* zs0, const std::int32_t* zs1, const std::int32_t* zs2,
                      const std::int32_t* dz0, const std::int32_t* dz1, const std::int32_t* dz2,
                      std::int32_t* work, std::int16_t* out, int n);
  // The six sums of the window correlation (count, a, b, a², b², ab over the pairs where a and
  // b are both non-zero) of one row of the slices below (null outside), at and above (null
  // outside), into a block of six rows `stride` apart.
  void (*pairSums)(const std::int16_t* a0, const std::int16_t* b0, const std::int16_t* a1, const std::int16_t* b1,
                   const std::int16_t* a2, const std::int16_t* b2, double* block, std::size_t stride, int n);
  // out = a + b + c over n doubles.
  void (*add3Double)(const double* a, const double* b, const double* c, double* out, std::size_t n);
  // The correlation of the windows of one row from a block of sums over three rows (padded with
  // zeros), summed along x here.
  void (*correlationRow)(const double* block, std::size_t stride, std::int16_t* out, int n);
  // Row (y, z) of a volume resampled through the 4 x 4 matrix M (the row vector [x y z 1] times
  // M over its fourth component), trilinear inside the volume less a voxel on each side, else 0.
  void (*trilinearRow)(const std::int16_t* voxels, int columns, int rows, int slices, const double* M, int y, int z,
                       std::int16_t* out, int n);
};

// The number of rows of sums in a block of pairSums.
inline constexpr int kPairSumRows = 6;

// The kernels for this processor, chosen once.
const VolumeRowKernels& vkRowKernels();

// Makes vkRowKernels give the baseline kernels even where wider ones exist (tests compare
// both); false restores the choice.
void vkUseBaselineRowKernelsForTests(bool baseline);
