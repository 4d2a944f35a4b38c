#pragma once
// A window's first frame. The application shows its main window first and makes what the
// window does not show (the desk tools, the hidden drawers) right after the first frame; the
// start-up bench and the start-up test wait for that frame. Header-only and Qt only, so that
// the bench's minimal Qt program reports it the same way.

#include <time.h>

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <utility>

namespace pravella {

namespace detail {

class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWindow* window, std::function<void(bool)> then)
      : QObject(window), then_(std::move(then)) {}

  void finish(bool painted) {
    if (!then_) return;
    parent()->removeEventFilter(this);
    const auto then = std::exchange(then_, nullptr);
    deleteLater();
    then(painted);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Expose || watched != parent()) return false;
    // The window paints and flushes while it handles its expose event: handle it, then tell.
    watched->event(event);
    if (static_cast<QWindow*>(watched)->isExposed()) finish(true);
    return true;
  }

 private:
  std::function<void(bool)> then_;
};

}  // namespace detail

// Runs `then(true)` once, right after `window` (shown) painted and flushed its first frame, in
// the same event, before any other is handled; or `then(false)` when the window has not been
// exposed after `fallbackMs` (started minimised, say). One call per window.
inline void afterFirstPaint(QWidget* window, std::function<void(bool painted)> then, int fallbackMs = 1000) {
  QWindow* handle = window->windowHandle();
  if (!handle) return then(false);
  auto* watcher = new detail::FirstPaintWatcher(handle, std::move(then));
  handle->installEventFilter(watcher);
  QTimer::singleShot(fallbackMs, watcher, [watcher] { watcher->finish(false); });
}

// With PRAVELLA_REPORT_FIRST_PAINT set, writes "first paint <ns>" to standard error, <ns> read
// from CLOCK_MONOTONIC (the clock of the process that started this one, which so tells the time
// from its own start). Call when the first frame was painted.
inline void reportFirstPaintWhenAsked() {
  if (qEnvironmentVariableIsEmpty("PRAVELLA_REPORT_FIRST_PAINT")) return;
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "first paint %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  std::fflush(stderr);
}

}  // namespace pravella
