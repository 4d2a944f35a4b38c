// The threshold-surface meshers on a ball in a 64-sample grid (64 slices of 64 by 64, values
// 28 - distance from a centre between the grid points, threshold 0): cube polygons
// ("volumeBoundary3") and surface samples ("volumeBoundary"), each with the vertex merge by
// hash map beside the linear search the meshers always had. The two merges are checked to give
// the same mesh before anything is timed.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "imaging/mesh/cube_boundary.h"
#include "imaging/mesh/sample_boundary.h"
#include "lang/values.h"

namespace {

using pravella::mesh::VertexList;

constexpr int kN = 64;
// The surface-sample mesher lists every sample of a cube it meshes, interior ones included, so
// a solid ball needs vertex room by volume: eight times the usual element capacity.
constexpr int kCapacity = 8000000;

const std::vector<double>& ball() {
  static const std::vector<double> g = [] {
    std::vector<double> v(static_cast<std::size_t>(kN) * kN * kN);
    const double cx = 31.3, cy = 31.6, cz = 31.2;
    for (int z = 0; z < kN; ++z)
      for (int y = 0; y < kN; ++y)
        for (int x = 0; x < kN; ++x)
          v[(static_cast<std::size_t>(z) * kN + y) * kN + x] =
              28 - std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
    return v;
  }();
  return g;
}

using Mesher = int (*)(const double*, int, int, double, VertexList&, std::vector<std::array<int, 3>>&);

// Both merges must give the same vertices and triangles.
void checkSame(Mesher mesher, const char* name) {
  VertexList hash, linear(VertexList::Search::Linear);
  std::vector<std::array<int, 3>> a, b;
  if (!mesher(ball().data(), kN * kN, kN, 0.0, hash, a) ||
      !mesher(ball().data(), kN * kN, kN, 0.0, linear, b)) {
    std::fprintf(stderr, "%s failed\n", name);
    std::exit(1);
  }
  bool same = a == b && hash.points().size() == linear.points().size();
  for (std::size_t i = 0; same && i < hash.points().size(); ++i) {
    const auto &p = hash.points()[i], &q = linear.points()[i];
    same = p.x == q.x && p.y == q.y && p.z == q.z;
  }
  if (!same) {
    std::fprintf(stderr, "%s: the hash merge and the linear merge differ\n", name);
    std::exit(1);
  }
}

template <Mesher M>
void run(benchmark::State& state, VertexList::Search search) {
  TNumber = kCapacity;
  static const bool checked = [] {
    checkSame(pravella::mesh::volumeBoundary_Sub3, "volumeBoundary3");
    checkSame(pravella::mesh::volumeBoundary_Sub, "volumeBoundary");
    return true;
  }();
  benchmark::DoNotOptimize(checked);
  for (auto _ : state) {
    VertexList vertices(search);
    std::vector<std::array<int, 3>> triangles;
    M(ball().data(), kN * kN, kN, 0.0, vertices, triangles);
    benchmark::DoNotOptimize(triangles.data());
    state.counters["vertices"] = static_cast<double>(vertices.points().size());
    state.counters["triangles"] = static_cast<double>(triangles.size());
  }
}

void BM_VolumeBoundary3Hash(benchmark::State& s) {
  run<pravella::mesh::volumeBoundary_Sub3>(s, VertexList::Search::Hash);
}
void BM_VolumeBoundary3Linear(benchmark::State& s) {
  run<pravella::mesh::volumeBoundary_Sub3>(s, VertexList::Search::Linear);
}
void BM_VolumeBoundaryHash(benchmark::State& s) {
  run<pravella::mesh::volumeBoundary_Sub>(s, VertexList::Search::Hash);
}
void BM_VolumeBoundaryLinear(benchmark::State& s) {
  run<pravella::mesh::volumeBoundary_Sub>(s, VertexList::Search::Linear);
}
BENCHMARK(BM_VolumeBoundary3Hash)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VolumeBoundary3Linear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VolumeBoundaryHash)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VolumeBoundaryLinear)->Unit(benchmark::kMillisecond);

}  // namespace
