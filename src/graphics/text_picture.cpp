#include "graphics/text_picture.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdlib>

#include "platform/font_aliases.h"

namespace {

QColor toQColor(RGBColor c) { return QColor(c.red >> 8, c.green >> 8, c.blue >> 8); }

}  // namespace

int DoText2Picture(const std::string& text, const std::string& fontName, int margin, int size, RGBColor textColor,
                   RGBColor background, pravella::Picture* out) {
  QFont font(pravella::fonts::familyFor(QString::fromStdString(fontName)));
  // Size 0 means the default size, as it did for the drawing font.
  font.setPixelSize(size > 0 ? size : 12);
  font.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics metrics(font);
  const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const int absMargin = std::abs(margin);
  const long long width = static_cast<long long>(metrics.horizontalAdvance(line)) + 2LL * absMargin + 2;
  const long long height = static_cast<long long>(metrics.ascent()) + 2LL * metrics.descent() + metrics.leading();
  if (width < 1 || height < 1 || width > 32767 || height > 32767) return 0;

  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
  if (image.isNull()) return 0;
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(toQColor(background));
  if (margin < 0)
    painter.drawRoundedRect(QRect(0, 0, image.width(), image.height()), 4.5, 4.5);
  else
    painter.fillRect(image.rect(), toQColor(background));
  painter.setFont(font);
  painter.setPen(toQColor(textColor));
  painter.drawText(absMargin + 1, metrics.ascent() + metrics.descent() / 2, line);
  painter.end();

  pravella::Picture picture = pravella::Picture::fromImage(image);
  if (picture.isEmpty()) return 0;
  *out = std::move(picture);
  return 1;
}
