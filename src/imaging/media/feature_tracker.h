#pragma once
// The media module's feature tracker: pyramidal Lucas-Kanade optical flow over the frames of
// a reader of this module.

#include <memory>

#include "imaging/media_module.h"

namespace pravella::media {

inline constexpr int kMaxTrackedPoints = 500;

std::unique_ptr<FeatureTracker> newFeatureTracker();

}  // namespace pravella::media
