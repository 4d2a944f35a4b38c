// Where no OpenGL display exists, opening a plot window refuses instead of crashing.

#include <gtest/gtest.h>

#include <QWidget>

#include "graphics/gl/gl_plot_data.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"

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
