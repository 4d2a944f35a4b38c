#pragma once
// Neighbourhood filters of the current volume (mean, Laplace, Laplacian, the difference filter
// and the gradient magnitude), value limits, the difference of two slots and the shell of an
// object. Filters rewrite the voxels slice by slice over threads, keeping the original slices
// they still read, so no second array of the volume's size is needed; each returns 1, or 0 after
// reporting with the volume unchanged.

int DoSmoothVolumeData();
int DoLaplaceVolumeData();
int DoLaplacianVolumeData();
int DoDiffVolumeData();
int DoVolume_Grad();
int DoVolumeULimitTo(double limit, double value);
int DoVolumeLLimitTo(double limit, double value);
// out = a - b voxel by voxel (wrapped to 16 bits), with a's sizes; slots numbered 1 to 3.
int SubtractVolumeData(int a, int b, int out);
// dst = src with every interior voxel whose six face neighbours are non-zero set to 0.
int DoV2P(int source, int destination);
