// The matrix product of "*" (order 1000) and the dense kernels behind "inv", "Renritsu",
// "eigen" and "DQR": inverses and linear systems of order 500 and 1000, the symmetric
// eigenproblem of order 100, 200 and 500, and the eigenvalues of a 100 x 100 general matrix.
// bench/linear_algebra_octave.sh times the same matrices in GNU Octave (or NumPy) for
// comparison.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "lang/operators.h"
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

// The symmetric test matrix: the pattern plus its transpose.
std::vector<double> symmetricPattern(int n) {
  const auto p = patternMatrix(n, 0.0);
  std::vector<double> a(p.size());
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[i * n + j] = p[i * n + j] + p[j * n + i];
  return a;
}

// The product behind "*" of two 1000 x 1000 matrices (the reference times its BLAS product on
// one thread). It runs on every core: the processor time of all threads is what is reported
// (the clock time, what the user waits, is in the real_time column); BM_MatrixProductOneThread
// keeps it to one thread.
void timeProduct(benchmark::State& state, int threads) {
  const int n = static_cast<int>(state.range(0));
  setMatrixProductThreadsForTests(threads);
  const auto a = patternMatrix(n, 0.0);
  const auto b = patternMatrix(n, 1.0);
  std::vector<double> c(a.size());
  vkMatrixProduct(a.data(), b.data(), c.data(), n, n, n);  // untimed, as the reference's first call
  for (auto _ : state) {
    vkMatrixProduct(a.data(), b.data(), c.data(), n, n, n);
    benchmark::DoNotOptimize(c.data());
  }
  setMatrixProductThreadsForTests(0);
}
void BM_MatrixProduct(benchmark::State& state) { timeProduct(state, 0); }
BENCHMARK(BM_MatrixProduct)->Arg(1000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
void BM_MatrixProductOneThread(benchmark::State& state) { timeProduct(state, 1); }
BENCHMARK(BM_MatrixProductOneThread)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Inverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto a = patternMatrix(n, 10.0);
  std::vector<double> work, out(a.size());
  std::vector<int> pivots(n);
  double det = 0;
  auto run = [&] {
    work = a;
    return DoInv(work.data(), pivots.data(), out.data(), n, n, &det);
  };
  run();  // untimed, as the reference's first call: fresh memory is not counted
  for (auto _ : state) benchmark::DoNotOptimize(run());
}
BENCHMARK(BM_Inverse)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// The matrix a program gets from M_Rand: entries in [0, 1), so that nearly every column
// exchanges rows, which the diagonally dominant pattern above never does.
void BM_InverseUniform(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> a(static_cast<size_t>(n) * n);
  unsigned s = 12345;
  for (double& v : a) v = ((s = s * 1664525u + 1013904223u) >> 8) / 16777216.0;
  std::vector<double> work, out(a.size());
  std::vector<int> pivots(n);
  double det = 0;
  auto run = [&] {
    work = a;
    return DoInv(work.data(), pivots.data(), out.data(), n, n, &det);
  };
  run();  // untimed, as the reference's first call: fresh memory is not counted
  for (auto _ : state) benchmark::DoNotOptimize(run());
}
BENCHMARK(BM_InverseUniform)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_LinearSystem(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto a = patternMatrix(n, 10.0);
  std::vector<double> b(n), work, bw, x(n);
  for (int i = 0; i < n; ++i) b[i] = std::sin(i + 1.0);
  auto run = [&] {
    work = a;
    bw = b;
    return Leqacc(work.data(), x.data(), bw.data(), n, n);
  };
  run();  // untimed, as the reference's first call: fresh memory is not counted
  for (auto _ : state) benchmark::DoNotOptimize(run());
}
BENCHMARK(BM_LinearSystem)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SymmetricEigen(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto a = symmetricPattern(n);
  std::vector<double> vectors(a.size()), values(n);
  for (auto _ : state) benchmark::DoNotOptimize(jacobi(n, a.data(), vectors.data(), values.data()));
}
BENCHMARK(BM_SymmetricEigen)->Arg(100)->Arg(200)->Arg(500)->Unit(benchmark::kMillisecond);

// The values alone, as the built-in "eigen" asks for them.
void BM_SymmetricEigenvalues(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto a = symmetricPattern(n);
  std::vector<double> values(n);
  for (auto _ : state) benchmark::DoNotOptimize(jacobi(n, a.data(), nullptr, values.data()));
}
BENCHMARK(BM_SymmetricEigenvalues)->Arg(100)->Arg(200)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_Eigenvalues100(benchmark::State& state) {
  const int n = 100;
  const auto a = patternMatrix(n, 0.0);
  std::vector<double> out(2 * n);
  for (auto _ : state) benchmark::DoNotOptimize(DQR_main(a.data(), n, out.data()));
}
BENCHMARK(BM_Eigenvalues100)->Unit(benchmark::kMillisecond);

}  // namespace
