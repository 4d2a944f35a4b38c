#include "tools/jpeg_file.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/atomic_file.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace pravella {

bool saveAsJpeg(const QImage& image, const QString& path, float quality) {
  if (image.isNull()) return false;
  QImage opaque(image.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  {
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
  }
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  const int q = static_cast<int>(std::lround(std::clamp(quality, 0.0f, 1.0f) * 100.0f));
  if (!opaque.save(&buffer, "JPEG", q)) return false;
  if (WriteResult written = writeFileAtomically(path, jpeg); !written) {
    showErrMessageToConsole(written.error.toStdString() + "\n");
    return false;
  }
  return true;
}

QString freshPictureFileName(const QString& folder, const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  for (int counter = 0;; ++counter) {
    const QString path =
        folder + QLatin1Char('/') +
        QString::fromStdString(cformat("%04d%02d%02d%02d%02d%02d%02d.jpg", d.year(), d.month(), d.day(),
                                       t.hour(), t.minute(), t.second(), counter));
    if (!QFileInfo::exists(path)) return path;
  }
}

QByteArray withJpegComment(const QByteArray& jpeg, const std::string& comment) {
  if (jpeg.size() < 2 || static_cast<unsigned char>(jpeg[0]) != 0xFF ||
      static_cast<unsigned char>(jpeg[1]) != 0xD8)
    return jpeg;
  // A comment segment holds at most 65,533 bytes of text.
  const std::string text = comment.substr(0, 65533);
  QByteArray segment;
  segment.append(static_cast<char>(0xFF));
  segment.append(static_cast<char>(0xFE));
  const int length = static_cast<int>(text.size()) + 2;
  segment.append(static_cast<char>(length >> 8));
  segment.append(static_cast<char>(length & 0xFF));
  segment.append(text.data(), static_cast<qsizetype>(text.size()));
  return jpeg.left(2) + segment + jpeg.mid(2);
}

int writeCommentToJPEGFile(const std::string& path, const std::string& comment) {
  const QString file = QString::fromStdString(path);
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return 0;
  const QByteArray jpeg = in.readAll();
  in.close();
  if (!writeFileAtomically(file, withJpegComment(jpeg, comment))) return 0;
  NotificationCenter::defaultCenter().post(QStringLiteral("pastePictureToDocument"), file);
  return 1;
}

}  // namespace pravella
