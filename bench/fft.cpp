// The two Fourier engines of the language beside FFTW in estimate mode (when FFTW is installed;
// it is linked by this benchmark only, never by the application):
// - `DoFFT`, the interleaved radix-2 transform behind `FFT`, out of place like FFTW's
//   interleaved plan, at the powers of two from 2^10 to 2^20;
// - `fft_czt`, the split transform of any length behind `CZT`, at the same powers of two and at
//   prime lengths (the chirp-z path) and at lengths with factors 2, 3 and 5 (the mixed-radix
//   passes), beside FFTW's split-array plan. Both work in place, so
//   each iteration on both sides first copies the input back (the same copy on either side).
//   FFTW's interleaved plan runs at the prime lengths too: it is FFTW's faster layout;
// - `fft_czt_pairs`, the same transform in place on the n x 2 matrix of `CZT` ((real,
//   imaginary) rows), at every length beside FFTW's interleaved plan in place, both copying the
//   input back first;
// - the statement `y = CZT(x)` as a program runs it, at 2^20 points.
// Each side's plan and buffers for a length are made once in the process, and transformed once
// untimed when made: every run of a benchmark (each repetition, each warm-up, in any order)
// then times the same plan on memory already touched, and neither FFTW's first call nor the
// first touch of fresh pages lands in a timed iteration.
// bench/fft_ratios.sh runs these interleaved and prints the median ratios.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stdlib/czt.h"
#include "lang/stdlib/fft.h"

#ifdef PRAVELLA_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<double> randomValues(std::size_t n) {
  std::mt19937 gen(42);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = u(gen);
  return v;
}

void powersOfTwo(benchmark::internal::Benchmark* b) {
  for (int k = 10; k <= 20; ++k) b->Arg(1 << k);
}

void primes(benchmark::internal::Benchmark* b) {
  for (int n : {1021, 4099, 8191, 65521, 65537, 99991, 524287}) b->Arg(n);
}

// Lengths with factors 2, 3 and 5 only (the mixed-radix passes).
void composites(benchmark::internal::Benchmark* b) {
  for (int n : {1000, 6000, 100000}) b->Arg(n);
}

int log2Of(int n) {
  int k = 0;
  while ((1 << k) < n) ++k;
  return k;
}

// The setup of kind T for length n, made on first use and kept until the process ends.
template <class T>
T& keptFor(int n) {
  static std::map<int, std::unique_ptr<T>> kept;
  std::unique_ptr<T>& setup = kept[n];
  if (!setup) setup = std::make_unique<T>(n);
  return *setup;
}

// Out of place: the input stays as it is, so no iteration needs a fresh copy.
struct DoFftSetup {
  int n;
  std::vector<double> in, out;
  explicit DoFftSetup(int length)
      : n(length), in(randomValues(2 * static_cast<std::size_t>(n))), out(in.size()) {
    run();
  }
  void run() { DoFFT(n, log2Of(n), in.data(), out.data(), -1.0); }
};

void BM_DoFFT(benchmark::State& state) {
  DoFftSetup& s = keptFor<DoFftSetup>(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    s.run();
    benchmark::DoNotOptimize(s.out.data());
  }
}
BENCHMARK(BM_DoFFT)->Apply(powersOfTwo)->Unit(benchmark::kMicrosecond);

struct SplitSetup {
  int n;
  std::vector<double> src, re, im;
  explicit SplitSetup(int length)
      : n(length), src(randomValues(2 * static_cast<std::size_t>(n))), re(n), im(n) {
    run();
  }
  int run() {
    std::memcpy(re.data(), src.data(), n * sizeof(double));
    std::memcpy(im.data(), src.data() + n, n * sizeof(double));
    return fft_czt(re.data(), im.data(), n, 1);
  }
};

void BM_FftCzt(benchmark::State& state) {
  SplitSetup& s = keptFor<SplitSetup>(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(s.run());
}
BENCHMARK(BM_FftCzt)->Apply(powersOfTwo)->Apply(primes)->Apply(composites)->Unit(benchmark::kMicrosecond);

// The n x 2 matrix of the `CZT` built-in, (real, imaginary) rows, transformed in its own
// storage; like the split one, each iteration first copies the input back.
struct PairsSetup {
  int n;
  std::vector<double> src, x;
  explicit PairsSetup(int length)
      : n(length), src(randomValues(2 * static_cast<std::size_t>(n))), x(src.size()) {
    run();
  }
  int run() {
    std::memcpy(x.data(), src.data(), src.size() * sizeof(double));
    return fft_czt_pairs(x.data(), n, 1);
  }
};

void BM_CztPairs(benchmark::State& state) {
  PairsSetup& s = keptFor<PairsSetup>(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(s.run());
}
BENCHMARK(BM_CztPairs)->Apply(powersOfTwo)->Apply(primes)->Apply(composites)->Unit(benchmark::kMicrosecond);

// The statement `y = CZT(x)` as a program runs it at 2^20 points, ten times in a loop: the
// argument read, the transform into a result, the assignment. Its processor time per call
// beside BM_CztPairs/1048576 is what the built-in adds to the transform (the copy of the
// argument included on both sides).
void BM_CztStatement(benchmark::State& state) {
  static const bool ready = [] {
    vkStartUp();
    return pravella::runVkProgram("element(2200000); x = rand(1048576, 2); y = CZT(x);").ok;
  }();
  if (!ready) {
    state.SkipWithError("the program that makes x failed");
    return;
  }
  constexpr int kCalls = 10;
  const std::string program = "for (k = 1; k <= " + std::to_string(kCalls) + "; k++) y = CZT(x);";
  for (auto _ : state) {
    const auto r = pravella::runVkProgram(program);
    if (!r.ok) {
      state.SkipWithError(r.text.c_str());
      break;
    }
  }
  // The run goes on this thread: its processor time per call, as the other benchmarks count.
  state.counters["cpu_s_per_call"] =
      benchmark::Counter(kCalls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CztStatement)->Unit(benchmark::kMillisecond);

#ifdef PRAVELLA_HAVE_FFTW
// FFTW's interleaved plan in place, with the same copy as BM_CztPairs.
struct FftwPairsSetup {
  int n;
  std::vector<double> src;
  fftw_complex* x;
  fftw_plan plan;
  explicit FftwPairsSetup(int length)
      : n(length), src(randomValues(2 * static_cast<std::size_t>(n))), x(fftw_alloc_complex(n)) {
    plan = fftw_plan_dft_1d(n, x, x, FFTW_FORWARD, FFTW_ESTIMATE);
    run();
  }
  ~FftwPairsSetup() {
    fftw_destroy_plan(plan);
    fftw_free(x);
  }
  void run() {
    std::memcpy(x, src.data(), src.size() * sizeof(double));
    fftw_execute(plan);
  }
};

void BM_FftwPairs(benchmark::State& state) {
  FftwPairsSetup& s = keptFor<FftwPairsSetup>(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    s.run();
    benchmark::DoNotOptimize(s.x);
  }
}
BENCHMARK(BM_FftwPairs)->Apply(powersOfTwo)->Apply(primes)->Apply(composites)->Unit(benchmark::kMicrosecond);

struct FftwInterleavedSetup {
  fftw_complex* in;
  fftw_complex* out;
  fftw_plan plan;
  explicit FftwInterleavedSetup(int n) : in(fftw_alloc_complex(n)), out(fftw_alloc_complex(n)) {
    plan = fftw_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
    const std::vector<double> src = randomValues(2 * static_cast<std::size_t>(n));
    std::memcpy(in, src.data(), src.size() * sizeof(double));
    fftw_execute(plan);
  }
  ~FftwInterleavedSetup() {
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
  }
};

void BM_FftwInterleaved(benchmark::State& state) {
  FftwInterleavedSetup& s = keptFor<FftwInterleavedSetup>(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    fftw_execute(s.plan);
    benchmark::DoNotOptimize(s.out);
  }
}
BENCHMARK(BM_FftwInterleaved)
    ->Apply(powersOfTwo)
    ->Apply(primes)
    ->Apply(composites)
    ->Unit(benchmark::kMicrosecond);

// Split arrays in place; this interface always takes the forward sign.
struct FftwSplitSetup {
  int n;
  std::vector<double> src;
  double* re;
  double* im;
  fftw_plan plan;
  explicit FftwSplitSetup(int length)
      : n(length),
        src(randomValues(2 * static_cast<std::size_t>(n))),
        re(fftw_alloc_real(n)),
        im(fftw_alloc_real(n)) {
    fftw_iodim dim{n, 1, 1};
    plan = fftw_plan_guru_split_dft(1, &dim, 0, nullptr, re, im, re, im, FFTW_ESTIMATE);
    run();
  }
  ~FftwSplitSetup() {
    fftw_destroy_plan(plan);
    fftw_free(re);
    fftw_free(im);
  }
  void run() {
    std::memcpy(re, src.data(), n * sizeof(double));
    std::memcpy(im, src.data() + n, n * sizeof(double));
    fftw_execute(plan);
  }
};

void BM_FftwSplit(benchmark::State& state) {
  FftwSplitSetup& s = keptFor<FftwSplitSetup>(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    s.run();
    benchmark::DoNotOptimize(s.re);
  }
}
BENCHMARK(BM_FftwSplit)->Apply(powersOfTwo)->Apply(primes)->Apply(composites)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
