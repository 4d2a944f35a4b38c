// The two Fourier engines of the language on large inputs: the radix-2 transform of 2^20
// points (interleaved and split layouts) and the chirp-z transform of the prime length 99,991.
// When FFTW is installed the same sizes run through it in estimate mode beside ours; FFTW is
// linked by this benchmark only.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "lang/stdlib/czt.h"
#include "lang/stdlib/fft.h"

#ifdef PRAVELLA_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

constexpr int kLog2N = 20;
constexpr int kPow2N = 1 << kLog2N;
constexpr int kPrimeN = 99991;

std::vector<double> randomValues(std::size_t n) {
  std::mt19937 gen(42);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = u(gen);
  return v;
}

// Each iteration starts from the same input (the copy is not timed), so repeated transforms
// do not drift into tiny or huge values.
void BM_cfft_2p20(benchmark::State& state) {
  const std::vector<double> src = randomValues(2 * std::size_t{kPow2N});
  std::vector<double> x(src.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(x.data(), src.data(), src.size() * sizeof(double));
    state.ResumeTiming();
    cfft(x.data(), kLog2N, -1.0);
    benchmark::DoNotOptimize(x.data());
  }
}
BENCHMARK(BM_cfft_2p20)->Unit(benchmark::kMillisecond);

void splitBench(benchmark::State& state, int n) {
  const std::vector<double> src = randomValues(2 * static_cast<std::size_t>(n));
  std::vector<double> re(n), im(n);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(re.data(), src.data(), n * sizeof(double));
    std::memcpy(im.data(), src.data() + n, n * sizeof(double));
    state.ResumeTiming();
    benchmark::DoNotOptimize(fft_czt(re.data(), im.data(), n, 1));
  }
}

void BM_fft_czt_2p20(benchmark::State& state) { splitBench(state, kPow2N); }
BENCHMARK(BM_fft_czt_2p20)->Unit(benchmark::kMillisecond);

void BM_fft_czt_prime99991(benchmark::State& state) { splitBench(state, kPrimeN); }
BENCHMARK(BM_fft_czt_prime99991)->Unit(benchmark::kMillisecond);

#ifdef PRAVELLA_HAVE_FFTW
void fftwBench(benchmark::State& state, int n) {
  fftw_complex* x = fftw_alloc_complex(n);
  fftw_plan plan = fftw_plan_dft_1d(n, x, x, FFTW_FORWARD, FFTW_ESTIMATE);
  const std::vector<double> src = randomValues(2 * static_cast<std::size_t>(n));
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(x, src.data(), src.size() * sizeof(double));
    state.ResumeTiming();
    fftw_execute(plan);
    benchmark::DoNotOptimize(x);
  }
  fftw_destroy_plan(plan);
  fftw_free(x);
}

void BM_fftw_estimate_2p20(benchmark::State& state) { fftwBench(state, kPow2N); }
BENCHMARK(BM_fftw_estimate_2p20)->Unit(benchmark::kMillisecond);

void BM_fftw_estimate_prime99991(benchmark::State& state) { fftwBench(state, kPrimeN); }
BENCHMARK(BM_fftw_estimate_prime99991)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
