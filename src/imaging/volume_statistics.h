#pragma once
// Statistics between volumes and oblique sections: the local correlation and local paired t of
// two slots written into a third, a section of the current volume through a 4 x 4 matrix, the
// correlation of a slot with a transformed second slot, and the surface orientation of a depth
// image. Each returns 1, or 0 after reporting.

// Window (2r + 1)³ around each voxel; out gets trunc(10,000 x correlation) or the t statistic.
int volumeCorrelation(int a, int b, int out, int r);
int volumePairedTtest(int a, int b, int out, int r);
// The n x m section at height z through M (row-major 4 x 4, already inverted) into `image`.
int DoGetVolumeImage(int n, int m, double* image, const double* M, double z);
// The correlation of slot a with slot b sampled through M on the heights z0, z0 + step, ...
int DoGetVolumeImage_correlation(int a, int b, const double* M, double z0, double z1, double* result,
                                 double step);
// 1 where the depth image's surface faces the viewer, down to 0 where it is seen edge-on. The
// held button stops it between rows with the break message.
int DoAngleVolumeData(const double* depth, double* out, int columns, int rows, double step);
