#include "lang/builtins/functions_c_pictures.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <string>

#include "graphics/graphics_hooks.h"
#include "graphics/offscreen.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/picture_files.h"
#include "graphics/picture_ops.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_c_args.h"

namespace pravella::builtins {

namespace {

QByteArray bytesOf(const double* buffer, int length) {
  return QByteArray(reinterpret_cast<const char*>(buffer), length);
}

int pushPicture(CalcStackEntry* stack, int* sp, const QByteArray& bytes) {
  return PushToStack(stack, sp, bytes.constData(), kValuePicture, static_cast<int>(bytes.size()), 0);
}

int popPicture(CalcStackEntry* stack, int* sp, double* dst, int* length) {
  int type = 0, cols = 0;
  if (!popAny(stack, sp, dst, &type, length, &cols)) return 0;
  return type == kValuePicture ? 1 : invalidArguments();
}

}  // namespace

int currentPicture(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double unused = 0;
  if (!vkPopNumber(stack, sp, &unused)) return 0;
  const QByteArray picture = pravella::pictureFromClipboard();
  if (picture.isEmpty()) {
    error_disp("No Picture in ClipBoard");
    return 0;
  }
  if (picture.size() >= static_cast<qsizetype>(TNumber) * 8) {
    error_disp("Too Big Text");
    return 0;
  }
  return pushPicture(stack, sp, picture);
}

int compressPicture(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double quality = 0;
  if (!vkPopNumber(stack, sp, &quality)) return 0;
  if (!(quality >= 0.0 && quality <= 1024.0)) return invalidArguments();
  int length = 0;
  if (!popPicture(stack, sp, vk_ta, &length)) return 0;
  const QImage image = pravella::Picture(bytesOf(vk_ta, length)).toImageOnWhite();
  if (image.isNull()) {
    error_disp("compression PICT");
    return 0;
  }
  const pravella::Picture jpeg =
      pravella::Picture::fromPhoto(image, pravella::qtJpegQuality(static_cast<std::int32_t>(quality)));
  if (jpeg.isEmpty()) {
    error_disp("compression PICT");
    return 0;
  }
  return pushPicture(stack, sp, jpeg.bytes());
}

int changePictSize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tb, &rows, &cols)) return 0;
  if (rows != 1 || (cols != 1 && cols != 2)) return invalidArguments();
  int length = 0;
  if (!popPicture(stack, sp, vk_ta, &length)) return 0;
  const pravella::Picture old(bytesOf(vk_ta, length));
  // A picture's frame has 16-bit sides: a size beyond them would wrap to another size.
  const double w = cols == 2 ? vk_tb[0] : old.width() * vk_tb[0];
  const double h = cols == 2 ? vk_tb[1] : old.height() * vk_tb[0];
  constexpr double kMaxSide = 32767;
  if (!(w >= 1 && w < kMaxSide + 1 && h >= 1 && h < kMaxSide + 1)) return invalidArguments();
  const int width = static_cast<int>(w), height = static_cast<int>(h);
  // A world of 32,767 x 32,767 takes 4 GB and half a minute to draw, and its picture could
  // never be held: refuse such a size before drawing.
  if (pravella::smallestPixelCopyBytes(width, height) > pravella::graphics::pictureByteLimit()) {
    error_disp("Too Big Picture (" + std::to_string(width) + " x " + std::to_string(height) + ").");
    return 0;
  }
  auto world = pravella::newOffScreenWorld(width, height);
  if (!world) return 0;  // it said why
  const pravella::Picture resized = pravella::recordCommands(
      *world, [&](pravella::OffScreenWorld& w) { w.drawPicture(old, 0, 0, width, height); });
  return pushPicture(stack, sp, resized.bytes());
}

int catPictures(CalcStackEntry* stack, int* sp, const double* a, int la, const double* b, int lb) {
  QByteArray out;
  // The first block goes below the second: B first, so that A is on top.
  if (!DoAddPictureToBelow(bytesOf(b, lb), bytesOf(a, la), out)) return 0;
  return pushPicture(stack, sp, out);
}

}  // namespace pravella::builtins
