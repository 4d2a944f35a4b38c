#pragma once
// The seam to the media-player module (libpravella_media_player.so, built from
// src/platform/ui/media_player): Qt Multimedia, which plays the desk tools' movies and the
// feedback sounds. Its library brings some twenty more (PulseAudio, the sound-file codecs,
// Kerberos) and its backend the movie codecs, so the module is opened for the first movie or
// sound, never at start.
//
// Everything crosses the seam as Qt and standard types or as the abstract class below that the
// module implements; the module calls nothing of ours.

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QImage;
class QObject;
class QWidget;

namespace pravella::player {

enum class MediaStatus { NoMedia, Loading, Loaded, Stalled, Buffering, Buffered, EndOfMedia, Invalid };

// What the player tells its owner, on the GUI thread.
struct PlayerEvents {
  std::function<void(qint64 ms)> durationChanged;
  std::function<void(qint64 ms)> positionChanged;
  std::function<void()> playbackStateChanged;
  std::function<void(MediaStatus status)> mediaStatusChanged;
  std::function<void(const QString& reason)> errorOccurred;
};

// A movie player with its video output and an audio output.
class MoviePlayer {
 public:
  virtual ~MoviePlayer() = default;
  // The video output, a child of the parent the player was made with; it keeps the aspect ratio.
  virtual QWidget* videoWidget() const = 0;
  // The backend's own player object (a QMediaPlayer), for tests that ask it directly.
  virtual QObject* backend() const = 0;
  // Loads the movie at `url` (empty: none), afresh even when it is the one already given.
  virtual void setSource(const QUrl& url) = 0;
  virtual void play() = 0;
  virtual void pause() = 0;
  virtual void stop() = 0;
  virtual bool isPlaying() const = 0;
  virtual MediaStatus mediaStatus() const = 0;
  virtual QString errorString() const = 0;
  virtual void setLooping(bool looping) = 0;
  virtual void setPosition(qint64 ms) = 0;
  // Shows no frame (the backend keeps the last one after an error or a cleared source).
  virtual void blank() = 0;
  // Where the pictures of the frames come from: `frameAt` answers the picture of the frame
  // shown at a time (microseconds from the movie's start), or a null image where the
  // backend's own picture is to show. None: the backend's own. The shown frame is drawn again.
  virtual void setFrameSource(std::function<QImage(qint64 us)> frameAt) = 0;
};

// Bumped whenever this table or the class above change, so that a stale module is refused
// instead of called through the wrong layout.
inline constexpr int kMediaPlayerModuleVersion = 2;

struct MediaPlayerFunctions {
  int version = 0;
  std::unique_ptr<MoviePlayer> (*newMoviePlayer)(QWidget* parent, PlayerEvents events) = nullptr;
  // True when the system has an audio output (asked once).
  bool (*audioOutputExists)() = nullptr;
  // Plays the sound file at `path`, kept loaded under `name` for the next time; never waits.
  void (*playSoundFile)(const QString& name, const QString& path) = nullptr;
};

// The module's table, loaded on first use; null when the module cannot be loaded, with the
// reason in `why`. GUI thread only.
const MediaPlayerFunctions* mediaPlayerFunctions(QString* why = nullptr);

}  // namespace pravella::player
