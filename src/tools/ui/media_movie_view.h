#pragma once
// The movie view of the desk tools (the finder's preview and the movie drawer): one movie file
// played by the media backend, shown above a small controller bar (play/pause, position).
// It tells when the movie is loaded and when it cannot be played. The player and its video
// output are made for the first movie file shown: Qt Multimedia and the backend's codec
// libraries come with them (platform/ui/media_player_module.h), which an application that
// shows no movie never needs.

#include <QString>
#include <QWidget>

#include <memory>

#include "platform/ui/media_player_module.h"

class QSlider;
class QToolButton;

namespace pravella::tools {

class MediaMovieView : public QWidget {
  Q_OBJECT
 public:
  explicit MediaMovieView(QWidget* parent = nullptr);
  ~MediaMovieView() override;

  // Shows the movie in `path` (stopped at its start); an empty path clears the view.
  void setFile(const QString& path);
  QString file() const { return path_; }
  void clear() { setFile(QString()); }

  void play();
  void pause();
  void stop();
  bool isPlaying() const;
  // True once the shown movie is loaded and can play.
  bool isLoaded() const;

  // 0 plays once, 1 loops; 2 (back and forth) loops forward, which the backend can do.
  void setLoopMode(int mode);
  int loopMode() const { return loopMode_; }

  // The backend's player (a QMediaPlayer); null until the first movie file was shown.
  QObject* player() const { return player_ ? player_->backend() : nullptr; }

 signals:
  void loaded();
  void failed(const QString& reason);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // False (the view failed, saying why) when movies cannot be played here.
  bool ensurePlayer();
  void updateControls();
  // The player's own status can stay "loaded" after an error or a cleared source; the view
  // keeps its own account and shows no stale frame.
  void fail(const QString& reason);
  void blank();

  // Our own decoding of the shown file, opened beside the backend's for the pictures of its
  // frames (the backend's own conversion gets the colours of many formats wrong).
  void openFrameSource();

  QString path_;
  int loopMode_ = 0;
  int opening_ = 0;  // counts the files shown: a decoding opened for an older one is dropped
  bool loaded_ = false;
  bool failed_ = false;  // the shown file failed: a later "loaded" status is stale
  std::unique_ptr<player::MoviePlayer> player_;
  QWidget* screen_;  // the video output once made; a plain stand-in before
  QToolButton* playButton_;
  QSlider* slider_;
};

}  // namespace pravella::tools
