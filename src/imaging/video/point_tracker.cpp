#include "imaging/video/point_tracker.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "imaging/video/camera_source.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace pravella::video {

namespace {

const auto kProcessStart = std::chrono::steady_clock::now();

}  // namespace

media::FeatureTracker* PointTracker::tracker() const {
  if (!tracker_) {
    const media::MediaFunctions* module = media::mediaFunctions();
    if (module) tracker_ = module->newFeatureTracker();
  }
  return tracker_.get();
}

void PointTracker::processFrame(const media::FrameReader& frames, bool recording) {
  if (auto* t = tracker()) t->processFrame(frames, recording);
}

void PointTracker::click(int x, int y) {
  if (auto* t = tracker()) t->click(x, y);
}

QImage PointTracker::image() const {
  auto* t = tracker();
  return t ? t->image() : QImage();
}

std::vector<QPointF> PointTracker::points() const {
  auto* t = tracker();
  return t ? t->points() : std::vector<QPointF>();
}

void PointTracker::clearPoints() {
  if (auto* t = tracker()) t->clearPoints();
}

void PointTracker::requestInit() {
  if (auto* t = tracker()) t->requestInit();
}

void PointTracker::toggleNightMode() {
  if (auto* t = tracker()) t->toggleNightMode();
}

bool PointTracker::nightMode() const {
  auto* t = tracker();
  return t && t->nightMode();
}

PointTracker& sharedPointTracker() {
  static PointTracker tracker;
  return tracker;
}

double trackingTicks() {
  const auto elapsed = std::chrono::steady_clock::now() - kProcessStart;
  return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * 60 /
                             1000000);
}

void runTracking(media::FrameReader& frames, TrackingChannel& channel, PointTracker& tracker,
                 TrackingRecord& record, long long capacity) {
  tracker.clearPoints();
  record = {};
  bool recording = false;
  for (;;) {
    if (!frames.read()) break;
    tracker.processFrame(frames, recording);
    channel.publishFrame(tracker.image());

    // The key wait: clicks are taken as they come; the first key ends it.
    int key = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      TrackingEvent event;
      if (!channel.waitEvent(static_cast<int>(std::max<long long>(left.count(), 0)), &event)) break;
      if (event.kind == TrackingEvent::Click) {
        tracker.click(event.x, event.y);
        continue;
      }
      key = event.key & 0xff;
      break;
    }
    if (ButtonPress()) key = kEscapeKey;
    if (key == kEscapeKey || key == 'q') break;
    switch (key) {
      case 'n':
        tracker.toggleNightMode();
        break;
      case 'r':
        tracker.requestInit();
        break;
      case 'c':
        tracker.clearPoints();
        recording = false;
        record = {};
        break;
      case ' ':
        if (tracker.count() > 0) {
          recording = !recording;
          channel.playSound("Tink");
        }
        break;
      default:
        break;
    }
    if (!recording) continue;
    std::vector<double> row;
    row.push_back(trackingTicks());
    const std::vector<QPointF> points = tracker.points();
    row.reserve(1 + 2 * points.size());
    for (const QPointF& p : points) {
      std::printf("\t%6.1f\t%6.1f", p.x(), p.y());
      row.push_back(p.x());
      row.push_back(p.y());
    }
    std::printf("\n");
    const int width = std::max(record.width, static_cast<int>(row.size()));
    if (static_cast<long long>(record.rows.size() + 1) * width > capacity) {
      // The rows so far fit the result; further ones would not.
      recording = false;
      channel.playSound("Basso");
      showErrMessageToConsole("test_cv: the recording is full; recording stopped.\n");
      continue;
    }
    record.width = width;
    record.rows.push_back(std::move(row));
  }
  std::fflush(stdout);
}

}  // namespace pravella::video

namespace {

using namespace pravella::video;
namespace media = pravella::media;

// `cannotOpen` is the result's reason when there are no frames: without it the run would end
// with a bare failure.
int runOn(std::unique_ptr<media::FrameReader> frames, const std::string& cannotOpen, double* result,
          int* rows, int* columns) {
  if (!frames) {
    reportCaptureFailure();
    error_disp(cannotOpen);
    return -1;
  }
  std::printf("Welcome to Pravella, using OpenCV version %s (%d.%d.%d)\n", "1.0.0", 1, 0, 0);
  std::printf(
      "Hot keys: \n\tESC - quit the program\n\tr - auto-initialize tracking\n\tc - delete all the "
      "points\n\tn - switch the \"night\" mode on/off\nTo add/remove a feature point click it\n");
  std::fflush(stdout);
  auto channel = std::make_shared<TrackingChannel>();
  TrackingChannelCarrier carrier(channel);
  pravella::Notification note;
  note.name = QString::fromLatin1(kOpenTrackingWindow);
  note.object = &carrier;
  pravella::NotificationCenter::defaultCenter().post(note);
  TrackingRecord record;
  runTracking(*frames, *channel, sharedPointTracker(), record, TNumber);
  frames.reset();  // the source is released before the window hears the end
  channel->finish();
  *rows = static_cast<int>(record.rows.size());
  *columns = record.width;
  for (std::size_t r = 0; r < record.rows.size(); ++r) {
    double* out = result + r * static_cast<std::size_t>(record.width);
    const auto& row = record.rows[r];
    std::copy(row.begin(), row.end(), out);
    std::fill(out + row.size(), out + record.width, -1.0);
  }
  return 0;
}

// The media module, or null with the reason it is missing in *why.
const media::MediaFunctions* moduleOrWhy(std::string* why) {
  QString reason;
  const media::MediaFunctions* module = media::mediaFunctions(&reason);
  if (!module) *why = ("test_cv: " + reason).toStdString();
  return module;
}

bool windowReady() {
  if (pravella::NotificationCenter::defaultCenter().hasObservers(QString::fromLatin1(kOpenTrackingWindow)))
    return true;
  error_disp("No window receives [test_cv].");
  return false;
}

}  // namespace

int opencvtest01(double, double* result, int* rows, int* columns) {
  if (!windowReady()) return -2;
  std::string why = "Could not open camera 0.";
  const media::MediaFunctions* module = moduleOrWhy(&why);
  std::unique_ptr<media::FrameReader> camera = module ? module->openCamera0(nullptr) : nullptr;
  return runOn(std::move(camera), why, result, rows, columns);
}

int opencvtest02(const char* path, double* result, int* rows, int* columns) {
  if (!windowReady()) return -2;
  std::string why = std::string("Could not open the movie file \"") + path + "\".";
  const media::MediaFunctions* module = moduleOrWhy(&why);
  std::unique_ptr<media::FrameReader> movie = module ? module->openMovieFrames(path) : nullptr;
  return runOn(std::move(movie), why, result, rows, columns);
}
