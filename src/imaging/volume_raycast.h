#pragma once
// Ray casting of the current volume: for each pixel of a picture plane the ray from the eye is
// clipped against the volume's box and walked voxel by voxel (at most 1,000 voxels).
// `view` is (ex, ey, ez, sd, w, h): the eye, the picture plane's distance and the image size;
// the image is w x h reals, row after row. Each returns 1, or 0 when the volume is empty or a
// size is not usable (no message), or after "memory allocation" or the break message when
// memory runs out or the held button stops it.

// Shaded first hits: slope of the smoothed hit distances and depth.
int DoGetScreenVolume_Ray(const double* view, double* image, const double* R);
// Mode 0: the mean of the first n positive voxels from the surface inward; mode 1: their sum.
int DoGetScreenVolume_Surface(const double* view, double* image, const double* R, int n, int mode);

// The image size of a view vector, checked: 1 <= w, h and w x h <= TNumber.
bool vkRayImageSize(const double* view, int* w, int* h);
