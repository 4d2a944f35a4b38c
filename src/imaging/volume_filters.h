#pragma once
// Neighbourhood filters of the current volume (mean, Laplace, Laplacian, the difference filter
// and the gradient magnitude), value limits, the difference of two slots and the shell of an
// object. Each builds its result beside the volumes it reads (see volume_work.h), so the held
// button stops it between slices; each returns 1, or 0 after reporting (the break too) with
// every volume unchanged. The limits work in place in one pass with no break test: they need
// no second array, and a pass over the largest volume takes about a second.

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
