#include "platform/ui/elided_label.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace pravella {

namespace {

// The width a label asks for: enough for a short message, never the whole of a long one.
constexpr int kHintCharacters = 24;
constexpr int kMinimumCharacters = 4;

// One line: a pasted address or a listed name may hold line breaks.
QString oneLine(const QString& text) {
  QString line = text;
  line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
  return line;
}

}  // namespace

QString elidedToWidth(const QString& text, const QFontMetrics& metrics, int width, const QString& cutFirst,
                      Qt::TextElideMode rest) {
  QString line = oneLine(text);
  if (metrics.horizontalAdvance(line) <= width) return line;
  const QString part = oneLine(cutFirst);
  const qsizetype at = part.isEmpty() ? -1 : line.indexOf(part);
  if (at >= 0) {
    const QString head = line.left(at), tail = line.mid(at + part.size());
    const QString ellipsis(QChar(0x2026));
    const int room = width - metrics.horizontalAdvance(head + tail);
    if (room >= metrics.horizontalAdvance(ellipsis)) {
      const QString cut = head + metrics.elidedText(part, Qt::ElideMiddle, room) + tail;
      if (metrics.horizontalAdvance(cut) <= width) return cut;
    }
    line = head + ellipsis + tail;
  }
  return metrics.elidedText(line, rest, width);
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::showText(const QString& text, const QString& cutFirst) {
  cutFirst_ = cutFirst;
  rest_ = Qt::ElideRight;
  setText(text);
  update();  // the same text with another part to cut draws differently
}

QString ElidedLabel::shownText() const {
  return elidedToWidth(text(), fontMetrics(), contentsRect().width(), cutFirst_, rest_);
}

bool ElidedLabel::isElided() const { return shownText() != oneLine(text()); }

QSize ElidedLabel::sizeHint() const {
  const QMargins m = contentsMargins();
  const int natural = fontMetrics().horizontalAdvance(oneLine(text()));
  const int w = std::min(natural, kHintCharacters * fontMetrics().averageCharWidth());
  return {w + m.left() + m.right(), fontMetrics().height() + m.top() + m.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const {
  const QMargins m = contentsMargins();
  return {kMinimumCharacters * fontMetrics().averageCharWidth() + m.left() + m.right(),
          fontMetrics().height() + m.top() + m.bottom()};
}

bool ElidedLabel::event(QEvent* event) {
  // The whole text, when the line shows only part of it (a tooltip the caller set wins).
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
    if (isElided())
      QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    else
      QToolTip::hideText();
    return true;
  }
  return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()),
                        palette(), isEnabled(), shownText(), foregroundRole());
}

}  // namespace pravella
