#include "imaging/volume_data.h"

namespace pravella {

std::array<VolumeSlot, 3>& volumeSlots() {
  static std::array<VolumeSlot, 3> slots;
  return slots;
}

VolumeSlot& temporaryVolume() {
  static VolumeSlot temp;
  return temp;
}

}  // namespace pravella

void DoInitVolumeData() {
  for (pravella::VolumeSlot& slot : pravella::volumeSlots()) slot = {};
  pravella::temporaryVolume() = {};
}
