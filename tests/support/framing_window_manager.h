#pragma once
// A real framing window manager (twm) on the X display the test's Qt uses, for tests of what
// only happens once a window manager frames a window: the frame comes some time after the
// window is mapped, and moves the window's inside by its decorations. It places every window
// without asking the user (twm otherwise waits for a click to place a new window) and ends
// with the test, handing the windows back to the root window. The xcb platform only.

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QString>
#include <QWidget>

#include <xcb/xcb.h>
#include <cstdlib>

#include "support/test_home.h"

namespace pravella::test {

inline xcb_connection_t* xcbConnection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The child of the root window that holds X window `w` (its frame once a window manager framed
// it, else `w` itself); 0 when the window is gone.
inline xcb_window_t topAncestorOf(xcb_window_t w) {
  xcb_connection_t* c = xcbConnection();
  for (int depth = 0; c && depth < 16; ++depth) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (!tree) return 0;
    const xcb_window_t parent = tree->parent, root = tree->root;
    std::free(tree);
    if (parent == root || parent == XCB_WINDOW_NONE) return w;
    w = parent;
  }
  return 0;
}

// The geometry of X window `w` as the X server has it (relative to its parent), border outside.
inline QRect serverGeometryOf(xcb_window_t w) {
  xcb_connection_t* c = xcbConnection();
  xcb_get_geometry_reply_t* reply = c ? xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr) : nullptr;
  if (!reply) return {};
  const QRect r(reply->x, reply->y, reply->width + 2 * reply->border_width,
                reply->height + 2 * reply->border_width);
  std::free(reply);
  return r;
}

// Whether a window manager has put the top-level `window` in a frame of its own.
inline bool framed(const QWidget* window) {
  const auto id = xcb_window_t(window->winId());
  const xcb_window_t top = topAncestorOf(id);
  return top && top != id;
}

// The outer top-left corner of the top-level `window`'s frame, in screen coordinates, as the X
// server has it (the window itself when it is not framed).
inline QPoint serverFrameTopLeft(const QWidget* window) {
  return serverGeometryOf(topAncestorOf(xcb_window_t(window->winId()))).topLeft();
}

class FramingWindowManager {
 public:
  // The reason the window manager cannot run here; empty when it can. (The tests that use it
  // run on an X display.)
  static QString missing() {
    if (QStandardPaths::findExecutable("twm").isEmpty()) return "twm is not installed";
    return {};
  }

  // Starts it; false when it did not start.
  bool start() {
    const QString config = home() + "/framing-twmrc";
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // Its own default fonts may be missing; every X server has "fixed". It quits on a font it
    // cannot open.
    file.write("RandomPlacement\nUsePPosition \"on\"\nNoGrabServer\n");
    // Windows whose title is "Bare" get no title bar: a frame unlike the main window's.
    file.write("NoTitle { \"Bare\" }\n");
    for (const char* font : {"TitleFont", "ResizeFont", "MenuFont", "IconFont", "IconManagerFont"})
      file.write(QByteArray(font) + " \"fixed\"\n");
    file.close();
    process_.setProgram(QStandardPaths::findExecutable("twm"));
    process_.setArguments({"-f", config});
    // In the C locale it needs no font beyond "fixed" (others warn of every missing charset).
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    return process_.waitForStarted();
  }
  bool running() const { return process_.state() == QProcess::Running; }

  ~FramingWindowManager() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();  // twm hands its windows back to the root window on the way out
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

 private:
  QProcess process_;
};

}  // namespace pravella::test
