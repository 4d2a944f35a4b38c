#include "platform/ui/window_placement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

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

// A program's number as a whole pixel count a widget can take; the fitting to the screen then
// brings a far value back, which the conversion alone must not do (nor overflow).
int programPixels(double v, int least) {
  if (std::isnan(v)) return least > 0 ? least : 0;
  return static_cast<int>(std::clamp(v, static_cast<double>(least), static_cast<double>(QWIDGETSIZE_MAX)));
}

qint64 areaOf(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

// How much of the main window's controls (all of it but its spare part `free`) `frame` hides.
qint64 controlsHidden(const QRect& frame, const QRect& mainFrame, const QRect& free) {
  return areaOf(frame.intersected(mainFrame)) - areaOf(frame.intersected(free.intersected(mainFrame)));
}

// The name of the object that keeps what was last asked of a window's geometry.
constexpr char kAskedName[] = "pravellaAskedGeometry";

void placeFrameAgain(QWidget* window, const QPoint& frameAt);

// The inside geometry last asked of a window that has its window-system window, and whether the
// window system has reported it since. Until it has, what it reports is older news (a window
// manager may report the geometry from before the request first), which the next size or place
// must not build on: Qt takes each report for the window's geometry.
class AskedGeometry : public QObject {
 public:
  AskedGeometry(QWidget* window, QWindow* handle)
      : QObject(window), handle_(handle), reported_(handle->geometry()) {
    setObjectName(QLatin1String(kAskedName));
    handle->installEventFilter(this);
  }
  void ask(const QRect& geometry) {
    asked_ = geometry;
    pending_ = geometry != reported_;
  }
  QRect asked() const { return asked_; }
  // The frame's top-left corner was asked of a window the window manager has not framed yet,
  // with the frame it was expected to get: once framed with another one, it is asked again.
  void placeFrameOnceFramed(const QPoint& frameAt, const QMargins& expected) {
    frameAt_ = frameAt;
    expectedFrame_ = expected;
  }
  // A window made anew has heard nothing of what its former self was asked.
  bool pending() const { return pending_ && handle_ && handle_ == window()->windowHandle(); }
  QWindow* handle() const { return handle_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != handle_) return false;
    // The window's Move and Resize events are the window system's reports.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
      reported_ = handle_->geometry();
      if (reported_ == asked_) pending_ = false;
    }
    // A window manager frames a window before it maps it: by the first of these the frame is
    // known.
    if (frameAt_ && (event->type() == QEvent::Expose || event->type() == QEvent::Move ||
                     event->type() == QEvent::Resize)) {
      const QMargins frame = handle_->frameMargins();
      if (!frame.isNull() || handle_->isExposed()) {
        const QPoint at = *std::exchange(frameAt_, std::nullopt);
        // Not from within the window system's report.
        if (frame != expectedFrame_)
          QMetaObject::invokeMethod(
              this, [this, at] { placeFrameAgain(window(), at); }, Qt::QueuedConnection);
      }
    }
    return false;
  }

 private:
  QWidget* window() const { return static_cast<QWidget*>(parent()); }

  QPointer<QWindow> handle_;
  QRect reported_, asked_;
  bool pending_ = false;
  std::optional<QPoint> frameAt_;
  QMargins expectedFrame_;
};

AskedGeometry* askedOf(const QWidget* window) {
  return window->findChild<AskedGeometry*>(QLatin1String(kAskedName), Qt::FindDirectChildrenOnly);
}

// The window-system window of a top-level window that has one.
QWindow* createdHandle(const QWidget* window) {
  if (!window->testAttribute(Qt::WA_WState_Created)) return nullptr;
  QWindow* handle = window->windowHandle();
  return handle && handle->handle() ? handle : nullptr;
}

QMargins ownFrameMarginsOf(const QWidget* window) {
  const QRect outer = window->frameGeometry(), inner = window->geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

// The name of the property that marks the part of a main window a window may cover.
constexpr char kLeastUsedProperty[] = "pravellaLeastUsedPart";

// Whether the window manager has framed `window` (or shown it without a frame).
bool framedYet(const QWidget* window) {
  if (!ownFrameMarginsOf(window).isNull()) return true;
  const QWindow* handle = window->windowHandle();
  return window->isVisible() && handle && handle->isExposed();  // framed without one
}

// The frame around `window`. One the window manager has not framed yet (not shown, or shown by
// a program that goes on before the window system maps it) has none so far, but will get the
// decorations of the windows it framed before: those of `like` when given, else those of the
// main window or another framed window. A place built on none would land off by the frame.
QMargins frameMarginsOf(const QWidget* window, const QWidget* like = nullptr) {
  const QMargins own = ownFrameMarginsOf(window);
  if (framedYet(window)) return own;
  if (like) return ownFrameMarginsOf(like);
  QMargins other;
  for (const QWidget* top : QApplication::topLevelWidgets()) {
    if (top == window || !top->isVisible()) continue;
    const QMargins margins = ownFrameMarginsOf(top);
    if (margins.isNull()) continue;
    if (top->property(kLeastUsedProperty).isValid()) return margins;
    if (other.isNull()) other = margins;
  }
  return other;
}

// The marked part of the main window in screen coordinates; empty when none is marked or shown.
QRect leastUsedPartOf(const QWidget* mainWindow) {
  const auto* part = qobject_cast<const QWidget*>(mainWindow->property(kLeastUsedProperty).value<QObject*>());
  if (!part || !part->isVisible() || part->window() != mainWindow) return {};
  return QRect(part->mapToGlobal(QPoint(0, 0)), part->size());
}

// The window's frame size. Before a window is first framed its decorations are not known yet:
// the window manager gives it those of the main window.
QSize frameSizeOf(const QWidget* window, const QWidget* mainWindow) {
  return requestedGeometry(window).size().grownBy(frameMarginsOf(window, mainWindow));
}

}  // namespace

QPoint besideMainWindow(const QRect& mainFrame, const QSize& frameSize, const QRect& available,
                        const QRect& leastUsed) {
  const int right = mainFrame.x() + mainFrame.width() + kBesideGap;
  if (!available.isValid()) return {right, mainFrame.y()};
  const int w = std::max(0, frameSize.width()), h = std::max(0, frameSize.height());
  // Right with the tops level, left, below with the left edges level, above: each moved onto
  // the screen. The first that hides nothing of the main window wins.
  std::vector<QPoint> places = {{right, mainFrame.y()},
                                {mainFrame.x() - kBesideGap - w, mainFrame.y()},
                                {mainFrame.x(), mainFrame.y() + mainFrame.height() + kBesideGap},
                                {mainFrame.x(), mainFrame.y() - kBesideGap - h}};
  const QRect free = leastUsed.intersected(mainFrame);
  if (!free.isEmpty()) {
    // Where every side hides some of it, the same sides slid to the part the main window can
    // spare, then that part itself from its far corner: the menu bar and the controls stay.
    const int freeRight = free.x() + free.width(), freeBottom = free.y() + free.height();
    places.insert(places.end(), {{right, freeBottom - h},
                                 {mainFrame.x() - kBesideGap - w, freeBottom - h},
                                 {freeRight - w, mainFrame.y() + mainFrame.height() + kBesideGap},
                                 {freeRight - w, mainFrame.y() - kBesideGap - h},
                                 {freeRight - w, freeBottom - h},
                                 {free.x(), freeBottom - h},
                                 {freeRight - w, free.y()}});
  }
  // Else the place that hides least of the controls (all of the main window but its spare
  // part), then least of the main window.
  QPoint best;
  qint64 leastControls = -1, leastHidden = -1;
  for (const QPoint& place : places) {
    const QPoint at(fitInto(place.x(), w, available.x(), available.x() + available.width()),
                    fitInto(place.y(), h, available.y(), available.y() + available.height()));
    const QRect frame(at, QSize(w, h));
    const qint64 hidden = areaOf(frame.intersected(mainFrame));
    const qint64 controls = controlsHidden(frame, mainFrame, free);
    if (leastHidden < 0 || controls < leastControls || (controls == leastControls && hidden < leastHidden))
      best = at, leastControls = controls, leastHidden = hidden;
    if (hidden == 0) break;
  }
  return best;
}

void markLeastUsedPart(QWidget* mainWindow, QWidget* part) {
  if (mainWindow) mainWindow->setProperty(kLeastUsedProperty, QVariant::fromValue<QObject*>(part));
}

void placeBesideMainWindow(QWidget* window, const QWidget* mainWindow, BesideSize size) {
  if (!window || !mainWindow) return;
  // What show() would do to a window nobody sized, so that its size is the one it shows with.
  if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) window->adjustSize();
  const QRect mainFrame = mainWindow->frameGeometry();
  const QRect available = availableAreaFor(mainWindow, mainFrame), free = leastUsedPartOf(mainWindow);
  QSize frameSize = frameSizeOf(window, mainWindow);
  QPoint at = besideMainWindow(mainFrame, frameSize, available, free);
  if (size == BesideSize::MayShrink && !free.isEmpty() &&
      controlsHidden(QRect(at, frameSize), mainFrame, free) > 0) {
    // Too large for the spare part: made as small as it is, so that it hides no control.
    const QSize margins = frameSize - requestedGeometry(window).size();
    const QSize inside =
        (frameSize.boundedTo(free.intersected(mainFrame).size()) - margins).expandedTo(QSize(1, 1));
    if (window->isVisible())
      requestGeometry(window, QRect(requestedGeometry(window).topLeft(), inside));
    else
      window->resize(inside);
    frameSize = frameSizeOf(window, mainWindow);
    at = besideMainWindow(mainFrame, frameSize, available, free);
  }
  if (!window->isVisible()) {
    window->move(at);
    return;
  }
  const QMargins margins = frameMarginsOf(window, mainWindow);
  requestGeometry(window,
                  QRect(at + QPoint(margins.left(), margins.top()), requestedGeometry(window).size()));
}

QRect requestedGeometry(const QWidget* window) {
  if (!window) return {};
  AskedGeometry* asked = askedOf(window);
  return asked && asked->pending() ? asked->asked() : window->geometry();
}

bool answersRequest(const QWidget* window, const QSize& size) {
  const AskedGeometry* asked = window ? askedOf(window) : nullptr;
  return asked && (asked->pending() || asked->asked().size() == size);
}

void requestGeometry(QWidget* window, const QRect& geometry) {
  if (!window) return;
  QWindow* handle = createdHandle(window);
  if (!handle) {
    // Not made yet: Qt keeps it for the show, and a window only sized is still placed then.
    if (geometry.topLeft() == window->geometry().topLeft())
      window->resize(geometry.size());
    else
      window->setGeometry(geometry);
    return;
  }
  AskedGeometry* asked = askedOf(window);
  if (asked && asked->handle() != handle) delete std::exchange(asked, nullptr);
  if (!asked) asked = new AskedGeometry(window, handle);
  asked->ask(geometry);
  // The whole geometry in one request: Qt sends a move alone with the size it last heard of,
  // and a resize alone with the place, which may be older news than this request. The widget
  // then takes it without sending a part of it again.
  if (handle->geometry() != geometry) handle->setGeometry(geometry);
  window->setGeometry(geometry);
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
  const QMargins margins = frameMarginsOf(window);
  const QRect framed = geometry.marginsAdded(margins);
  return fitWithin(framed, availableScreenArea(framed)).marginsRemoved(margins);
}

void keepOnScreen(QWidget* window) {
  if (!window) return;
  window = window->window();
  const QRect asked = requestedGeometry(window);
  const QRect fitted = geometryOnScreen(window, asked);
  if (fitted != asked) requestGeometry(window, fitted);
}

void resizeOnScreen(QWidget* window, const QSize& size) {
  if (!window) return;
  window = window->window();
  requestGeometry(window, geometryOnScreen(window, QRect(requestedGeometry(window).topLeft(), size)));
}

void keepBesideMainWindowOnScreen(QWidget* window, const QWidget* mainWindow) {
  if (!window || !mainWindow) return;
  const QRect available = availableAreaFor(mainWindow, mainWindow->frameGeometry());
  const QMargins margins = frameMarginsOf(window, mainWindow);
  const QPoint frameAt = requestedGeometry(window).topLeft() - QPoint(margins.left(), margins.top());
  if (!available.isValid() || available.contains(QRect(frameAt, frameSizeOf(window, mainWindow)))) return;
  placeBesideMainWindow(window, mainWindow);
}

void resizeOnScreen(QWidget* window, double width, double height) {
  resizeOnScreen(window, QSize(programPixels(width, 1), programPixels(height, 1)));
}

namespace {

// The frame's top-left corner of the top-level `window` to `frameAt`, or as near as keeps it
// on the screen. A window not framed yet is placed with the frame it is expected to get, and
// again once it has another.
void placeFrame(QWidget* window, const QPoint& frameAt) {
  const QMargins margins = frameMarginsOf(window);
  const QRect inside(frameAt + QPoint(margins.left(), margins.top()), requestedGeometry(window).size());
  requestGeometry(window, geometryOnScreen(window, inside));
  if (AskedGeometry* asked = framedYet(window) ? nullptr : askedOf(window))
    asked->placeFrameOnceFramed(frameAt, margins);
}

void placeFrameAgain(QWidget* window, const QPoint& frameAt) {
  if (window && window->isVisible()) placeFrame(window, frameAt);
}

}  // namespace

QSize pictureSizeOnScreen(const QWidget* window, double width, double height, int barHeight) {
  if (!window) return {};
  window = window->window();
  if (!(width > 0) || !(height > 0)) return {1, 1 + barHeight};
  width = std::min(width, std::numeric_limits<double>::max());
  height = std::min(height, std::numeric_limits<double>::max());
  const QMargins margins = frameMarginsOf(window);
  const QRect asked = requestedGeometry(window);
  const QRect area = availableScreenArea(asked.marginsAdded(margins));
  double scale = 1;
  if (area.isValid()) {
    const double roomW = std::max(1, area.width() - margins.left() - margins.right());
    const double roomH = std::max(1, area.height() - margins.top() - margins.bottom() - barHeight);
    scale = std::min({1.0, roomW / width, roomH / height});
  }
  return {programPixels(std::round(width * scale), 1),
          programPixels(std::round(height * scale), 1) + barHeight};
}

void resizePictureOnScreen(QWidget* window, double width, double height, int barHeight) {
  if (!window) return;
  resizeOnScreen(window, pictureSizeOnScreen(window, width, height, barHeight));
}

void moveOnScreen(QWidget* window, double x, double y) {
  if (!window) return;
  placeFrame(window->window(),
             QPoint(programPixels(x, -QWIDGETSIZE_MAX), programPixels(y, -QWIDGETSIZE_MAX)));
}

}  // namespace pravella
