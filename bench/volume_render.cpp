// The volume renderers on a 256³ ball of radius 100 with noise: the X-ray projection and the
// shaded surface rendering into 512 x 512 at mag 1, and the ray caster at 256 x 256. Each runs
// on one thread (threads:1) and on every core (threads:0) in the same run, so the speed-up
// reads off the two lines.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_raycast.h"
#include "imaging/volume_render.h"
#include "lang/builtins/startup.h"

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

void ensureBall() {
  static bool made = false;
  if (made) return;
  vkStartUp();
  DoCreateVolumeData(256, 256, 256);
  std::mt19937 random(1);
  std::uniform_int_distribution<int> noise(-50, 50);
  for (int z = 0; z < 256; ++z)
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const double r =
            std::sqrt((x - 128.0) * (x - 128.0) + (y - 128.0) * (y - 128.0) + (z - 128.0) * (z - 128.0));
        vData->voxels[vData->index(x, y, z)] = static_cast<std::int16_t>(r < 100 ? 1000 + noise(random) : 0);
      }
  made = true;
}

void threads(benchmark::State& state) {
  ensureBall();
  pravella::imaging::setWorkerCountForTests(static_cast<int>(state.range(0)));
}

void BM_Xray(benchmark::State& state) {
  threads(state);
  std::vector<double> image(512 * 512);
  for (auto _ : state) benchmark::DoNotOptimize(DoRendering_Xray(image.data(), 512, 512, kIdentity, 1, 1));
}

void BM_Rendering(benchmark::State& state) {
  threads(state);
  std::vector<double> image(512 * 512);
  for (auto _ : state)
    benchmark::DoNotOptimize(DoVolumeRendering_all(image.data(), 512, 512, kIdentity, 1, 1, 0));
}

void BM_RayTracing(benchmark::State& state) {
  threads(state);
  std::vector<double> image(256 * 256);
  const double view[6] = {0, 0, 400, 0, 256, 256};
  for (auto _ : state) benchmark::DoNotOptimize(DoGetScreenVolume_Ray(view, image.data(), kIdentity));
}

}  // namespace

BENCHMARK(BM_Xray)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rendering)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RayTracing)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
