#include "lang/builtins/functions_v_mesh.h"

#include <string>
#include <vector>

#include "imaging/mesh/cube_boundary.h"
#include "imaging/mesh/sample_boundary.h"
#include "imaging/mesh/tetra_boundary.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"

namespace pravella::builtins {

namespace {

// Pops the threshold (a number), then the slice stack into vk_ta (more than one row and
// column).
int popStackAndThreshold(CalcStackEntry* stack, int* sp, VkArg* grid, double* threshold) {
  if (!vkPopNumber(stack, sp, threshold)) return 0;
  if (!vkPopArg(stack, sp, vk_ta, grid)) return 0;
  return grid->isReal() && grid->rows > 1 && grid->cols > 1 ? 1 : vkInvalidArguments();
}

using GridRoutine = int (*)(const double*, int, int, double, double*, int*);

int meshOfStack(CalcStackEntry* stack, int* sp, GridRoutine routine, int columns) {
  VkArg grid;
  double t = 0;
  if (!popStackAndThreshold(stack, sp, &grid, &t)) return 0;
  int rows = 0;
  if (!routine(vk_ta, grid.rows, grid.cols, t, vk_tc, &rows)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, columns);
}

int volumeBoundary3(const double* g, int r, int c, double t, double* out, int* rows) {
  return pravella::mesh::volumeBoundary_3(g, r, c, t, out, rows);
}

using TetraRoutine = int (*)(const double*, int, int, int, double, double*, int*, int*);

int tetraMesh(CalcStackEntry* stack, int* sp, TetraRoutine routine) {
  double t = 0, dValue = 0;
  if (!vkPopNumber(stack, sp, &t)) return 0;
  if (!vkPopNumber(stack, sp, &dValue)) return 0;
  const int d = vkTruncToInt(dValue);
  if (d <= 1) return vkInvalidArguments();
  VkArg grid;
  if (!vkPopArg(stack, sp, vk_ta, &grid)) return 0;
  if (!grid.isReal() || grid.rows <= 1 || grid.cols <= 1) return vkInvalidArguments();
  // More slices than rows leaves slices of no rows, and a walk over billions of them.
  if (d > grid.rows) return vkInvalidArguments();
  int rows = 0, cols = 0;
  if (!routine(vk_ta, grid.rows / d, grid.cols, d, t, vk_tc, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

}  // namespace

int vTestBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double t = 0;
  if (!vkPopNumber(stack, sp, &t)) return 0;
  VkArg values;
  if (!vkPopArg(stack, sp, vk_tb, &values)) return 0;
  if (!values.isReal() || values.rows != 4 || values.cols != 2) return vkInvalidArguments();
  // The unit cube: corner 4z + 2y + x at (x, y, z) with the element of that number.
  double corners[8][4];
  for (int z = 0; z < 2; ++z)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) {
        const int k = 4 * z + 2 * y + x;
        corners[k][0] = x;
        corners[k][1] = y;
        corners[k][2] = z;
        corners[k][3] = vk_tb[k];
      }
  std::vector<pravella::mesh::CutVertex> vertices;
  std::vector<pravella::mesh::Polygon> polygons;
  return pravella::mesh::cubeBoundary_A(corners, t, vertices, polygons);
}

int volumeBoundary3Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return meshOfStack(stack, sp, volumeBoundary3, 3);
}

int volumeBoundary2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return meshOfStack(stack, sp, pravella::mesh::volumeBoundary_2, 7);
}

int volumeBoundaryBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return meshOfStack(stack, sp, pravella::mesh::volumeBoundary_1, 9);
}

int volumeBoundary3DMFBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  char* text = reinterpret_cast<char*>(vk_tc);
  if (!vkPopString(stack, sp, text)) return 0;
  const std::string name = text;
  VkArg grid;
  double t = 0;
  if (!popStackAndThreshold(stack, sp, &grid, &t)) return 0;
  return pravella::mesh::volumeBoundary_3DMF(vk_ta, grid.rows, grid.cols, t, name);
}

int volumeBoundaryOld1Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return tetraMesh(stack, sp, pravella::mesh::volumeBoundary);
}

int volumeBoundaryOld2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return tetraMesh(stack, sp, pravella::mesh::volumeBoundary_old);
}

int volumeBoundaryDeleteSameTriangleBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg list;
  if (!vkPopArg(stack, sp, vk_ta, &list)) return 0;
  if (!list.isReal() || list.rows < 1 || list.cols != 9) return vkInvalidArguments();
  int kept = 0;
  if (!pravella::mesh::deleteSameTriangle(vk_ta, list.rows, vk_tc, &kept)) return 0;
  return vkPushReals(stack, sp, vk_tc, kept, 9);
}

}  // namespace pravella::builtins
