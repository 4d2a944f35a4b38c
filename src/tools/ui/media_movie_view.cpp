#include "tools/ui/media_movie_view.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

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

MediaMovieView::~MediaMovieView() {
  if (player_) player_->stop();
}

void MediaMovieView::ensurePlayer() {
  if (player_) return;
  player_ = new QMediaPlayer(this);
  audio_ = new QAudioOutput(this);
  video_ = new QVideoWidget(this);
  delete layout()->replaceWidget(screen_, video_);
  delete screen_;
  screen_ = video_;
  player_->setAudioOutput(audio_);
  player_->setVideoOutput(video_);
  player_->setLoops(loopMode_ == 0 ? QMediaPlayer::Once : QMediaPlayer::Infinite);
  video_->setAspectRatioMode(Qt::KeepAspectRatio);

  connect(player_, &QMediaPlayer::durationChanged, this,
          [this](qint64 d) { slider_->setRange(0, static_cast<int>(d)); });
  connect(player_, &QMediaPlayer::positionChanged, this, [this](qint64 p) {
    if (!slider_->isSliderDown()) slider_->setValue(static_cast<int>(p));
  });
  connect(player_, &QMediaPlayer::playbackStateChanged, this, [this] { updateControls(); });
  connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
    if (s == QMediaPlayer::LoadedMedia && !path_.isEmpty() && !loaded_ && !failed_) {
      loaded_ = true;
      emit loaded();
    }
    if (s == QMediaPlayer::InvalidMedia) fail(player_->errorString());
    updateControls();
  });
  connect(player_, &QMediaPlayer::errorOccurred, this,
          [this](QMediaPlayer::Error, const QString& text) { fail(text); });
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
  } else {
    ensurePlayer();
    // The backend ignores its own source given again and reports no status, which would leave
    // the view unloaded for good; a fresh load also reads a file rewritten since.
    const QUrl url = QUrl::fromLocalFile(path);
    if (player_->source() == url) player_->setSource(QUrl());
    player_->setSource(url);
  }
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

bool MediaMovieView::isPlaying() const {
  return loaded_ && player_ && player_->playbackState() == QMediaPlayer::PlayingState;
}

bool MediaMovieView::isLoaded() const {
  if (!loaded_ || !player_) return false;
  switch (player_->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::EndOfMedia:
      return true;
    default:
      return false;
  }
}

void MediaMovieView::setLoopMode(int mode) {
  loopMode_ = mode;
  if (player_) player_->setLoops(mode == 0 ? QMediaPlayer::Once : QMediaPlayer::Infinite);
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
  if (!video_) return;
  if (QVideoSink* sink = video_->videoSink()) sink->setVideoFrame(QVideoFrame());
}

void MediaMovieView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  updateControls();
}

void MediaMovieView::updateControls() {
  playButton_->setEnabled(!path_.isEmpty());
  // The style reads its icons from image files: not before the view is first shown.
  if (!isVisible()) return;
  playButton_->setIcon(style()->standardIcon(isPlaying() ? QStyle::SP_MediaPause
                                                         : QStyle::SP_MediaPlay));
}

}  // namespace pravella::tools
