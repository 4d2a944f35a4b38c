// A program's thread builds the plot and waits while the GUI thread opens the window.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <thread>
#include <vector>

#include "graphics/gl/gl_commands.h"
#include "graphics/gl/gl_plot_data.h"
#include "graphics/picture.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_capabilities.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "support/wait_for.h"

namespace {

using namespace pravella::gl;
using pravella::test::becomesTrue;

TEST(GLWindowThreads, ProgramThreadWaitsForTheWindow) {
  if (!openGLWindowsAvailable()) GTEST_SKIP() << "no OpenGL display";
  GLWindowManager manager(nullptr);
  std::atomic<int> result{-1};
  std::atomic<int> points{-1};
  std::thread program([&] {
    std::vector<double> v{0, 1, 2, 3, 4, 5, 6, 7, 8};
    const double range[] = {0, 0};
    result = openGLWindow(v.data(), v.data(), v.data(), v.data(), range, 3, 3, "Worker", {});
    // The post returns only after the view took the arrays over: the area is empty again.
    points = takeGLPlotData().numOfPoints;
  });
  // A failed wait ends the run with the program thread still waiting: loud, not silent.
  ASSERT_TRUE(becomesTrue([&] { return result != -1; }, 10000));
  program.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(points, 0);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Worker");
  ASSERT_TRUE(window);
  EXPECT_EQ(window->imageView()->plotData().numOfPoints, 9);
  window->closeGLWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GLCapsChanges, GeometryCountsTextureMemoryDoesNot) {
  getCurrentCaps();
  ASSERT_FALSE(gDisplayCaps().empty());
  std::vector<DisplayCaps> records = gDisplayCaps();
  const auto n = static_cast<std::uint32_t>(records.size());
  EXPECT_EQ(HaveOpenGLCapsChanged(records.data(), n), 0);
  records[0].deviceTextureRAM += 1048576;
  EXPECT_EQ(HaveOpenGLCapsChanged(records.data(), n), 0);
  for (auto change : std::initializer_list<void (*)(DisplayCaps&)>{
           [](DisplayCaps& c) { c.width += 1; }, [](DisplayCaps& c) { c.originY += 5; },
           [](DisplayCaps& c) { c.depth = 16; }, [](DisplayCaps& c) { c.refreshRate += 1; }}) {
    std::vector<DisplayCaps> changed = gDisplayCaps();
    change(changed[0]);
    EXPECT_EQ(HaveOpenGLCapsChanged(changed.data(), n), 1);
  }
  EXPECT_EQ(HaveOpenGLCapsChanged(records.data(), n + 1), 1);  // a screen more or less
  EXPECT_EQ(HaveOpenGLCapsChanged(nullptr, 0), 1);
  std::uint32_t count = 99;
  CheckOpenGLCaps(0, nullptr, &count);
  EXPECT_EQ(count, n);
}

}  // namespace

namespace {

using namespace pravella::gl;

// Commands and the picture from a program's thread: the window does the work on its own
// thread while the program waits, and the picture comes back to the program.
TEST(GLWindowThreads, CommandsAndPictureFromTheProgramThread) {
  if (!openGLWindowsAvailable()) GTEST_SKIP() << "no OpenGL display";
  GLWindowManager manager(nullptr);
  std::vector<double> v{0, 1, 2, 3};
  const double range[] = {0, 0};
  ASSERT_EQ(openGLWindow(v.data(), v.data(), v.data(), v.data(), range, 2, 2, "Shot", {}), 1);
  vkOpenGLWindow* window = findWindowFromGLWindowList("Shot");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window->window()));
  std::atomic<int> result{-1};
  QByteArray picture;
  std::thread program([&] {
    sizeGLWindow("Shot", 120, 90);
    setLineSwitch("Shot", 0);
    result = DoGetGLPicture("Shot", picture);
  });
  // A failed wait ends the run with the program thread still waiting: loud, not silent.
  ASSERT_TRUE(becomesTrue([&] { return result != -1; }, 10000));
  program.join();
  ASSERT_EQ(result, 1);
  EXPECT_EQ(window->imageView()->switches()[2], 0);
  EXPECT_EQ(pravella::Picture(picture).toImage().size(),
            QSize(120, 90) * window->imageView()->devicePixelRatio());
  window->closeGLWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
