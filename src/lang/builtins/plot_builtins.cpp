#include "lang/builtins/plot_builtins.h"

#include <vector>

#include "graphics/picture.h"
#include "graphics/plot2d.h"
#include "lang/builtins/builtin_args.h"

int vkPlotForms(int mode, bool mark, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = code[*pc].argc;
  std::vector<double> range(6, 0.0);
  VkArg r, x, y;
  if (argc == 3) {
    if (!vkPopArg(stack, sp, vk_tc, &r)) return 0;
    if (!r.isReal() || r.rows != 1 || r.cols != 6) return vkInvalidArguments();
    range.assign(vk_tc, vk_tc + 6);
  }
  if (!vkPopArg(stack, sp, vk_tb, &y)) return 0;
  if (!y.isReal()) return vkInvalidArguments();
  if (argc >= 2) {
    if (!vkPopArg(stack, sp, vk_ta, &x)) return 0;
    if (!x.isReal()) return vkInvalidArguments();
  } else {
    for (int i = 0; i < y.rows; ++i) vk_ta[i] = i;
    x = VkArg{kValueReal, y.rows, 1};
  }
  if (argc == 3) mode += 4;
  pravella::Picture picture;
  const int ok = mark ? DoPlotMark(vk_ta, vk_tb, range.data(), x.rows, x.cols, y.rows, y.cols, mode, picture)
                      : DoPlot(vk_ta, vk_tb, range.data(), x.rows, x.cols, y.rows, y.cols, mode, picture);
  if (!ok) return 0;
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()),
                     0);
}
