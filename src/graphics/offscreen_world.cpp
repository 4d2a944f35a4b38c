#include "graphics/offscreen_world.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "graphics/graphics_hooks.h"
#include "platform/console_log.h"
#include "platform/font_aliases.h"

namespace pravella {

namespace {

OffScreenWorld* thePort = nullptr;
constexpr int kMaxSide = 32767;

}  // namespace

OffScreenWorld* currentPort() { return thePort; }
void setCurrentPort(OffScreenWorld* world) { thePort = world; }

std::unique_ptr<OffScreenWorld> newOffScreenWorld(int width, int height) {
  // Every picture routine fails when its world cannot be had; the reason is told here once, so
  // that no routine ends a run with a bare ".NO.".
  const QString size = QStringLiteral(" (%1 x %2).").arg(width).arg(height);
  if (width <= 0 || height <= 0) {
    graphics::reportError(("Invalid picture size" + size).toStdString());
    return nullptr;
  }
  if (width > kMaxSide || height > kMaxSide) {
    graphics::reportError(("Too Big Picture" + size).toStdString());
    return nullptr;
  }
  auto world = std::make_unique<OffScreenWorld>(width, height);
  if (world->isNull()) {
    graphics::reportError(("Memory allocation error" + size).toStdString());
    return nullptr;
  }
  return world;
}

OffScreenWorld::OffScreenWorld(int width, int height, Start start) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return;
  pixels_ = QImage(width, height, QImage::Format_ARGB32);
  if (!pixels_.isNull()) pixels_.fill(start == Start::White ? QColor(Qt::white) : QColor(Qt::transparent));
}

void OffScreenWorld::penNormal() {
  penWidth_ = penHeight_ = 1;
  fore_ = Qt::black;
  back_ = Qt::white;
}

void OffScreenWorld::penSize(int width, int height) {
  penWidth_ = std::max(0, width);
  penHeight_ = std::max(0, height);
}

void OffScreenWorld::moveTo(int h, int v) { pen_ = QPoint(h, v); }

void OffScreenWorld::fill(int left, int top, int right, int bottom, const QColor& color) {
  QImage& image = target();
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image.width());
  bottom = std::min(bottom, image.height());
  if (left >= right || top >= bottom) return;
  const QRgb value = color.rgba();
  for (int y = top; y < bottom; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line + left, line + right, value);
  }
}

void OffScreenWorld::lineTo(int h, int v) {
  // Bresenham's line, stamping the pen rectangle at every point, both ends included.
  int x = pen_.x(), y = pen_.y();
  const int dx = std::abs(h - x), dy = -std::abs(v - y);
  const int sx = x < h ? 1 : -1, sy = y < v ? 1 : -1;
  int err = dx + dy;
  while (true) {
    fill(x, y, x + penWidth_, y + penHeight_, fore_);
    if (x == h && y == v) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  pen_ = QPoint(h, v);
}

void OffScreenWorld::paintRect(int left, int top, int right, int bottom) {
  fill(left, top, right, bottom, fore_);
}

void OffScreenWorld::eraseRect(int left, int top, int right, int bottom) {
  // Erasing inside an open picture paints the background colour into the picture too.
  fill(left, top, right, bottom, back_);
}

void OffScreenWorld::frameRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  if (right - left <= 2 * penWidth_ || bottom - top <= 2 * penHeight_)
    return paintRect(left, top, right, bottom);
  fill(left, top, right, top + penHeight_, fore_);
  fill(left, bottom - penHeight_, right, bottom, fore_);
  fill(left, top, left + penWidth_, bottom, fore_);
  fill(right - penWidth_, top, right, bottom, fore_);
}

void OffScreenWorld::paintOval(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  QPainter painter(&target());
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fore_);
  painter.drawEllipse(QRect(left, top, right - left, bottom - top));
}

void OffScreenWorld::frameOval(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  QPainterPath ring;
  ring.addEllipse(QRectF(left, top, right - left, bottom - top));
  const double iw = right - left - 2.0 * penWidth_, ih = bottom - top - 2.0 * penHeight_;
  if (iw > 0 && ih > 0) ring.addEllipse(QRectF(left + penWidth_, top + penHeight_, iw, ih));
  QPainter painter(&target());
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillPath(ring, fore_);
}

void OffScreenWorld::paintPolygon(const QPolygon& points) {
  if (points.size() < 3) return;
  QPainter painter(&target());
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fore_);
  painter.drawPolygon(points);
}

void OffScreenWorld::framePolygon(const QPolygon& points) {
  if (points.isEmpty()) return;
  moveTo(points[0].x(), points[0].y());
  for (qsizetype i = 1; i < points.size(); ++i) lineTo(points[i].x(), points[i].y());
}

void OffScreenWorld::drawString(const QString& text) {
  if (text.isEmpty()) return;
  // Fonts need the GUI application; a process without one (a bare tool) draws no text
  // rather than abort.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    static std::once_flag once;
    std::call_once(once,
                   [] { showErrMessageToConsole("no fonts without a GUI application: text not drawn\n"); });
    return;
  }
  // A text size of 0 means 12, as the old drawing code has it.
  QFont font(fonts::familyFor(fontName_.isEmpty() ? QStringLiteral("Geneva") : fontName_));
  // Sizes are in pixels of the picture (72 per inch), not in the image's own points.
  font.setPixelSize(textSize_ > 0 ? textSize_ : 12);
  font.setBold(textFace_ & 1);
  font.setItalic(textFace_ & 2);
  font.setUnderline(textFace_ & 4);
  // Exact colours: titles and labels are read back as pixel values.
  font.setStyleStrategy(QFont::NoAntialias);
  QPainter painter(&target());
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(font);
  painter.setPen(fore_);
  painter.drawText(pen_, text);
  pen_.rx() += painter.fontMetrics().horizontalAdvance(text);
}

bool OffScreenWorld::drawPicture(const Picture& picture, int left, int top, int right, int bottom) {
  const QImage image = picture.toImage();
  if (image.isNull()) return false;
  if (right <= left || bottom <= top) return true;
  QPainter painter(&target());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(left, top, right - left, bottom - top), image);
  return true;
}

void OffScreenWorld::openPicture() {
  QImage layer(pixels_.size(), QImage::Format_ARGB32);
  layer.fill(Qt::transparent);
  layer_ = std::move(layer);
}

Picture OffScreenWorld::closePicture() {
  if (!layer_) return Picture();
  Picture picture = Picture::fromImage(*layer_, PixelTransfer::Copy);
  layer_.reset();
  return picture;
}

}  // namespace pravella
