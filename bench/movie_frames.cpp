// Every frame of a 640 x 480 MJPG movie, in order, as an intensity matrix (red + green + blue
// of each pixel): through our movie document, and beside it through OpenCV's VideoCapture
// reading the same frames. The counter "frames/s" compares them; the target is at least half
// of OpenCV's rate.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <vector>

#include "imaging/movie/movie_document.h"
#include "imaging/movie_windows.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 60;

// A movie with texture (so JPEG has work to do), written once per process.
const QString& moviePath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString p = dir.path() + "/bench.avi";
    cv::VideoWriter writer(p.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 30,
                           cv::Size(kWidth, kHeight), true);
    cv::Mat frame(kHeight, kWidth, CV_8UC3);
    cv::RNG rng(7);
    for (int k = 0; k < kFrames; ++k) {
      rng.fill(frame, cv::RNG::UNIFORM, cv::Scalar::all(0), cv::Scalar::all(256));
      cv::circle(frame, cv::Point(40 + 9 * k, 240), 60, cv::Scalar::all(255), -1);
      writer.write(frame);
    }
    return p;
  }();
  return path;
}

void MovieDocumentIntensity(benchmark::State& state) {
  moviePath();  // written before the timing starts
  std::vector<double> matrix(static_cast<std::size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    auto movie = pravella::movie::MovieDocument::open(moviePath());
    for (int i = 0; i < movie->frameCount(); ++i) {
      const QImage frame = movie->frameAt(movie->frameStart(i));
      pravella::motion::intensityOf(frame, matrix.data());
    }
    benchmark::DoNotOptimize(matrix.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

// Opening alone: the index of the packets and the first frame.
void MovieDocumentOpen(benchmark::State& state) {
  moviePath();
  for (auto _ : state) benchmark::DoNotOptimize(pravella::movie::MovieDocument::open(moviePath()));
}

void OpenCVIntensity(benchmark::State& state) {
  moviePath();
  std::vector<double> matrix(static_cast<std::size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    cv::VideoCapture capture(moviePath().toStdString());
    cv::Mat frame;
    while (capture.read(frame)) {
      double* out = matrix.data();
      for (int y = 0; y < frame.rows; ++y) {
        const cv::Vec3b* row = frame.ptr<cv::Vec3b>(y);
        for (int x = 0; x < frame.cols; ++x)
          *out++ =
              static_cast<float>(row[x][0]) + static_cast<float>(row[x][1]) + static_cast<float>(row[x][2]);
      }
    }
    benchmark::DoNotOptimize(matrix.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(MovieDocumentIntensity)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MovieDocumentOpen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenCVIntensity)->Unit(benchmark::kMillisecond)->UseRealTime();
