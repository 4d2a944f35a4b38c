#include "lang/builtins/gl_builtins.h"

#include <QByteArray>
#include <QString>

#include <new>
#include <string>
#include <vector>

#include "graphics/gl/gl_commands.h"
#include "graphics/gl/gl_plot_data.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/window_arguments.h"

namespace pravella::builtins {

namespace {

namespace gl = pravella::gl;

QString poppedTitle() { return QString::fromUtf8(reinterpret_cast<const char*>(vk_ta)); }

struct Matrix {
  std::vector<double> values;
  int rows = 0, cols = 0;
};

// Pops one matrix of the plot into `out`. The first matrix popped sets the shape (`surface`:
// at least 2 by 2; otherwise a column of at least 2 rows) and every later one must match it.
int popPlotMatrix(CalcStackEntry* stack, int* sp, bool surface, Matrix& out, const Matrix* first) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isReal()) return vkInvalidArguments();
  if (first) {
    if (arg.rows != first->rows || arg.cols != first->cols) return vkInvalidArguments();
  } else if (surface ? (arg.rows < 2 || arg.cols < 2) : (arg.rows < 2 || arg.cols != 1)) {
    return vkInvalidArguments();
  }
  out.rows = arg.rows;
  out.cols = arg.cols;
  out.values.assign(vk_ta, vk_ta + arg.elements());
  return 1;
}

enum class PlotKind { Surface, SurfaceWithPict, Plot, Line, Point };

PlotKind plotKind(const std::string& name) {
  if (name == "parametricPlot3D_GL") return PlotKind::Surface;
  if (name == "parametricPlot3D_GLWithPict") return PlotKind::SurfaceWithPict;
  if (name == "parametricLinePlot_GL") return PlotKind::Line;
  if (name == "parametricPointPlot_GL") return PlotKind::Point;
  return PlotKind::Plot;
}

// Pops a string argument (the title) into `title`; "Invalid arguments." for any other value.
int popTitle(CalcStackEntry* stack, int* sp, QString& title) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isString()) return vkInvalidArguments();
  title = poppedTitle();
  return 1;
}

}  // namespace

int parametricPlotGL(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = code[*pc].argc;
  const PlotKind kind = plotKind(code[*pc].name);
  const bool surface = kind == PlotKind::Surface || kind == PlotKind::SurfaceWithPict;
  // The automatic range (0, 0) takes the colour source's own maximum and minimum.
  double range[2] = {0, 0};
  QString title;
  QByteArray picture;
  try {
    if (kind == PlotKind::SurfaceWithPict) {
      VkArg arg;
      if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
      if (!arg.isPicture()) return vkInvalidArguments();
      picture = QByteArray(reinterpret_cast<const char*>(vk_ta), arg.rows);
    } else if (surface && argc == 6) {
      if (!popTitle(stack, sp, title)) return 0;
      VkArg arg;
      if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
      if (!arg.isReal() || arg.rows != 1 || arg.cols != 2) return vkInvalidArguments();
      range[0] = vk_ta[0];
      range[1] = vk_ta[1];
    } else if (argc == 5) {
      VkArg arg;
      if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
      if (arg.isString()) {
        title = poppedTitle();
      } else if (surface && arg.isReal() && arg.rows == 1 && arg.cols == 2) {
        range[0] = vk_ta[0];
        range[1] = vk_ta[1];
      } else {
        return vkInvalidArguments();
      }
    }
    // Popped last first: the colour source (when given), then z, y and x.
    Matrix c, z, y, x;
    const Matrix* first = nullptr;
    if (argc >= 4) {
      if (!popPlotMatrix(stack, sp, surface, c, nullptr)) return 0;
      first = &c;
    }
    if (!popPlotMatrix(stack, sp, surface, z, first)) return 0;
    if (!first) first = &z;
    if (!popPlotMatrix(stack, sp, surface, y, first)) return 0;
    if (!popPlotMatrix(stack, sp, surface, x, first)) return 0;
    const Matrix& colour = argc >= 4 ? c : z;
    QString why;
    if (!gl::openGLWindow(colour.values.data(), x.values.data(), y.values.data(), z.values.data(), range,
                          first->rows, first->cols, title, picture, &why)) {
      if (why.isEmpty()) return vkInvalidArguments();
      error_disp(why.toStdString());
      return 0;
    }
  } catch (const std::bad_alloc&) {
    return vkInvalidArguments();
  }
  if (kind == PlotKind::Surface || kind == PlotKind::SurfaceWithPict) return 1;
  // The polylines and point clouds show what their names say, whatever the window had.
  const QString shown = gl::glWindowTitle(title);
  gl::setPointSwitch(shown, kind == PlotKind::Line ? 0.0 : 1.0);
  gl::setLineSwitch(shown, kind == PlotKind::Point ? 0.0 : 1.0);
  gl::setPlaneSwitch(shown, 0.0);
  gl::setColorSwitch(shown, argc >= 4 ? 1.0 : 0.0);
  return 1;
}

int closeAllGLWindow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isNumber()) return vkInvalidArguments();
  gl::closeAllGLWindow();
  return 1;
}

int closeGLWindow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (arg.isString()) {
    gl::closeGLWindow(poppedTitle());
  } else if (arg.isReal()) {
    gl::closeGLWindow(gl::glWindowTitle({}));
  } else {
    return vkInvalidArguments();
  }
  return 1;
}

int glWindowCommand(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const vk_Code& record = code[*pc];
  const QString name = QString::fromStdString(record.name);
  const int width = gl::glWindowCommandValues(name);
  // The value first: it is the last argument.
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (width == 0 || !arg.isReal() || arg.rows != 1 || arg.cols != width) return vkInvalidArguments();
  const std::vector<double> values(vk_ta, vk_ta + width);
  if (name == QLatin1String(gl::kSizeGLWindow) && !windowSizeAccepted(values[0], values[1]))
    return vkInvalidArguments();
  if (name == QLatin1String(gl::kMoveGLWindow) && !windowPlaceAccepted(values[0], values[1]))
    return vkInvalidArguments();
  QString title = gl::glWindowTitle({});
  if (record.argc == 2 && !popTitle(stack, sp, title)) return 0;
  gl::postGLWindowCommand(name.toLatin1().constData(), title, values);
  return 1;
}

int getGLPicture(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  QString title;
  if (arg.isString())
    title = gl::glWindowTitle(poppedTitle());
  else if (arg.isNumber())
    title = gl::glWindowTitle({});
  else
    return vkInvalidArguments();
  QByteArray picture;
  if (!gl::DoGetGLPicture(title, picture)) return 0;
  return PushToStack(stack, sp, picture.constData(), kValuePicture, static_cast<int>(picture.size()), 0);
}

}  // namespace pravella::builtins
