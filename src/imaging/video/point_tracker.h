#pragma once
// Feature-point tracking with pyramidal Lucas-Kanade optical flow, frame by frame, as the
// built-in "test_cv" runs it: the tracker state lives for the whole process (night mode and a
// pending initialisation carry over to the next run; the point count starts at 0 each run),
// and a run shows its frames in a window and takes keys and clicks from it through a
// TrackingChannel. The flow itself is the media module's.

#include <memory>
#include <vector>

#include "imaging/media_module.h"
#include "imaging/video/tracking_channel.h"

namespace pravella::video {

inline constexpr int kMaxTrackedPoints = 500;

// The module's tracker, made on first use; without the module it tracks nothing.
class PointTracker {
 public:
  void processFrame(const media::FrameReader& frames, bool recording);
  void click(int x, int y);
  QImage image() const;
  std::vector<QPointF> points() const;
  int count() const { return static_cast<int>(points().size()); }
  void clearPoints();
  void requestInit();
  void toggleNightMode();
  bool nightMode() const;

 private:
  media::FeatureTracker* tracker() const;
  mutable std::unique_ptr<media::FeatureTracker> tracker_;
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

// Runs the tracker over the frames until ESC, "q", the window's closing, a break or the end
// of the frames. `capacity` bounds rows x width (the scratch buffer's elements): a row that
// would pass it ends the recording with "Basso" and a console line.
void runTracking(media::FrameReader& frames, TrackingChannel& channel, PointTracker& tracker,
                 TrackingRecord& record, long long capacity);

}  // namespace pravella::video

// The entry functions of "test_cv": camera 0, or the movie file `path`. Each fills `result`
// (rows x columns doubles, at most TNumber) and answers 0 after the window was closed, -1
// when the source cannot be opened ("Could not initialize capturing...\n" on standard error,
// and "Could not open camera 0." or "Could not open the movie file \"path\"." reported), -2 after "No window
// receives [test_cv]." when no window can show the run.
int opencvtest01(double unused, double* result, int* rows, int* columns);
int opencvtest02(const char* path, double* result, int* rows, int* columns);
