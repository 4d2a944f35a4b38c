// A program's size and place for a window it opened (a picture window, an OpenGL plot) both
// hold, in either order, when the window system reports the geometry from before the first
// request only after it, as a busy window manager does. The test makes that so: while the
// programs run it holds back the X server's own geometry reports and sends the window the old
// geometry between the two requests; then it asks the X server itself where the window is.

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>
#include <cstdlib>

#include "app/app_fixture.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "imaging/ui/sub_window.h"
#include "imaging/ui/sub_window_list.h"
#include "support/wait_for.h"

namespace {

using namespace app_test;

xcb_connection_t* connection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// Drops the X server's own ConfigureNotify events while it holds (sent ones pass): Qt then
// hears of no geometry the server gave a window.
class HeldGeometryReports : public QAbstractNativeEventFilter {
 public:
  HeldGeometryReports() { qApp->installNativeEventFilter(this); }
  ~HeldGeometryReports() override { qApp->removeNativeEventFilter(this); }
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (!holding || type != "xcb_generic_event_t") return false;
    return static_cast<const xcb_generic_event_t*>(message)->response_type == XCB_CONFIGURE_NOTIFY;
  }
  bool holding = false;
};

// The window's geometry as the X server has it (no window manager: the root is its parent).
QRect serverGeometry(QWidget* window) {
  xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(
      connection(), xcb_get_geometry(connection(), xcb_window_t(window->winId())), nullptr);
  if (!reply) return {};
  const QRect r(reply->x, reply->y, reply->width, reply->height);
  std::free(reply);
  return r;
}

// Reports `geometry` to the window as a window manager does (a sent ConfigureNotify).
void reportGeometry(QWidget* window, const QRect& geometry) {
  xcb_configure_notify_event_t event{};
  event.response_type = XCB_CONFIGURE_NOTIFY;
  event.event = event.window = xcb_window_t(window->winId());
  event.x = std::int16_t(geometry.x());
  event.y = std::int16_t(geometry.y());
  event.width = std::uint16_t(geometry.width());
  event.height = std::uint16_t(geometry.height());
  xcb_send_event(connection(), 0, event.window, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection());
}

QString text(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

using ProgramWindowRequests = App;

struct Kind {
  const char* name;
  const char* open;  // opens the window "S"
  const char* size;  // the program's size command for it
  const char* move;  // and its place command
  QWidget* (*window)();
};

const Kind kKinds[] = {
    {"picture window",
     "RGB = popRGBColor(\"mono\"); p# = densityPlot(|0, 1| |0, 1|, |1, 0|); openPictWindow(p#, \"S\");",
     "sizePictWindow", "movePictWindow",
     [] {
       auto* w = pravella::imaging::findWindowFromSubWindowList("S");
       return w ? w->window() : nullptr;
     }},
    {"OpenGL plot", "c = |0, 1, 2|'; parametricPointPlot_GL(c, c, c, c, \"S\");", "sizeGLWindow",
     "moveGLWindow",
     [] {
       auto* w = pravella::gl::findWindowFromGLWindowList("S");
       return w ? w->window() : nullptr;
     }},
};

TEST_F(ProgramWindowRequests, ASizeAndAPlaceBothHoldWhenTheOldGeometryIsReportedBetween) {
  ASSERT_NE(connection(), nullptr);
  HeldGeometryReports reports;
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    if (QString(kind.name).startsWith("OpenGL") && !pravella::gl::openGLWindowsAvailable()) continue;
    run(kind.open);
    QWidget* window = kind.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // Moves count down from the main window's top.
    const int top = this->window().frameGeometry().top();
    const struct {
      const char* order;
      QString first, second;
      QRect expected;
    } steps[] = {
        {"size, then place", QString("%1(\"S\", |420, 310|);").arg(kind.size),
         QString("%1(\"S\", |60, 60|);").arg(kind.move), QRect(60, top + 60, 420, 310)},
        {"place, then size", QString("%1(\"S\", |90, 70|);").arg(kind.move),
         QString("%1(\"S\", |300, 200|);").arg(kind.size), QRect(90, top + 70, 300, 200)},
    };
    for (const auto& step : steps) {
      SCOPED_TRACE(step.order);
      const QRect before = serverGeometry(window);
      reports.holding = true;
      run(step.first);
      reportGeometry(window, before);
      ASSERT_TRUE(pravella::test::becomesTrue([&] { return window->windowHandle()->geometry() == before; }))
          << s(text(window->windowHandle()->geometry())) << " for " << s(text(before));
      run(step.second);
      reports.holding = false;
      EXPECT_EQ(s(text(serverGeometry(window))), s(text(step.expected)));
    }
  }
  run("closeAllPictWindow(0); closeAllGLWindow(0);");
}

}  // namespace
