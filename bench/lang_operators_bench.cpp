// The operators' memory- and cache-bound kernels: the matrix product of two 1000 by 1000
// matrices (the TNumber limit) and element-wise "+" and "x" on a million elements, each run
// through the operator record as a program would, stack traffic included.

#include <benchmark/benchmark.h>

#include <vector>

#include "lang/builtins/startup.h"
#include "lang/operators.h"
#include "lang/stack.h"

namespace {

struct Operands {
  VkCalcStack stack;
  std::vector<double> a, b;
  int n;
  explicit Operands(int rows)
      : stack(kCalcStackSize), a(static_cast<size_t>(rows) * rows), b(a.size()), n(rows) {
    vkStartUp();
    for (size_t i = 0; i < a.size(); ++i) {
      a[i] = static_cast<double>(i % 97) * 0.5;
      b[i] = static_cast<double>(i % 89) * 0.25 + 1.0;
    }
  }
  // Pushes both operands and runs the operator record; the operands' push is not timed.
  void run(benchmark::State& state, const char* op, int rows, int cols) {
    vk_Code rec;
    rec.kind = kCodeOperator;
    rec.name = op;
    for (auto _ : state) {
      state.PauseTiming();
      int sp = 0;
      PushToStack(stack.data(), &sp, a.data(), kValueReal, rows, cols);
      PushToStack(stack.data(), &sp, b.data(), kValueReal, rows, cols);
      int pc = 0;
      state.ResumeTiming();
      if (!DoOperator(1, &rec, &pc, stack.data(), &sp)) state.SkipWithError("operator failed");
      benchmark::DoNotOptimize(stack[0].data.data());
    }
  }
};

void BM_MatrixProduct1000(benchmark::State& state) {
  Operands o(1000);
  o.run(state, "*", 1000, 1000);
  const double flops = 2.0 * 1000 * 1000 * 1000;
  state.counters["GFLOP/s"] = benchmark::Counter(flops * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MatrixProduct1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ElementWise(benchmark::State& state, const char* op) {
  Operands o(1000);
  o.run(state, op, 1000, 1000);
  // Two operands read, one result written into the scratch buffer and copied onto the stack.
  const double bytes = 8.0 * 1000 * 1000 * 4;
  state.counters["GB/s"] = benchmark::Counter(bytes * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK_CAPTURE(BM_ElementWise, plus, "+")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ElementWise, times, "x")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProductKernel1000(benchmark::State& state) {
  Operands o(1000);
  std::vector<double> c(o.a.size());
  for (auto _ : state) {
    vkMatrixProduct(o.a.data(), o.b.data(), c.data(), 1000, 1000, 1000);
    benchmark::DoNotOptimize(c.data());
  }
  state.counters["GFLOP/s"] =
      benchmark::Counter(2.0 * 1e9 * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ProductKernel1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
