#pragma once
// Software renderings of the current volume into a w x h image of reals (row after row): the
// surface voxels projected in perspective through a rotation R (row-major 3 x 3), a
// magnification mag (each point covers trunc(mag) x trunc(mag) pixels) and a slice stretch
// zmag. Each returns 1, or 0 after reporting through error_disp; the volume is never changed.

#include <cstdint>
#include <vector>

#include "imaging/volume_data.h"
#include "imaging/volume_geometry.h"

// Depth of a pixel that no point reached.
inline constexpr double kNoDepth = 10000.0;
inline constexpr double kHalfPi = 1.570796326794897;

// Mode 0: depth and neighbour-slope shading; mode 1: depth and window-slope shading.
int DoVolumeRendering_all(double* image, int w, int h, const double* R, double mag, double zmag, int mode);
// Mode 0: window-slope shading; 1: voxel value of the visible surface; 2: distance relief.
int DoRendering(double* image, int w, int h, const double* R, double mag, double zmag, int mode);
// The sum of 1 / distance of every surface point over each pixel.
int DoRendering_Trans(double* image, int w, int h, const double* R, double mag, double zmag);
// The mean of the positive voxels projected onto each pixel.
int DoRendering_Xray(double* image, int w, int h, const double* R, double mag, double zmag);
// The same of the volume's gradient magnitude.
int DoRendering_XrayGrad(double* image, int w, int h, const double* R, double mag, double zmag);

namespace pravella::imaging {

// The surface voxels of a volume in scanning order: non-zero voxels on its border, and interior
// non-zero voxels with between 1 and 25 positive neighbours. At most a third of the voxels;
// false after "too many voxels" or "memory allocation".
bool surfacePoints(const VolumeSlot& v, std::vector<VolumeSurfacePoint>& points);

// The perspective projection of the renderers: the eye 4 x rows behind the centre, the picture
// plane 2 x rows in front of it.
struct Projection {
  const double* R;
  double mag, zmag;
  int w, h, rows, columns, slices;

  // Calls cover(pixel, dist) for each pixel that voxel (x, y, z) covers at sub-step k.
  template <typename Cover>
  void project(int x, int y, int z, int k, Cover&& cover) const;
  int subSteps() const { return static_cast<int>(zmag); }
};

}  // namespace pravella::imaging

#include "imaging/volume_projection_inl.h"
