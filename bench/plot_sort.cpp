// The stable row sort on 1,000,000 values (beside std::stable_sort of the same records) and
// a 2-D plot of 100,000 points in each drawing mode. bench/plot_gnuplot.sh times the plot as
// a whole command beside gnuplot.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "graphics/plot2d.h"
#include "lang/builtins/startup.h"
#include "lang/stdlib/statistics.h"

namespace {

std::vector<double> randomColumn(int n) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<double> dist(-1e6, 1e6);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double& x : v) x = dist(gen);
  return v;
}

void BM_MergeSortRows(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> in = randomColumn(n);
  std::vector<double> out(in.size());
  for (auto _ : state) {
    DoMergeSort(in.data(), out.data(), n, 1, 1);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MergeSortRows)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_StdStableSortReference(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> in = randomColumn(n);
  std::vector<double> out(in.size());
  for (auto _ : state) {
    std::vector<SortRecord> records(in.size());
    for (int i = 0; i < n; ++i)
      records[static_cast<std::size_t>(i)] = SortRecord{in[static_cast<std::size_t>(i)], i};
    std::stable_sort(records.begin(), records.end(),
                     [](const SortRecord& a, const SortRecord& b) { return a.value < b.value; });
    for (int i = 0; i < n; ++i)
      out[static_cast<std::size_t>(i)] =
          in[static_cast<std::size_t>(records[static_cast<std::size_t>(i)].index)];
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_StdStableSortReference)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// 100,000 points of one series; mode 1 lines, 2 dots, 3 lines with dots.
void BM_Plot100k(benchmark::State& state) {
  const int n = 100'000;
  std::vector<double> x(n), y(n);
  for (int i = 0; i < n; ++i) {
    x[static_cast<std::size_t>(i)] = i;
    y[static_cast<std::size_t>(i)] = std::sin(i * 0.001) + 0.1 * std::cos(i * 0.37);
  }
  const int mode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    pravella::Picture picture;
    DoPlot(x.data(), y.data(), nullptr, n, 1, n, 1, mode, picture);
    benchmark::DoNotOptimize(picture.size());
  }
}
BENCHMARK(BM_Plot100k)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Plots draw their labels with fonts, which need the GUI application.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  vkStartUp();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
