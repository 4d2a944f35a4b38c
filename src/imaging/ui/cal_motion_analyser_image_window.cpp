#include "imaging/ui/cal_motion_analyser_image_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "imaging/ui/movie_view.h"
#include "imaging/ui/program_window_anchor.h"
#include "imaging/ui/sub_window.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/ui/sound_player.h"
#include "platform/ui/window_placement.h"

namespace pravella::imaging {

using namespace motion;

namespace {

// The progress bar is redrawn at most every 31 ticks of 1/60 s.
constexpr qint64 kBarIntervalMs = 31 * 1000 / 60;
// A held mouse button stops a run after one second.
constexpr qint64 kHoldToStopMs = 1000;

QSlider* slider(int lo, int hi, int value, QWidget* parent) {
  auto* s = new QSlider(Qt::Horizontal, parent);
  s->setRange(lo, hi);
  s->setValue(value);
  return s;
}

QLineEdit* mirror(int value, QWidget* parent) {
  auto* field = new QLineEdit(QString::number(value), parent);
  field->setReadOnly(true);
  field->setMaximumWidth(60);
  return field;
}

}  // namespace

QPointer<CalMotionAnalyserImageWindow>& movieImageWindowID() {
  static QPointer<CalMotionAnalyserImageWindow> id;
  return id;
}

CalMotionAnalyserImageWindow::CalMotionAnalyserImageWindow() {
  window_ = new QWidget(nullptr, Qt::Window);
  window_->setAttribute(Qt::WA_DeleteOnClose);
  window_->setWindowTitle(tr("Motion Analyser"));
  setParent(window_);

  movieView_ = new MovieView(window_);
  movieView_->setMinimumSize(240, 180 + MovieView::kControllerHeight);
  movieFileName_ = new QLineEdit(window_);
  movieFileName_->setReadOnly(true);
  imageView_ = new SubWindowImageView(window_);
  imageView_->setMinimumSize(240, 180);
  // The interval runs from 1 s: an interval of 0 would sample without end.
  samplingInterval_ = slider(1, 60, 1, window_);
  objectSHvalSlider_ = slider(0, 255, 30, window_);
  objectMaxLengthSlider_ = slider(1, 1000, 100, window_);
  objectSHval_ = mirror(objectSHvalSlider_->value(), window_);
  objectMaxLengthVal_ = mirror(objectMaxLengthSlider_->value(), window_);
  auto* interval = mirror(samplingInterval_->value(), window_);
  resultTextView_ = new QPlainTextEdit(window_);
  resultTextView_->setObjectName(QStringLiteral("resultTextView"));
  pbar_ = new QProgressBar(window_);
  pbar_->setRange(0, 1);
  pbar_->setValue(0);

  auto* background = new QPushButton(tr("Make Background"), window_);
  auto* difference = new QPushButton(tr("Difference"), window_);
  auto* nearest = new QPushButton(tr("Track (Nearest)"), window_);
  auto* largest = new QPushButton(tr("Track (Largest)"), window_);
  auto* clear = new QPushButton(tr("Clear"), window_);
  auto* save = new QPushButton(tr("Save Result"), window_);
  connect(background, &QPushButton::clicked, this, &CalMotionAnalyserImageWindow::makeBackgroundImage);
  connect(difference, &QPushButton::clicked, this,
          &CalMotionAnalyserImageWindow::captureMovieImageAndDispToImageView);
  connect(nearest, &QPushButton::clicked, this, &CalMotionAnalyserImageWindow::doTrackingByMostNearPosition);
  connect(largest, &QPushButton::clicked, this, &CalMotionAnalyserImageWindow::doTrackingByOldMethod);
  connect(clear, &QPushButton::clicked, this, &CalMotionAnalyserImageWindow::doClearText);
  connect(save, &QPushButton::clicked, this, &CalMotionAnalyserImageWindow::doSaveResult);
  connect(samplingInterval_, &QSlider::valueChanged, interval,
          [interval](int v) { interval->setText(QString::number(v)); });
  connect(objectSHvalSlider_, &QSlider::valueChanged, this, [this](int v) {
    objectSHval_->setText(QString::number(v));
    if (!isRunning()) getCurrentObjectPosition();
  });
  connect(objectMaxLengthSlider_, &QSlider::valueChanged, this, [this](int v) {
    objectMaxLengthVal_->setText(QString::number(v));
    if (!isRunning()) getCurrentObjectPosition();
  });
  connect(movieView_, &MovieView::movieDropped, this, [this](const QString& path) {
    movieFileName_->setText(QFileInfo(path).fileName());
    movieView_->setEditable(true);
    movieView_->setCurrentTime(0);
  });

  auto* controls = new QFormLayout;
  auto row = [&](QSlider* s, QLineEdit* field) {
    auto* h = new QHBoxLayout;
    h->addWidget(s, 1);
    h->addWidget(field);
    return h;
  };
  controls->addRow(tr("Sampling interval (s)"), row(samplingInterval_, interval));
  controls->addRow(tr("Threshold"), row(objectSHvalSlider_, objectSHval_));
  controls->addRow(tr("Largest extent"), row(objectMaxLengthSlider_, objectMaxLengthVal_));
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {background, difference, nearest, largest, clear, save}) buttons->addWidget(b);

  auto* left = new QVBoxLayout;
  left->addWidget(movieView_, 1);
  left->addWidget(movieFileName_);
  auto* right = new QVBoxLayout;
  right->addWidget(imageView_, 1);
  right->addLayout(controls);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addLayout(right, 1);
  auto* all = new QVBoxLayout(window_);
  all->addLayout(top, 1);
  all->addLayout(buttons);
  all->addWidget(resultTextView_, 1);
  all->addWidget(pbar_);

  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &CalMotionAnalyserImageWindow::tick);
  window_->installEventFilter(this);
  movieView_->installEventFilter(this);
  // A press anywhere in the window (on any of its widgets) counts for stopping a run.
  qApp->installEventFilter(this);
  nowDateTime_ = QStringLiteral("???");
  nowDateTime_ = nowDateTimeString();
  movieImageWindowID() = this;
}

CalMotionAnalyserImageWindow::~CalMotionAnalyserImageWindow() {
  qApp->removeEventFilter(this);
  timer_.stop();
}

movie::MovieDocument* CalMotionAnalyserImageWindow::movie() const { return movieView_->movie(); }

void CalMotionAnalyserImageWindow::setMovieToMovieImageWindow(std::shared_ptr<movie::MovieDocument> movie,
                                                              const QString& fileName) {
  movieFileName_->setText(fileName);
  movieView_->setMovie(std::move(movie));
  movieView_->setEditable(true);
  movieView_->setCurrentTime(0);
}

void CalMotionAnalyserImageWindow::progressBar(double maximum, double now) {
  auto clampInt = [](double v) {
    return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(std::numeric_limits<int>::max())));
  };
  if (maximum == 0) {
    pbar_->setMaximum(1);
    pbar_->setValue(0);
    barClock_.invalidate();
    return;
  }
  pbar_->setMinimum(0);
  if (barClock_.isValid() && barClock_.elapsed() < kBarIntervalMs) return;
  barClock_.start();
  pbar_->setMaximum(clampInt(maximum));
  pbar_->setValue(clampInt(now));
}

void CalMotionAnalyserImageWindow::makeBackgroundImage() {
  movie::MovieDocument* m = movie();
  if (isRunning() || !m || m->isEmpty()) return;
  samples_ = backgroundSampleTimes(m->duration(), movie::kMovieTimeScale, samplingInterval_->value(),
                                   m->selectionStart(), m->selectionDuration());
  nextSample_ = 0;
  accumulator_ = std::make_unique<BackgroundAccumulator>();
  mode_ = Mode::Background;
  barClock_.invalidate();
  timer_.start();
}

void CalMotionAnalyserImageWindow::backgroundStep() {
  movie::MovieDocument* m = movie();
  if (!m || nextSample_ >= samples_.size()) {
    if (accumulator_ && accumulator_->count() > 0) {
      backGroundData() = accumulator_->result();
      const QImage shown = backgroundImage(backGroundData());
      imageView_->setImage(shown);
      QApplication::clipboard()->setImage(shown);
    }
    accumulator_.reset();
    timer_.stop();
    mode_ = Mode::Idle;
    progressBar(0, 0);
    playFeedbackSound(QStringLiteral("Purr"));
    emit runEnded();
    return;
  }
  const std::int64_t t = samples_[nextSample_++];
  const QImage frame = m->frameAt(t);
  if (frame.isNull()) return;
  progressBar(static_cast<double>(samples_.back()), static_cast<double>(t));
  accumulator_->add(frame);
}

void CalMotionAnalyserImageWindow::captureMovieImageAndDispToImageView() {
  movie::MovieDocument* m = movie();
  if (!m) return;
  const QImage difference = differenceImage(m->currentFrame(), backGroundData());
  if (!difference.isNull()) imageView_->setImage(difference);
}

void CalMotionAnalyserImageWindow::detect(ChoiceRule rule, double* previous) {
  movie::MovieDocument* m = movie();
  if (!m) return;
  const Background& background = backGroundData();
  const Detection d = detector_.detect(m->currentFrame(), background, objectSHval_->text().toDouble(),
                                       objectMaxLengthSlider_->value(), rule, previous ? previous[0] : 0,
                                       previous ? previous[1] : 0);
  if (!d.comparable) {
    movieView_->update();
    return;
  }
  if (d.failure) {
    // The window runs no program: its messages go to the console log only.
    showErrMessageToConsole(std::string(d.failure) + "\n");
    return;
  }
  if (d.chosen) {
    const double seconds = static_cast<double>(m->currentTime()) / movie::kMovieTimeScale;
    resultTextView_->insertPlainText(resultLine(seconds, d.x, background.height - d.r, d.n));
    if (previous) {
      previous[0] = d.x;
      previous[1] = d.r;
    }
  }
  imageView_->setImage(d.display);
  movieView_->update();
}

void CalMotionAnalyserImageWindow::getCurrentObjectPosition() { detect(ChoiceRule::Largest, nullptr); }

void CalMotionAnalyserImageWindow::getCurrentObjectPositionUsingMostNearPosition(double* previous) {
  detect(ChoiceRule::Nearest, previous);
}

void CalMotionAnalyserImageWindow::doTrackingByMostNearPosition() { startTracking(ChoiceRule::Nearest); }
void CalMotionAnalyserImageWindow::doTrackingByOldMethod() { startTracking(ChoiceRule::Largest); }

void CalMotionAnalyserImageWindow::startTracking(ChoiceRule rule) {
  movie::MovieDocument* m = movie();
  if (isRunning() || !m || m->isEmpty()) return;
  resultTextView_->clear();
  nowDateTime_ = nowDateTimeString();
  previous_[0] = previous_[1] = 0;
  rule_ = rule;
  if (m->selectionDuration() > 0) {
    runStart_ = m->selectionStart();
    runEnd_ = m->selectionStart() + m->selectionDuration();
  } else {
    runStart_ = 0;
    runEnd_ = m->duration();
  }
  movieView_->stop();
  movieView_->setCurrentTime(runStart_);
  mode_ = Mode::Tracking;
  barClock_.invalidate();
  pressed_.invalidate();
  timer_.start();
}

void CalMotionAnalyserImageWindow::trackingStep() {
  movie::MovieDocument* m = movie();
  if (!m || m->currentTime() >= runEnd_) return finish(true);
  progressBar(static_cast<double>(runEnd_ - runStart_), static_cast<double>(m->currentTime() - runStart_));
  detect(rule_, rule_ == ChoiceRule::Nearest ? previous_ : nullptr);
  const std::int64_t before = m->currentTime();
  movieView_->stepForward();
  if (m->currentTime() <= before) finish(true);
}

bool CalMotionAnalyserImageWindow::mouseHeldTooLong() {
  return pressed_.isValid() && pressed_.elapsed() > kHoldToStopMs;
}

void CalMotionAnalyserImageWindow::tick() {
  if (pressed_.isValid()) {
    // While the button is held the run waits; held too long, it stops.
    if (mouseHeldTooLong()) stopRun();
    return;
  }
  if (mode_ == Mode::Background) {
    backgroundStep();
  } else if (mode_ == Mode::Tracking) {
    trackingStep();
  } else {
    timer_.stop();
  }
}

void CalMotionAnalyserImageWindow::finish(bool reachedEnd) {
  const bool tracking = mode_ == Mode::Tracking;
  timer_.stop();
  mode_ = Mode::Idle;
  progressBar(0, 0);
  if (tracking && reachedEnd) playFeedbackSound(QStringLiteral("Purr"));
  emit runEnded();
}

void CalMotionAnalyserImageWindow::stopRun() {
  if (!isRunning()) return;
  accumulator_.reset();
  finish(false);
  playFeedbackSound(QStringLiteral("Basso"));
}

void CalMotionAnalyserImageWindow::doClearText() { resultTextView_->clear(); }

void CalMotionAnalyserImageWindow::doSaveResult() {
  const QString path = resultFilePath(nowDateTime_);
  const QString failure = saveResultText(resultTextView_->toPlainText(), path);
  if (!failure.isEmpty()) {
    showErrMessageToConsole(("Can not save the result " + path + ": " + failure + "\n").toStdString());
    playFeedbackSound(QStringLiteral("Basso"));
    return;
  }
  playFeedbackSound(QStringLiteral("Tink"));
}

void CalMotionAnalyserImageWindow::closeMovieWindow() {
  if (window_) window_->close();
}

bool CalMotionAnalyserImageWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && window_ && widget->window() == window_) {
      if (type == QEvent::MouseButtonPress && !pressed_.isValid()) pressed_.start();
      if (type == QEvent::MouseButtonRelease) pressed_.invalidate();
    }
  }
  if (watched == window_ && type == QEvent::Close) {
    timer_.stop();
    mode_ = Mode::Idle;
    movieImageWindowID() = nullptr;
  }
  if (watched == movieView_ && type == QEvent::KeyPress && movie()) {
    // Arrows step the movie and detect at once: left and right a frame, up and down a second.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
      if (key == Qt::Key_Left) movieView_->stepBackward();
      if (key == Qt::Key_Right) movieView_->stepForward();
      if (key == Qt::Key_Up) movieView_->setCurrentTime(movie()->currentTime() + movie::kMovieTimeScale);
      if (key == Qt::Key_Down) movieView_->setCurrentTime(movie()->currentTime() - movie::kMovieTimeScale);
      getCurrentObjectPosition();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

bool openMovieImageWindowWithMovie(const QString& path) {
  std::unique_ptr<movie::MovieDocument> doc = movie::MovieDocument::open(path);
  if (!doc) return false;
  if (!movieImageWindowID()) {
    new CalMotionAnalyserImageWindow;  // lives as a child of its window
    placeBesideMainWindow(movieImageWindowID()->window(), programWindowAnchor());
  }
  CalMotionAnalyserImageWindow* w = movieImageWindowID().data();
  w->setMovieToMovieImageWindow(std::shared_ptr<movie::MovieDocument>(std::move(doc)),
                                QFileInfo(path).fileName());
  w->window()->show();
  w->window()->raise();
  return true;
}

bool openNulMovieImageWindow() {
  auto doc = movie::MovieDocument::fromPictureFile(paths::resource(QStringLiteral("pvIcon128.png")),
                                                   movie::kMovieTimeScale);
  if (!doc) return false;
  if (!movieImageWindowID()) {
    new CalMotionAnalyserImageWindow;
    placeBesideMainWindow(movieImageWindowID()->window(), programWindowAnchor());
  }
  CalMotionAnalyserImageWindow* w = movieImageWindowID().data();
  w->setMovieToMovieImageWindow(std::shared_ptr<movie::MovieDocument>(std::move(doc)), QString());
  w->window()->show();
  w->window()->raise();
  return true;
}

}  // namespace pravella::imaging
