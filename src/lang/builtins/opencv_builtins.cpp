#include "lang/builtins/opencv_builtins.h"

#include "imaging/video/active_contour.h"
#include "imaging/video/frame_grab.h"
#include "imaging/video/point_tracker.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"

namespace pravella::builtins {

namespace {

int pushPicture(CalcStackEntry* stack, int* sp, const Picture& picture) {
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()),
                     0);
}

}  // namespace

int fGrabberBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double unused = 0;
  if (!vkPopNumber(stack, sp, &unused)) return 0;
  Picture picture;
  // A camera that cannot be had fails the built-in with its line on standard error only.
  if (!fgrabber_cv(unused, picture)) return 0;
  return pushPicture(stack, sp, picture);
}

int testCvBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg source;
  if (!vkPopArg(stack, sp, vk_ta, &source)) return 0;
  int rows = 0, columns = 0, answer = 0;
  if (source.isReal())
    answer = opencvtest01(vk_ta[0], vk_tc, &rows, &columns);
  else if (source.isString())
    answer = opencvtest02(reinterpret_cast<const char*>(vk_ta), vk_tc, &rows, &columns);
  else
    return vkInvalidArguments();
  // -1 (no camera or file) and -2 (no window) have reported why.
  if (answer != 0) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, columns);
}

int rinkakuCvBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg weights, points, picture;
  if (!vkPopArg(stack, sp, vk_tc, &weights)) return 0;
  if (!weights.isReal() || weights.rows != 1 || weights.cols != 3) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_tb, &points)) return 0;
  if (!points.isReal() || points.rows < 3 || points.cols != 2) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &picture)) return 0;
  if (!picture.isPicture()) return vkInvalidArguments();
  Picture result;
  if (!DoRinkaku_cv(vk_ta, static_cast<std::size_t>(picture.rows), vk_tb, points.rows, result, vk_tc))
    return 0;
  return pushPicture(stack, sp, result);
}

}  // namespace pravella::builtins
