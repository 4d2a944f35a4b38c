// The dense kernels behind "inv", "Renritsu" and "DQR": a 500 x 500 inverse and linear system,
// and the eigenvalues of a 100 x 100 general matrix. bench/linear_algebra_octave.sh times the
// same matrices in GNU Octave for comparison.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "lang/stdlib/linear_algebra.h"

namespace {

// The test matrices, written the same way in the Octave script: entries in [-0.5, 0.5) from a
// fixed pattern, with the diagonal raised for the systems (so that no pivot is tiny).
std::vector<double> patternMatrix(int n, double diagonal) {
  std::vector<double> a(static_cast<size_t>(n) * n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      a[(i - 1) * n + (j - 1)] = ((i * 37 + j * 91) % 101) / 101.0 - 0.5 + (i == j ? diagonal : 0.0);
  return a;
}

void BM_Inverse500(benchmark::State& state) {
  const int n = 500;
  const auto a = patternMatrix(n, 10.0);
  std::vector<double> work, out(a.size());
  std::vector<int> pivots(n);
  double det = 0;
  for (auto _ : state) {
    work = a;
    benchmark::DoNotOptimize(DoInv(work.data(), pivots.data(), out.data(), n, n, &det));
  }
}
BENCHMARK(BM_Inverse500)->Unit(benchmark::kMillisecond);

void BM_LinearSystem500(benchmark::State& state) {
  const int n = 500;
  const auto a = patternMatrix(n, 10.0);
  std::vector<double> b(n), work, bw, x(n);
  for (int i = 0; i < n; ++i) b[i] = std::sin(i + 1.0);
  for (auto _ : state) {
    work = a;
    bw = b;
    benchmark::DoNotOptimize(Leqacc(work.data(), x.data(), bw.data(), n, n));
  }
}
BENCHMARK(BM_LinearSystem500)->Unit(benchmark::kMillisecond);

void BM_Eigenvalues100(benchmark::State& state) {
  const int n = 100;
  const auto a = patternMatrix(n, 0.0);
  std::vector<double> out(2 * n);
  for (auto _ : state) benchmark::DoNotOptimize(DQR_main(a.data(), n, out.data()));
}
BENCHMARK(BM_Eigenvalues100)->Unit(benchmark::kMillisecond);

}  // namespace
