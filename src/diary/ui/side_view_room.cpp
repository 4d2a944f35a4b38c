#include "diary/ui/side_view_room.h"

#include "diary/ui/side_view_scroll.h"

#include <QChildEvent>
#include <QDockWidget>
#include <QEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <algorithm>

namespace pravella {

SideViewPlace placeSideView(const SideViewSpace& space) {
  const int asked = std::max(space.viewWidth, space.viewMinimum);
  const int need = asked + space.separator;
  // The screen's room first: the window grows as far as the available area allows.
  const int grow = std::clamp(space.available.width() - space.frame.width(), 0, need);
  // What the screen cannot give, the memo gives down to its minimum; past that the view is
  // narrower, down to its own minimum.
  const int shortfall = need - grow;
  const int memoSpare = std::max(0, space.memoWidth - space.memoMinimum);
  SideViewPlace place;
  place.viewWidth = std::max(space.viewMinimum, asked - std::max(0, shortfall - memoSpare));
  place.memoWidth = space.memoWidth + grow - space.separator - place.viewWidth;
  place.frame = space.frame;
  place.frame.setWidth(space.frame.width() + grow);
  // A right edge the growth takes off the screen moves the window left, never past the area's
  // left edge.
  if (grow > 0 && place.frame.right() > space.available.right()) {
    place.frame.moveRight(space.available.right());
    if (place.frame.left() < space.available.left()) place.frame.moveLeft(space.available.left());
  }
  return place;
}

SideViewRoom::SideViewRoom(QMainWindow* window, QWidget* memo)
    : QObject(window), window_(window), memo_(memo) {
  window_->installEventFilter(this);
  memo_->installEventFilter(this);
}

void SideViewRoom::add(QDockWidget* view) {
  if (!view) return;
  if (view->parentWidget() != window_) view->setParent(window_);
  if (window_->dockWidgetArea(view) == Qt::NoDockWidgetArea)
    window_->addDockWidget(Qt::RightDockWidgetArea, view);
  for (const QPointer<QDockWidget>& known : views_)
    if (known == view) return;
  views_.emplace_back(view);
  view->installEventFilter(this);
  // A view made floating, docked elsewhere or deleted no longer stands beside the memo.
  connect(view, &QDockWidget::topLevelChanged, this, [this] { settle(); });
  connect(view, &QDockWidget::dockLocationChanged, this, [this] { settle(); });
  connect(view, &QObject::destroyed, this, [this] {
    QMetaObject::invokeMethod(
        this, [this] { settle(); }, Qt::QueuedConnection);
  });
  settle();
}

int SideViewRoom::width(const QString& name) const {
  const auto it = widths_.find(name);
  return it == widths_.end() ? kSideViewDefaultWidth : it->second;
}

void SideViewRoom::setWidth(const QString& name, int width) {
  if (width > 0) widths_[name] = width;
}

QRect SideViewRoom::geometryWithoutSideViews() const {
  return rest_.isValid() && !settling_ ? rest_ : withoutViews(window_->geometry());
}

QRect SideViewRoom::withoutViews(QRect g) const {
  g.setWidth(g.width() - grown_);
  g.translate(shifted_, 0);
  // Moved back where it was, but not off the screen the window now stands on.
  if (shifted_ > 0) {
    const QRect available = window_->screen()->availableGeometry();
    if (g.right() > available.right())
      g.moveRight(std::max(available.right(), available.left() + g.width() - 1));
  }
  return g;
}

bool SideViewRoom::laidOutForOpenViews() const {
  const std::vector<QDockWidget*> open = openViews();
  return std::equal(open.begin(), open.end(), laidOut_.begin(), laidOut_.end(),
                    [](QDockWidget* a, const QPointer<QDockWidget>& b) { return a == b.data(); });
}

bool SideViewRoom::onSeparator(const QPoint& at) const {
  const QWidget* central = window_->centralWidget();
  if (!central || laidOut_.empty()) return false;
  for (const QPointer<QDockWidget>& view : laidOut_) {
    if (!view) continue;
    const QRect g = view->geometry();
    if (at.y() >= g.top() && at.y() <= g.bottom() && at.x() > central->geometry().right() &&
        at.x() < g.left())
      return true;
  }
  return false;
}

bool SideViewRoom::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    switch (event->type()) {
      case QEvent::ChildPolished:
        if (auto* dock = qobject_cast<QDockWidget*>(static_cast<QChildEvent*>(event)->child())) add(dock);
        break;
      case QEvent::Move:
      case QEvent::Resize:
        // The user's frame. A view that shows first makes Qt widen the window to hold its
        // minimum, before the view's own events: that is not the user's, and not kept.
        if (!settling_ && laidOutForOpenViews()) rest_ = withoutViews(window_->geometry());
        break;
      case QEvent::Show:
        // Views shown while the window was hidden get their room now.
        settle();
        break;
      case QEvent::MouseButtonPress:
        draggingSeparator_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                             onSeparator(static_cast<QMouseEvent*>(event)->position().toPoint());
        break;
      case QEvent::MouseButtonRelease:
        // The width the user drags a view to is the one it opens with next time.
        if (draggingSeparator_) {
          draggingSeparator_ = false;
          for (const QPointer<QDockWidget>& view : laidOut_)
            if (view && view->width() > 0) widths_[view->objectName()] = view->width();
        }
        break;
      default:
        break;
    }
  } else if (watched == memo_) {
    // What stands beside the memo in the window, measured at rest: a view that shows first
    // squeezes the window's columns for a moment.
    if (event->type() == QEvent::Resize && !settling_ && laidOut_.empty() && laidOutForOpenViews() &&
        window_->centralWidget())
      besideMemo_ = window_->centralWidget()->width() - memo_->width();
  } else if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
    settle();
  }
  return QObject::eventFilter(watched, event);
}

std::vector<QDockWidget*> SideViewRoom::openViews() const {
  std::vector<QDockWidget*> open;
  for (const QPointer<QDockWidget>& view : views_) {
    if (!view || view->isHidden() || view->isFloating()) continue;
    const Qt::DockWidgetArea area = window_->dockWidgetArea(view);
    if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) open.push_back(view);
  }
  return open;
}

int SideViewRoom::memoMinimum() const {
  QFont font = memo_->font();
  if (auto* text = qobject_cast<QTextEdit*>(memo_.data())) font = text->document()->defaultFont();
  return std::max(kMemoMinimumPixels, kMemoMinimumCharacters * QFontMetrics(font).averageCharWidth());
}

void SideViewRoom::settle() {
  // A view shown or hidden while the window is being laid out is laid out right after.
  if (settling_) {
    pending_ = true;
    return;
  }
  do {
    pending_ = false;
    settleOnce();
  } while (pending_);
}

void SideViewRoom::settleOnce() {
  // Sizes are known once the window shows; until then the views wait for its Show.
  if (!window_->isVisible() || laidOutForOpenViews()) return;
  const QRect base = geometryWithoutSideViews();
  const QScopedValueRollback guard(settling_, true);
  const std::vector<QDockWidget*> open = openViews();
  if (memo_ && !laidOut_.empty()) memo_->setMinimumWidth(memoMinimumBefore_);
  laidOut_.assign(open.begin(), open.end());
  rest_ = base;
  const bool systemHoldsFrame = window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);

  if (open.empty()) {
    // The window's minimum still counts the view that went: it is measured again first.
    window_->layout()->invalidate();
    window_->layout()->activate();
    if (!systemHoldsFrame && window_->geometry() != base) window_->setGeometry(base);
    grown_ = shifted_ = 0;
    return;
  }

  const QRect frame = window_->frameGeometry();
  const QRect inner = window_->geometry();
  const QMargins decorations(inner.left() - frame.left(), inner.top() - frame.top(),
                             frame.right() - inner.right(), frame.bottom() - inner.bottom());
  SideViewSpace space;
  space.frame = base.marginsAdded(decorations);
  // A maximised window's frame is the window system's: the view takes its room inside it.
  space.available = systemHoldsFrame ? space.frame : window_->screen()->availableGeometry();
  const bool memoShown = memo_ && memo_->isVisible();
  if (memoShown) {
    memoMinimumBefore_ = memo_->minimumWidth();
    // The central widget is as wide as the window with no view open; all of it but the memo
    // (the calendar column, margins, the handle) keeps its width.
    const int besideMemo =
        besideMemo_ >= 0 ? besideMemo_ : window_->centralWidget()->width() - memo_->width();
    space.memoWidth = base.width() - besideMemo;
    space.memoMinimum = memoMinimum();
  }
  space.separator = window_->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, window_);
  fitToScreen(open,
              QSize(std::max(space.available.width(), space.frame.width()),
                    std::max(space.available.height(), space.frame.height()))
                  .shrunkBy(decorations),
              space.separator);
  // The window's minimum counts the views as they now ask, before it is given its frame.
  window_->layout()->invalidate();
  window_->layout()->activate();
  for (QDockWidget* view : open) {
    const int minimum = std::max(view->minimumWidth(), view->minimumSizeHint().width());
    space.viewMinimum = std::max(space.viewMinimum, minimum);
    space.viewWidth = std::max(space.viewWidth, width(view->objectName()));
  }
  const SideViewPlace place = placeSideView(space);

  // The separator's drag leaves the memo what the opening left it, at most its minimum.
  if (memoShown)
    memo_->setMinimumWidth(std::max(memoMinimumBefore_, std::min(space.memoMinimum, place.memoWidth)));
  if (!systemHoldsFrame) window_->setGeometry(place.frame.marginsRemoved(decorations));
  window_->resizeDocks(QList<QDockWidget*>(open.begin(), open.end()),
                       QList<int>(open.size(), place.viewWidth), Qt::Horizontal);
  window_->layout()->activate();
  grown_ = window_->geometry().width() - base.width();
  shifted_ = base.x() - window_->geometry().x();
}

void SideViewRoom::fitToScreen(const std::vector<QDockWidget*>& open, const QSize& inner, int separator) {
  QWidget* central = window_->centralWidget();
  if (!central) return;
  // What the window's own columns need at least, with the memo at its own minimum again.
  if (memo_ && memo_->parentWidget() && memo_->parentWidget()->layout())
    memo_->parentWidget()->layout()->invalidate();
  const int besideViews = central->minimumSizeHint().width() + separator;
  const int aboveAndBelow = window_->height() - central->height();  // the menu bar and the status line
  const QSize room(inner.width() - besideViews, inner.height() - aboveAndBelow);
  for (QDockWidget* view : open) {
    SideViewScroll* scroll = SideViewScroll::of(view);
    if (!scroll) {
      const QSize minimum = view->minimumSizeHint();
      if (minimum.width() <= room.width() && minimum.height() <= room.height()) continue;
      scroll = SideViewScroll::around(view);
    }
    // The view's title and frame around its content.
    scroll->setRoom(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    const QSize around = view->minimumSizeHint() - scroll->minimumSizeHint();
    scroll->setRoom((room - around).expandedTo(QSize(1, 1)));
  }
}

}  // namespace pravella
