#include "platform/ui/window_placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace pravella {

namespace {

// `start` moved as little as needed for [start, start + length) to lie in [from, to); a length
// longer than the range starts at `from`.
int fitInto(int start, int length, int from, int to) {
  const int last = to - length;
  if (last < from) return from;
  return std::clamp(start, from, last);
}

QRect availableAreaFor(const QWidget* mainWindow, const QRect& mainFrame) {
  QScreen* screen = QGuiApplication::screenAt(mainFrame.center());
  if (!screen) screen = mainWindow->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

// The window's frame size. Before a window is first shown its decorations are not known yet:
// the window manager gives it those of the main window.
QSize frameSizeOf(const QWidget* window, const QWidget* mainWindow) {
  const QSize frame = window->frameGeometry().size();
  if (window->isVisible() && frame != window->size()) return frame;
  const QRect outer = mainWindow->frameGeometry(), inner = mainWindow->geometry();
  const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
  return window->size().grownBy(margins);
}

// A program's number as a whole pixel count a widget can take; the fitting to the screen then
// brings a far value back, which the conversion alone must not do (nor overflow).
int programPixels(double v, int least) {
  if (std::isnan(v)) return least > 0 ? least : 0;
  return static_cast<int>(std::clamp(v, static_cast<double>(least), static_cast<double>(QWIDGETSIZE_MAX)));
}

}  // namespace

QPoint besideMainWindow(const QRect& mainFrame, const QSize& frameSize, const QRect& available) {
  const int right = mainFrame.x() + mainFrame.width() + kBesideGap;
  if (!available.isValid()) return {right, mainFrame.y()};
  const int w = std::max(0, frameSize.width()), h = std::max(0, frameSize.height());
  // Right with the tops level, left, below with the left edges level, above: each moved onto
  // the screen. The first that hides nothing of the main window wins, else the one that
  // hides least of it.
  const QPoint sides[] = {{right, mainFrame.y()},
                          {mainFrame.x() - kBesideGap - w, mainFrame.y()},
                          {mainFrame.x(), mainFrame.y() + mainFrame.height() + kBesideGap},
                          {mainFrame.x(), mainFrame.y() - kBesideGap - h}};
  QPoint best;
  qint64 leastHidden = -1;
  for (const QPoint& side : sides) {
    const QPoint at(fitInto(side.x(), w, available.x(), available.x() + available.width()),
                    fitInto(side.y(), h, available.y(), available.y() + available.height()));
    const QRect hidden = QRect(at, QSize(w, h)).intersected(mainFrame);
    const qint64 area = hidden.isEmpty() ? 0 : qint64(hidden.width()) * hidden.height();
    if (leastHidden < 0 || area < leastHidden) best = at, leastHidden = area;
    if (area == 0) break;
  }
  return best;
}

void placeBesideMainWindow(QWidget* window, const QWidget* mainWindow) {
  if (!window || !mainWindow) return;
  // What show() would do to a window nobody sized, so that its size is the one it shows with.
  if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) window->adjustSize();
  const QRect mainFrame = mainWindow->frameGeometry();
  window->move(
      besideMainWindow(mainFrame, frameSizeOf(window, mainWindow), availableAreaFor(mainWindow, mainFrame)));
}

QRect fitWithin(const QRect& frame, const QRect& available) {
  if (!available.isValid()) return frame;
  const int w = std::clamp(frame.width(), 0, available.width());
  const int h = std::clamp(frame.height(), 0, available.height());
  return {fitInto(frame.x(), w, available.x(), available.x() + available.width()),
          fitInto(frame.y(), h, available.y(), available.y() + available.height()), w, h};
}

QRect availableScreenArea(const QRect& frame) {
  QScreen* best = nullptr;
  qint64 most = -1;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect common = screen->geometry().intersected(frame);
    const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
    if (area > most) most = area, best = screen;
  }
  if (most <= 0) best = QGuiApplication::primaryScreen();
  return best ? best->availableGeometry() : QRect();
}

QRect geometryOnScreen(const QWidget* window, const QRect& geometry) {
  const QRect outer = window->frameGeometry(), inner = window->geometry();
  const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
  const QRect framed = geometry.marginsAdded(margins);
  return fitWithin(framed, availableScreenArea(framed)).marginsRemoved(margins);
}

void keepOnScreen(QWidget* window) {
  if (!window) return;
  window = window->window();
  const QRect fitted = geometryOnScreen(window, window->geometry());
  if (fitted != window->geometry()) window->setGeometry(fitted);
}

void resizeOnScreen(QWidget* window, const QSize& size) {
  if (!window) return;
  window = window->window();
  const QRect fitted = geometryOnScreen(window, QRect(window->geometry().topLeft(), size));
  if (fitted.topLeft() != window->geometry().topLeft())
    window->setGeometry(fitted);
  else
    window->resize(fitted.size());
}

void keepBesideMainWindowOnScreen(QWidget* window, const QWidget* mainWindow) {
  if (!window || !mainWindow) return;
  const QRect available = availableAreaFor(mainWindow, mainWindow->frameGeometry());
  if (!available.isValid() || available.contains(QRect(window->pos(), frameSizeOf(window, mainWindow))))
    return;
  placeBesideMainWindow(window, mainWindow);
}

void resizeOnScreen(QWidget* window, double width, double height) {
  resizeOnScreen(window, QSize(programPixels(width, 1), programPixels(height, 1)));
}

void moveOnScreen(QWidget* window, double x, double y) {
  if (!window) return;
  window = window->window();
  const QPoint at(programPixels(x, -QWIDGETSIZE_MAX), programPixels(y, -QWIDGETSIZE_MAX));
  const QRect inside = window->geometry().translated(at - window->frameGeometry().topLeft());
  const QRect fitted = geometryOnScreen(window, inside);
  if (fitted.size() != window->geometry().size())
    window->setGeometry(fitted);
  else
    window->move(fitted.topLeft() - (window->geometry().topLeft() - window->frameGeometry().topLeft()));
}

}  // namespace pravella
