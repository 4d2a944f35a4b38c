#pragma once
// Changes of a volume's grid: interpolation along z to a new slice count, halving in the plane,
// slice reversal, rotation through a 4 x 4 matrix, and the transfer of one slot into another.
// The new voxels are built beside the old ones and replace them only when complete; each
// returns 1, or 0 after reporting with the volume unchanged.

#include "imaging/volume_data.h"

// Interpolates the current volume's slices to `slices` (spline, or Newton when zHokanSwitch
// is 0); fewer than one slice is "Invalid arguments.".
int DozHokanVolumeData(int slices);
// The same over slices at the running sums of `spacings` (count of them must equal the slice
// count; the positions, the first included, must strictly increase).
int DozHokanVolumeData2(int slices, const double* spacings, int count);
// Half the rows and columns, each voxel the truncated mean of a 2 x 2 block; a volume of one
// row or one column is refused.
int DoDecVolSize4();
// Reverses the slice order.
int flipVolumeData();
// Each voxel from the source position [x y z 1] M / w: trilinear (new) or nearest (old). M is
// row-major 4 x 4, already inverted.
int DoRotVolumeData_new(const double* M);
int DoRotVolumeData(const double* M);
// Fills slot dst (keeping its sizes) from slot src through [j i k 1] M.
int DoTensyaVolumeData(int source, int destination, const double* M);

// The trilinear sample of a volume at (X, Y, Z): the blend of the eight voxels around it when
// 0 < trunc(X) < columns - 2 (likewise Y and Z), else 0.
double vkTrilinear(const VolumeSlot& v, double X, double Y, double Z);
