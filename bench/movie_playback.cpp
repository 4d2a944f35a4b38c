// The GUI thread while the movie view plays a 1920 x 1080 MJPG clip of textured frames at 30
// frames a second: its longest step (the longest gap between two turns of its event loop) and
// how many steps took longer than a frame's time, while the view paints the frames we decode beside the
// backend. Also the frames painted per second. The target: no step longer than a frame's time
// (33 ms), so that the controls and the rest of the window stay responsive.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLayout>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTimer>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <vector>

#include "platform/ui/media_backend.h"
#include "tools/ui/media_movie_view.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFrames = 90;
constexpr double kFps = 30;

const QString& moviePath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString p = dir.path() + "/full-hd.avi";
    cv::VideoWriter writer(p.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), kFps,
                           cv::Size(kWidth, kHeight), true);
    cv::Mat frame(kHeight, kWidth, CV_8UC3);
    cv::RNG rng(7);
    for (int k = 0; k < kFrames; ++k) {
      rng.fill(frame, cv::RNG::UNIFORM, cv::Scalar::all(0), cv::Scalar::all(256));
      cv::circle(frame, cv::Point(100 + 19 * k, 540), 200, cv::Scalar::all(255), -1);
      writer.write(frame);
    }
    return p;
  }();
  return path;
}

// Runs the event loop until `done` holds or `ms` pass; false on the timeout.
template <typename F>
bool loopUntil(F done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

void MovieViewPlaysFullHd(benchmark::State& state) {
  moviePath();
  double longest = 0, framesPainted = 0, playing = 0;
  long long over = 0;
  for (auto _ : state) {
    pravella::tools::MediaMovieView view;
    view.resize(640, 400);
    view.show();
    view.setFile(moviePath());
    if (!loopUntil([&] { return view.isLoaded(); }, 30000)) {
      state.SkipWithError("the movie did not load");
      return;
    }
    // Our decoding opens beside the backend's meanwhile.
    loopUntil([] { return false; }, 1000);
    auto* player = qobject_cast<QMediaPlayer*>(view.player());
    QWidget* screen = view.layout()->itemAt(0)->widget();
    int painted = 0;
    struct Counter : QObject {
      int* count;
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++*count;
        return false;
      }
    } counter;
    counter.count = &painted;
    screen->installEventFilter(&counter);

    std::vector<double> gaps;
    QElapsedTimer clock, between;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      gaps.push_back(between.nsecsElapsed() / 1e6);
      between.restart();
    });
    clock.start();
    between.start();
    tick.start();
    view.play();
    loopUntil([&] { return player->mediaStatus() == QMediaPlayer::EndOfMedia; }, 60000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    tick.stop();
    screen->removeEventFilter(&counter);
    state.SetIterationTime(seconds);

    for (double gap : gaps) {
      longest = std::max(longest, gap);
      over += gap > 1000 / kFps;
    }
    framesPainted += painted;
    playing += seconds;
  }
  // Over every run: the longest step, how many took longer than a frame, the paints per second.
  state.counters["longest step ms"] = longest;
  state.counters["steps > 33 ms"] = static_cast<double>(over);
  state.counters["painted/s"] = framesPainted / playing;
}

}  // namespace

BENCHMARK(MovieViewPlaysFullHd)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  pravella::chooseMediaBackend();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
