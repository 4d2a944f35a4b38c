#include "graphics/gl/gl_string_layout.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

#include "graphics/gl/round_rect.h"
#include "platform/font_aliases.h"

namespace pravella::gl {

namespace {

struct Piece {
  QString text;
  const GLTextRun* run;
};
using Line = std::vector<Piece>;

std::vector<Line> splitLines(const GLText& text) {
  std::vector<Line> lines(1);
  for (const GLTextRun& run : text) {
    const QStringList parts = run.text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
      if (i > 0) lines.emplace_back();
      if (!parts[i].isEmpty()) lines.back().push_back({parts[i], &run});
    }
  }
  return lines;
}

// Height and ascent of a line; an empty line takes the height of the run that ended it.
std::pair<qreal, qreal> lineMetrics(const Line& line, const QFont& fallback) {
  qreal ascent = 0, descent = 0;
  if (line.empty()) {
    QFontMetricsF m(fallback);
    return {m.ascent() + m.descent(), m.ascent()};
  }
  for (const Piece& p : line) {
    QFontMetricsF m(p.run->font);
    ascent = std::max(ascent, m.ascent());
    descent = std::max(descent, m.descent());
  }
  return {ascent + descent, ascent};
}

qreal lineWidth(const Line& line) {
  qreal w = 0;
  for (const Piece& p : line) w += QFontMetricsF(p.run->font).horizontalAdvance(p.text);
  return w;
}

QFont fallbackFont(const GLText& text) { return text.empty() ? labelFont(12) : text.back().font; }

}  // namespace

QFont labelFont(qreal size, bool bold) {
  fonts::installFontAliases();
  QFont font(fonts::familyFor(QStringLiteral("Helvetica")));
  font.setPointSizeF(size);
  font.setBold(bold);
  return font;
}

QSizeF textSize(const GLText& text) {
  qreal w = 0, h = 0;
  const QFont fallback = fallbackFont(text);
  for (const Line& line : splitLines(text)) {
    w = std::max(w, lineWidth(line));
    h += lineMetrics(line, fallback).first;
  }
  return {w, h};
}

GLStringLayout::GLStringLayout(GLText text)
    : GLStringLayout(std::move(text), QColor::fromRgbF(1, 1, 1, 1), QColor::fromRgbF(1, 1, 1, 0),
                     QColor::fromRgbF(1, 1, 1, 0)) {}

GLStringLayout::GLStringLayout(GLText text, QColor textColor, QColor boxColor, QColor borderColor)
    : string_(std::move(text)),
      textColor_(textColor),
      boxColor_(boxColor),
      borderColor_(borderColor) {}

void GLStringLayout::setString(GLText text) {
  string_ = std::move(text);
  if (!staticFrame_) frameSize_ = {0, 0};
  requiresUpdate_ = true;
}

void GLStringLayout::setString(const QString& text, const QFont& font) {
  setString(GLText{{text, font, QColor()}});
}

void GLStringLayout::setTextColor(QColor c) {
  textColor_ = c;
  requiresUpdate_ = true;
}

void GLStringLayout::setBoxColor(QColor c) {
  boxColor_ = c;
  requiresUpdate_ = true;
}

void GLStringLayout::setBorderColor(QColor c) {
  borderColor_ = c;
  requiresUpdate_ = true;
}

void GLStringLayout::setMargins(QSizeF margins) {
  marginSize_ = margins;
  if (!staticFrame_) frameSize_ = {0, 0};
  requiresUpdate_ = true;
}

void GLStringLayout::setAntialias(bool on) {
  antialias_ = on;
  requiresUpdate_ = true;
}

QSizeF GLStringLayout::frameSize() {
  if (!staticFrame_ && frameSize_.width() == 0 && frameSize_.height() == 0) {
    const QSizeF s = textSize(string_);
    frameSize_ = {s.width() + 2 * marginSize_.width(), s.height() + 2 * marginSize_.height()};
  }
  return frameSize_;
}

void GLStringLayout::useStaticFrame(QSizeF size) {
  staticFrame_ = true;
  frameSize_ = size;
  requiresUpdate_ = true;
}

void GLStringLayout::useDynamicFrame() {
  if (!staticFrame_) return;
  staticFrame_ = false;
  frameSize_ = {0, 0};
  requiresUpdate_ = true;
}

QImage GLStringLayout::render() {
  const QSizeF frame = frameSize();
  const int w = std::max(1, static_cast<int>(std::ceil(frame.width())));
  const int h = std::max(1, static_cast<int>(std::ceil(frame.height())));
  QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, antialias_);
  painter.setRenderHint(QPainter::TextAntialiasing, antialias_);
  const QPainterPath box =
      roundedRectPath(QRectF(0, 0, frame.width(), frame.height()).adjusted(0.5, 0.5, -0.5, -0.5),
                      cRadius_);
  if (boxColor_.alpha() != 0) painter.fillPath(box, boxColor_);
  if (borderColor_.alpha() != 0) painter.strokePath(box, QPen(borderColor_, 1.0));
  // The text block sits on the bottom margin, as a label whose frame is fixed expects.
  const QSizeF text = textSize(string_);
  qreal y = frame.height() - marginSize_.height() - text.height();
  const QFont fallback = fallbackFont(string_);
  for (const Line& line : splitLines(string_)) {
    const auto [height, ascent] = lineMetrics(line, fallback);
    qreal x = marginSize_.width();
    for (const Piece& p : line) {
      painter.setFont(p.run->font);
      painter.setPen(p.run->color.isValid() ? p.run->color : textColor_);
      painter.drawText(QPointF(x, y + ascent), p.text);
      x += QFontMetricsF(p.run->font).horizontalAdvance(p.text);
    }
    y += height;
  }
  painter.end();
  requiresUpdate_ = false;
  return image;
}

}  // namespace pravella::gl
