#include "platform/ui/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace pravella {
namespace {

// What an item keeps: its hint, never less than its minimum.
QSize itemSize(const QLayoutItem* item) { return item->sizeHint().expandedTo(item->minimumSize()); }

}  // namespace

FlowLayout::FlowLayout(QWidget* parent, int spacing) : QLayout(parent), spacing_(spacing) {}

FlowLayout::~FlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* FlowLayout::takeAt(int index) {
  if (index < 0 || index >= items_.size()) return nullptr;
  return items_.takeAt(index);
}

int FlowLayout::heightForWidth(int width) const { return lay(QRect(0, 0, width, 0), false); }

QSize FlowLayout::minimumSize() const {
  int widest = 0;
  for (const QLayoutItem* item : items_)
    if (!item->isEmpty()) widest = std::max(widest, itemSize(item).width());
  const QMargins m = contentsMargins();
  const int width = widest + m.left() + m.right();
  return {width, heightForWidth(width)};
}

QSize FlowLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  int shown = 0;
  for (const QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    const QSize size = itemSize(item);
    width += size.width() + (shown++ > 0 ? spacing_ : 0);
    height = std::max(height, size.height());
  }
  const QMargins m = contentsMargins();
  return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  lay(rect, true);
}

int FlowLayout::lay(const QRect& rect, bool apply) const {
  const QRect inner = rect.marginsRemoved(contentsMargins());
  int x = inner.x();
  int y = inner.y();
  int lineHeight = 0;
  for (QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    const QSize size = itemSize(item);
    // A new line where this one is full; the first item of a line stays on it, however wide.
    if (lineHeight > 0 && x + size.width() > inner.right() + 1) {
      x = inner.x();
      y += lineHeight + spacing_;
      lineHeight = 0;
    }
    if (apply) item->setGeometry(QRect(QPoint(x, y), size));
    x += size.width() + spacing_;
    lineHeight = std::max(lineHeight, size.height());
  }
  const QMargins m = contentsMargins();
  return y + lineHeight - rect.y() + m.bottom();
}

}  // namespace pravella
