// The main window's first frame on a fresh home, on a desk whose panels take a strip along the
// top and one along the left of the screen (the window manager tells them as the work area):
// the whole frame, its title bar included, opens inside the area left to windows.

#include <QScreen>

#include <xcb/xcb.h>
#include <cstring>

#include "app/app_fixture.h"
#include "diary/startup_files.h"

namespace {

using namespace app_test;

QString text(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The display's work area on its root window, as a window manager with panels sets it.
class WorkArea {
 public:
  WorkArea() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    connection_ = x11 ? x11->connection() : nullptr;
    if (!connection_) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    static const char kName[] = "_NET_WORKAREA";
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::strlen(kName), kName), nullptr);
    if (reply) atom_ = reply->atom;
    std::free(reply);
  }
  ~WorkArea() {
    if (!atom_) return;
    xcb_delete_property(connection_, root_, atom_);
    xcb_flush(connection_);
  }
  bool set(const QRect& area) {
    if (!atom_) return false;
    const std::uint32_t values[4] = {std::uint32_t(area.x()), std::uint32_t(area.y()),
                                     std::uint32_t(area.width()), std::uint32_t(area.height())};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, atom_, XCB_ATOM_CARDINAL, 32, 4, values);
    xcb_flush(connection_);
    return true;
  }

 private:
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_atom_t atom_ = 0;
};

class FirstFrame : public App {
 protected:
  void SetUp() override {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    // Panels a twentieth of the screen deep along its top and its left.
    const QRect whole = screen->geometry();
    area = whole.adjusted(whole.width() / 20, whole.height() / 20, 0, 0);
    ASSERT_TRUE(workArea.set(area));
    ASSERT_TRUE(waitFor([&] { return screen->availableGeometry() == area; }))
        << s(text(screen->availableGeometry()));
    App::SetUp();
  }

  WorkArea workArea;
  QRect area;
};

TEST_F(FirstFrame, OpensInsideTheAvailableAreaOnAFreshHome) {
  ASSERT_FALSE(QFile::exists(pravella::windowFrameFilePath()));
  EXPECT_TRUE(area.contains(window().frameGeometry()))
      << s(text(window().frameGeometry())) << " on " << s(text(area));
  // And so it stays once the start has finished: the drawers are made, the kept layout applied.
  ASSERT_TRUE(waitFor([&] { return window().findChild<QDockWidget*>("ISDrawer") != nullptr; }));
  ASSERT_TRUE(waitIdle());
  EXPECT_TRUE(area.contains(window().frameGeometry()))
      << s(text(window().frameGeometry())) << " on " << s(text(area));
}

}  // namespace
