#include "lang/builtins/functions_c_plots.h"

#include <string>

#include "graphics/canvas_drawing.h"
#include "graphics/color_table.h"
#include "graphics/contour.h"
#include "graphics/picture.h"
#include "lang/builtins/functions_c_args.h"

namespace pravella::builtins {

namespace {

// Pops a real matrix of exactly rows x cols into `dst`; "Invalid arguments." otherwise.
int popShape(CalcStackEntry* stack, int* sp, double* dst, int rows, int cols) {
  VkArg a;
  if (!vkPopArg(stack, sp, dst, &a)) return 0;
  return a.isReal() && a.rows == rows && a.cols == cols ? 1 : invalidArguments();
}

// Pops a grid of at least 2 by 2; with `shape` set it must have that shape.
int popGrid(CalcStackEntry* stack, int* sp, double* dst, VkArg* grid, const VkArg* shape = nullptr) {
  if (!vkPopArg(stack, sp, dst, grid)) return 0;
  if (!grid->isReal() || grid->rows < 2 || grid->cols < 2) return invalidArguments();
  if (shape && (grid->rows != shape->rows || grid->cols != shape->cols)) return invalidArguments();
  return 1;
}

}  // namespace

int contourPlot(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  double levels[4] = {0, 0, 0, 0};  // all zero: the levels come from the data
  if (count == 2 || count == 5) {
    if (!popShape(stack, sp, vk_ta, 1, 4)) return 0;
    for (int i = 0; i < 4; ++i) levels[i] = vk_ta[i];
  }
  pravella::Picture picture;
  if (count == 1 || count == 2) {
    VkArg z;
    if (!popGrid(stack, sp, vk_ta, &z)) return 0;
    if (!DoGraphTopo(vk_ta, z.rows, z.cols, levels[0], levels[1], levels[2], levels[3], picture)) return 0;
  } else {
    if (!popShape(stack, sp, vk_ta, 1, 2)) return 0;
    const int width = vkTruncToInt(vk_ta[0]), height = vkTruncToInt(vk_ta[1]);
    // A picture needs a pixel each way; a world of no size would fail without a word.
    if (width < 1 || height < 1) return invalidArguments();
    VkArg z, y, x;
    if (!popGrid(stack, sp, vk_tc, &z) || !popGrid(stack, sp, vk_tb, &y, &z) ||
        !popGrid(stack, sp, vk_ta, &x, &z))
      return 0;
    if (!DoGraphTopoXY(width, height, vk_ta, vk_tb, vk_tc, z.rows, z.cols, levels[0], levels[1], levels[2],
                       levels[3], picture))
      return 0;
  }
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture,
                     static_cast<int>(picture.bytes().size()), 0);
}

int changeCanvasColor(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  double rgb[3] = {0, 0, 0};
  if (a.isString()) {
    DoGetUnixColor(std::string(reinterpret_cast<const char*>(vk_ta)), rgb);
  } else if (a.isReal() && a.rows == 1 && a.cols == 3) {
    for (int i = 0; i < 3; ++i) rgb[i] = vk_ta[i];
  } else {
    error_disp("Bad Color Number");
    return 0;
  }
  DoChangeCanvasColor(vkTruncToInt(rgb[0]), vkTruncToInt(rgb[1]), vkTruncToInt(rgb[2]));
  return 1;
}

}  // namespace pravella::builtins
