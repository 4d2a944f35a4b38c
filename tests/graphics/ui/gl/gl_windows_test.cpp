// OpenGL plot windows opened by title, on a real X display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <array>
#include <cmath>
#include <vector>

#include "graphics/gl/gl_plot_data.h"
#include "graphics/picture.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_capabilities.h"
#include "graphics/ui/gl/gl_string.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "support/wait_for.h"

namespace {

using namespace pravella::gl;
using pravella::test::becomesTrue;

QByteArray smallPicture() {
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  return pravella::Picture::fromImage(image).bytes();
}

// Opens (or reloads) `title` with an n by n surface.
int plot(const QString& title, int n, const QByteArray& picture = {}) {
  std::vector<double> v(static_cast<std::size_t>(n) * n);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>(i);
  const double range[] = {0, 0};
  return openGLWindow(v.data(), v.data(), v.data(), v.data(), range, n, n, title, picture);
}

class GLWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!openGLWindowsAvailable()) GTEST_SKIP() << "no OpenGL display";
    glWindowList().clear();
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    glWindowList().clear();
  }
  QWidget main_;
  GLWindowManager manager_{&main_};
};

TEST_F(GLWindows, OpenByTitleThenReload) {
  ASSERT_EQ(plot("Surface", 2), 1);
  QPointer<vkOpenGLWindow> window = findWindowFromGLWindowList("Surface");
  ASSERT_TRUE(window);
  EXPECT_EQ(window->window()->windowTitle(), "Surface");
  EXPECT_TRUE(window->window()->isVisible());
  EXPECT_EQ(glwindowID(), window);
  EXPECT_EQ(window->imageView()->plotData().numOfPoints, 4);
  EXPECT_EQ(window->imageView()->plotData().numOfFace, 1);

  ASSERT_EQ(plot("Surface", 3), 1);
  EXPECT_EQ(glWindowList().size(), 1);
  EXPECT_EQ(findWindowFromGLWindowList("Surface"), window.data());
  EXPECT_EQ(window->imageView()->plotData().numOfPoints, 9);
  EXPECT_EQ(window->imageView()->plotData().numOfFace, 4);
  EXPECT_EQ(window->imageView()->bounds()[0], 8.0f);  // xmax

  ASSERT_EQ(plot("", 2), 1);
  EXPECT_TRUE(findWindowFromGLWindowList("GL_Window"));
  EXPECT_EQ(findFirstWindowFromGLWindowList(), window.data());
  EXPECT_EQ(findTitleFromGLWindowList(glwindowID()), "GL_Window");
}

TEST_F(GLWindows, CloseButtonTakesThePairOutAndFreesTheArrays) {
  ASSERT_EQ(plot("Closing", 2, smallPicture()), 1);
  QPointer<vkOpenGLWindow> window = findWindowFromGLWindowList("Closing");
  ASSERT_TRUE(window);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window->window()));
  ASSERT_TRUE(becomesTrue([&] { return window->imageView()->textureName() != 0; }));
  const int textures = BasicOpenGLView::liveTextures();
  QPointer<BasicOpenGLView> view = window->imageView();

  // A reload replaces the texture rather than adding one.
  ASSERT_EQ(plot("Closing", 2, smallPicture()), 1);
  EXPECT_EQ(BasicOpenGLView::liveTextures(), textures);

  window->window()->close();  // the close button's way
  EXPECT_FALSE(findWindowFromGLWindowList("Closing"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(view);
  EXPECT_FALSE(window);
  EXPECT_EQ(BasicOpenGLView::liveTextures(), textures - 1);

  // A later plot with the title opens a new window.
  ASSERT_EQ(plot("Closing", 2), 1);
  EXPECT_TRUE(findWindowFromGLWindowList("Closing"));
}

TEST_F(GLWindows, ProgramCloseFreesTheTextureToo) {
  ASSERT_EQ(plot("Program", 2, smallPicture()), 1);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Program");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window->window()));
  ASSERT_TRUE(becomesTrue([&] { return window->imageView()->textureName() != 0; }));
  const int textures = BasicOpenGLView::liveTextures();
  window->closeGLWindow();
  EXPECT_FALSE(findWindowFromGLWindowList("Program"));
  EXPECT_EQ(BasicOpenGLView::liveTextures(), textures - 1);
}

TEST_F(GLWindows, RelaysAndPlacement) {
  main_.setGeometry(100, 150, 300, 200);
  main_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_));
  ASSERT_EQ(plot("Moved", 2), 1);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Moved");
  window->moveGLWindow(40, 0);
  EXPECT_EQ(window->window()->frameGeometry().top(), main_.frameGeometry().top());
  EXPECT_EQ(window->window()->frameGeometry().left(), 40);
  window->sizeGLWindow(320, 240);
  EXPECT_EQ(window->window()->size(), QSize(320, 240));
  window->setBackColor(1, 0, 0.5);
  EXPECT_EQ(window->imageView()->backColor(), (std::array<float, 3>{1, 0, 0.5f}));
  window->setPointSwitch(std::nan(""));  // a NaN counts as on
  EXPECT_EQ(window->imageView()->switches()[1], 1);
  window->setBoxSwitch(0);
  EXPECT_EQ(window->imageView()->switches()[5], 0);
}

TEST_F(GLWindows, NewViewHasItsWakeValues) {
  ASSERT_EQ(plot("Wake", 2), 1);
  BasicOpenGLView* view = findWindowFromGLWindowList("Wake")->imageView();
  EXPECT_EQ(view->switches(), (std::array<std::int8_t, 6>{1, 0, 1, 1, 0, 1}));
  EXPECT_EQ(view->backColor(), (std::array<float, 3>{0.3f, 0.3f, 0.3f}));
  EXPECT_EQ(view->worldRotation(), (std::array<float, 4>{180, 0.3f, -0.8f, -0.3f}));
  EXPECT_EQ(view->objectSize(), 1.5f);
  EXPECT_EQ(view->pointSize(), 4.0f);
}

TEST_F(GLWindows, LabelKeepsItsTextureAcrossASameSizeRebuild) {
  QOpenGLContext context;
  context.setFormat(plotViewFormat());
  ASSERT_TRUE(context.create());
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  ASSERT_TRUE(context.makeCurrent(&surface));
  {
    GLString label(GLText{{"label", labelFont(12), QColor()}});
    label.genTexture();
    const std::uint32_t name = label.texName();
    EXPECT_NE(name, 0u);
    label.setTextColor(Qt::yellow);  // same size
    label.genTexture();
    EXPECT_EQ(label.texName(), name);
    EXPECT_EQ(label.texSize(), label.frameSize().toSize());
  }
  context.doneCurrent();
}

TEST_F(GLWindows, CapabilitiesOfTheScreens) {
  getCurrentCaps();
  ASSERT_FALSE(gDisplayCaps().empty());
  const DisplayCaps& caps = gDisplayCaps().front();
  EXPECT_GT(caps.width, 0);
  EXPECT_NE(std::string(caps.strRendererVersion), "");
  EXPECT_EQ(caps.glVersion, openGLVersionCode(caps.strRendererVersion));
  EXPECT_GE(caps.glVersion, 0x210);
  EXPECT_GT(caps.maxTextureSize, 0);
  EXPECT_EQ(capsTextures().size(), gDisplayCaps().size());
  if (std::string(caps.strRendererName).find("llvmpipe") != std::string::npos) {
    EXPECT_EQ(caps.rendererID, 0u);  // not accelerated
    EXPECT_EQ(caps.deviceVRAM, 0);
  }
  const int fills = capsFillCount();
  getCurrentCaps();  // nothing changed: no new records
  EXPECT_EQ(capsFillCount(), fills);
}

}  // namespace
