#include "imaging/movie/movie_writer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryFile>

#include <cstdio>

#include "imaging/media_module.h"
#include "imaging/movie/movie_document.h"

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
  const QFileInfo target(path);
  QString temporary;
  {
    // Only for a unique name beside the target; the muxer writes the file itself.
    QTemporaryFile name(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!name.open()) {
      if (why) *why = QStringLiteral("cannot write in ") + target.absolutePath();
      return false;
    }
    temporary = name.fileName();
    name.setAutoRemove(false);
  }
  const media::MediaFunctions* module = media::mediaFunctions(why);
  media::JpegMovieFrames frames;
  frames.count = movie.frameCount();
  frames.size = movie.naturalSize();
  frames.jpeg = [&movie, jpegQuality](int i) { return jpegOf(movie, i, jpegQuality); };
  frames.start = [&movie](int i) { return movie.frameStart(i); };
  frames.duration = [&movie](int i) { return movie.frameDuration(i); };
  if (!module || !module->writeJpegMovie(frames, temporary, why)) {
    QFile::remove(temporary);
    return false;
  }
  // rename(2) replaces the old file in one step.
  if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
    QFile::remove(temporary);
    if (why) *why = QStringLiteral("cannot rename onto ") + path;
    return false;
  }
  return true;
}

}  // namespace pravella::movie
