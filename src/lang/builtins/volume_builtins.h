#pragma once
// The built-ins of the volume store, the volume files and the ACR-NEMA elements. Each letter's
// table holds a row for its names; the work is done by the routines in src/imaging.

#include "lang/values.h"

namespace pravella::builtins::volume {

#define VK_VOLUME_ENTRY(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)

VK_VOLUME_ENTRY(acrNema);
VK_VOLUME_ENTRY(acrNemaList);
VK_VOLUME_ENTRY(changeCurrentVolumeData);
VK_VOLUME_ENTRY(copyVolumeData);
VK_VOLUME_ENTRY(cutVolumeData);
VK_VOLUME_ENTRY(createVolumeData);
VK_VOLUME_ENTRY(deleteVolumeData);
VK_VOLUME_ENTRY(getVolumeData);
VK_VOLUME_ENTRY(loadVolumeData);
VK_VOLUME_ENTRY(saveVolumeData);
VK_VOLUME_ENTRY(setVolumeData);
VK_VOLUME_ENTRY(showVolumeData);
VK_VOLUME_ENTRY(xLoadVolumeData);
VK_VOLUME_ENTRY(xSaveVolumeData);

#undef VK_VOLUME_ENTRY

}  // namespace pravella::builtins::volume
