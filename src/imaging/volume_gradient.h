#pragma once
// The gradient magnitude of a volume: for each interior voxel the differences of the 3 x 3
// plane sums on either side along each axis, sqrt(gx² + gy² + gz²) / 3 truncated and capped at
// 32,767; border voxels are 0. The renderers' gradient projection and "volume_Grad" share it.

#include <cstdint>
#include <vector>

#include "imaging/volume_data.h"

// Computes the magnitude of `source` into `out` (resized to the volume), reporting progress over
// the slices when `reports` is set. False after reporting `noMemory` (with the reason when the
// array is refused before it is asked for) or the break, with `out` empty.
bool vkVolumeGradient(const VolumeSlot& source, std::vector<std::int16_t>& out, bool reports,
                      const char* noMemory);
