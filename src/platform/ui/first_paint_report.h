#pragma once
// The start-up bench and the start-up test wait for a window's first paint: with
// PRAVELLA_REPORT_FIRST_PAINT set, the line "first paint <ns>" goes to standard error once the
// window has painted and flushed its first exposed frame, <ns> read from CLOCK_MONOTONIC (the
// clock of the process that started it, so it can tell the time from its own start).
// Header-only and Qt only, so that the bench's minimal Qt program reports the same way.

#include <time.h>

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace pravella {

namespace detail {

class FirstPaintReporter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QWindow*>(watched);
    if (event->type() != QEvent::Expose || !window) return false;
    // The window paints and flushes while handling its expose event: handle it first, then tell.
    watched->event(event);
    if (!window->isExposed()) return true;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "first paint %lld\n",
                 static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stderr);
    deleteLater();
    window->removeEventFilter(this);
    return true;
  }
};

}  // namespace detail

// Call right after showing `window`; does nothing unless the environment asks for it.
inline void reportFirstPaintWhenAsked(QWidget* window) {
  if (qEnvironmentVariableIsEmpty("PRAVELLA_REPORT_FIRST_PAINT") || !window->windowHandle()) return;
  window->windowHandle()->installEventFilter(new detail::FirstPaintReporter(window));
}

}  // namespace pravella
