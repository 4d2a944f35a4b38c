#include "imaging/volume_render.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "imaging/parallel_work.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/progress_bar.h"

namespace pravella::imaging {

namespace {

// Positive voxels among the 26 neighbours of an interior voxel.
int positiveNeighbours(const VolumeSlot& v, int x, int y, int z) {
  int n = 0;
  for (int dz = -1; dz <= 1; ++dz)
    for (int dy = -1; dy <= 1; ++dy) {
      const std::int16_t* row =
          v.voxels.data() + v.index(static_cast<std::size_t>(x - 1), static_cast<std::size_t>(y + dy),
                                    static_cast<std::size_t>(z + dz));
      for (int dx = 0; dx < 3; ++dx)
        if ((dz || dy || dx != 1) && row[dx] > 0) ++n;
    }
  return n;
}

}  // namespace

bool surfacePoints(const VolumeSlot& v, std::vector<VolumeSurfacePoint>& points) {
  points.clear();
  const long long capacity = (static_cast<long long>(v.rows) * v.columns * v.slices) / 3;
  const int S = v.slices, R = v.rows, C = v.columns;
  setProcessIndicator(0, S);
  std::vector<std::vector<VolumeSurfacePoint>> perSlice;
  std::vector<char> overflow;
  try {
    perSlice.resize(static_cast<std::size_t>(S));
    overflow.assign(static_cast<std::size_t>(S), 0);
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return false;
  }
  const int workers = workerCount(S, static_cast<long long>(R) * C);
  VkWorkBreak stop;
  forEachItem(
      S, workers,
      [&](int, int z) {
        auto& list = perSlice[static_cast<std::size_t>(z)];
        try {
          for (int y = 0; y < R; ++y) {
            if (stop.stop()) return;
            const std::int16_t* row =
                v.voxels.data() + v.index(0, static_cast<std::size_t>(y), static_cast<std::size_t>(z));
            for (int x = 0; x < C; ++x) {
              if (row[x] == 0) continue;
              const bool border = x == 0 || y == 0 || z == 0 || x == C - 1 || y == R - 1 || z == S - 1;
              if (!border) {
                const int n = positiveNeighbours(v, x, y, z);
                if (n < 1 || n > 25) continue;
              }
              // No slice may hold more than the whole list may.
              if (static_cast<long long>(list.size()) >= capacity) {
                overflow[static_cast<std::size_t>(z)] = 1;
                return;
              }
              list.push_back(
                  {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::int16_t>(z)});
            }
          }
        } catch (const std::bad_alloc&) {
          overflow[static_cast<std::size_t>(z)] = 2;
        }
      },
      [](int done) { setProcessIndicatorValue(done); });
  if (stop.broken()) return reportWorkBroken() != 0;
  long long total = 0;
  for (int z = 0; z < S; ++z) {
    if (overflow[static_cast<std::size_t>(z)] == 2) {
      error_disp("memory allocation");
      return false;
    }
    total += overflow[static_cast<std::size_t>(z)]
                 ? capacity + 1
                 : static_cast<long long>(perSlice[static_cast<std::size_t>(z)].size());
  }
  if (total > capacity) {
    error_disp("too many voxels");
    return false;
  }
  try {
    points.reserve(static_cast<std::size_t>(total));
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return false;
  }
  for (auto& list : perSlice) points.insert(points.end(), list.begin(), list.end());
  return true;
}

}  // namespace pravella::imaging

namespace {

using pravella::imaging::Projection;

// The nearest point of each pixel: its distance, its number in the list (-1: none) and its
// voxel value.
struct DepthImage {
  std::vector<double> depth;
  std::vector<int> point;
  std::vector<double> value;
};

bool sizeFits(int w, int h) {
  if (static_cast<long long>(w) * h > TNumber) {
    error_disp("too many elements.");
    return false;
  }
  return true;
}

// Projects the surface points; threads take ranges of points, each into a depth image of its
// own, and the merge keeps the smaller (distance, point number), which is what one thread
// visiting the points in order keeps.
bool projectNearest(const VolumeSlot& v, const std::vector<VolumeSurfacePoint>& points, const Projection& p,
                    DepthImage& out, bool reportPoints) {
  const auto n = static_cast<std::size_t>(p.w) * static_cast<std::size_t>(p.h);
  const int count = static_cast<int>(points.size());
  constexpr int kChunk = 4096;
  const int chunks = (count + kChunk - 1) / kChunk;
  const int workers = pravella::imaging::workerCount(chunks, static_cast<long long>(kChunk) * p.subSteps());
  std::vector<DepthImage> images;
  try {
    images.resize(static_cast<std::size_t>(workers));
    for (DepthImage& d : images) {
      d.depth.assign(n, kNoDepth);
      d.point.assign(n, -1);
      d.value.assign(n, 0.0);
    }
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return false;
  }
  if (reportPoints) setProcessIndicator(0, count);
  // A point covers mag² pixels zmag times over, sizes the program gives: the break is tested
  // at every point.
  VkWorkBreak stop;
  pravella::imaging::forEachItem(
      chunks, workers,
      [&](int worker, int chunk) {
        DepthImage& d = images[static_cast<std::size_t>(worker)];
        const int end = std::min(count, (chunk + 1) * kChunk);
        for (int i = chunk * kChunk; i < end; ++i) {
          if (stop.stop()) return;
          const VolumeSurfacePoint& q = points[static_cast<std::size_t>(i)];
          const double value = v.voxels[v.index(static_cast<std::size_t>(q.x), static_cast<std::size_t>(q.y),
                                                static_cast<std::size_t>(q.z))];
          for (int k = 0; k < p.subSteps(); ++k)
            p.project(q.x, q.y, q.z, k, [&](long long pixel, double dist) {
              const auto at = static_cast<std::size_t>(pixel);
              if (dist < d.depth[at]) {
                d.depth[at] = dist;
                d.point[at] = i;
                d.value[at] = value;
              }
            });
        }
      },
      [&](int done) {
        if (reportPoints) setProcessIndicatorValue(std::min(count, done * kChunk));
      });
  if (stop.broken()) return pravella::imaging::reportWorkBroken() != 0;
  out = std::move(images[0]);
  for (std::size_t t = 1; t < images.size(); ++t) {
    const DepthImage& d = images[t];
    for (std::size_t i = 0; i < n; ++i) {
      if (d.point[i] < 0) continue;
      if (out.point[i] < 0 || d.depth[i] < out.depth[i] ||
          (d.depth[i] == out.depth[i] && d.point[i] < out.point[i])) {
        out.depth[i] = d.depth[i];
        out.point[i] = d.point[i];
        out.value[i] = d.value[i];
      }
    }
  }
  return true;
}

// The depth term of the combined shadings: the nearest points largest, scaled to 0..pi/2.
std::vector<double> depthTerm(const DepthImage& d) {
  double maxd = -1;
  for (double x : d.depth)
    if (x < kNoDepth) maxd = std::max(maxd, x);
  std::vector<double> D(d.depth.size(), 0.0);
  double top = 0;
  for (std::size_t i = 0; i < D.size(); ++i) {
    D[i] = std::max(0.0, maxd - d.depth[i]);
    top = std::max(top, D[i]);
  }
  // All visible points at one distance leave nothing to scale: the term is 0 then.
  for (double& x : D) x = top > 0 ? x / top * kHalfPi : 0.0;
  return D;
}

struct Shading {
  const VolumeSlot& v;
  const std::vector<VolumeSurfacePoint>& points;
  const DepthImage& d;
  const double* R;
  double mag, zmag;
  int w, h;

  double angle(int a, int b) const {
    return DoCalcPlaneAngle(points.data(), R, mag, zmag, v.rows, v.columns, v.slices, a, b);
  }
  // Mean slope over the window of radius r without its diagonal; false when no neighbour has
  // a point.
  bool windowSlope(int u, int vv, int r, double& m) const {
    const int self = d.point[static_cast<std::size_t>(vv) * w + u];
    double sum = 0;
    int n = 0;
    for (int dy = -r; dy <= r; ++dy)
      for (int dx = -r; dx <= r; ++dx) {
        if (dx == dy) continue;
        const int other = d.point[static_cast<std::size_t>(vv + dy) * w + (u + dx)];
        if (other < 0) continue;
        sum += angle(self, other);
        ++n;
      }
    if (n == 0) return false;
    m = sum / n;
    return true;
  }
};

void windowShading(const Shading& s, const std::vector<double>* D, double* image) {
  const int r = static_cast<int>(s.mag / 2);
  for (int vv = 0; vv < s.h; ++vv)
    for (int u = 0; u < s.w; ++u) {
      const std::size_t at = static_cast<std::size_t>(vv) * s.w + u;
      double m = 0;
      const bool inner = vv >= r && vv < s.h - r && u >= r && u < s.w - r;
      if (s.d.point[at] < 0 || !inner || !s.windowSlope(u, vv, r, m)) {
        image[at] = kHalfPi;
        continue;
      }
      image[at] = D ? (kHalfPi - m + (*D)[at]) / 2 : kHalfPi - m;
    }
}

void neighbourShading(const Shading& s, const std::vector<double>& D, double* image) {
  for (int vv = 0; vv < s.h; ++vv)
    for (int u = 0; u < s.w; ++u) {
      const std::size_t at = static_cast<std::size_t>(vv) * s.w + u;
      image[at] = kHalfPi;
      const int self = s.d.point[at];
      if (self < 0 || vv < 1 || vv >= s.h - 1 || u < 1 || u >= s.w - 1) continue;
      const struct {
        std::size_t at;
        double weight;
      } around[3] = {{at + 1, 1}, {at - 1, 1}, {at + static_cast<std::size_t>(s.w), 2}};
      double sum = 0, weight = 0;
      for (const auto& n : around) {
        const int other = s.d.point[n.at];
        if (other < 0) continue;
        sum += n.weight * s.angle(self, other);
        weight += n.weight;
      }
      if (weight > 0) image[at] = (kHalfPi - sum / weight + D[at]) / 2;
    }
}

int render(double* image, int w, int h, const double* R, double mag, double zmag, int operation) {
  if (!sizeFits(w, h)) return 0;
  const VolumeSlot& v = *vData;
  std::vector<VolumeSurfacePoint> points;
  if (!pravella::imaging::surfacePoints(v, points)) {
    setProcessIndicatorValue(0);
    return 0;
  }
  const Projection p{R, mag, zmag, w, h, v.rows, v.columns, v.slices};
  DepthImage d;
  // operation: 0..2 the modes of DoRendering, 10 and 11 those of DoVolumeRendering_all.
  if (!projectNearest(v, points, p, d, operation < 10)) {
    setProcessIndicatorValue(0);
    return 0;
  }
  const Shading s{v, points, d, R, mag, zmag, w, h};
  const std::size_t n = d.depth.size();
  switch (operation) {
    case 1:
      std::copy(d.value.begin(), d.value.end(), image);
      break;
    case 2: {
      double maxd = 0;
      for (double x : d.depth)
        if (x != kNoDepth) maxd = std::max(maxd, x);
      for (std::size_t i = 0; i < n; ++i) image[i] = std::max(0.0, maxd - d.depth[i]);
      break;
    }
    case 0:
      windowShading(s, nullptr, image);
      break;
    case 10:
      neighbourShading(s, depthTerm(d), image);
      break;
    default: {
      const std::vector<double> D = depthTerm(d);
      windowShading(s, &D, image);
    }
  }
  setProcessIndicatorValue(0);
  return 1;
}

int renderGuarded(double* image, int w, int h, const double* R, double mag, double zmag, int operation) {
  try {
    return render(image, w, h, R, mag, zmag, operation);
  } catch (const std::bad_alloc&) {
    setProcessIndicatorValue(0);
    error_disp("memory allocation");
    return 0;
  }
}

}  // namespace

int DoVolumeRendering_all(double* image, int w, int h, const double* R, double mag, double zmag, int mode) {
  return renderGuarded(image, w, h, R, mag, zmag, mode == 1 ? 11 : 10);
}

int DoRendering(double* image, int w, int h, const double* R, double mag, double zmag, int mode) {
  return renderGuarded(image, w, h, R, mag, zmag, mode);
}
