// Where no OpenGL display exists, opening a plot window refuses instead of crashing.

#include <gtest/gtest.h>

#include <QWidget>

#include "graphics/gl/gl_plot_data.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"

namespace {

using namespace pravella::gl;

TEST(GLRefusal, OffscreenPlatformRefusesToOpen) {
  GLWindowManager manager(nullptr);
  const double v[] = {0, 1, 2, 3};
  const double range[] = {0, 0};
  QString why;
  EXPECT_EQ(openGLWindow(v, v, v, v, range, 2, 2, "T", {}, &why), 0);
  EXPECT_EQ(why, "OpenGL windows need a display with OpenGL.");
  EXPECT_FALSE(findWindowFromGLWindowList("T"));
  EXPECT_EQ(takeGLPlotData().numOfPoints, 0);  // nothing left behind
}

}  // namespace

namespace {

TEST(GLRefusal, PlotBuiltInsSayWhyWithoutOpenGL) {
  ASSERT_EQ(vkStartUp(), 1);
  pravella::gl::GLWindowManager manager(nullptr);
  EXPECT_EQ(pravella::runVkProgram("x = |0, 1| |0, 1|; parametricPlot3D_GL(x, x', x);").output(),
            "...<Error>...OpenGL windows need a display with OpenGL.\n.NO.\n");
  // The commands by title find no window and succeed; the picture fails and says why.
  EXPECT_EQ(pravella::runVkProgram("setBackColor(|0, 0, 1|); closeAllGLWindow(0);").output(), ".OK.\n");
  EXPECT_EQ(pravella::runVkProgram("getGLPicture(1);").output(),
            "...<Error>...No GL window titled [GL_Window].\n.NO.\n");
}

}  // namespace
