#pragma once
// The gradient magnitude of a volume: for each interior voxel the differences of the 3 x 3
// plane sums on either side along each axis, sqrt(gx² + gy² + gz²) / 3 truncated and capped at
// 32,767; border voxels are 0. The renderers' gradient projection and "volume_Grad" share it.

#include <cstdint>
#include <vector>

#include "imaging/volume_data.h"

// Computes the magnitude of `source` into `out` (resized to the volume). False when the memory
// cannot be had. Reports progress over the slices when `reports` is set.
bool vkVolumeGradient(const VolumeSlot& source, std::vector<std::int16_t>& out, bool reports);

// The same in place of the voxels of `volume`, without a second array of its size. False, with
// the volume unchanged, when the memory cannot be had.
bool vkVolumeGradientInPlace(VolumeSlot& volume, bool reports);
