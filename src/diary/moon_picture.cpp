#include "diary/moon_picture.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <cmath>
#include <mutex>
#include <numbers>

#include "platform/cformat.h"
#include "platform/paths.h"

namespace pravella {
namespace {

constexpr double kSynodicMonth = 29.530589;

std::mutex cacheMutex;
QHash<QString, QImage> cache;

}  // namespace

QString moonPictureName(double age) { return QString::fromStdString(cformat("moon%02.0f.jpg", age)); }

QImage drawMoonPicture(int age, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor(20, 24, 60));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  const double r = size * 0.42;
  const QPointF c(size / 2.0, size / 2.0);
  const QRectF disk(c.x() - r, c.y() - r, 2 * r, 2 * r);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 74, 96));  // the unlit disk
  p.drawEllipse(disk);

  // The lit part: the half disk on the sun's side, narrowed (crescent) or widened (gibbous) by
  // the terminator, an ellipse of half-width |cos(phase)| r.
  const double phase = 2 * std::numbers::pi * (static_cast<double>(age) / kSynodicMonth);
  const double k = std::cos(phase);
  const bool waxing = std::sin(phase) >= 0;
  QPainterPath half;
  half.moveTo(c.x(), c.y() - r);
  half.arcTo(disk, 90, waxing ? -180 : 180);
  half.closeSubpath();
  QPainterPath terminator;
  const double rx = std::fabs(k) * r;
  terminator.addEllipse(QRectF(c.x() - rx, c.y() - r, 2 * rx, 2 * r));
  const QPainterPath lit = k > 0 ? half.subtracted(terminator) : half.united(terminator);
  p.setBrush(QColor(250, 232, 140));
  p.drawPath(lit);
  return image;
}

QImage moonPicture(const QString& name) {
  std::lock_guard lock(cacheMutex);
  if (auto it = cache.constFind(name); it != cache.constEnd()) return *it;
  QImage image;
  const QString shipped = paths::resource(QStringLiteral("moons/") + name);
  if (QFileInfo::exists(shipped)) image.load(shipped);
  if (image.isNull()) {
    static const QRegularExpression pattern(QStringLiteral("^moon(\\d\\d)\\.jpg$"));
    if (const QRegularExpressionMatch m = pattern.match(name); m.hasMatch()) {
      const int age = m.captured(1).toInt();
      if (age <= 30) image = drawMoonPicture(age);
    }
  }
  cache.insert(name, image);
  return image;
}

}  // namespace pravella
