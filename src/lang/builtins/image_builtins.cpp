#include "lang/builtins/image_builtins.h"

#include <QByteArray>

#include "graphics/picture.h"
#include "graphics/picture_filter.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/stdlib/image_stats.h"

int vkGazoHoseiBuiltin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = code[*pc].argc;
  if (argc < 1 || argc > 3) {
    error_disp_unknown("Unknown function.");
    return 0;
  }
  double factor = 1.0, halfWidth = 2;
  if (argc == 3) {
    if (!vkPopNumber(stack, sp, &halfWidth)) return 0;
    if (vkTruncToInt(halfWidth) <= 0) return vkInvalidArguments();
  }
  if (argc >= 2 && !vkPopNumber(stack, sp, &factor)) return 0;
  const int k = vkTruncToInt(halfWidth);
  VkArg image;
  if (!vkPopArg(stack, sp, vk_ta, &image)) return 0;
  if (image.isPicture()) {
    const QByteArray picture(reinterpret_cast<const char*>(vk_ta), image.rows);
    const pravella::Picture source(picture);
    // The correction needs three rows and columns of pixels and a factor of at least 1.
    if (source.width() <= 2 || source.height() <= 2 || !(factor >= 1)) {
      error_disp("gazoHosei");
      return 0;
    }
    QByteArray out;
    if (!vkGazoHoseiPicture(picture, factor, k, out)) return 0;
    return PushToStack(stack, sp, out.constData(), kValuePicture, static_cast<int>(out.size()), 0);
  }
  if (!image.isReal() || image.rows <= 2 || image.cols <= 2) return vkInvalidArguments();
  if (!(factor >= 1)) {
    error_disp("gazoHosei");
    return 0;
  }
  // With the arguments tested, only the break ends the routine, and it has said so.
  if (!gazoHosei(vk_ta, image.rows, image.cols, vk_tc, factor, k)) return 0;
  // The corrected image is the last pass's work image, which equals the image.
  return vkPushReals(stack, sp, vk_ta, image.rows, image.cols);
}
