#include "lang/builtins/morphing_builtins.h"

#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <vector>

#include "graphics/triangle_warp.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"

namespace pravella::builtins {

namespace {

// The arguments after the picture or matrix: the least size (with 4 arguments), then the
// target and the source triangle lists (k x 9 each, the same k), as the 12-number rows of a
// warp table (source corners, then target corners).
struct Mesh {
  std::vector<double> table;
  int count = 0;
  double size[2] = {0, 0};
};

int popMesh(int argc, CalcStackEntry* stack, int* sp, Mesh& mesh) {
  VkArg arg;
  if (argc == 4) {
    if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
    if (!arg.isReal() || arg.rows != 1 || arg.cols != 2) return vkInvalidArguments();
    mesh.size[0] = vk_ta[0];
    mesh.size[1] = vk_ta[1];
  }
  VkArg target, source;
  if (!vkPopArg(stack, sp, vk_tb, &target)) return 0;
  if (!target.isReal() || target.rows < 1 || target.cols != 9) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_tc, &source)) return 0;
  if (!source.isReal() || source.rows != target.rows || source.cols != 9) return vkInvalidArguments();
  mesh.count = target.rows;
  mesh.table.resize(static_cast<std::size_t>(mesh.count) * 12);
  static constexpr int kCoordinates[6] = {0, 1, 3, 4, 6, 7};
  for (int k = 0; k < mesh.count; ++k)
    for (int i = 0; i < 6; ++i) {
      mesh.table[12 * k + i] = vk_tc[9 * k + kCoordinates[i]];
      mesh.table[12 * k + 6 + i] = vk_tb[9 * k + kCoordinates[i]];
    }
  // A corner that is no number has no pixel to be truncated to.
  for (double v : mesh.table)
    if (!std::isfinite(v)) return vkInvalidArguments();
  return 1;
}

using PictureWarp = int (*)(const QByteArray&, double*, int, int, int, QByteArray&, int*, int*);

int warpPicture(int argc, CalcStackEntry* stack, int* sp, PictureWarp warp) {
  Mesh mesh;
  if (!popMesh(argc, stack, sp, mesh)) return 0;
  VkArg picture;
  if (!vkPopArg(stack, sp, vk_ta, &picture)) return 0;
  if (!picture.isPicture()) return vkInvalidArguments();
  // The size is (width, height).
  int width = vkTruncToInt(mesh.size[0]), height = vkTruncToInt(mesh.size[1]);
  QByteArray out;
  const QByteArray bytes(reinterpret_cast<const char*>(vk_ta), picture.rows);
  if (!warp(bytes, mesh.table.data(), mesh.count, 0, 0, out, &height, &width)) return 0;
  return PushToStack(stack, sp, out.constData(), kValuePicture, static_cast<int>(out.size()), 0);
}

}  // namespace

int morphingData(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  Mesh mesh;
  if (!popMesh(code[*pc].argc, stack, sp, mesh)) return 0;
  VkArg matrix;
  if (!vkPopArg(stack, sp, vk_ta, &matrix)) return 0;
  if (!matrix.isReal() || matrix.rows <= 2 || matrix.cols <= 2) return vkInvalidArguments();
  // The size is (rows, columns).
  int rows = vkTruncToInt(mesh.size[0]), cols = vkTruncToInt(mesh.size[1]);
  if (!changeMoofData_2(vk_ta, matrix.rows, matrix.cols, mesh.table.data(), mesh.count, vk_tb, &rows, &cols))
    return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

int morphingPicture(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return warpPicture(code[*pc].argc, stack, sp, changeMoofPicture_3);
}

int morphingPictureOld(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return warpPicture(code[*pc].argc, stack, sp, changeMoofPicture_2);
}

}  // namespace pravella::builtins
