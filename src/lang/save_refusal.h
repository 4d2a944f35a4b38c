#pragma once
// A save the system refused tells the run why: the reason (such as "Cannot save "x": File too
// large") goes into the result text before the caller's own message, since "Can't open the
// save file." alone would not say that the disk is full or the file too large.

#include "platform/atomic_file.h"

namespace pravella {

// Reports the reason of a failed write with error_disp; true when the write succeeded.
bool reportedSave(const WriteResult& written);

}  // namespace pravella
