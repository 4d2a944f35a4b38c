// A program that shows a window and moves it at once puts the window's frame where it asked,
// though a real window manager (twm) frames the window only after the program has gone on:
// the frame the X server has, once the window manager framed the window, is at the place asked,
// whether the frame is like the main window's or not, after a size, off the screen (fitted), and
// when a window closed before it was framed came first.

#include "app/app_fixture.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "imaging/ui/sub_window.h"
#include "imaging/ui/sub_window_list.h"
#include "support/framing_window_manager.h"
#include "support/wait_for.h"

namespace {

using namespace app_test;
using pravella::test::becomesEqual;
using pravella::test::becomesTrue;
using pravella::test::framed;
using pravella::test::serverFrameTopLeft;

class FirstMoveFramed : public App {
 protected:
  void SetUp() override {
    App::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_NE(pravella::test::xcbConnection(), nullptr);
    const QString missing = pravella::test::FramingWindowManager::missing();
    if (!missing.isEmpty()) GTEST_SKIP() << s(missing);
    ASSERT_TRUE(manager.start());
    // It frames the windows shown before it started: the main window among them.
    ASSERT_TRUE(becomesTrue(
        [this] { return framed(&window()) && window().frameGeometry() != window().geometry(); }, 20000));
    ASSERT_TRUE(pravella::test::queuedWorkDone());
  }

  // Where a program's y of 0 puts a frame: level with the main window's frame.
  int top() { return serverFrameTopLeft(&window()).y(); }

  pravella::test::FramingWindowManager manager;
};

QWidget* pictureWindow(const QString& title) {
  auto* w = pravella::imaging::findWindowFromSubWindowList(title);
  return w ? w->window() : nullptr;
}

QWidget* plotWindow(const QString& title) {
  auto* w = pravella::gl::findWindowFromGLWindowList(title);
  return w ? w->window() : nullptr;
}

struct Kind {
  const char* name;
  const char* open;   // the program text that opens the window %1
  const char* move;   // its move command
  const char* size;   // its size command
  const char* close;  // its close command
  QWidget* (*window)(const QString& title);
};

const Kind kKinds[] = {
    {"picture window",
     "RGB = popRGBColor(\"mono\"); p# = densityPlot(|0, 1| |0, 1|, |1, 0|); showPict(p#, \"%1\");",
     "movePictWindow", "sizePictWindow", "closePictWindow", pictureWindow},
    {"OpenGL plot", "c = |0, 1, 2|'; parametricPointPlot_GL(c, c, c, c, \"%1\");", "moveGLWindow",
     "sizeGLWindow", "closeGLWindow", plotWindow},
};

bool glMissing(const Kind& kind) {
  return QString(kind.name).startsWith("OpenGL") && !pravella::gl::openGLWindowsAvailable();
}

QString text(const QPoint& p) { return QString("%1,%2").arg(p.x()).arg(p.y()); }
QString text(const QSize& s) { return QString("%1x%2").arg(s.width()).arg(s.height()); }

// The commands that follow the opening in the same program (%1 the title, %2 the move
// command, %3 the size command), and where they put the frame: `top` is the main window's frame
// top, `frame` the new window's frame size, `area` the screen's available area.
struct Case {
  const char* name;
  const char* commands;
  QPoint (*expected)(int top, const QSize& frame, const QRect& area);
  QSize inside;  // the inside size asked, if any
  int tries;
};

const Case kCases[] = {
    {"a move",
     "%2(\"%1\", |60, 60|);",
     [](int top, const QSize&, const QRect&) { return QPoint(60, top + 60); },
     {},
     10},
    {"a size, then a move",
     "%3(\"%1\", |300, 200|); %2(\"%1\", |60, 60|);",
     [](int top, const QSize&, const QRect&) { return QPoint(60, top + 60); },
     {300, 200},
     3},
    {"a move, then a size",
     "%2(\"%1\", |70, 40|); %3(\"%1\", |300, 200|);",
     [](int top, const QSize&, const QRect&) { return QPoint(70, top + 40); },
     {300, 200},
     3},
    {"the same move twice",
     "%2(\"%1\", |60, 60|); %2(\"%1\", |60, 60|);",
     [](int top, const QSize&, const QRect&) { return QPoint(60, top + 60); },
     {},
     3},
    {"a move, then another",
     "%2(\"%1\", |60, 60|); %2(\"%1\", |90, 20|);",
     [](int top, const QSize&, const QRect&) { return QPoint(90, top + 20); },
     {},
     3},
    {"a move off the screen's far corner",
     "%2(\"%1\", |5000, 5000|);",
     [](int, const QSize& frame, const QRect& area) {
       return area.bottomRight() + QPoint(1, 1) - QPoint(frame.width(), frame.height());
     },
     {},
     3},
    {"a move off the screen's near corner",
     "%2(\"%1\", |-5000, -5000|);",
     [](int, const QSize&, const QRect& area) { return area.topLeft(); },
     {},
     3},
};

TEST_F(FirstMoveFramed, AMoveInTheProgramThatShowsTheWindowPlacesItsFrame) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    if (glMissing(kind)) continue;
    for (const Case& c : kCases) {
      SCOPED_TRACE(c.name);
      for (int attempt = 0; attempt < c.tries; ++attempt) {
        SCOPED_TRACE(attempt);
        const QString title = QString("T%1").arg(attempt);
        run(QString(kind.open).arg(title) + " " +
            QString(c.commands).replace("%1", title).replace("%2", kind.move).replace("%3", kind.size));
        QWidget* w = kind.window(title);
        ASSERT_NE(w, nullptr);
        // Framed, and the frame is news to the window.
        ASSERT_TRUE(becomesTrue([w] { return framed(w) && w->frameGeometry() != w->geometry(); }, 20000));
        const auto id = xcb_window_t(w->winId());
        if (c.inside.isValid()) {
          EXPECT_TRUE(becomesEqual([id] { return text(pravella::test::serverGeometryOf(id).size()); },
                                   text(c.inside)));
        }
        const QSize frame = pravella::test::serverGeometryOf(pravella::test::topAncestorOf(id)).size();
        EXPECT_TRUE(
            becomesEqual([w] { return text(serverFrameTopLeft(w)); }, text(c.expected(top(), frame, area))));
        run(QString("%1(\"%2\");").arg(kind.close, title));
        ASSERT_TRUE(becomesTrue([&] { return !kind.window(title); }));
      }
    }
  }
}

// A window the window manager frames unlike the main window (no title bar) still gets its
// frame where the program asked.
TEST_F(FirstMoveFramed, AFrameUnlikeTheMainWindowsLandsWhereAsked) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    if (glMissing(kind)) continue;
    for (int attempt = 0; attempt < 3; ++attempt) {
      SCOPED_TRACE(attempt);
      run(QString(kind.open).arg("Bare") + QString(" %1(\"Bare\", |60, 60|);").arg(kind.move));
      QWidget* w = kind.window("Bare");
      ASSERT_NE(w, nullptr);
      ASSERT_TRUE(becomesTrue([w] { return framed(w) && w->frameGeometry() != w->geometry(); }, 20000));
      EXPECT_TRUE(becomesEqual([w] { return text(serverFrameTopLeft(w)); }, text(QPoint(60, top() + 60))));
      run(QString("%1(\"Bare\");").arg(kind.close));
      ASSERT_TRUE(becomesTrue([&] { return !kind.window("Bare"); }));
    }
  }
}

// A window the program closes before the window manager frames it leaves nothing behind, and
// the next window's first move is right.
TEST_F(FirstMoveFramed, AWindowClosedBeforeItIsFramedLeavesTheNextOneRight) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    if (glMissing(kind)) continue;
    run(QString(kind.open).arg("C") + QString(" %1(\"C\", |60, 60|); %2(\"C\");").arg(kind.move, kind.close));
    EXPECT_EQ(kind.window("C"), nullptr);
    run(QString(kind.open).arg("N") + QString(" %1(\"N\", |80, 30|);").arg(kind.move));
    QWidget* w = kind.window("N");
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(becomesTrue([w] { return framed(w) && w->frameGeometry() != w->geometry(); }, 20000));
    EXPECT_TRUE(becomesEqual([w] { return text(serverFrameTopLeft(w)); }, text(QPoint(80, top() + 30))));
    run(QString("%1(\"N\");").arg(kind.close));
    ASSERT_TRUE(becomesTrue([&] { return !kind.window("N"); }));
  }
}

}  // namespace
