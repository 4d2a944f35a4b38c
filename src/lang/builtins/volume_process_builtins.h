#pragma once
// The volume processing built-ins: resampling, filters, statistics, sections and cortex maps.

#include "lang/values.h"

namespace pravella::builtins::volume {

#define VK_VOLUME_ENTRY(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)

VK_VOLUME_ENTRY(angleVolumeData);
VK_VOLUME_ENTRY(decVolumeData4);
VK_VOLUME_ENTRY(flipVolumeDataEntry);
VK_VOLUME_ENTRY(getVolumeImage);
VK_VOLUME_ENTRY(getVolumeCorrelation);
VK_VOLUME_ENTRY(gradVolumeData);
VK_VOLUME_ENTRY(rotVolumeData);
VK_VOLUME_ENTRY(rotVolumeDataOld);
VK_VOLUME_ENTRY(smoothVolumeData);
VK_VOLUME_ENTRY(subtractVolumeData);
VK_VOLUME_ENTRY(tensyaVolumeData);
VK_VOLUME_ENTRY(volumeLaplace);
VK_VOLUME_ENTRY(volumeLaplacian);
VK_VOLUME_ENTRY(volumeGrad);
VK_VOLUME_ENTRY(volumeULimitTo);
VK_VOLUME_ENTRY(volumeLLimitTo);
VK_VOLUME_ENTRY(volumeToPlane);
VK_VOLUME_ENTRY(volumeCorrelationEntry);
VK_VOLUME_ENTRY(volumePairedTtestEntry);
VK_VOLUME_ENTRY(vCortex);
VK_VOLUME_ENTRY(vCortexT);
VK_VOLUME_ENTRY(vCortexDis);
VK_VOLUME_ENTRY(vCortexDisT);
VK_VOLUME_ENTRY(vCortexDisRot);
VK_VOLUME_ENTRY(zHokanVolumeData);

#undef VK_VOLUME_ENTRY

}  // namespace pravella::builtins::volume
