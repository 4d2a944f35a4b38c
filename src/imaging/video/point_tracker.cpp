#include "imaging/video/point_tracker.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "imaging/video/camera_source.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace pravella::video {

namespace {

constexpr int kWinSize = 10;
// Refinement and flow stop after 20 iterations or a step below 0.03 pixels.
const cv::TermCriteria kCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 20, 0.03);

const auto kProcessStart = std::chrono::steady_clock::now();

cv::Point rounded(const cv::Point2f& p) { return cv::Point(cvRound(p.x), cvRound(p.y)); }

void refine(const cv::Mat& grey, std::vector<cv::Point2f>& points) {
  if (points.empty()) return;
  try {
    cv::cornerSubPix(grey, points, cv::Size(kWinSize, kWinSize), cv::Size(-1, -1), kCriteria);
  } catch (const cv::Exception&) {
    // A point too near the border for the window keeps its integer place.
  }
}

QImage toQImage(const cv::Mat& bgr) {
  QImage out(bgr.cols, bgr.rows, QImage::Format_RGB888);
  for (int y = 0; y < bgr.rows; ++y) {
    const auto* src = bgr.ptr<cv::Vec3b>(y);
    uchar* dst = out.scanLine(y);
    for (int x = 0; x < bgr.cols; ++x) {
      dst[3 * x] = src[x][2];
      dst[3 * x + 1] = src[x][1];
      dst[3 * x + 2] = src[x][0];
    }
  }
  return out;
}

}  // namespace

PointTracker& sharedPointTracker() {
  static PointTracker tracker;
  return tracker;
}

double trackingTicks() {
  const auto elapsed = std::chrono::steady_clock::now() - kProcessStart;
  return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * 60 / 1000000);
}

void PointTracker::click(int x, int y) {
  if (image_.empty()) return;
  click_ = cv::Point(x, y);
  clickPending_ = true;
}

void PointTracker::processFrame(const cv::Mat& frame, bool recording) {
  // The working images follow the frame: a run whose frames differ in size from the last
  // one's starts afresh rather than flowing between images of two sizes.
  if (!prevGrey_.empty() && prevGrey_.size() != frame.size()) {
    prevGrey_.release();
    points_.clear();
  }
  if (frame.channels() == 1)
    cv::cvtColor(frame, image_, cv::COLOR_GRAY2BGR);
  else if (frame.channels() == 4)
    cv::cvtColor(frame, image_, cv::COLOR_BGRA2BGR);
  else
    frame.copyTo(image_);
  cv::cvtColor(image_, grey_, cv::COLOR_BGR2GRAY);
  if (nightMode_) image_.setTo(cv::Scalar::all(0));

  if (needToInit_) {
    std::vector<cv::Point2f> found;
    cv::goodFeaturesToTrack(grey_, found, kMaxTrackedPoints, 0.01, 10, cv::noArray(), 3, false, 0.04);
    refine(grey_, found);
    points_ = std::move(found);
    clickPending_ = false;
  } else if (!points_.empty() && !prevGrey_.empty()) {
    std::vector<cv::Point2f> next;
    std::vector<uchar> status;
    cv::calcOpticalFlowPyrLK(prevGrey_, grey_, points_, next, status, cv::noArray(),
                             cv::Size(kWinSize, kWinSize), 3, kCriteria, 0);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < next.size(); ++i) {
      if (clickPending_) {
        const double dx = click_.x - next[i].x, dy = click_.y - next[i].y;
        if (dx * dx + dy * dy <= 25) {
          clickPending_ = false;
          continue;
        }
      }
      if (!status[i]) continue;
      next[kept++] = next[i];
      cv::circle(image_, rounded(next[i]), 5, cv::Scalar(0, 255, 0), -1, cv::LINE_8, 0);
    }
    next.resize(kept);
    points_ = std::move(next);
    if (recording && kept > 0)
      cv::putText(image_, "REC", cv::Point(10, 20), cv::FONT_HERSHEY_PLAIN, 1.0, cv::Scalar(0, 0, 255), 1,
                  cv::LINE_AA);
  }
  if (clickPending_ && points_.size() < static_cast<std::size_t>(kMaxTrackedPoints)) {
    std::vector<cv::Point2f> one{cv::Point2f(static_cast<float>(click_.x), static_cast<float>(click_.y))};
    refine(grey_, one);
    points_.push_back(one[0]);
    clickPending_ = false;
  }
  std::swap(grey_, prevGrey_);
  needToInit_ = false;
}

void runTracking(cv::VideoCapture& capture, TrackingChannel& channel, PointTracker& tracker,
                 TrackingRecord& record, long long capacity) {
  tracker.clearPoints();
  record = {};
  bool recording = false;
  cv::Mat frame;
  for (;;) {
    bool read = false;
    try {
      read = capture.read(frame);
    } catch (const cv::Exception&) {
      read = false;
    }
    if (!read || frame.empty()) break;
    tracker.processFrame(frame, recording);
    channel.publishFrame(toQImage(tracker.image()));

    // The key wait: clicks are taken as they come; the first key ends it.
    int key = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
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
    row.reserve(1 + 2 * tracker.points().size());
    row.push_back(trackingTicks());
    for (const cv::Point2f& p : tracker.points()) {
      std::printf("\t%6.1f\t%6.1f", p.x, p.y);
      row.push_back(p.x);
      row.push_back(p.y);
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

int runOn(cv::VideoCapture& capture, bool opened, double* result, int* rows, int* columns) {
  if (!opened) {
    reportCaptureFailure();
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
  runTracking(capture, *channel, sharedPointTracker(), record, TNumber);
  capture.release();
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

bool windowReady() {
  if (pravella::NotificationCenter::defaultCenter().hasObservers(QString::fromLatin1(kOpenTrackingWindow)))
    return true;
  error_disp("No window receives [test_cv].");
  return false;
}

}  // namespace

int opencvtest01(double, double* result, int* rows, int* columns) {
  if (!windowReady()) return -2;
  cv::VideoCapture capture;
  const bool opened = openCamera0(capture);
  return runOn(capture, opened, result, rows, columns);
}

int opencvtest02(const char* path, double* result, int* rows, int* columns) {
  if (!windowReady()) return -2;
  cv::VideoCapture capture;
  bool opened = false;
  try {
    opened = capture.open(path, cv::CAP_ANY);
  } catch (const cv::Exception&) {
    opened = false;
  }
  return runOn(capture, opened, result, rows, columns);
}
