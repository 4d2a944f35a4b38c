#pragma once
// The video capture window: the live picture of camera 0, stamped with the date and time in
// its lower-left corner, refreshed every 0.1 s; Copy puts the shown picture, stamp included,
// on the clipboard. One exists at a time (videoWindowStatus); closing it releases the camera.

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>

#include "imaging/video/camera_grabber.h"

// 1 while the capture window is open, else 0.
extern std::int32_t videoWindowStatus;
std::int32_t checkVideoSequentialGrabberWindow();

namespace pravella {

// The capture view: scales the grabber's newest frame to its size and stamps it.
class CalSGQuickDrawView : public QWidget {
  Q_OBJECT
 public:
  explicit CalSGQuickDrawView(QWidget* parent = nullptr);
  ~CalSGQuickDrawView() override;
  // Starts capture; false when there is no camera (the view then says so).
  bool doSeqGrab();
  void endGrab();
  // What the view shows now (the stamped frame), null before the first frame.
  const QImage& gworld() const { return world_; }
  bool grabbing() const { return grabber_.running(); }
  // One idle step: the newest frame, scaled and stamped (the timer calls it every 0.1 s).
  void sgIdleTimer();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  video::CameraGrabber grabber_;
  QTimer timer_;
  QImage world_;
  bool noCamera_ = false;
};

class CalSGData : public QWidget {
  Q_OBJECT
 public:
  // Opens the window beside `mainWindow` (5 points to its right, tops level) and starts
  // capture.
  explicit CalSGData(QWidget* mainWindow);
  ~CalSGData() override;
  CalSGQuickDrawView* view() const { return view_; }
  void copy();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  CalSGQuickDrawView* view_;
};

// The main window's "Video Capture": opens the capture window unless one is open. Returns
// the new window, or null.
CalSGData* openVideoSequantialGrabber(QWidget* mainWindow);

}  // namespace pravella
