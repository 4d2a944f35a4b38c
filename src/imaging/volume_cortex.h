#pragma once
// Cortex maps: rays from a centre (row, column, slice) walked inward from a start radius over a
// latitude-longitude grid (whole degrees). The grid has one row per latitude from `top` down
// to `bottom` and (360 + lonStep) / lonStep columns. Each returns 1 with the grid and its
// sizes, or 0 after reporting.

struct CortexParams {
  double threshold = 0;
  int samples = 0;      // n
  int startRadius = 0;  // r0
  double cy = 0, cx = 0, cz = 0;
  int lonStep = 1, top = 80, bottom = -80, latStep = 1;
  double zScale = 1;
};

// The grid's rows and columns, and false ("Elemnts are too small") when the steps or the range
// are not positive or the grid would pass TNumber elements.
bool vkCortexGridSize(const CortexParams& p, int* rows, int* columns);

// Mode 0: the mean of n values from the surface inward; 1: the radius of the surface.
int DoVolumeCortexMapping(const CortexParams& p, double* out, int* rows, int* columns, int mode);
// The same with the polar axis along the columns.
int DoVolumeCortexMapping1(const CortexParams& p, double* out, int* rows, int* columns, int mode);
// The same with the rays turned by Rz(c) Ry(b) Rx(a), angles in radians.
int DoVolumeCortexMapping_rot(const CortexParams& p, double* out, int* rows, int* columns, int mode,
                              const double angles[3]);
// The mean of n values under the radius map `radii` (at least the grid's element count).
int DoVolumeCortexMappingDis(const CortexParams& p, double* out, int* rows, int* columns,
                             const double* radii);
int DoVolumeCortexMappingDis1(const CortexParams& p, double* out, int* rows, int* columns,
                              const double* radii);
