// Point tracking and active contours at camera sizes, on one core.
//   bench_tracking: BM_TrackFrame is one 640 x 480 frame with up to 500 points (target: at
//   least 30 frames a second); BM_Snake is a 100-point snake for up to 100 passes.

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

#include "imaging/media/feature_tracker.h"
#include "imaging/media/frame_readers.h"
#include "imaging/media/snake.h"

namespace {

// A random texture, so that corners are everywhere, moved by (dx, 0).
cv::Mat texture(int dx) {
  static const cv::Mat base = [] {
    cv::Mat noise(480, 700, CV_8UC1);
    cv::RNG rng(7);
    rng.fill(noise, cv::RNG::UNIFORM, 0, 255);
    cv::GaussianBlur(noise, noise, cv::Size(5, 5), 2.5);
    cv::Mat bgr;
    cv::cvtColor(noise, bgr, cv::COLOR_GRAY2BGR);
    return bgr;
  }();
  return base(cv::Rect(dx % 60, 0, 640, 480)).clone();
}

// Frames held in memory, handed to the tracker as a reader of the module would.
class MemoryFrames : public pravella::media::CvFrameReader {
 public:
  explicit MemoryFrames(std::vector<cv::Mat> frames) : frames_(std::move(frames)) {}
  bool read() override {
    next_ = (next_ + 1) % frames_.size();
    return true;
  }
  bool rewind() override { return true; }
  double framesPerSecond() const override { return 30; }
  QImage image() const override { return {}; }
  const cv::Mat& frame() const override { return frames_[next_]; }

 private:
  std::vector<cv::Mat> frames_;
  std::size_t next_ = 0;
};

void BM_TrackFrame(benchmark::State& state) {
  cv::setNumThreads(1);
  std::vector<cv::Mat> frames;
  for (int i = 0; i < 30; ++i) frames.push_back(texture(2 * i));
  MemoryFrames reader(std::move(frames));
  auto tracker = pravella::media::newFeatureTracker();
  tracker->requestInit();
  tracker->processFrame(reader, false);
  for (auto _ : state) {
    if (tracker->points().size() < 400) tracker->requestInit();
    reader.read();
    tracker->processFrame(reader, true);
  }
  state.counters["points"] = static_cast<double>(tracker->points().size());
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TrackFrame)->Unit(benchmark::kMillisecond);

void BM_Snake(benchmark::State& state) {
  cv::setNumThreads(1);
  cv::Mat grey(480, 640, CV_8UC1, cv::Scalar(255));
  cv::circle(grey, cv::Point(320, 240), 150, cv::Scalar(0), cv::FILLED);
  std::vector<cv::Point> start;
  for (int k = 0; k < 100; ++k) {
    const double a = 2 * M_PI * k / 100;
    start.emplace_back(320 + static_cast<int>(220 * std::cos(a)), 240 + static_cast<int>(220 * std::sin(a)));
  }
  int passes = 0;
  for (auto _ : state) {
    std::vector<cv::Point> pts = start;
    passes = pravella::media::greedySnake(grey, pts, {0.5f, 0.5f, 1.0f}, 15, 100);
    benchmark::DoNotOptimize(pts.data());
  }
  state.counters["passes"] = passes;
}
BENCHMARK(BM_Snake)->Unit(benchmark::kMillisecond);

}  // namespace
