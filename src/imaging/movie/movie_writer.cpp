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
  // Every reason names the file, as the save's own failures (a full disk at the rename) do.
  const auto refused = [&](const QString& reason) {
    return WriteResult(false, QStringLiteral("Cannot save \"%1\": %2").arg(path, reason));
  };
  const auto report = [why](const WriteResult& result) {
    if (!result && why) *why = result.error;
    return result.ok;
  };
  if (movie.isEmpty()) return report(refused(QStringLiteral("the movie has no frames")));
  QString missing;
  const media::MediaFunctions* module = media::mediaFunctions(&missing);
  if (!module) return report(refused(missing));
  media::JpegMovieFrames frames;
  frames.count = movie.frameCount();
  frames.size = movie.naturalSize();
  frames.jpeg = [&movie, jpegQuality](int i) { return jpegOf(movie, i, jpegQuality); };
  frames.start = [&movie](int i) { return movie.frameStart(i); };
  frames.duration = [&movie](int i) { return movie.frameDuration(i); };
  // The muxer writes the temporary by name; the save gives it the mode of any file it replaces,
  // else the user's usual one, and renames it over the target in one step.
  return report(writeFileAtomicallyThrough(path, [&](const QString& temporary) {
    QString reason;
    if (!module->writeJpegMovie(frames, temporary, &reason)) return refused(reason);
    return WriteResult(true);
  }));
}

}  // namespace pravella::movie
