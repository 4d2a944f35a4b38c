// The volume filters on a 256³ 16-bit volume (noise plus a ball): smoothVolumeData,
// volumeLaplace, volume_Grad, volumeCorrelation (r = 1) and rotVolumeData, each on every core
// beside a naive one-thread loop of the same formula (their results are compared once, at the
// first run). The mean and the gradient's plane sums are also timed against OpenCV: per-slice
// 3 x 3 unnormalised box sums, added over three slices. BM_Large times the mean, the Laplace
// filter and the gradient on a 512³ volume (256 MB) on every core: each builds its result in a
// new array beside the volume and frees the old one, so the time includes the first touch of
// 256 MB of fresh pages.

#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_filters.h"
#include "imaging/volume_resample.h"
#include "imaging/volume_statistics.h"
#include "lang/builtins/startup.h"

namespace {

constexpr int N = 256;
std::vector<std::int16_t> original;

void ensureVolume() {
  if (!original.empty()) return;
  vkStartUp();
  DoCreateVolumeData(N, N, N);
  std::mt19937 random(3);
  std::uniform_int_distribution<int> noise(0, 200);
  for (int z = 0; z < N; ++z)
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        const double r =
            std::sqrt((x - 128.0) * (x - 128.0) + (y - 128.0) * (y - 128.0) + (z - 128.0) * (z - 128.0));
        vData->voxels[vData->index(x, y, z)] =
            static_cast<std::int16_t>((r < 100 ? 1000 : 0) + noise(random));
      }
  original = vData->voxels;
  DoCopyVolumeData(1, 2);
}

std::int16_t get(const std::vector<std::int16_t>& v, int x, int y, int z) {
  return v[(static_cast<std::size_t>(z) * N + y) * N + x];
}

// Naive loops of the formulas, one thread, borders included.
std::vector<std::int16_t> naiveCube(int kind) {
  std::vector<std::int16_t> out(original.size());
  for (int z = 0; z < N; ++z)
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        long long sum = 0, n = 0;
        for (int dz = -1; dz <= 1; ++dz)
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
              const int xx = x + dx, yy = y + dy, zz = z + dz;
              if (xx < 0 || yy < 0 || zz < 0 || xx >= N || yy >= N || zz >= N) continue;
              if (kind == 1 && dx == dy && dy == dz) continue;
              sum += get(original, xx, yy, zz);
              ++n;
            }
        const long long c = get(original, x, y, z);
        const long long r = kind == 0 ? sum / n : (c * n - sum) / 10;
        out[(static_cast<std::size_t>(z) * N + y) * N + x] = vkVoxelFromDouble(static_cast<double>(r));
      }
  return out;
}

std::vector<std::int16_t> naiveGradient() {
  std::vector<std::int16_t> out(original.size(), 0);
  for (int z = 1; z < N - 1; ++z)
    for (int y = 1; y < N - 1; ++y)
      for (int x = 1; x < N - 1; ++x) {
        double g[3] = {0, 0, 0};
        for (int a = -1; a <= 1; ++a)
          for (int b = -1; b <= 1; ++b) {
            g[0] += get(original, x - 1, y + a, z + b) - get(original, x + 1, y + a, z + b);
            g[1] += get(original, x + a, y - 1, z + b) - get(original, x + a, y + 1, z + b);
            g[2] += get(original, x + a, y + b, z - 1) - get(original, x + a, y + b, z + 1);
          }
        out[(static_cast<std::size_t>(z) * N + y) * N + x] = static_cast<std::int16_t>(
            std::min(32767.0, std::trunc(std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]) / 3)));
      }
  return out;
}

std::vector<std::int16_t> naiveCorrelation() {
  std::vector<std::int16_t> out(original.size(), 0);
  const std::vector<std::int16_t>& b = vDataX[1].voxels;
  for (int z = 0; z < N; ++z)
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        long long n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        for (int k = std::max(0, z - 1); k <= std::min(N - 1, z + 1); ++k)
          for (int j = std::max(0, y - 1); j <= std::min(N - 1, y + 1); ++j)
            for (int i = std::max(0, x - 1); i <= std::min(N - 1, x + 1); ++i) {
              const long long va = get(original, i, j, k), vb = get(b, i, j, k);
              if (va && vb) {
                ++n;
                sa += va;
                sb += vb;
                saa += va * va;
                sbb += vb * vb;
                sab += va * vb;
              }
            }
        if (!n) continue;
        const double d =
            std::sqrt(static_cast<double>(n * saa - sa * sa) * static_cast<double>(n * sbb - sb * sb));
        out[(static_cast<std::size_t>(z) * N + y) * N + x] =
            d == 0 ? 0 : vkVoxelFromDouble(10000.0 * static_cast<double>(n * sab - sa * sb) / d);
      }
  return out;
}

const double kTurn[16] = {0.96, 0.28, 0, 0, -0.28, 0.96, 0, 0, 0, 0, 1, 0, 20, -15, 3, 1};

std::vector<std::int16_t> naiveRotation() {
  std::vector<std::int16_t> out(original.size(), 0);
  VolumeSlot source;
  source.rows = source.columns = source.slices = N;
  source.voxels = original;
  for (int z = 0; z < N; ++z)
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        const double* M = kTurn;
        const double w = x * M[3] + y * M[7] + z * M[11] + M[15];
        const double X = (x * M[0] + y * M[4] + z * M[8] + M[12]) / w;
        const double Y = (x * M[1] + y * M[5] + z * M[9] + M[13]) / w;
        const double Z = (x * M[2] + y * M[6] + z * M[10] + M[14]) / w;
        out[(static_cast<std::size_t>(z) * N + y) * N + x] = vkVoxelFromDouble(vkTrilinear(source, X, Y, Z));
      }
  return out;
}

enum Which { kMean, kLaplace, kGrad, kCorrelation, kRotation };

// Runs the filter on the current volume (the caller puts the original voxels there first).
void runOurs(Which w) {
  switch (w) {
    case kMean:
      DoSmoothVolumeData();
      break;
    case kLaplace:
      DoLaplaceVolumeData();
      break;
    case kGrad:
      DoVolume_Grad();
      break;
    case kCorrelation:
      volumeCorrelation(1, 2, 3, 1);
      break;
    case kRotation:
      DoRotVolumeData_new(kTurn);
      break;
  }
}

const std::vector<std::int16_t>& result(Which w) {
  return w == kCorrelation ? vDataX[2].voxels : vDataX[0].voxels;
}

std::vector<std::int16_t> runNaive(Which w) {
  switch (w) {
    case kMean:
      return naiveCube(0);
    case kLaplace:
      return naiveCube(1);
    case kGrad:
      return naiveGradient();
    case kCorrelation:
      return naiveCorrelation();
    case kRotation:
      return naiveRotation();
  }
  return {};
}

void BM_Ours(benchmark::State& state) {
  ensureVolume();
  const auto w = static_cast<Which>(state.range(0));
  pravella::imaging::setWorkerCountForTests(static_cast<int>(state.range(1)));
  static bool checked[5] = {};
  if (!checked[w]) {
    checked[w] = true;
    vDataX[0].voxels = original;
    runOurs(w);
    if (result(w) != runNaive(w)) state.SkipWithError("differs from the naive loop");
  }
  for (auto _ : state) {
    state.PauseTiming();
    vDataX[0].voxels = original;
    state.ResumeTiming();
    runOurs(w);
    benchmark::DoNotOptimize(result(w).data());
  }
}

void BM_Naive(benchmark::State& state) {
  ensureVolume();
  const auto w = static_cast<Which>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(runNaive(w).data());
}

// The OpenCV reference of the 3 x 3 x 3 sums: a box filter per slice, three slices added.
void BM_OpenCvCubeSums(benchmark::State& state) {
  ensureVolume();
  std::vector<cv::Mat> boxes(N);
  cv::Mat sum(N, N, CV_32F);
  for (auto _ : state) {
    for (int z = 0; z < N; ++z) {
      const cv::Mat slice(N, N, CV_16S, original.data() + static_cast<std::size_t>(z) * N * N);
      cv::boxFilter(slice, boxes[z], CV_32F, cv::Size(3, 3), cv::Point(-1, -1), false, cv::BORDER_CONSTANT);
    }
    for (int z = 1; z < N - 1; ++z) {
      cv::add(boxes[z - 1], boxes[z], sum);
      cv::add(sum, boxes[z + 1], sum);
      benchmark::DoNotOptimize(sum.data);
    }
  }
}

// A 512³ volume of noise in slot 3, made once; the current volume while BM_Large runs.
std::vector<std::int16_t> largeOriginal;
constexpr int kLarge = 512;

void BM_Large(benchmark::State& state) {
  ensureVolume();
  pravella::imaging::setWorkerCountForTests(0);
  DoChangeCurrentVolumeData(3);
  if (largeOriginal.empty()) {
    DoCreateVolumeData(kLarge, kLarge, kLarge);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> noise(0, 3000);
    for (auto& v : vData->voxels) v = static_cast<std::int16_t>(noise(random));
    largeOriginal = vData->voxels;
  }
  const auto w = static_cast<Which>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    vData->voxels = largeOriginal;
    state.ResumeTiming();
    runOurs(w);
    benchmark::DoNotOptimize(vData->voxels.data());
  }
  state.counters["Mvoxels/s"] = benchmark::Counter(
      static_cast<double>(largeOriginal.size()) * state.iterations() / 1e6, benchmark::Counter::kIsRate);
  DoChangeCurrentVolumeData(1);
}

}  // namespace

BENCHMARK(BM_Large)
    ->ArgName("filter")
    ->Arg(kMean)
    ->Arg(kLaplace)
    ->Arg(kGrad)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// threads:0 is every core, threads:1 one thread, threads:2 two.
BENCHMARK(BM_Ours)
    ->ArgNames({"filter", "threads"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Naive)
    ->ArgName("filter")
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_OpenCvCubeSums)->Unit(benchmark::kMillisecond)->UseRealTime();
