#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "imaging/movie/movie_source.h"

namespace pravella::movie {

namespace {

QImage decode(const QByteArray& encoded, QByteArray* format = nullptr) {
  QByteArray bytes = encoded;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  if (format) *format = reader.format();
  return reader.read();
}

}  // namespace

bool StillSource::append(const QByteArray& encoded, std::int64_t duration, const QString& file) {
  QByteArray format;
  const QImage image = decode(encoded, &format);
  if (image.isNull()) return false;
  const bool jpeg = format == "jpeg" || format == "jpg";
  if (file.isEmpty()) {
    stills_.push_back({encoded, QString(), duration, image.size(), jpeg});
  } else {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(encoded) != encoded.size() || !out.flush()) return false;
    stills_.push_back({QByteArray(), file, duration, image.size(), jpeg});
  }
  cachedIndex_ = static_cast<int>(stills_.size()) - 1;
  cached_ = image.convertToFormat(QImage::Format_RGB32);
  return true;
}

QImage StillSource::frame(int index) {
  if (index < 0 || index >= frameCount()) return {};
  if (index != cachedIndex_) {
    cached_ = decode(encodedBytes(index)).convertToFormat(QImage::Format_RGB32);
    cachedIndex_ = index;
  }
  return cached_;
}

QByteArray StillSource::encodedBytes(int index) const {
  if (index < 0 || index >= frameCount()) return {};
  const Still& still = stills_[index];
  if (still.file.isEmpty()) return still.encoded;
  QFile in(still.file);
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QByteArray StillSource::jpegBytes(int index) const {
  if (index < 0 || index >= frameCount() || !stills_[index].jpeg) return {};
  return encodedBytes(index);
}

}  // namespace pravella::movie
