#include "imaging/volume_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void DoCalcRotateData(const double* M, double a, double b, double c, double out[3]) {
  const double v[3] = {a, b, -c};
  for (int k = 0; k < 3; ++k) out[k] = v[0] * M[k] + v[1] * M[3 + k] + v[2] * M[6 + k] + 1e-5;
}

int DoGet3DLine(int x0, int y0, int z0, int x1, int y1, int z1, VolumeSurfacePoint* points, int limit) {
  const int d[3] = {x1 - x0, y1 - y0, z1 - z0};
  const int m[3] = {std::abs(d[0]), std::abs(d[1]), std::abs(d[2])};
  // The dominant axis, then the two others in axis order.
  int axis = 2;
  if (m[0] >= m[2] && m[0] >= m[1])
    axis = 0;
  else if (m[1] >= m[2])
    axis = 1;
  const int other1 = axis == 0 ? 1 : 0, other2 = axis == 2 ? 1 : 2;
  const int D = m[axis], A = m[other1], B = m[other2];
  const int start[3] = {x0, y0, z0};
  auto sign = [](int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
  int e1 = -D / 2, e2 = -D / 2, a = 0, b = 0, count = 0;
  for (int i = 0; i <= D && count < limit; ++i) {
    int p[3];
    p[axis] = start[axis] + i * sign(d[axis]);
    p[other1] = start[other1] + a * sign(d[other1]);
    p[other2] = start[other2] + b * sign(d[other2]);
    points[count++] = {static_cast<std::int16_t>(p[0]), static_cast<std::int16_t>(p[1]),
                       static_cast<std::int16_t>(p[2])};
    e1 += A;
    if (e1 > 0) {
      e1 -= D;
      ++a;
    }
    e2 += B;
    if (e2 > 0) {
      e2 -= D;
      ++b;
    }
  }
  return count;
}

int DoKouten(const double plane[4], const double P[3], const double Q[3], double out[3]) {
  const double e = plane[0] * (Q[0] - P[0]) + plane[1] * (Q[1] - P[1]) + plane[2] * (Q[2] - P[2]);
  if (std::fabs(e) < 1e-10) return 0;
  const double t = -(plane[0] * P[0] + plane[1] * P[1] + plane[2] * P[2] + plane[3]) / e;
  for (int k = 0; k < 3; ++k) out[k] = P[k] + t * (Q[k] - P[k]);
  return 1;
}

int DoVolumeKouten(const double box[6], const double P[3], const double Q[3], double entry[3],
                   double exit[3]) {
  double lo[3], hi[3];
  for (int k = 0; k < 3; ++k) {
    lo[k] = std::min(box[2 * k], box[2 * k + 1]);
    hi[k] = std::max(box[2 * k], box[2 * k + 1]);
  }
  double found[6][3];
  int count = 0;
  for (int face = 0; face < 6; ++face) {
    const int k = face / 2;
    double plane[4] = {0, 0, 0, -(face % 2 ? hi[k] : lo[k])};
    plane[k] = 1;
    double at[3];
    if (!DoKouten(plane, P, Q, at)) continue;
    bool inside = true;
    for (int j = 0; j < 3; ++j) inside = inside && at[j] >= lo[j] - 1e-8 && at[j] <= hi[j] + 1e-8;
    if (inside) {
      for (int j = 0; j < 3; ++j) found[count][j] = at[j];
      ++count;
    }
  }
  if (count != 2) return 0;
  auto dist2 = [&](const double* a) {
    return (a[0] - P[0]) * (a[0] - P[0]) + (a[1] - P[1]) * (a[1] - P[1]) + (a[2] - P[2]) * (a[2] - P[2]);
  };
  const int first = dist2(found[1]) < dist2(found[0]) ? 1 : 0;
  for (int j = 0; j < 3; ++j) {
    entry[j] = found[first][j];
    exit[j] = found[1 - first][j];
  }
  return 1;
}

double DoCalcPlaneAngle(const VolumeSurfacePoint* points, const double* M, double mag, double zmag, int rows,
                        int columns, int slices, int i, int j) {
  auto turned = [&](const VolumeSurfacePoint& p, double out[3]) {
    const double v[3] = {static_cast<double>(p.x - columns / 2), static_cast<double>(p.y - rows / 2),
                         static_cast<double>(p.z - slices / 2) * zmag};
    for (int k = 0; k < 3; ++k) out[k] = v[0] * M[k] + v[1] * M[3 + k] + v[2] * M[6 + k];
  };
  double a[3], b[3];
  turned(points[i], a);
  turned(points[j], b);
  const double dX = (a[0] - b[0]) * mag, dY = (a[1] - b[1]) * mag, dZ = (a[2] - b[2]) * mag;
  return std::fabs(std::atan2(dZ, std::sqrt(dX * dX + dY * dY)));
}
