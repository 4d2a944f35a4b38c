// Movies and sounds through Qt Multimedia.

#include "platform/ui/media_player/media_player.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QHash>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPainter>
#include <QPointer>
#include <QSoundEffect>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QVideoSink>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace pravella::player {

namespace {

MediaStatus statusOf(QMediaPlayer::MediaStatus s) {
  switch (s) {
    case QMediaPlayer::NoMedia:
      return MediaStatus::NoMedia;
    case QMediaPlayer::LoadingMedia:
      return MediaStatus::Loading;
    case QMediaPlayer::LoadedMedia:
      return MediaStatus::Loaded;
    case QMediaPlayer::StalledMedia:
      return MediaStatus::Stalled;
    case QMediaPlayer::BufferingMedia:
      return MediaStatus::Buffering;
    case QMediaPlayer::BufferedMedia:
      return MediaStatus::Buffered;
    case QMediaPlayer::EndOfMedia:
      return MediaStatus::EndOfMedia;
    case QMediaPlayer::InvalidMedia:
      return MediaStatus::Invalid;
  }
  return MediaStatus::Invalid;
}

// The video output: each frame painted whole, scaled to fit the view with its proportions, the
// rest black. (The backend's own video widget draws into a window of its own, which showed a
// frame wider than the view cut at its right edge.)
class FittedVideoView final : public QWidget {
 public:
  explicit FittedVideoView(QWidget* parent) : QWidget(parent), sink_(new QVideoSink(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QObject::connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
      frame_ = frame;
      present();
    });
  }
  QVideoSink* sink() const { return sink_; }
  void setFrameSource(std::function<QImage(qint64)> frameAt) {
    frameAt_ = std::move(frameAt);
    present();
  }
  QImage image() const { return image_; }
  // Where the frame shows: the whole of it, as large as fits, centred.
  QRect frameRect() const {
    if (image_.isNull()) return {};
    const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
  }
  QSize sizeHint() const override { return image_.isNull() ? QSize(320, 240) : image_.size(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (image_.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(frameRect(), image_);
  }

 private:
  // The picture of the frame last given: the owner's where it has one (the backend's own
  // conversion gets the colours of full-range and 4:4:4 frames wrong and shows RGB frames
  // without alpha black), else the backend's.
  void present() {
    QImage image;
    if (frame_.isValid() && frameAt_) image = frameAt_(std::max<qint64>(frame_.startTime(), 0));
    if (image.isNull() && frame_.isValid()) {
      image = frame_.toImage();
      // Only the part of the decoded frame that is picture: decoders pad their rows.
      const QRect visible = frame_.surfaceFormat().viewport();
      if (!image.isNull() && visible.isValid() && visible != image.rect()) image = image.copy(visible);
    }
    image_ = image;
    update();
  }

  QVideoSink* sink_;
  QVideoFrame frame_;
  std::function<QImage(qint64)> frameAt_;
  QImage image_;
};

class QtMoviePlayer final : public MoviePlayer {
 public:
  QtMoviePlayer(QWidget* parent, PlayerEvents events)
      : events_(std::move(events)),
        player_(new QMediaPlayer),
        audio_(new QAudioOutput),
        video_(new FittedVideoView(parent)) {
    player_->setAudioOutput(audio_);
    player_->setVideoSink(video_->sink());
    QObject::connect(player_, &QMediaPlayer::durationChanged, player_, [this](qint64 d) {
      if (events_.durationChanged) events_.durationChanged(d);
    });
    QObject::connect(player_, &QMediaPlayer::positionChanged, player_, [this](qint64 p) {
      if (events_.positionChanged) events_.positionChanged(p);
    });
    QObject::connect(player_, &QMediaPlayer::playbackStateChanged, player_, [this] {
      if (events_.playbackStateChanged) events_.playbackStateChanged();
    });
    QObject::connect(player_, &QMediaPlayer::mediaStatusChanged, player_,
                     [this](QMediaPlayer::MediaStatus s) {
                       if (events_.mediaStatusChanged) events_.mediaStatusChanged(statusOf(s));
                     });
    QObject::connect(player_, &QMediaPlayer::errorOccurred, player_,
                     [this](QMediaPlayer::Error, const QString& text) {
                       if (events_.errorOccurred) events_.errorOccurred(text);
                     });
  }

  ~QtMoviePlayer() override {
    // Its owner is going: it hears nothing more.
    QObject::disconnect(player_, nullptr, nullptr, nullptr);
    player_->stop();
    delete player_;
    delete audio_;
    delete video_.data();
  }

  QWidget* videoWidget() const override { return video_; }
  QObject* backend() const override { return player_; }
  void setSource(const QUrl& url) override {
    // The backend ignores its own source given again and reports no status, which would leave
    // the view unloaded for good; a fresh load also reads a file rewritten since.
    if (!url.isEmpty() && player_->source() == url) player_->setSource(QUrl());
    player_->setSource(url);
  }
  void play() override { player_->play(); }
  void pause() override { player_->pause(); }
  void stop() override { player_->stop(); }
  bool isPlaying() const override { return player_->playbackState() == QMediaPlayer::PlayingState; }
  MediaStatus mediaStatus() const override { return statusOf(player_->mediaStatus()); }
  QString errorString() const override { return player_->errorString(); }
  void setLooping(bool looping) override {
    player_->setLoops(looping ? QMediaPlayer::Infinite : QMediaPlayer::Once);
  }
  void setPosition(qint64 ms) override { player_->setPosition(ms); }
  void blank() override {
    if (!video_) return;
    video_->sink()->setVideoFrame(QVideoFrame());
  }
  void setFrameSource(std::function<QImage(qint64)> frameAt) override {
    if (video_) video_->setFrameSource(std::move(frameAt));
  }

 private:
  PlayerEvents events_;
  QMediaPlayer* player_;
  QAudioOutput* audio_;
  QPointer<FittedVideoView> video_;  // its parent may take it first
};

}  // namespace

std::unique_ptr<MoviePlayer> newQtMoviePlayer(QWidget* parent, PlayerEvents events) {
  return std::make_unique<QtMoviePlayer>(parent, std::move(events));
}

bool qtAudioOutputExists() {
  // Asked once: the device list does not change while a short feedback sound matters.
  static const bool exists = !QMediaDevices::audioOutputs().isEmpty();
  return exists;
}

void playQtSoundFile(const QString& name, const QString& path) {
  static QHash<QString, QSoundEffect*> effects;
  QSoundEffect* effect = effects.value(name);
  if (!effect) {
    effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl::fromLocalFile(path));
    effects.insert(name, effect);
  }
  effect->play();
}

}  // namespace pravella::player
