#pragma once
// The motion analyser's tracking window: a movie from a fixed camera, the background averaged
// from it, and tracking runs that find the moving object in each frame and write one line
// (time, x, y, pixels) per frame into the result text, which is saved to the desktop. Runs
// step frame by frame from a zero-interval timer, so the window keeps repainting; a mouse
// button held over the window for more than a second stops a run.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "imaging/motion_tracking.h"
#include "imaging/movie/movie_document.h"

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QSlider;

namespace pravella::imaging {

class MovieView;
class SubWindowImageView;

class CalMotionAnalyserImageWindow : public QObject {
  Q_OBJECT
 public:
  CalMotionAnalyserImageWindow();
  ~CalMotionAnalyserImageWindow() override;

  QWidget* window() const { return window_; }
  MovieView* movieView() const { return movieView_; }
  SubWindowImageView* imageView() const { return imageView_; }
  QPlainTextEdit* resultTextView() const { return resultTextView_; }
  QSlider* samplingInterval() const { return samplingInterval_; }
  QSlider* objectSHvalSlider() const { return objectSHvalSlider_; }
  QSlider* objectMaxLengthSlider() const { return objectMaxLengthSlider_; }
  QLineEdit* movieFileName() const { return movieFileName_; }
  const QString& nowDateTime() const { return nowDateTime_; }
  bool isRunning() const { return mode_ != Mode::Idle; }

  void setMovieToMovieImageWindow(std::shared_ptr<movie::MovieDocument> movie, const QString& fileName);
  // Builds the background from samples of the movie (or its selection), then "Purr".
  void makeBackgroundImage();
  // Shows the difference of the current frame from the background.
  void captureMovieImageAndDispToImageView();
  // Detection in the current frame with the largest-region rule.
  void getCurrentObjectPosition();
  // Detection with the nearest-region rule, measured from and updating `previous` (x, r).
  void getCurrentObjectPositionUsingMostNearPosition(double* previous);
  void doTrackingByMostNearPosition();
  void doTrackingByOldMethod();
  void doClearText();
  // Writes the result text to the desktop file named by nowDateTime().
  void doSaveResult();
  void closeMovieWindow();

  // Ends a run now, as a held mouse button does.
  void stopRun();

 signals:
  // A run or a background came to its end (finished or stopped).
  void runEnded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Mode { Idle, Background, Tracking };
  void startTracking(motion::ChoiceRule rule);
  void tick();
  void backgroundStep();
  void trackingStep();
  void finish(bool reachedEnd);
  void detect(motion::ChoiceRule rule, double* previous);
  void progressBar(double maximum, double now);
  bool mouseHeldTooLong();
  movie::MovieDocument* movie() const;

  QPointer<QWidget> window_;
  MovieView* movieView_ = nullptr;
  SubWindowImageView* imageView_ = nullptr;
  QLineEdit* movieFileName_ = nullptr;
  QPlainTextEdit* resultTextView_ = nullptr;
  QSlider* samplingInterval_ = nullptr;
  QSlider* objectSHvalSlider_ = nullptr;
  QSlider* objectMaxLengthSlider_ = nullptr;
  QLineEdit* objectSHval_ = nullptr;
  QLineEdit* objectMaxLengthVal_ = nullptr;
  QProgressBar* pbar_ = nullptr;
  QString nowDateTime_;

  motion::Detector detector_;
  QTimer timer_;
  Mode mode_ = Mode::Idle;
  motion::ChoiceRule rule_ = motion::ChoiceRule::Largest;
  double previous_[2] = {0, 0};
  std::int64_t runStart_ = 0, runEnd_ = 0;
  std::vector<std::int64_t> samples_;
  std::size_t nextSample_ = 0;
  std::unique_ptr<motion::BackgroundAccumulator> accumulator_;
  QElapsedTimer barClock_;
  QElapsedTimer pressed_;
};

// The one tracking window, or none.
QPointer<CalMotionAnalyserImageWindow>& movieImageWindowID();
// Opens the movie in the tracking window (made when there is none); false when it is no movie.
bool openMovieImageWindowWithMovie(const QString& path);
// The placeholder movie, with no file name.
bool openNulMovieImageWindow();

}  // namespace pravella::imaging
