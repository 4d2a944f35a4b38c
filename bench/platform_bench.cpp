// Costs of the platform layer that sit on hot paths: a notification post (every cal_ command
// makes one) and the console line (every error report writes one).

#include <benchmark/benchmark.h>

#include <QObject>
#include <ctime>

#include "platform/console_log.h"
#include "platform/notification_center.h"

static void BM_PostToOneObserver(benchmark::State& state) {
  pravella::NotificationCenter center;
  QObject context;
  int calls = 0;
  center.addObserver("cal_x", &context, [&](pravella::Notification&) { ++calls; });
  for (auto _ : state) benchmark::DoNotOptimize(center.post("cal_x", "1,2,3"));
  benchmark::DoNotOptimize(calls);
}
BENCHMARK(BM_PostToOneObserver);

static void BM_ConsoleLine(benchmark::State& state) {
  std::tm t{};
  for (auto _ : state) benchmark::DoNotOptimize(pravella::consoleLine(t, "Unknown function.\n"));
}
BENCHMARK(BM_ConsoleLine);
