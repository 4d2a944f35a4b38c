#include "tools/ui/media_movie_view.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QThreadPool>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/movie/movie_source.h"

namespace pravella::tools {

MediaMovieView::MediaMovieView(QWidget* parent)
    : QWidget(parent),
      screen_(new QWidget(this)),
      playButton_(new QToolButton(this)),
      slider_(new QSlider(Qt::Horizontal, this)) {
  playButton_->setAutoRaise(true);
  connect(playButton_, &QToolButton::clicked, this, [this] { isPlaying() ? pause() : play(); });
  slider_->setRange(0, 0);
  connect(slider_, &QSlider::sliderMoved, this, [this](int position) {
    if (player_) player_->setPosition(position);
  });

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(2, 0, 2, 0);
  bar->addWidget(playButton_);
  bar->addWidget(slider_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(screen_, 1);
  layout->addLayout(bar);
  updateControls();
}

MediaMovieView::~MediaMovieView() = default;

bool MediaMovieView::ensurePlayer() {
  if (player_) return true;
  QString why;
  const player::MediaPlayerFunctions* media = player::mediaPlayerFunctions(&why);
  if (!media) {
    fail(tr("Movies cannot be played: %1").arg(why));
    return false;
  }
  player::PlayerEvents events;
  events.durationChanged = [this](qint64 d) { slider_->setRange(0, static_cast<int>(d)); };
  events.positionChanged = [this](qint64 p) {
    if (!slider_->isSliderDown()) slider_->setValue(static_cast<int>(p));
  };
  events.playbackStateChanged = [this] { updateControls(); };
  events.mediaStatusChanged = [this](player::MediaStatus s) {
    if (s == player::MediaStatus::Loaded && !path_.isEmpty() && !loaded_ && !failed_) {
      loaded_ = true;
      emit loaded();
    }
    if (s == player::MediaStatus::Invalid) fail(player_->errorString());
    updateControls();
  };
  events.errorOccurred = [this](const QString& text) { fail(text); };
  player_ = media->newMoviePlayer(this, std::move(events));
  delete layout()->replaceWidget(screen_, player_->videoWidget());
  delete screen_;
  screen_ = player_->videoWidget();
  player_->setLooping(loopMode_ != 0);
  return true;
}

void MediaMovieView::openFrameSource() {
  if (player_) player_->setFrameSource({});
  const int opening = ++opening_;
  if (path_.isEmpty() || !player_) return;
  // Opening reads the file's packet index: off the GUI thread, the backend's pictures show
  // meanwhile.
  QPointer<MediaMovieView> self(this);
  const QString path = path_;
  QThreadPool::globalInstance()->start([self, opening, path] {
    movie::MovieSourcePtr source = movie::openMovieFileSource(path);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, opening, source] {
          if (!self || self->opening_ != opening || !source || !self->player_) return;
          // When each frame starts, in microseconds.
          auto starts = std::make_shared<std::vector<double>>();
          double at = 0;
          for (int i = 0; i < source->frameCount(); ++i) {
            starts->push_back(at * 1e6 / movie::kMovieTimeScale);
            at += static_cast<double>(source->frameDuration(i));
          }
          // The backend stamps its frames in the file's own clock, where a stream may start late.
          const double first = static_cast<double>(source->firstFrameMicroseconds());
          self->player_->setFrameSource([source, starts, first](qint64 us) {
            if (starts->empty()) return QImage();
            // Frame times are kept to 1/600 s: half of that is the same frame.
            const double when = static_cast<double>(us) - first + 1e6 / movie::kMovieTimeScale / 2;
            const auto next = std::upper_bound(starts->begin(), starts->end(), when);
            const int index = static_cast<int>(std::max<std::ptrdiff_t>(next - starts->begin() - 1, 0));
            return source->frame(index);
          });
        },
        Qt::QueuedConnection);
  });
}

void MediaMovieView::setFile(const QString& path) {
  if (player_) player_->stop();
  loaded_ = false;
  failed_ = false;
  path_ = path;
  if (path.isEmpty()) {
    if (player_) player_->setSource(QUrl());
    blank();
  } else if (!QFileInfo(path).isFile()) {
    if (player_) player_->setSource(QUrl());
    fail(tr("No such movie file: %1").arg(path));
  } else if (ensurePlayer()) {
    player_->setSource(QUrl::fromLocalFile(path));
  }
  openFrameSource();
  updateControls();
}

void MediaMovieView::play() {
  if (!path_.isEmpty() && player_) player_->play();
}

void MediaMovieView::pause() {
  if (player_) player_->pause();
}

void MediaMovieView::stop() {
  if (player_) player_->stop();
}

bool MediaMovieView::isPlaying() const { return loaded_ && player_ && player_->isPlaying(); }

bool MediaMovieView::isLoaded() const {
  if (!loaded_ || !player_) return false;
  switch (player_->mediaStatus()) {
    case player::MediaStatus::Loaded:
    case player::MediaStatus::Buffering:
    case player::MediaStatus::Buffered:
    case player::MediaStatus::EndOfMedia:
      return true;
    default:
      return false;
  }
}

void MediaMovieView::setLoopMode(int mode) {
  loopMode_ = mode;
  if (player_) player_->setLooping(mode != 0);
}

void MediaMovieView::fail(const QString& reason) {
  loaded_ = false;
  failed_ = true;
  if (player_) player_->stop();
  blank();
  updateControls();
  emit failed(reason);
}

void MediaMovieView::blank() {
  if (player_) player_->blank();
}

void MediaMovieView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  updateControls();
}

void MediaMovieView::updateControls() {
  playButton_->setEnabled(!path_.isEmpty());
  // The style reads its icons from image files: not before the view is first shown.
  if (!isVisible()) return;
  playButton_->setIcon(style()->standardIcon(isPlaying() ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
}

}  // namespace pravella::tools
