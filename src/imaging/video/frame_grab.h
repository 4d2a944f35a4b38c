#pragma once
// One still frame of camera 0 as a picture.

#include "graphics/picture.h"

// 1 with the frame recorded into `picture`; 0 when the camera cannot be opened ("Could not
// initialize capturing...\n" on standard error), gives no frame, or the frame cannot be
// converted. The number is not used.
int fgrabber_cv(double unused, pravella::Picture& picture);
