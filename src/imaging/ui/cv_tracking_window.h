#pragma once
// The "PV_OpenCV" window of the built-in "test_cv": it shows the tracking run's frames and
// hands its keys and left clicks to the run (on the program's worker thread). Closing it ends
// the run as ESC does; the run's end closes it. CvTrackingWindows opens one per run when the
// run asks for it.

#include <QImage>
#include <QObject>
#include <QWidget>

#include <memory>

#include "imaging/video/tracking_channel.h"

namespace pravella {

class CvTrackingWindow : public QWidget {
  Q_OBJECT
 public:
  explicit CvTrackingWindow(std::shared_ptr<video::TrackingChannel> channel, QWidget* parent = nullptr);
  ~CvTrackingWindow() override;
  const QImage& shownImage() const { return shown_; }

 signals:
  // Each frame as it is shown (tests look at them).
  void frameShown(const QImage& frame);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void refresh();

  std::shared_ptr<video::TrackingChannel> channel_;
  QImage shown_;
};

// Observes the runs' requests for a window and opens one for each.
class CvTrackingWindows : public QObject {
  Q_OBJECT
 public:
  explicit CvTrackingWindows(QWidget* mainWindow);
  ~CvTrackingWindows() override;

 signals:
  void windowOpened(CvTrackingWindow* window);

 private:
  QWidget* mainWindow_;
};

}  // namespace pravella
