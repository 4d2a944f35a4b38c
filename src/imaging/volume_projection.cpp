#include "imaging/volume_projection.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/progress_bar.h"

int DoShowVolumeData(double* out, const double* rotation, int w, int h, double zScale, int mode) {
  const long long plane = static_cast<long long>(w) * h;
  if (w < 1 || h < 1 || 2 * plane > TNumber) {
    error_disp("too many elements.");
    return 0;
  }
  const auto n = static_cast<std::size_t>(plane);
  double* image = out;
  double* depth = out + n;
  std::fill_n(image, n, 0.0);
  std::fill_n(depth, n, kEmptyDepth);

  const VolumeSlot& v = *vData;
  const double* R = rotation;
  const double cx = v.columns / 2.0, cy = v.rows / 2.0, cz = v.slices / 2.0;
  setProcessIndicator(0, v.slices);
  if (!v.empty()) {
    for (int z = 0; z < v.slices; ++z) {
      // Every voxel is turned: a large volume takes many seconds.
      if (vkBreakHeld()) return pravella::imaging::reportWorkBroken();
      setProcessIndicatorValue(z);
      const double pz = (z - cz) * zScale;
      for (int y = 0; y < v.rows; ++y) {
        const double py = y - cy;
        const std::int16_t* row =
            v.voxels.data() + v.index(0, static_cast<std::size_t>(y), static_cast<std::size_t>(z));
        for (int x = 0; x < v.columns; ++x) {
          if (row[x] == 0) continue;
          const double px = x - cx;
          const double X = px * R[0] + py * R[3] + pz * R[6];
          const double Y = px * R[1] + py * R[4] + pz * R[7];
          const double Z = px * R[2] + py * R[5] + pz * R[8] - 1000.0;
          const double u = X + w / 2.0, vv = Y + h / 2.0;
          if (!(u >= 0 && u < w && vv >= 0 && vv < h)) continue;
          const std::size_t at =
              static_cast<std::size_t>(vv) * static_cast<std::size_t>(w) + static_cast<std::size_t>(u);
          const double d = X * X + Y * Y + Z * Z;
          if (d < depth[at]) {
            depth[at] = d;
            image[at] = row[x];
          }
        }
      }
    }
  }
  if (mode == 0) std::copy_n(depth, n, image);
  setProcessIndicatorValue(0);
  return 1;
}
