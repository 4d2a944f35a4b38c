#include "imaging/ui/movie_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pravella::imaging {

using movie::MovieDocument;

MovieView::MovieView(QWidget* parent) : QWidget(parent) {
  setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &MovieView::tick);

  bar_ = new QWidget(this);
  bar_->setFixedHeight(kControllerHeight);
  auto* row = new QHBoxLayout(bar_);
  row->setContentsMargins(2, 0, 4, 0);
  row->setSpacing(4);
  playButton_ = new QToolButton(bar_);
  playButton_->setObjectName(QStringLiteral("playButton"));
  playButton_->setAutoRaise(true);
  playButton_->setFixedSize(kControllerHeight, kControllerHeight);
  playButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  connect(playButton_, &QToolButton::clicked, this, [this] { isPlaying() ? stop() : play(); });
  slider_ = new QSlider(Qt::Horizontal, bar_);
  slider_->setObjectName(QStringLiteral("timeSlider"));
  connect(slider_, &QSlider::sliderMoved, this, [this](int v) { setCurrentTime(v); });
  timeLabel_ = new QLabel(bar_);
  timeLabel_->setObjectName(QStringLiteral("timeLabel"));
  QFont small = timeLabel_->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  timeLabel_->setFont(small);
  row->addWidget(playButton_);
  row->addWidget(slider_, 1);
  row->addWidget(timeLabel_);
  refresh();
}

MovieView::~MovieView() = default;

void MovieView::setMovie(std::shared_ptr<MovieDocument> movie) {
  stop();
  movie_ = std::move(movie);
  refresh();
}

QSize MovieView::movieSizeWithBar() const {
  const QSize natural = movie_ ? movie_->naturalSize() : QSize();
  return {std::max(natural.width(), 1), std::max(natural.height(), 0) + kControllerHeight};
}

void MovieView::refresh() {
  const std::int64_t duration = movie_ ? movie_->duration() : 0;
  const std::int64_t now = movie_ ? movie_->currentTime() : 0;
  // A slider counts in int: long movies move it in coarser steps.
  slider_->blockSignals(true);
  slider_->setRange(0, static_cast<int>(std::min<std::int64_t>(duration, INT32_MAX)));
  slider_->setValue(static_cast<int>(std::min<std::int64_t>(now, INT32_MAX)));
  slider_->blockSignals(false);
  const double seconds = static_cast<double>(now) / movie::kMovieTimeScale;
  const int whole = static_cast<int>(seconds);
  timeLabel_->setText(QStringLiteral("%1:%2.%3")
                          .arg(whole / 60)
                          .arg(whole % 60, 2, 10, QLatin1Char('0'))
                          .arg(static_cast<int>((seconds - whole) * 100), 2, 10, QLatin1Char('0')));
  playButton_->setIcon(style()->standardIcon(isPlaying() ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
  update();
  emit currentTimeChanged(now);
}

void MovieView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area(0, 0, width(), height() - kControllerHeight);
  p.fillRect(area, Qt::black);
  if (!movie_) return;
  const QImage frame = movie_->currentFrame();
  if (frame.isNull() || area.isEmpty()) return;
  // The whole frame in its proportions, as large as fits, centred: a window the screen or
  // the user made of other proportions shows black beside it rather than a squashed movie.
  const QSize fitted = frame.size().scaled(area.size(), Qt::KeepAspectRatio);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(
      QRect(QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2), fitted),
      frame);
}

void MovieView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  bar_->setGeometry(0, height() - kControllerHeight, width(), kControllerHeight);
}

std::pair<std::int64_t, std::int64_t> MovieView::playRange() const {
  if (selectionOnly_ && movie_->selectionDuration() > 0)
    return {movie_->selectionStart(), movie_->selectionStart() + movie_->selectionDuration()};
  return {0, movie_->duration()};
}

void MovieView::play() {
  if (!movie_ || movie_->isEmpty() || rate_ == 0) return;
  direction_ = rate_ < 0 ? -1 : 1;
  const auto [begin, end] = playRange();
  // Playing from the end starts over, as a player does.
  if (direction_ > 0 && movie_->currentTime() >= end) movie_->setCurrentTime(begin);
  if (direction_ < 0 && movie_->currentTime() <= begin) movie_->setCurrentTime(end);
  scheduleTick();
  refresh();
}

void MovieView::stop() {
  timer_.stop();
  if (playButton_) refresh();
}

void MovieView::scheduleTick() {
  const int i = movie_->frameIndexAt(movie_->currentTime());
  const std::int64_t units = i >= 0 ? std::max<std::int64_t>(movie_->frameDuration(i), 1) : 1;
  const double ms = 1000.0 * static_cast<double>(units) / movie::kMovieTimeScale / std::abs(rate_);
  timer_.start(static_cast<int>(std::clamp(ms, 1.0, 3600000.0)));
}

void MovieView::tick() {
  if (!movie_) return;
  const auto [begin, end] = playRange();
  const std::int64_t before = movie_->currentTime();
  if (direction_ > 0) {
    movie_->stepForward();
  } else {
    movie_->stepBackward();
  }
  const std::int64_t now = movie_->currentTime();
  const bool atEdge = direction_ > 0 ? (now >= end || now == before) : (now <= begin || now == before);
  if (atEdge) {
    if (loopMode_ == 1) {
      movie_->setCurrentTime(direction_ > 0 ? begin : end);
    } else if (loopMode_ == 2) {
      direction_ = -direction_;
      movie_->setCurrentTime(direction_ > 0 ? begin : end);
    } else {
      movie_->setCurrentTime(direction_ > 0 ? end : begin);
      timer_.stop();
      refresh();
      return;
    }
  }
  scheduleTick();
  refresh();
}

void MovieView::gotoBeginning() {
  if (!movie_) return;
  movie_->gotoBeginning();
  refresh();
}
void MovieView::gotoEnd() {
  if (!movie_) return;
  movie_->gotoEnd();
  refresh();
}
void MovieView::stepForward() {
  if (!movie_) return;
  stop();
  movie_->stepForward();
  refresh();
}
void MovieView::stepBackward() {
  if (!movie_) return;
  stop();
  movie_->stepBackward();
  refresh();
}
void MovieView::setCurrentTime(std::int64_t units) {
  if (!movie_) return;
  movie_->setCurrentTime(units);
  refresh();
}

void MovieView::copy() {
  if (movie_) movie_->copy();
}
void MovieView::cut() {
  if (!movie_ || !editable_) return;
  movie_->cut();
  refresh();
}
void MovieView::paste() {
  if (!movie_ || !editable_) return;
  movie_->paste();
  refresh();
}
void MovieView::deleteSelection() {
  if (!movie_ || !editable_) return;
  movie_->deleteSelection();
  refresh();
}
void MovieView::selectAll() {
  if (!movie_) return;
  movie_->selectAll();
  refresh();
}
void MovieView::selectNone() {
  if (!movie_) return;
  movie_->selectNone();
  refresh();
}

void MovieView::setRate(double rate) {
  if (!std::isfinite(rate)) return;
  rate_ = rate;
  if (isPlaying()) {
    if (rate_ == 0) {
      stop();
    } else {
      direction_ = rate_ < 0 ? -1 : 1;
    }
  }
}

void MovieView::setLoopMode(int mode) {
  if (mode < 0 || mode > 2) return;  // only normal, loop and back-and-forth exist
  loopMode_ = mode;
}

void MovieView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    copy();
  } else if (event == QKeySequence::Cut) {
    cut();
  } else if (event == QKeySequence::Paste) {
    paste();
  } else if (event == QKeySequence::SelectAll) {
    selectAll();
  } else if (event->key() == Qt::Key_Space) {
    isPlaying() ? stop() : play();
  } else if (event->key() == Qt::Key_Right) {
    stepForward();
  } else if (event->key() == Qt::Key_Left) {
    stepBackward();
  } else {
    QWidget::keyPressEvent(event);
  }
}

namespace {

QString firstDroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
  return urls.first().toLocalFile();
}

}  // namespace

void MovieView::dragEnterEvent(QDragEnterEvent* event) {
  if (!firstDroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MovieView::dragMoveEvent(QDragMoveEvent* event) {
  if (!firstDroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MovieView::dropEvent(QDropEvent* event) {
  // The drop always counts as taken; a file that is no movie is simply ignored.
  event->acceptProposedAction();
  openDroppedFile(firstDroppedFile(event->mimeData()));
}

bool MovieView::openDroppedFile(const QString& path) {
  if (path.isEmpty() || QFileInfo(path).isDir()) return false;
  std::unique_ptr<MovieDocument> dropped = MovieDocument::open(path);
  if (!dropped) return false;
  setMovie(std::shared_ptr<MovieDocument>(std::move(dropped)));
  emit movieDropped(path);
  return true;
}

}  // namespace pravella::imaging
