// The OpenGL plot views as programs and users drive them: the plot built-ins, commands by
// title, the camera under mouse, wheel and keys, the fling, and the exported pictures.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/gl/gl_clock.h"
#include "graphics/gl/gl_commands.h"
#include "graphics/gl/gl_plot_data.h"
#include "graphics/gl/trackball.h"
#include "graphics/picture.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"

namespace {

using namespace pravella::gl;
using Switches = std::array<std::int8_t, 6>;  // planes, points, lines, colour, light, box

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

// An n by n surface over -2 .. 2 in x and y, flat at z = 0, facing the camera at rest.
int flatSurface(const QString& title, int n, const QByteArray& picture = {}) {
  std::vector<double> x(n * n), y(n * n), z(n * n, 0.0);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      x[r * n + c] = -2 + 4.0 * c / (n - 1);
      y[r * n + c] = -2 + 4.0 * r / (n - 1);
    }
  const double range[] = {0, 0};
  return openGLWindow(x.data(), x.data(), y.data(), z.data(), range, n, n, title, picture);
}

QByteArray redPicture(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::red);
  return pravella::Picture::fromImage(image).bytes();
}

void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)),
                    type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
  QApplication::sendEvent(w, &event);
}

void drag(QWidget* w, Qt::MouseButton button, QPoint from, QPoint to,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  mouse(w, QEvent::MouseButtonPress, button, from, modifiers);
  mouse(w, QEvent::MouseMove, button, to, modifiers);
  mouse(w, QEvent::MouseButtonRelease, button, to, modifiers);
}

void key(QWidget* w, const QString& text) {
  QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, text);
  QApplication::sendEvent(w, &event);
}

void wheel(QWidget* w, int angle) {
  QWheelEvent event(QPointF(10, 10), w->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, angle),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &event);
}

class GLPlotView : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!openGLWindowsAvailable()) GTEST_SKIP() << "no OpenGL display";
    ASSERT_EQ(vkStartUp(), 1);
    glWindowList().clear();
  }
  void TearDown() override {
    setGLClockForTests(std::nullopt);
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    glWindowList().clear();
  }
  // The view of `title`, on screen and drawn at least once.
  BasicOpenGLView* shown(const QString& title) {
    vkOpenGLWindow* window = findWindowFromGLWindowList(title);
    if (!window) return nullptr;
    BasicOpenGLView* view = window->imageView();
    if (!QTest::qWaitForWindowExposed(window->window())) return nullptr;
    if (!QTest::qWaitFor([view] { return view->framesDrawn() > 0; })) return nullptr;
    return view;
  }
  QWidget main_;
  GLWindowManager manager_{&main_};
};

TEST_F(GLPlotView, SurfaceBuiltInOpensGLWindowAndASecondCallReloadsIt) {
  EXPECT_EQ(run("x = |0, 1, 2| |0, 1, 2| |0, 1, 2|; parametricPlot3D_GL(x, x', x + x');"), ".OK.\n");
  QPointer<vkOpenGLWindow> window = findWindowFromGLWindowList("GL_Window");
  ASSERT_TRUE(window);
  EXPECT_EQ(window->window()->windowTitle(), "GL_Window");
  EXPECT_EQ(window->imageView()->plotData().numOfFace, 4);
  EXPECT_EQ(run("x = |0, 1| |0, 1|; parametricPlot3D_GL(x, x', x, x, |10, 0|, \"\");"), ".OK.\n");
  EXPECT_EQ(glWindowList().size(), 1);
  EXPECT_EQ(findWindowFromGLWindowList("GL_Window"), window.data());
  EXPECT_EQ(window->imageView()->plotData().numOfPoints, 4);
  // The surface built-ins leave the switches as the window has them.
  EXPECT_EQ(window->imageView()->switches(), (Switches{1, 0, 1, 1, 0, 1}));
}

TEST_F(GLPlotView, PolylineAndPointBuiltInsSetTheirSwitches) {
  const struct {
    const char* program;
    Switches switches;
  } cases[] = {
      {"parametricPlot_GL(x, x, x);", {0, 1, 1, 0, 0, 1}},
      {"parametricLinePlot_GL(x, x, x, x);", {0, 0, 1, 1, 0, 1}},  // a reload: points off again
      {"parametricPointPlot_GL(x, x, x, x, \"\");", {0, 1, 0, 1, 0, 1}},
      {"parametricPlot_GL(x, x, x, x, \"Other\");", {0, 1, 1, 1, 0, 1}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(std::string("x = |1, 2, 3, 4|'; ") + c.program), ".OK.\n") << c.program;
    const QString title = std::string(c.program).find("Other") != std::string::npos ? "Other" : "GL_Window";
    vkOpenGLWindow* window = findWindowFromGLWindowList(title);
    ASSERT_TRUE(window) << c.program;
    EXPECT_EQ(window->imageView()->switches(), c.switches) << c.program;
    EXPECT_EQ(window->imageView()->plotData().numOfFace, 0);
  }
  EXPECT_EQ(glWindowList().size(), 2);
}

TEST_F(GLPlotView, APictureTexturesTheFacesWithPlanesOff) {
  ASSERT_EQ(flatSurface("Plain", 5), 1);
  ASSERT_EQ(flatSurface("Pictured", 5, redPicture(300, 200)), 1);
  for (const char* title : {"Plain", "Pictured"}) {
    vkOpenGLWindow* window = findWindowFromGLWindowList(title);
    window->setPlaneSwitch(0);
    window->setLineSwitch(0);
    window->setBoxSwitch(0);
    window->setBackColor(0, 0, 0);
    window->setWorldRotation(0, 0, 0, 1);
  }
  BasicOpenGLView* plain = shown("Plain");
  BasicOpenGLView* pictured = shown("Pictured");
  ASSERT_TRUE(plain && pictured);
  EXPECT_EQ(pictured->textureSize(), QSize(256, 128));
  const auto centre = [](BasicOpenGLView* v) {
    const QImage image = v->bitmapInsideRect({});
    return image.pixelColor(image.width() / 2, image.height() / 2);
  };
  EXPECT_EQ(centre(plain), QColor(0, 0, 0));
  EXPECT_EQ(centre(pictured), QColor(255, 0, 0));
}

TEST_F(GLPlotView, LitFacesTakeThePlaneColourEvenWithVertexColours) {
  ASSERT_EQ(flatSurface("Lit", 5), 1);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Lit");
  window->setLineSwitch(0);
  window->setBoxSwitch(0);
  window->setWorldRotation(0, 0, 0, 1);
  window->setPlaneColor(1, 0, 0);
  BasicOpenGLView* view = shown("Lit");
  ASSERT_TRUE(view);
  const auto centre = [view] {
    const QImage image = view->bitmapInsideRect({});
    return image.pixelColor(image.width() / 2, image.height() / 2);
  };
  const struct {
    int light, colour;
    bool pureRed;  // the plane colour, red, alone
  } cases[] = {{0, 0, true}, {0, 1, false}, {1, 1, true}, {1, 0, true}};
  for (const auto& c : cases) {
    if (view->switches()[4] != c.light) key(view, "0");
    window->setColorSwitch(c.colour);
    const QColor got = centre();
    EXPECT_EQ(got.red() > 0 && got.green() == 0 && got.blue() == 0, c.pureRed)
        << "light " << c.light << " colour " << c.colour << ": " << got.name().toStdString();
  }
}

TEST_F(GLPlotView, RestyleByTitleChangesTheNextFrame) {
  ASSERT_EQ(flatSurface("Styled", 3), 1);
  BasicOpenGLView* view = shown("Styled");
  ASSERT_TRUE(view);
  const auto corner = [view] { return view->bitmapInsideRect({}).pixelColor(2, 2); };
  EXPECT_EQ(run("setBackColor(\"Styled\", |0, 0, 1|);"), ".OK.\n");
  EXPECT_EQ(corner(), QColor(0, 0, 255));
  EXPECT_EQ(view->backColor(), (std::array<float, 3>{0, 0, 1}));
  EXPECT_EQ(run("setBackColor(\"Nobody\", |1, 0, 0|);"), ".OK.\n");  // an unknown title
  EXPECT_EQ(run("setBackColor(\"Styled\", |1, 0|);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(corner(), QColor(0, 0, 255));
  EXPECT_EQ(
      run("setPointSwitch(\"Styled\", 0.5); setBoxSwitch(\"Styled\", 0); setObjectSize(\"Styled\", 2);"),
      ".OK.\n");
  EXPECT_EQ(view->switches(), (Switches{1, 1, 1, 1, 0, 0}));
  EXPECT_EQ(view->objectSize(), 2.0f);
  EXPECT_EQ(run("setWorldRotation(\"Styled\", |90, 0, 1, 0|); sizeGLWindow(\"Styled\", |320, 240|);"),
            ".OK.\n");
  EXPECT_EQ(view->worldRotation(), (std::array<float, 4>{90, 0, 1, 0}));
  EXPECT_EQ(view->size(), QSize(320, 240));
}

TEST_F(GLPlotView, GetGLPictureIsOpaqueAtTheViewsSize) {
  ASSERT_EQ(flatSurface("Photo", 3), 1);
  BasicOpenGLView* view = shown("Photo");
  ASSERT_TRUE(view);
  view->setBackColor(0.2, 0.4, 0.6);  // cleared with alpha 0, as always
  QByteArray bytes;
  ASSERT_EQ(DoGetGLPicture("Photo", bytes), 1);
  const QImage image = pravella::Picture(bytes).toImage();
  EXPECT_EQ(image.size(), view->size() * view->devicePixelRatio());
  bool opaque = true;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) opaque = opaque && qAlpha(image.pixel(x, y)) == 255;
  EXPECT_TRUE(opaque);
  EXPECT_EQ(image.pixelColor(1, 1), QColor(51, 102, 153));
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("image/tiff"));
  EXPECT_EQ(run("p = getGLPicture(\"Photo\"); q = getGLPict(1);"),
            "...<Error>...No GL window titled [GL_Window].\n.NO.\n");
  EXPECT_EQ(run("p = getGLPicture(\"Photo\");"), ".OK.\n");
}

TEST_F(GLPlotView, ClosingByTitleAndAll) {
  for (const char* title : {"A", "B", "GL_Window"}) ASSERT_EQ(flatSurface(title, 2), 1);
  EXPECT_EQ(run("closeGLWindow(1);"), ".OK.\n");
  EXPECT_FALSE(findWindowFromGLWindowList("GL_Window"));
  EXPECT_EQ(glWindowList().size(), 2);
  EXPECT_EQ(run("closeAllGLWindow(0);"), ".OK.\n");
  EXPECT_EQ(glWindowList().size(), 0);
  EXPECT_FALSE(findWindowFromGLWindowList("A"));
}

TEST_F(GLPlotView, WheelZoomsWithinItsLimitsAndARotationResetsTheCamera) {
  ASSERT_EQ(flatSurface("Wheel", 2), 1);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Wheel");
  BasicOpenGLView* view = window->imageView();
  wheel(view, 120);  // one notch away from the user
  EXPECT_NEAR(view->camera().aperture, 29.85, 1e-6);
  for (int i = 0; i < 2000; ++i) wheel(view, 360);
  EXPECT_EQ(view->camera().aperture, 0.1);
  for (int i = 0; i < 2000; ++i) wheel(view, -360);
  EXPECT_EQ(view->camera().aperture, 179.9);
  window->setWorldRotation(10, 0, 0, 1);
  EXPECT_EQ(view->camera().aperture, 30);
}

TEST_F(GLPlotView, DragsTurnPanAndDollyByButtonAndModifier) {
  ASSERT_EQ(flatSurface("Drag", 2), 1);
  BasicOpenGLView* view = shown("Drag");
  ASSERT_TRUE(view);
  const struct {
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    bool pans, dollies;
  } cases[] = {
      {Qt::RightButton, Qt::NoModifier, true, false},  {Qt::LeftButton, Qt::MetaModifier, true, false},
      {Qt::MiddleButton, Qt::NoModifier, false, true}, {Qt::LeftButton, Qt::AltModifier, false, true},
      {Qt::LeftButton, Qt::NoModifier, false, false},
  };
  for (const auto& c : cases) {
    view->resetCamera();
    const std::array<float, 4> before = view->worldRotation();
    drag(view, c.button, QPoint(100, 100), QPoint(140, 60), c.modifiers);
    const GLCamera& cam = view->camera();
    EXPECT_EQ(cam.viewPos.x != 0, c.pans) << int(c.button);
    EXPECT_EQ(cam.viewPos.z != -30, c.dollies) << int(c.button);
    EXPECT_EQ(view->worldRotation() != before, !c.pans && !c.dollies) << int(c.button);
  }
  // A right click that does not move opens the menu.
  mouse(view, QEvent::MouseButtonPress, Qt::RightButton, QPoint(50, 50));
  mouse(view, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(50, 50));
  EXPECT_TRUE(view->contextMenu()->isVisible());
  view->contextMenu()->hide();
}

TEST_F(GLPlotView, AQuickReleaseKeepsTheSceneSpinningASlowOneStopsIt) {
  ASSERT_EQ(flatSurface("Fling", 2), 1);
  BasicOpenGLView* view = shown("Fling");
  ASSERT_TRUE(view);
  const double t0 = 1000;
  setGLClockForTests(t0);
  view->animationTimer();  // the last tick's time, on the test's clock
  mouse(view, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(150, 150));
  mouse(view, QEvent::MouseMove, Qt::LeftButton, QPoint(190, 150));
  setGLClockForTests(t0 + 20.0 / 60);  // the 20th tick after the drag
  mouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(190, 150));
  const std::array<float, 4> flung = view->flungRotation();
  ASSERT_NE(flung[0], 0.0f);
  std::array<float, 4> expected = view->worldRotation();
  const float step[4] = {flung[0] / 20, flung[1], flung[2], flung[3]};
  addToRotationTrackball(step, expected.data());
  setGLClockForTests(t0 + 21.0 / 60);
  view->animationTimer();
  EXPECT_EQ(view->worldRotation(), expected);

  // Ticks after a long pause: the one that finds the gap does not step, the next one does.
  setGLClockForTests(t0 + 100);
  const std::array<float, 4> paused = view->worldRotation();
  view->animationTimer();
  EXPECT_EQ(view->worldRotation(), paused);
  setGLClockForTests(t0 + 100 + 1.0 / 60);
  view->animationTimer();
  EXPECT_NE(view->worldRotation(), paused);

  setGLClockForTests(t0 + 200);
  mouse(view, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(150, 150));
  mouse(view, QEvent::MouseMove, Qt::LeftButton, QPoint(150, 190));
  setGLClockForTests(t0 + 200 + 21.0 / 60);  // too slow
  mouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(150, 190));
  EXPECT_EQ(view->flungRotation()[0], 0.0f);
  const std::array<float, 4> stopped = view->worldRotation();
  setGLClockForTests(t0 + 200 + 22.0 / 60);
  view->animationTimer();
  EXPECT_EQ(view->worldRotation(), stopped);
}

TEST_F(GLPlotView, KeysToggleTheirSwitches) {
  ASSERT_EQ(flatSurface("Keys", 2), 1);
  BasicOpenGLView* view = findWindowFromGLWindowList("Keys")->imageView();
  const struct {
    const char* keys;
    int index;  // into switches(): planes, points, lines, colour, light, box
  } cases[] = {{"s1", 0}, {"p4", 1}, {"l2", 2}, {"c3", 3}, {"0", 4}, {" b", 5}};
  for (const auto& c : cases) {
    for (const char* k = c.keys; *k; ++k) {
      const std::int8_t before = view->switches()[c.index];
      key(view, QString(QChar(*k)));
      EXPECT_EQ(view->switches()[c.index], before == 1 ? 0 : 1) << *k;
    }
  }
  const Switches now = view->switches();
  for (const char* other : {"A", "S", "x", "9"}) key(view, other);
  EXPECT_EQ(view->switches(), now);
  EXPECT_TRUE(view->showingHelp());
  key(view, "h");
  EXPECT_FALSE(view->showingHelp());
  EXPECT_TRUE(view->animating());
  key(view, "a");
  EXPECT_FALSE(view->animating());
  EXPECT_FALSE(view->animateAction()->isChecked());
  view->animateAction()->trigger();  // Ctrl+A
  EXPECT_TRUE(view->animating());
  view->infoAction()->trigger();  // Ctrl+I
  EXPECT_TRUE(view->showingInfo());
  EXPECT_TRUE(view->infoAction()->isChecked());
}

TEST_F(GLPlotView, ExportsAreUprightOpaqueAndNumbered) {
  ASSERT_EQ(flatSurface("Export", 2), 1);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Export");
  window->sizeGLWindow(400, 300);
  window->setPlaneSwitch(0);
  window->setLineSwitch(0);
  window->setBoxSwitch(0);
  BasicOpenGLView* view = shown("Export");
  ASSERT_TRUE(view);
  view->info();  // the help box stands a third down from the top
  const QImage image = view->bitmapInsideRect({});
  ASSERT_EQ(image.size(), QSize(400, 300));
  const auto greenRows = [&image](int from, int to) {
    int n = 0;
    for (int y = from; y < to; ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        n += c.green() > c.red() + 40 && c.green() > c.blue() + 40;
        if (c.alpha() != 255) return -1;
      }
    return n;
  };
  EXPECT_GT(greenRows(0, 150), 0);
  EXPECT_EQ(greenRows(150, 300), 0);
  EXPECT_EQ(view->bitmapInsideRect(QRect(10, 20, 30, 40)).size(), QSize(30, 40));

  const auto first = view->dataWithRTFDOfContentView();
  const auto second = view->dataWithRTFDOfContentView();
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->attachments.size(), 1u);
  EXPECT_EQ(first->attachments[0].fileName, "GLSL Parser 1.tiff");
  EXPECT_EQ(second->attachments[0].fileName, "GLSL Parser 2.tiff");
  EXPECT_TRUE(first->rtf.contains("GLSL Parser 1.tiff"));
  EXPECT_EQ(QImage::fromData(first->attachments[0].data, "tiff").size(), QSize(400, 300));

  EXPECT_TRUE(std::holds_alternative<QByteArray>(view->contentsAsDataOfType("image/tiff")));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(view->contentsAsDataOfType("text/plain")));

  QTemporaryDir dir;
  ASSERT_TRUE(view->saveImageAs(dir.filePath("plot.tiff")).ok);
  EXPECT_EQ(QImage(dir.filePath("plot.tiff")).size(), QSize(400, 300));
  ASSERT_TRUE(view->saveImageAs(dir.filePath("plot.rtfd")).ok);
  EXPECT_TRUE(QDir(dir.filePath("plot.rtfd")).exists("GLSL Parser 3.tiff"));
  const auto rtfd = view->contentsAsDataOfType("text/rtfd");
  ASSERT_TRUE(std::holds_alternative<pravella::rtf::WriteOutput>(rtfd));
  EXPECT_EQ(std::get<pravella::rtf::WriteOutput>(rtfd).attachments.at(0).fileName, "GLSL Parser 4.tiff");
}

TEST_F(GLPlotView, ProgramsSizesBelowAPixelAreRefusedAndTooLargeOnesFitTheScreen) {
  ASSERT_EQ(flatSurface("Placed", 2), 1);
  ASSERT_NE(shown("Placed"), nullptr);
  QWidget* window = findWindowFromGLWindowList("Placed")->window();
  ASSERT_EQ(run("moveGLWindow(\"Placed\", |30, 40|); sizeGLWindow(\"Placed\", |300, 200|);"), ".OK.\n");
  const QRect placed = window->geometry();
  for (const char* program :
       {"sizeGLWindow(\"Placed\", |0, 0|);", "sizeGLWindow(\"Placed\", |-5, 300|);",
        "sizeGLWindow(\"Placed\", |0.5, 300|);", "n = asin(2); sizeGLWindow(\"Placed\", |n, 300|);",
        "n = asin(2); moveGLWindow(\"Placed\", |n, n|);"}) {
    EXPECT_EQ(run(program), "...<Error>...Invalid arguments.\n.NO.\n") << program;
    EXPECT_EQ(window->geometry(), placed) << program;
    EXPECT_TRUE(window->isVisible()) << program;
  }
  // Too large or too far: fitted to the screen the test has, whatever its size.
  const QRect available = window->screen()->availableGeometry();
  ASSERT_EQ(run("sizeGLWindow(\"Placed\", |1e+300, 300|);"), ".OK.\n");
  EXPECT_TRUE(available.contains(window->frameGeometry()));
  EXPECT_EQ(window->frameGeometry().width(), available.width());
  EXPECT_EQ(window->height(), 300);
  ASSERT_EQ(run("sizeGLWindow(\"Placed\", |200, 150|); moveGLWindow(\"Placed\", |1e+300, 1e+300|);"),
            ".OK.\n");
  EXPECT_EQ(window->size(), QSize(200, 150));
  EXPECT_EQ(window->frameGeometry().bottomRight(), available.bottomRight());
  ASSERT_EQ(run("moveGLWindow(\"Placed\", |-1e+300, -1e+300|);"), ".OK.\n");
  EXPECT_EQ(window->frameGeometry().topLeft(), available.topLeft());
  // A window's own commands take the same NaN as no place at all.
  findWindowFromGLWindowList("Placed")->moveGLWindow(std::nan(""), 10);
  EXPECT_EQ(window->frameGeometry().topLeft(), available.topLeft());
}

}  // namespace
