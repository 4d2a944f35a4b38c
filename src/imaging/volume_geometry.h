#pragma once
// Geometry shared by the volume renderers and ray casters: a point turned through a view
// matrix, an integer line through the voxel grid, a line clipped against a box or cut by a
// plane, and the slope between two surface points. No state and no messages.

#include <cstdint>

// One voxel position: column, row, slice.
struct VolumeSurfacePoint {
  std::int16_t x = 0, y = 0, z = 0;
};

// The longest voxel line of one ray.
inline constexpr int kVoxelLineLimit = 1000;

// [a b -c] M + (1e-5, 1e-5, 1e-5), with M a row-major 3 x 3 matrix. The small offset keeps a
// ray off the exact planes of the voxel grid.
void DoCalcRotateData(const double* M, double a, double b, double c, double out[3]);

// The integer line from start to end (both included) into `points`; at most `limit` points.
// Returns the number written.
int DoGet3DLine(int x0, int y0, int z0, int x1, int y1, int z1, VolumeSurfacePoint* points, int limit);

// The point where the line through P and Q meets the plane a x + b y + c z + d = 0; 0 when the
// line is parallel to it.
int DoKouten(const double plane[4], const double P[3], const double Q[3], double out[3]);

// The entry and exit of the line through P and Q in the box (x1, x2, y1, y2, z1, z2), the one
// nearer to P first; 1 only when the line crosses exactly two faces (an edge or a corner counts
// more).
int DoVolumeKouten(const double box[6], const double P[3], const double Q[3], double entry[3],
                   double exit[3]);

// The slope in radians (0 to pi/2) between points i and j of the list, seen through M with the
// magnifications, in a volume of the given sizes.
double DoCalcPlaneAngle(const VolumeSurfacePoint* points, const double* M, double mag, double zmag, int rows,
                        int columns, int slices, int i, int j);
