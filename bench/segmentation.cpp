// The 3-D threshold segmentation (majority filter and region growing) of a 256³ volume that
// holds a ball of radius 100 around its centre, seeded at the centre, on one thread.
// Target: under 0.5 s.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "imaging/med_image_files.h"
#include "imaging/region_growing.h"

namespace {

constexpr int N = 256;

void prepare() {
  dataWidth = dataHeight = dataSlice = N;
  imageSGData.assign(static_cast<std::size_t>(N) * N * N, 0);
  imageSGBUData.assign(imageSGData.size(), 0);
  for (int z = 0; z < N; ++z)
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        const int dx = x - N / 2, dy = y - N / 2, dz = z - N / 2;
        if (dx * dx + dy * dy + dz * dz <= 100 * 100)
          imageSGData[(static_cast<std::size_t>(z) * N + y) * N + x] = 500;
      }
  setPointX = setPointY = setPointZ = N / 2;
}

void BM_Segmentation3D(benchmark::State& state) {
  prepare();
  long long count = 0;
  for (auto _ : state) {
    count = segmentation3DImage(400, 600);
    benchmark::DoNotOptimize(count);
  }
  state.counters["voxels"] = static_cast<double>(count);
}
BENCHMARK(BM_Segmentation3D)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
