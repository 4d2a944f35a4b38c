#include "tools/system/load_monitor.h"

#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace pravella::monitor {

namespace {

constexpr int kWidth = 102;
constexpr int kHeight = 18;

QColor rgb(double r, double g, double b) { return QColor::fromRgbF(r, g, b); }

// The picture's own coordinates grow upwards from its lower left corner.
QPointF up(double x, double y) { return {x, kHeight - y}; }

}  // namespace

Load parsePsOutput(const QString& text) {
  Load sum;
  for (const QString& line : text.split(u'\n')) {
    const QStringList fields = line.simplified().split(u' ', Qt::SkipEmptyParts);
    if (fields.size() < 2) continue;
    bool a = false, b = false;
    const double cpu = fields.at(0).toDouble(&a), memory = fields.at(1).toDouble(&b);
    if (!a || !b) continue;
    sum.cpu += cpu;
    sum.memory += memory;
  }
  return sum;
}

void History::push(const Load& load) {
  std::copy(cpu.begin() + 1, cpu.end(), cpu.begin());
  std::copy(memory.begin() + 1, memory.end(), memory.begin());
  cpu.back() = static_cast<float>(load.cpu);
  memory.back() = static_cast<float>(load.memory);
}

QImage statusPicture(int mode, const History& history, const Load& now) {
  if (mode != 0 && mode != 1) return {};
  QImage image(kWidth, kHeight, QImage::Format_ARGB32);
  image.fill(rgb(0.95, 0.95, 0.95));
  QPainter p(&image);
  const QColor grid = rgb(0.7, 0.7, 0.7);
  p.setPen(QPen(grid, 1));
  p.drawRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1));
  if (mode == 0) {
    p.drawLine(up(0, 9), up(kWidth, 9));
    QPainterPath path;
    for (int k = 0; k < 100; ++k) {
      const QPointF point = up(k + 1, 1 + history.cpu[static_cast<std::size_t>(k)] * 16.0 / 100.0);
      if (k == 0) path.moveTo(point);
      else path.lineTo(point);
    }
    p.setPen(QPen(rgb(0.8, 0.57, 0.46), 1));
    p.drawPath(path);
  } else {
    for (int x = 11; x <= 91; x += 10) p.drawLine(QPointF(x, 0), QPointF(x, kHeight));
    // Rectangles of height 6 whose lower edges stand at heights 2 (memory) and 10 (CPU).
    p.fillRect(QRectF(1, kHeight - 2 - 6, now.memory, 6), rgb(0.24, 0.45, 0.56));
    p.fillRect(QRectF(1, kHeight - 10 - 6, now.cpu, 6), rgb(0.8, 0.57, 0.46));
  }
  return image;
}

}  // namespace pravella::monitor
