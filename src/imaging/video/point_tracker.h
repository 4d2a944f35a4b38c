#pragma once
// Feature-point tracking with pyramidal Lucas-Kanade optical flow, frame by frame, as the
// built-in "test_cv" runs it: the tracker state lives for the whole process (night mode and a
// pending initialisation carry over to the next run; the point count starts at 0 each run),
// and a run shows its frames in a window and takes keys and clicks from it through a
// TrackingChannel.

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <vector>

#include "imaging/video/tracking_channel.h"

namespace pravella::video {

inline constexpr int kMaxTrackedPoints = 500;

class PointTracker {
 public:
  // Steps one frame: tracks the points of the previous frame into this one (or finds new
  // ones after "r"), applies a pending click and draws the kept points into image().
  void processFrame(const cv::Mat& frame, bool recording);
  // A left click at (x, y) on the shown image: ignored before the first frame.
  void click(int x, int y);
  const cv::Mat& image() const { return image_; }
  const std::vector<cv::Point2f>& points() const { return points_; }
  int count() const { return static_cast<int>(points_.size()); }
  void clearPoints() { points_.clear(); }
  void requestInit() { needToInit_ = true; }
  void toggleNightMode() { nightMode_ = !nightMode_; }
  bool nightMode() const { return nightMode_; }

 private:
  cv::Mat image_, grey_, prevGrey_;
  std::vector<cv::Point2f> points_;
  bool needToInit_ = false;
  bool nightMode_ = false;
  bool clickPending_ = false;
  cv::Point click_;
};

// The process-wide tracker of "test_cv".
PointTracker& sharedPointTracker();

// Ticks (1/60 s) since the process started, on a steady clock.
double trackingTicks();

// The recorded rows of a run: each as wide as the widest row, missing points -1.
struct TrackingRecord {
  std::vector<std::vector<double>> rows;
  int width = 1;
};

// Runs the tracker over `capture` until ESC, "q", the window's closing, a break or the end of
// the frames. `capacity` bounds rows x width (the scratch buffer's elements): a row that would
// pass it ends the recording with "Basso" and a console line.
void runTracking(cv::VideoCapture& capture, TrackingChannel& channel, PointTracker& tracker,
                 TrackingRecord& record, long long capacity);

}  // namespace pravella::video

// The entry functions of "test_cv": camera 0, or the movie file `path`. Each fills `result`
// (rows x columns doubles, at most TNumber) and answers 0 after the window was closed, -1
// when the source cannot be opened ("Could not initialize capturing...\n" on standard error),
// -2 after "No window receives [test_cv]." when no window can show the run.
int opencvtest01(double unused, double* result, int* rows, int* columns);
int opencvtest02(const char* path, double* result, int* rows, int* columns);
