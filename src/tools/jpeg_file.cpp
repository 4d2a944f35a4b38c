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

bool saveAsJpeg(const QImage& image, const QString& path, float quality, QString* why) {
  auto refuse = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  if (image.isNull()) return refuse(QStringLiteral("Cannot save \"%1\": there is no picture.").arg(path));
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
  if (!opaque.save(&buffer, "JPEG", q))
    return refuse(QStringLiteral("Cannot save \"%1\": the picture cannot be made a JPEG.").arg(path));
  if (WriteResult written = writeFileAtomically(path, jpeg); !written) {
    showErrMessageToConsole(written.error.toStdString() + "\n");
    return refuse(written.error);
  }
  return true;
}

QString freshPictureFileName(const QString& folder, const QDateTime& when, PictureNameForm form) {
  const QDate d = when.date();
  const QTime t = when.time();
  const std::string stamp =
      cformat("%4d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
  for (int counter = 0;; ++counter) {
    std::string name;
    if (form == PictureNameForm::TwoDigitCounter)
      name = stamp + cformat("%02d.jpg", counter);
    else
      name = counter == 0 ? stamp + ".jpg" : stamp + cformat(".%03d.jpg", counter);
    const QString path = folder + QLatin1Char('/') + QString::fromStdString(name);
    if (!QFileInfo::exists(path)) return path;
  }
}

QByteArray withJpegComment(const QByteArray& jpeg, const std::string& comment) {
  if (jpeg.size() < 2 || static_cast<unsigned char>(jpeg[0]) != 0xFF ||
      static_cast<unsigned char>(jpeg[1]) != 0xD8)
    return {};
  if (comment.size() > kMaxJpegComment) return {};
  QByteArray segment;
  segment.append(static_cast<char>(0xFF));
  segment.append(static_cast<char>(0xFE));
  const int length = static_cast<int>(comment.size()) + 2;
  segment.append(static_cast<char>(length >> 8));
  segment.append(static_cast<char>(length & 0xFF));
  segment.append(comment.data(), static_cast<qsizetype>(comment.size()));
  return jpeg.left(2) + segment + jpeg.mid(2);
}

int writeCommentToJPEG(const QString& path, const std::string& comment) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return 0;
  const QByteArray jpeg = in.readAll();
  in.close();
  const QByteArray commented = withJpegComment(jpeg, comment);
  if (commented.isEmpty()) return 0;
  return writeFileAtomically(path, commented) ? 1 : 0;
}

int readCommentToJPEG(const QString& path, std::string& comment) {
  comment.clear();
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return -1;
  const QByteArray head = in.read(6);
  if (head.size() < 6 || head[0] != '\xFF' || head[1] != '\xD8' || head[2] != '\xFF' ||
      head[3] != '\xFE')
    return 0;
  const int length = (static_cast<unsigned char>(head[4]) << 8) | static_cast<unsigned char>(head[5]);
  if (length < 2 || length > static_cast<int>(kMaxReadJpegComment) + 2) return 0;
  const QByteArray text = in.read(length - 2);
  if (text.size() == length - 2) comment.assign(text.constData(), static_cast<std::size_t>(text.size()));
  return 0;
}

int writeCommentToJPEGFile(const std::string& path, const std::string& comment) {
  const QString file = QString::fromStdString(path);
  if (!writeCommentToJPEG(file, comment)) return 0;
  NotificationCenter::defaultCenter().post(QStringLiteral("pastePictureToDocument"), file);
  return 1;
}

}  // namespace pravella
