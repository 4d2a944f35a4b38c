#include "platform/ui/elided_label.h"

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

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ElidedLabel::shownText() const {
  return fontMetrics().elidedText(oneLine(text()), Qt::ElideMiddle, contentsRect().width());
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
