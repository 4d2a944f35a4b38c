#pragma once
// Where the frames of a movie come from: a movie file decoded by libav, or still pictures
// (the placeholder icon, the frames a program adds to a built movie). A movie document's edit
// list refers to frames of sources by index, so a cut and paste between two movies shares the
// source rather than copying pictures.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace pravella::movie {

// Every movie counts time in 1/600 s: it divides evenly by the common frame rates (24, 25,
// 30, 50, 60) and is the unit programs see in movie times.
inline constexpr std::int32_t kMovieTimeScale = 600;

class MovieSource {
 public:
  virtual ~MovieSource() = default;
  virtual int frameCount() const = 0;
  // In 1/600 s; 0 only for a frame that shares its whole unit with the next.
  virtual std::int64_t frameDuration(int index) const = 0;
  virtual QSize naturalSize() const = 0;
  // The frame at natural size, decoded exactly; a null image when it cannot be decoded.
  virtual QImage frame(int index) = 0;
  // The frame as the JPEG it is stored as; empty when it is not one.
  virtual QByteArray jpegBytes(int /*index*/) const { return {}; }
  // When the first frame is stamped in the file's own clock, in microseconds (a stream may
  // start late); frame times above count from it.
  virtual std::int64_t firstFrameMicroseconds() const { return 0; }
};

using MovieSourcePtr = std::shared_ptr<MovieSource>;

// A movie file through libavformat: any file with a video stream it can open and decode. Null,
// with the reason in `why`, when the file is not such a movie or the media module, which does
// the decoding, cannot be loaded. Sound is left alone.
MovieSourcePtr openMovieFileSource(const QString& path, QString* why = nullptr);

// Still frames, each held encoded (JPEG, PNG, ...) with its duration.
class StillSource : public MovieSource {
 public:
  struct Still {
    QByteArray encoded;  // empty when the bytes were kept in `file`
    QString file;
    std::int64_t duration = 0;
    QSize size;
    bool jpeg = false;
  };
  int frameCount() const override { return static_cast<int>(stills_.size()); }
  std::int64_t frameDuration(int index) const override { return stills_[index].duration; }
  QSize naturalSize() const override { return stills_.empty() ? QSize() : stills_.front().size; }
  QImage frame(int index) override;
  QByteArray jpegBytes(int index) const override;
  QByteArray encodedBytes(int index) const;
  // Appends a frame; false when the bytes do not decode as a picture. With a `file`, the bytes
  // are written there and read back when needed instead of being held in memory.
  bool append(const QByteArray& encoded, std::int64_t duration, const QString& file = {});

 private:
  std::vector<Still> stills_;
  int cachedIndex_ = -1;
  QImage cached_;
};

}  // namespace pravella::movie
