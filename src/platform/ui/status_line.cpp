#include "platform/ui/status_line.h"

#include <QPainter>
#include <QStyleOption>

#include <algorithm>

#include "platform/ui/elided_label.h"

namespace pravella {

namespace {

// The part between the first two double quotes, which messages use for paths and names.
QString quotedPart(const QString& text) {
  const qsizetype open = text.indexOf(QLatin1Char('"'));
  if (open < 0) return {};
  const qsizetype close = text.indexOf(QLatin1Char('"'), open + 1);
  if (close < 0) return {};
  return text.mid(open + 1, close - open - 1);
}

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {}

// Where QStatusBar draws its message: left of the widgets that stay beside it (while a
// message shows, only those are visible) and of the size grip.
QRect StatusLine::messageArea() const {
  int left = 6, right = width() - 12;
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  for (const QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!w->isVisible() || w->isWindow()) continue;
    if (rtl)
      left = std::max(left, w->x() + w->width() + 2);
    else
      right = std::min(right, w->x() - 2);
  }
  return {left, 0, std::max(0, right - left), height()};
}

QString StatusLine::shownMessage() const {
  const QString message = currentMessage();
  // Messages put their point first: what cannot be shown goes from the end.
  return elidedToWidth(message, fontMetrics(), messageArea().width(), quotedPart(message), Qt::ElideRight);
}

void StatusLine::paintEvent(QPaintEvent* event) {
  if (currentMessage().isEmpty()) return QStatusBar::paintEvent(event);
  QPainter painter(this);
  QStyleOption panel;
  panel.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &panel, &painter, this);
  for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!w->isVisible() || w->isWindow()) continue;
    QStyleOption frame;
    frame.rect = w->geometry().adjusted(-2, -1, 2, 1);
    frame.palette = palette();
    frame.state = QStyle::State_None;
    style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, w);
  }
  painter.setPen(palette().windowText().color());
  painter.drawText(messageArea(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, shownMessage());
}

}  // namespace pravella
