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
      player_(new QMediaPlayer(this)),
      audio_(new QAudioOutput(this)),
      video_(new QVideoWidget(this)),
      playButton_(new QToolButton(this)),
      slider_(new QSlider(Qt::Horizontal, this)) {
  player_->setAudioOutput(audio_);
  player_->setVideoOutput(video_);
  video_->setAspectRatioMode(Qt::KeepAspectRatio);

  playButton_->setAutoRaise(true);
  connect(playButton_, &QToolButton::clicked, this, [this] { isPlaying() ? pause() : play(); });
  slider_->setRange(0, 0);
  connect(slider_, &QSlider::sliderMoved, player_, &QMediaPlayer::setPosition);
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

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(2, 0, 2, 0);
  bar->addWidget(playButton_);
  bar->addWidget(slider_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(video_, 1);
  layout->addLayout(bar);
  updateControls();
}

MediaMovieView::~MediaMovieView() { player_->stop(); }

void MediaMovieView::setFile(const QString& path) {
  player_->stop();
  loaded_ = false;
  failed_ = false;
  path_ = path;
  if (path.isEmpty()) {
    player_->setSource(QUrl());
    blank();
  } else if (!QFileInfo(path).isFile()) {
    player_->setSource(QUrl());
    fail(tr("No such movie file: %1").arg(path));
  } else {
    // The backend ignores its own source given again and reports no status, which would leave
    // the view unloaded for good; a fresh load also reads a file rewritten since.
    const QUrl url = QUrl::fromLocalFile(path);
    if (player_->source() == url) player_->setSource(QUrl());
    player_->setSource(url);
  }
  updateControls();
}

void MediaMovieView::play() {
  if (!path_.isEmpty()) player_->play();
}

void MediaMovieView::pause() { player_->pause(); }

void MediaMovieView::stop() { player_->stop(); }

bool MediaMovieView::isPlaying() const {
  return loaded_ && player_->playbackState() == QMediaPlayer::PlayingState;
}

bool MediaMovieView::isLoaded() const {
  if (!loaded_) return false;
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
  player_->setLoops(mode == 0 ? QMediaPlayer::Once : QMediaPlayer::Infinite);
}

void MediaMovieView::fail(const QString& reason) {
  loaded_ = false;
  failed_ = true;
  player_->stop();
  blank();
  updateControls();
  emit failed(reason);
}

void MediaMovieView::blank() {
  if (QVideoSink* sink = video_->videoSink()) sink->setVideoFrame(QVideoFrame());
}

void MediaMovieView::updateControls() {
  playButton_->setEnabled(!path_.isEmpty());
  playButton_->setIcon(style()->standardIcon(isPlaying() ? QStyle::SP_MediaPause
                                                         : QStyle::SP_MediaPlay));
}

}  // namespace pravella::tools
