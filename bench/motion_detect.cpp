// The tracking window's detection step on 640 x 480 frames: the difference from the
// background, the 5 x 5 mean, the threshold, the labelling and the choice of a region. The
// counter "frames/s" is the rate on one core; the target is at least 100.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QRandomGenerator>

#include "imaging/motion_tracking.h"

namespace {

using namespace pravella::motion;

constexpr int kWidth = 640, kHeight = 480;

QImage texture() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QRandomGenerator random(3);
  for (int y = 0; y < kHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kWidth; ++x) {
      const int g = 60 + static_cast<int>(random.bounded(60));
      line[x] = qRgb(g, g, g);
    }
  }
  return image;
}

void DetectObject(benchmark::State& state, ChoiceRule rule) {
  const QImage base = texture();
  BackgroundAccumulator acc;
  acc.add(base);
  const Background background = acc.result();
  // Two bright discs, so the rule has a choice to make.
  QImage frame = base.copy();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if ((x - 200) * (x - 200) + (y - 150) * (y - 150) <= 900 ||
          (x - 500) * (x - 500) + (y - 380) * (y - 380) <= 400)
        frame.setPixel(x, y, qRgb(255, 255, 255));
  Detector detector;
  for (auto _ : state) {
    const Detection d = detector.detect(frame, background, 30, 200, rule, 0, 0);
    benchmark::DoNotOptimize(d.x);
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(DetectObject, largest, ChoiceRule::Largest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DetectObject, nearest, ChoiceRule::Nearest)->Unit(benchmark::kMillisecond)->UseRealTime();
