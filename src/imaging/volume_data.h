#pragma once
// The volume store of the image analysis: three volume slots and a temporary volume that the
// volume built-ins fill. The process starts with all of them empty.

#include <array>
#include <cstdint>
#include <vector>

namespace pravella {

struct VolumeSlot {
  int width = 0, height = 0, depth = 0;
  std::vector<float> voxels;
  bool empty() const { return voxels.empty(); }
};

// The three slots and the temporary volume.
std::array<VolumeSlot, 3>& volumeSlots();
VolumeSlot& temporaryVolume();

}  // namespace pravella

// Clears the three volume slots and the temporary volume; called once by main.
void DoInitVolumeData();
