// Built-ins V: one table, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <cmath>
#include <string>

#include "graphics/height_surface.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_v_mesh.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/builtins/volume_render_builtins.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/point_geometry.h"
#include "lang/stdlib/spread.h"
#include "lang/stdlib/string_utils.h"
#include "platform/cformat.h"

namespace {

// The matrix standardised to mean 0 and deviation 1 (population), then drawn.
int view3DWith(CalcStackEntry* stack, int* sp,
               int (*draw)(int, int, const double*, int, int, pravella::Picture&)) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.rows <= 2 || m.cols <= 2) return vkInvalidArguments();
  const long long n = m.elements();
  bool constant = true;
  for (long long i = 1; i < n && constant; ++i) constant = vk_ta[i] == vk_ta[0];
  const pravella::numerics::Spread spread =
      pravella::numerics::spreadOf(n, [](long long i) { return vk_ta[i]; });
  const double mean = spread.mean;
  const double sd = spread.deviation(static_cast<double>(n));
  // A constant matrix has no shape to show.
  if (constant || !(sd > 0) || !std::isfinite(sd)) return vkInvalidArguments();
  for (long long i = 0; i < n; ++i) vk_tc[i] = (vk_ta[i] - mean) / sd;
  pravella::Picture picture;
  if (!draw(0, 0, vk_tc, m.rows, m.cols, picture)) return 0;
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()),
                     0);
}

int view3DBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return view3DWith(stack, sp, doM3D);
}
int view3DColorBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return view3DWith(stack, sp, doM3Dcolor);
}

int vectorCombinationBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg kArg, v;
  if (!vkPopArg(stack, sp, vk_tb, &kArg)) return 0;
  if (!kArg.isNumber()) return vkInvalidArguments();
  const int k = vkTruncToInt(vk_tb[0]);
  if (!vkPopArg(stack, sp, vk_ta, &v)) return 0;
  if (!v.isReal() || v.cols < 1 || k > v.rows) return vkInvalidArguments();
  const int blocks = vectorCombination(vk_ta, v.rows, v.cols, k, vk_tc);
  if (blocks == 0) {
    error_disp("combination overflow");
    return 0;
  }
  return vkPushReals(stack, sp, vk_tc, blocks, k * v.cols);
}

bool isRow(const VkArg& a, int cols) { return a.isReal() && a.rows == 1 && a.cols == cols; }

int voronoiBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg size, region, points;
  if (!vkPopArg(stack, sp, vk_tc, &size)) return 0;
  if (!isRow(size, 2)) return vkInvalidArguments();
  vk_tc[0] = std::trunc(vk_tc[0]);
  vk_tc[1] = std::trunc(vk_tc[1]);
  if (!vkPopArg(stack, sp, vk_tb, &region)) return 0;
  if (!isRow(region, 4)) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &points)) return 0;
  if (!points.isReal() || points.rows <= 1 || points.cols != 3) return vkInvalidArguments();
  const int width = vkTruncToInt(vk_tc[0]), height = vkTruncToInt(vk_tc[1]);
  if (!DoVoronoi(vk_ta, points.rows, vk_tb, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, height, width);
}

int valueBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  char* text = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, text)) return 0;
  int rows = 0, cols = 0;
  if (!ChangeStringToNumValue(text, vk_tc, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int valuePatternBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg size, points;
  if (!vkPopArg(stack, sp, vk_tb, &size)) return 0;
  if (!isRow(size, 2)) return vkInvalidArguments();
  const int cols = vkTruncToInt(vk_tb[0]), rows = vkTruncToInt(vk_tb[1]);
  if (!vkPopArg(stack, sp, vk_ta, &points)) return 0;
  if (!points.isReal() || points.rows < 1 || points.cols != 3) return vkInvalidArguments();
  if (!DoValuePattern(vk_ta, points.rows, rows, cols, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

// Each triangle as a closed outline of four lines, the first vertex starting a new line strip
// (the trailing 0) and the other three continuing it with the mark k.
int volumeBoundary2StringBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg kArg, list;
  if (!vkPopArg(stack, sp, vk_tb, &kArg)) return 0;
  if (!kArg.isNumber()) return vkInvalidArguments();
  const long k = vkTruncToInt(vk_tb[0]);
  if (!vkPopArg(stack, sp, vk_ta, &list)) return 0;
  if (!list.isReal() || list.rows < 1 || list.cols != 9) return vkInvalidArguments();
  // The text must fit a string value: below TNumber x 8 bytes with its terminator.
  const std::size_t limit = static_cast<std::size_t>(TNumber) * 8 - 1;
  std::string text;
  for (int r = 0; r < list.rows; ++r) {
    const double* t = vk_ta + static_cast<std::size_t>(r) * 9;
    text += pravella::cformat("%g %g %g 0\n", t[0], t[1], t[2]);
    text += pravella::cformat("%g %g %g %ld\n", t[3], t[4], t[5], k);
    text += pravella::cformat("%g %g %g %ld\n", t[6], t[7], t[8], k);
    text += pravella::cformat("%g %g %g %ld\n", t[0], t[1], t[2], k);
    if (text.size() > limit) {
      error_disp("Too big data.");
      return 0;
    }
  }
  return vkPushString(stack, sp, text.c_str(), static_cast<int>(text.size()));
}

namespace vol = pravella::builtins::volume;

constexpr VkBuiltin kV[] = {
    // Filters, statistics and cortex maps of the volumes.
    {"volumeLaplace", 1, vol::volumeLaplace},
    {"volumeLaplacian", 1, vol::volumeLaplacian},
    {"volume_Grad", 1, vol::volumeGrad},
    {"volumePairedTtest", 4, vol::volumePairedTtestEntry},
    {"volumeCorrelation", 4, vol::volumeCorrelationEntry},
    {"vCortex", 2, vol::vCortex},
    {"vCortex", 3, vol::vCortex},
    {"vCortex", 4, vol::vCortex},
    {"vCortex", 5, vol::vCortex},
    {"vCortexT", 5, vol::vCortexT},
    {"vCortexDis_rot", 5, vol::vCortexDisRot},
    {"vCortexDis", 4, vol::vCortexDis},
    {"vCortexDisT", 4, vol::vCortexDisT},
    {"volumeToPlane", 2, vol::volumeToPlane},
    {"volumeULimitTo", 2, vol::volumeULimitTo},
    {"volumeLLimitTo", 2, vol::volumeLLimitTo},
    // Renderers and ray casters of the current volume.
    {"volumeRayTracing", 2, vol::volumeRayTracing},
    {"volumeRayTracing_Surface", 3, vol::volumeRayTracingSurface},
    {"volumeRayTracing_Surface_2", 3, vol::volumeRayTracingSurface2},
    {"volumeRendering_XrayGrad", 4, vol::volumeRenderingXrayGrad},
    {"volumeRendering_Xray", 4, vol::volumeRenderingXray},
    {"volumeRendering_angle", 4, vol::volumeRenderingAngle},
    {"volumeRendering", 4, vol::volumeRendering},
    {"volumeRendering_smooth", 4, vol::volumeRenderingSmooth},
    {"volumeRendering_surface", 4, vol::volumeRenderingSurface},
    {"volumeRendering_distance", 4, vol::volumeRenderingDistance},
    {"volumeRendering_Trans", 4, vol::volumeRenderingTrans},
    {"view3D", 1, view3DBuiltin},
    {"view3DColor", 1, view3DColorBuiltin},
    {"vectorCombination", 2, vectorCombinationBuiltin},
    {"voronoi", 3, voronoiBuiltin},
    {"value", 1, valueBuiltin},
    {"val", 1, valueBuiltin},
    {"valuePattern", 2, valuePatternBuiltin},
    {"vTest", 2, pravella::builtins::vTestBuiltin},
    {"volumeBoundary3", 2, pravella::builtins::volumeBoundary3Builtin},
    {"volumeBoundary2", 2, pravella::builtins::volumeBoundary2Builtin},
    {"volumeBoundary3DMF", 3, pravella::builtins::volumeBoundary3DMFBuiltin},
    {"volumeBoundary", 2, pravella::builtins::volumeBoundaryBuiltin},
    {"volumeBoundary_old2", 3, pravella::builtins::volumeBoundaryOld2Builtin},
    {"volumeBoundary_old1", 3, pravella::builtins::volumeBoundaryOld1Builtin},
    {"volumeBoundary2String", 2, volumeBoundary2StringBuiltin},
    {"volumeBoundaryDeleteSameTriangle", 1, pravella::builtins::volumeBoundaryDeleteSameTriangleBuiltin},
};

}  // namespace

int DoFunctionV(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kV, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableV() { return kV; }
