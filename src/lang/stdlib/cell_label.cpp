#include "lang/stdlib/cell_label.h"

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"

int maxCellPoint = 100000;

void resetCellStackNumber() { maxCellPoint = 100000; }

int setCellStackNumber(double n) {
  maxCellPoint = vkTruncToInt(n);
  return maxCellPoint;
}

namespace {

using CellStack = std::vector<std::pair<int, int>>;

// The flood fill of delCell with its stack supplied, so that labelling a whole image reuses
// one stack instead of allocating one per cell.
// On failure the message goes to *failure for the caller to report.
int removeCell(CellStack& stack, double* image, double* list, int rows, int cols, int seedRow, int seedCol,
               int* listCount, int label, const char** failure) {
  auto fail = [failure](const char* message) {
    *failure = message;
    return 0;
  };
  const long long pixels = static_cast<long long>(rows) * cols;
  // An explicit stack instead of recursion, so that a large cell cannot exhaust the call stack.
  long long capacity = maxCellPoint;
  if (pixels > maxCellPoint) capacity = 2 * pixels;
  stack.clear();
  try {
    stack.reserve(static_cast<std::size_t>(capacity > 0 ? capacity : 0));
  } catch (const std::bad_alloc&) {
    return fail("Can not allocate memory");
  }
  const long long listLimit = TNumber / 3;
  auto isSet = [&](int r, int c) { return image[static_cast<std::size_t>(r) * cols + c] != 0.0; };
  auto push = [&](int r, int c) {
    if (static_cast<long long>(stack.size()) >= capacity) return false;
    stack.emplace_back(r, c);
    return true;
  };
  if (!push(seedRow, seedCol)) return fail("Cell Stack Overflow");
  while (!stack.empty()) {
    const auto [r, c] = stack.back();
    stack.pop_back();
    if (!isSet(r, c)) continue;
    if (*listCount >= listLimit) return fail("Too big cell");
    image[static_cast<std::size_t>(r) * cols + c] = 0.0;
    double* row = list + 3 * static_cast<std::size_t>(*listCount);
    row[0] = r + 1;
    row[1] = c + 1;
    row[2] = label;
    ++*listCount;
    const std::pair<int, int> neighbours[4] = {{r, c - 1}, {r, c + 1}, {r - 1, c}, {r + 1, c}};
    for (const auto& [nr, nc] : neighbours) {
      if (nr < 0 || nr >= rows || nc < 0 || nc >= cols || !isSet(nr, nc)) continue;
      if (!push(nr, nc)) return fail("Cell Stack Overflow");
    }
  }
  return 1;
}

}  // namespace

int delCell(double* image, double* list, int rows, int cols, int seedRow, int seedCol, int* listCount,
            int label) {
  CellStack stack;
  const char* failure = nullptr;
  if (removeCell(stack, image, list, rows, cols, seedRow, seedCol, listCount, label, &failure)) return 1;
  error_disp(failure);
  return 0;
}

int labelCells(double* image, double* list, int rows, int cols, int* outRows, int* outCols,
               const char** failure, bool answersBreak) {
  int count = 0;
  int label = 0;
  CellStack stack;
  for (int r = 0; r < rows; ++r) {
    if (answersBreak && vkBreakHeld()) {
      *failure = kVkBreakMessage;
      return 0;
    }
    for (int c = 0; c < cols; ++c) {
      if (image[static_cast<std::size_t>(r) * cols + c] == 0.0) continue;
      if (!removeCell(stack, image, list, rows, cols, r, c, &count, ++label, failure)) return 0;
    }
  }
  if (count == 0) {
    *failure = "no cell";
    return 0;
  }
  *outRows = count;
  *outCols = 3;
  return 1;
}

int doCell(double* image, double* list, int rows, int cols, int* outRows, int* outCols) {
  const char* failure = nullptr;
  if (labelCells(image, list, rows, cols, outRows, outCols, &failure, true)) return 1;
  error_disp(failure);
  return 0;
}

int getMaxCell(double* image, double* list, int rows, int cols, int* outRows, int* outCols) {
  int count = 0, three = 0;
  if (!doCell(image, list, rows, cols, &count, &three)) return 0;
  // The list holds the cells in label order, each cell's rows together.
  int bestLabel = 0, bestSize = 0, start = 0, bestStart = 0;
  while (start < count) {
    const double label = list[3 * static_cast<std::size_t>(start) + 2];
    int end = start;
    while (end < count && list[3 * static_cast<std::size_t>(end) + 2] == label) ++end;
    if (end - start > bestSize) {
      bestSize = end - start;
      bestLabel = static_cast<int>(label);
      bestStart = start;
    }
    start = end;
  }
  if (bestLabel == 0) {
    error_disp("no cell area");
    return 0;
  }
  for (int i = 0; i < 3 * bestSize; ++i) list[i] = list[3 * static_cast<std::size_t>(bestStart) + i];
  *outRows = bestSize;
  *outCols = 3;
  return 1;
}
