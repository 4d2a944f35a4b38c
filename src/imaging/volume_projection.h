#pragma once
// The orthographic view of the current volume that "showVolumeData" gives: every non-zero voxel
// rotated about the volume's centre and drawn where it lies nearest to an eye 1000 units in
// front of the centre.

// The depth plane's value where nothing was drawn: the square of 1,128.
inline constexpr double kEmptyDepth = 1272384.0;

// Writes two w x h planes of doubles to `out` (image, then squared distances). `rotation` is a
// row-major 3 x 3 matrix applied to row vectors; `zScale` stretches the slice axis. Mode 1
// keeps the voxel values in the first plane, mode 0 puts the squared distances there as well.
// Returns 1, or 0 after "too many elements." when 2 x w x h passes TNumber. Reports progress
// per slice on the shared progress indicator; the held button stops it between slices with the
// break message.
int DoShowVolumeData(double* out, const double* rotation, int w, int h, double zScale, int mode);
