#include "imaging/movie/movie_writer.h"

#include <QBuffer>
#include <QImageWriter>

#include "imaging/media_module.h"
#include "imaging/movie/movie_document.h"
#include "platform/atomic_file.h"

namespace pravella::movie {

namespace {

QByteArray jpegOf(const MovieDocument& movie, int i, int quality) {
  const MovieDocument::FrameRef& ref = movie.frameRef(i);
  QByteArray bytes = ref.source->jpegBytes(ref.index);
  if (!bytes.isEmpty()) return bytes;
  const QImage image = ref.source->frame(ref.index);
  if (image.isNull()) return {};
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(quality);
  if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) return {};
  return bytes;
}

}  // namespace

bool writeJpegMovie(const MovieDocument& movie, const QString& path, int jpegQuality, QString* why) {
  if (movie.isEmpty()) {
    if (why) *why = QStringLiteral("the movie has no frames");
    return false;
  }
  const media::MediaFunctions* module = media::mediaFunctions(why);
  if (!module) return false;
  media::JpegMovieFrames frames;
  frames.count = movie.frameCount();
  frames.size = movie.naturalSize();
  frames.jpeg = [&movie, jpegQuality](int i) { return jpegOf(movie, i, jpegQuality); };
  frames.start = [&movie](int i) { return movie.frameStart(i); };
  frames.duration = [&movie](int i) { return movie.frameDuration(i); };
  // The muxer writes the temporary by name; the save gives it the mode of any file it replaces,
  // else the user's usual one, and renames it over the target in one step.
  const WriteResult saved = writeFileAtomicallyThrough(path, [&](const QString& temporary) {
    QString reason;
    if (!module->writeJpegMovie(frames, temporary, &reason)) return WriteResult(false, reason);
    return WriteResult(true);
  });
  if (!saved && why) *why = saved.error;
  return saved.ok;
}

}  // namespace pravella::movie
