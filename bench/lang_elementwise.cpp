// Element-wise work over 1e7 elements as programs run it ("c = a + b", "c = a x b",
// "c = sqrt(b)", whole statements: variable reads, the operator, the assignment) beside a plain
// C loop over the same arrays, so that the share of the machine's memory bandwidth the language
// reaches is read from one run. Each program repeats its statement ten times in a loop, as a
// program that works on large matrices does. The bytes counted are the ones a C loop must move: two 8-byte
// reads and one write per element (one read for the square root). Then the first loop of a run,
// into a variable that holds a number and into one that holds a matrix of the result's size.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "lang/builtins/startup.h"
#include "lang/executor.h"

namespace {

constexpr long kElements = 10000000;

struct Arrays {
  std::unique_ptr<double[]> a{new double[kElements]}, b{new double[kElements]}, c{new double[kElements]};
  Arrays() {
    for (long i = 0; i < kElements; ++i) {
      a[i] = static_cast<double>(i % 2);
      b[i] = a[i] + 1.0;
      c[i] = 0.0;
    }
  }
};

void setRate(benchmark::State& state, double bytesPerElement) {
  state.counters["GB/s"] = benchmark::Counter(bytesPerElement * kElements * 1e-9,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CLoop(benchmark::State& state, int op) {
  Arrays x;
  for (auto _ : state) {
    double* __restrict c = x.c.get();
    const double* __restrict a = x.a.get();
    const double* __restrict b = x.b.get();
    if (op == 0)
      for (long i = 0; i < kElements; ++i) c[i] = a[i] + b[i];
    else if (op == 1)
      for (long i = 0; i < kElements; ++i) c[i] = a[i] * b[i];
    else
      for (long i = 0; i < kElements; ++i) c[i] = std::sqrt(b[i]);
    benchmark::DoNotOptimize(c);
    benchmark::ClobberMemory();
  }
  setRate(state, op == 2 ? 16.0 : 24.0);
}

void BM_Program(benchmark::State& state, const char* statement, double bytes) {
  vkStartUp();
  const auto setup =
      pravella::runVkProgram("element(10000000); a = even(10000, 1000); b = a + 1; c = a + b;");
  if (!setup.ok) {
    state.SkipWithError(setup.text.c_str());
    return;
  }
  const std::string program = std::string("for (k = 1; k <= 10; k++) ") + statement;
  for (auto _ : state) {
    const auto r = pravella::runVkProgram(program);
    if (!r.ok) {
      state.SkipWithError(r.text.c_str());
      break;
    }
  }
  setRate(state, bytes * 10);
}

// A loop of twenty "c = a x b" as the first loop of a run (a run starts with no large block
// kept from an earlier one), the time of one statement. into_matrix: c holds a matrix of the
// result's size, and each result is written into c's own storage, as in a later loop of the
// same program; into_number: "c = 0;" first, so the loop starts with a number in c (the matrix
// it held is put aside, and the first result takes that block).
void BM_FirstLoop(benchmark::State& state, const char* before) {
  constexpr int kStatements = 20;
  vkStartUp();
  const auto setup =
      pravella::runVkProgram("element(10000000); a = even(10000, 1000); b = a + 1; c = a + b;");
  if (!setup.ok) {
    state.SkipWithError(setup.text.c_str());
    return;
  }
  const std::string program =
      std::string(before) + "for (k = 1; k <= " + std::to_string(kStatements) + "; k++) c = a x b;";
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const auto r = pravella::runVkProgram(program);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!r.ok) {
      state.SkipWithError(r.text.c_str());
      break;
    }
  }
  if (state.iterations() > 0)
    state.counters["ms_per_statement"] = seconds * 1e3 / (static_cast<double>(state.iterations()) * kStatements);
}

}  // namespace

BENCHMARK_CAPTURE(BM_CLoop, add, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Program, add, "c = a + b;", 24.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_CLoop, times, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Program, times, "c = a x b;", 24.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_CLoop, sqrt, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Program, sqrt, "c = sqrt(b);", 16.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FirstLoop, into_number, "c = 0; ")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FirstLoop, into_matrix, "")->Unit(benchmark::kMillisecond)->UseRealTime();
