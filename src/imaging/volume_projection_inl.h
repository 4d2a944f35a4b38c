#pragma once
// The body of Projection::project, kept out of volume_render.h so that it reads as an interface.

#include <cmath>

namespace pravella::imaging {

template <typename Cover>
void Projection::project(int x, int y, int z, int k, Cover&& cover) const {
  const double px = (x - columns / 2) * mag, py = (y - rows / 2) * mag;
  const double pz = (z - slices / 2) * mag * zmag + k * mag;
  const double qx = px * R[0] + py * R[3] + pz * R[6];
  const double qy = px * R[1] + py * R[4] + pz * R[7];
  const double qz = px * R[2] + py * R[5] + pz * R[8] + 4.0 * rows;  // relative to the eye
  const double dist = std::sqrt(qx * qx + qy * qy + qz * qz);
  if (!(dist > 0)) return;
  const double uz = qz / dist;
  if (!(std::fabs(uz) > 1e-6)) return;
  const double t = 2.0 * rows / uz;
  const double sx = qx / dist * t + w / 2, sy = qy / dist * t + h / 2;
  const int block = static_cast<int>(mag);
  for (int a = 0; a < block; ++a) {
    const double fy = sy + a;
    if (!(fy >= 0 && fy < h)) continue;
    const auto row = static_cast<long long>(fy) * w;
    for (int b = 0; b < block; ++b) {
      const double fx = sx + b;
      if (fx >= 0 && fx < w) cover(row + static_cast<long long>(fx), dist);
    }
  }
}

}  // namespace pravella::imaging
