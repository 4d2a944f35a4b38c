#include "lang/builtins/volume_render_builtins.h"

#include <cmath>

#include "imaging/volume_data.h"
#include "imaging/volume_raycast.h"
#include "imaging/volume_render.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"

namespace pravella::builtins::volume {

namespace {

using Renderer = int (*)(double* image, int w, int h, const double* R, double mag, double zmag);

// Pops and checks the view of a renderer: zmag first, then mag, the rotation and the size.
int renderWith(CalcStackEntry* stack, int* sp, double maxZmag, Renderer render) {
  double zmag = 0, mag = 0;
  if (!vkPopNumber(stack, sp, &zmag)) return 0;
  if (!(zmag >= 1 && zmag <= maxZmag)) {
    error_disp("Bad zmag.");
    return 0;
  }
  if (!vkPopNumber(stack, sp, &mag)) return 0;
  if (!(mag >= 1 && mag <= 8)) {
    error_disp("Bad mag.");
    return 0;
  }
  VkArg rotation, size;
  if (!vkPopArg(stack, sp, vk_tb, &rotation)) return 0;
  if (!rotation.isReal() || rotation.rows != 3 || rotation.cols != 3) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &size)) return 0;
  if (!size.isReal() || size.rows != 1 || size.cols != 2) return vkInvalidArguments();
  const int w = vkTruncToInt(vk_ta[0]), h = vkTruncToInt(vk_ta[1]);
  if (w < 1 || h < 1) return vkInvalidArguments();
  if (static_cast<long long>(w) * h > TNumber) {
    error_disp("too many elements.");
    return 0;
  }
  if (!render(vk_tc, w, h, vk_tb, mag, zmag)) return 0;
  return vkPushReals(stack, sp, vk_tc, h, w);
}

template <int Mode>
int allMode(double* image, int w, int h, const double* R, double mag, double zmag) {
  return DoVolumeRendering_all(image, w, h, R, mag, zmag, Mode);
}
template <int Mode>
int renderingMode(double* image, int w, int h, const double* R, double mag, double zmag) {
  return DoRendering(image, w, h, R, mag, zmag, Mode);
}

// Pops the view vector and the rotation (and n for the surface forms) of a ray caster.
int rayCast(CalcStackEntry* stack, int* sp, int surfaceMode) {
  int n = 0;
  if (surfaceMode >= 0) {
    double number = 0;
    if (!vkPopNumber(stack, sp, &number)) return 0;
    n = vkTruncToInt(number);
    if (n < 1) return vkInvalidArguments();
  }
  VkArg rotation, view;
  if (!vkPopArg(stack, sp, vk_tb, &rotation)) return 0;
  if (!rotation.isReal() || rotation.rows != 3 || rotation.cols != 3) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &view)) return 0;
  if (!view.isReal() || view.rows != 1 || view.cols != 6) return vkInvalidArguments();
  int w = 0, h = 0;
  if (!vkRayImageSize(vk_ta, &w, &h)) return vkInvalidArguments();
  if (vData->empty()) {
    error_disp("No Volume.");
    return 0;
  }
  // A failure past this point has said why (the held button, or memory).
  const int ok = surfaceMode < 0 ? DoGetScreenVolume_Ray(vk_ta, vk_tc, vk_tb)
                                 : DoGetScreenVolume_Surface(vk_ta, vk_tc, vk_tb, n, surfaceMode);
  if (!ok) return 0;
  return vkPushReals(stack, sp, vk_tc, h, w);
}

}  // namespace

int volumeRendering(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, allMode<0>);
}
int volumeRenderingSmooth(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, allMode<1>);
}
int volumeRenderingAngle(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, renderingMode<0>);
}
int volumeRenderingSurface(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, renderingMode<1>);
}
int volumeRenderingDistance(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, renderingMode<2>);
}
int volumeRenderingTrans(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, DoRendering_Trans);
}
int volumeRenderingXray(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 58, DoRendering_Xray);
}
int volumeRenderingXrayGrad(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return renderWith(stack, sp, 8, DoRendering_XrayGrad);
}
int volumeRayTracing(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return rayCast(stack, sp, -1); }
int volumeRayTracingSurface(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return rayCast(stack, sp, 0);
}
int volumeRayTracingSurface2(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return rayCast(stack, sp, 1);
}

}  // namespace pravella::builtins::volume
