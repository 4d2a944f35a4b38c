#pragma once
// The seam to the media module (libpravella_media.so, built from src/imaging/media): the code
// that needs libavformat, libavcodec and OpenCV. Loading those libraries drags in some two
// hundred more (codecs, GDCM, JPEG XL, BLAS, ...), so they are opened on the first use of a
// movie file, a camera or a vision routine, never at start.
//
// Everything crosses the seam as Qt and standard types, or as the abstract classes below that
// the module implements; the module calls nothing of ours, so it carries no copy of any of our
// process-wide state.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/movie/movie_source.h"

namespace pravella::media {

// Frames read in order from camera 0 or a movie file.
class FrameReader {
 public:
  virtual ~FrameReader() = default;
  // The next frame; false at the end or when the source fails.
  virtual bool read() = 0;
  // Back to the first frame (a movie file); false when the source cannot seek.
  virtual bool rewind() = 0;
  // The rate the source declares; 0 when it declares none.
  virtual double framesPerSecond() const = 0;
  // The frame read last as RGB32; null before the first.
  virtual QImage image() const = 0;
};

// Feature points followed from frame to frame by pyramidal Lucas-Kanade optical flow.
class FeatureTracker {
 public:
  virtual ~FeatureTracker() = default;
  // Tracks the points of the previous frame into the reader's current one (or finds new ones
  // after requestInit), applies a pending click and draws the kept points into image().
  virtual void processFrame(const FrameReader& frames, bool recording) = 0;
  // A left click at (x, y) on the shown image: ignored before the first frame.
  virtual void click(int x, int y) = 0;
  // The shown image (RGB888).
  virtual QImage image() const = 0;
  virtual std::vector<QPointF> points() const = 0;
  virtual void clearPoints() = 0;
  virtual void requestInit() = 0;
  virtual void toggleNightMode() = 0;
  virtual bool nightMode() const = 0;
};

struct SnakeWeights {
  float alpha = 0;  // continuity: even spacing of the points
  float beta = 0;   // curvature
  float gamma = 0;  // image energy: the negative gradient magnitude
};

// The frames of a movie to write: count, size, and per frame its JPEG bytes (empty when it
// does not encode), start and duration in 1/600 s.
struct JpegMovieFrames {
  int count = 0;
  QSize size;
  std::function<QByteArray(int)> jpeg;
  std::function<std::int64_t(int)> start;
  std::function<std::int64_t(int)> duration;
};

// Bumped whenever this table or the classes above change, so that a stale module is refused
// instead of called through the wrong layout.
inline constexpr int kMediaModuleVersion = 2;

struct MediaFunctions {
  int version = 0;
  // Camera 0 (or the movie file $PRAVELLA_CAMERA0 names in its place); null when it cannot
  // be opened. `isMovieFile` tells which it was.
  std::unique_ptr<FrameReader> (*openCamera0)(bool* isMovieFile) = nullptr;
  // A movie file, path as given; null when it cannot be opened.
  std::unique_ptr<FrameReader> (*openMovieFrames)(const std::string& path) = nullptr;
  std::unique_ptr<FeatureTracker> (*newFeatureTracker)() = nullptr;
  // Fits a closed active contour from `contour` to the image (RGB32) and returns the image's
  // grey version with the fitted contour in red, 2 pixels wide; `contour` holds the result.
  QImage (*fitSnake)(const QImage& image, std::vector<QPoint>& contour, const SnakeWeights& weights) = nullptr;
  // A movie file decoded by libav; null with the reason in `why`.
  movie::MovieSourcePtr (*openMovieFile)(const QString& path, QString* why) = nullptr;
  // Writes the frames as a QuickTime movie of MJPEG packets at time scale 600 to `path`.
  bool (*writeJpegMovie)(const JpegMovieFrames& frames, const QString& path, QString* why) = nullptr;
};

// The module's table, loaded on first use; null when the module cannot be loaded, with the
// reason in `why`. Safe from any thread.
const MediaFunctions* mediaFunctions(QString* why = nullptr);

}  // namespace pravella::media
