#pragma once
// What the capture tools share.

namespace pravella::video {

// The line every capture tool writes to standard error when its source cannot be opened.
void reportCaptureFailure();

}  // namespace pravella::video
