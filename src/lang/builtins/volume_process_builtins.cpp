#include "lang/builtins/volume_process_builtins.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/volume_cortex.h"
#include "imaging/volume_data.h"
#include "imaging/volume_filters.h"
#include "imaging/volume_resample.h"
#include "imaging/volume_statistics.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/stdlib/linear_algebra.h"

namespace pravella::builtins::volume {

namespace {

bool isRow(const VkArg& a, int cols) { return a.isReal() && a.rows == 1 && a.cols == cols; }
bool isSquare4(const VkArg& a) { return a.isReal() && a.rows == 4 && a.cols == 4; }

// Pops a 4 x 4 matrix and inverts it into `inverse`; 0 after DoInv's own message.
int popInverse(CalcStackEntry* stack, int* sp, double* inverse) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!isSquare4(m)) return vkInvalidArguments();
  int pivots[4];
  double det = 0;
  return DoInv(vk_ta, pivots, inverse, 4, 4, &det);
}

// The same for the sections, which report a singular matrix as "Invalid Rotate." alone.
int popSectionInverse(CalcStackEntry* stack, int* sp, double* inverse) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!isSquare4(m)) return vkInvalidArguments();
  int pivots[4];
  double det = 0;
  const std::size_t before = ResultString.size();
  if (DoInv(vk_ta, pivots, inverse, 4, 4, &det)) return 1;
  ResultString.resize(before);
  error_disp("Invalid Rotate.");
  return 0;
}

int popNumbers(CalcStackEntry* stack, int* sp, double* values, int count) {
  for (int i = count - 1; i >= 0; --i)
    if (!vkPopNumber(stack, sp, &values[i])) return 0;
  return 1;
}

int popAny(CalcStackEntry* stack, int* sp) {
  return PopFromStack(stack, sp, vk_tb, nullptr, nullptr, nullptr);
}

// The arguments of the cortex built-ins, popped last first; D (when asked for) stays in vk_tb.
struct CortexArgs {
  CortexParams p;
  VkArg radii;
  double angles[3] = {0, 0, 0};
};

enum class Last { None, Radii, Angles };

int popCortex(CalcStackEntry* stack, int* sp, int argc, Last last, CortexArgs& a) {
  if (argc == 5) {
    if (!vkPopArg(stack, sp, vk_tb, &a.radii)) return 0;
    if (last == Last::Angles) {
      if (!isRow(a.radii, 3)) return vkInvalidArguments();
      std::copy_n(vk_tb, 3, a.angles);
    } else if (!a.radii.isReal()) {
      return vkInvalidArguments();
    }
  }
  if (argc >= 4) {
    double s = 0;
    if (!vkPopNumber(stack, sp, &s)) return 0;
    a.p.zScale = s;
  }
  VkArg g, c, p;
  if (argc >= 3) {
    if (!vkPopArg(stack, sp, vk_tc, &g)) return 0;
    if (!isRow(g, 4)) return vkInvalidArguments();
    a.p.lonStep = vkTruncToInt(vk_tc[0]);
    a.p.top = vkTruncToInt(vk_tc[1]);
    a.p.bottom = vkTruncToInt(vk_tc[2]);
    a.p.latStep = vkTruncToInt(vk_tc[3]);
  }
  if (!vkPopArg(stack, sp, vk_tc, &c)) return 0;
  if (!isRow(c, 3)) return vkInvalidArguments();
  a.p.cy = vkTruncToInt(vk_tc[0]);
  a.p.cx = vkTruncToInt(vk_tc[1]);
  a.p.cz = vkTruncToInt(vk_tc[2]);
  if (!vkPopArg(stack, sp, vk_ta, &p)) return 0;
  if (!p.isReal() || p.cols != 3 || p.rows < 1) return vkInvalidArguments();
  a.p.threshold = vkTruncToInt(vk_ta[0]);
  a.p.samples = vkTruncToInt(vk_ta[1]);
  a.p.startRadius = vkTruncToInt(vk_ta[2]);
  return 1;
}

// A radius map must cover the grid, or the walk would read past it.
int checkRadii(const CortexArgs& a) {
  int rows = 0, cols = 0;
  if (!vkCortexGridSize(a.p, &rows, &cols)) return 0;
  if (a.radii.elements() < static_cast<long long>(rows) * cols) return vkInvalidArguments();
  return 1;
}

int pushGrid(CalcStackEntry* stack, int* sp, int rows, int cols) {
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int windowStatistic(CalcStackEntry* stack, int* sp, int (*statistic)(int, int, int, int)) {
  double r = 0;
  if (!vkPopNumber(stack, sp, &r)) return 0;
  double slots[3];
  if (!popNumbers(stack, sp, slots, 3)) return 0;
  const int radius = vkTruncToInt(r);
  if (radius < 1) return vkInvalidArguments();
  return statistic(vkTruncToInt(slots[0]), vkTruncToInt(slots[1]), vkTruncToInt(slots[2]), radius);
}

}  // namespace

int angleVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double s = 0;
  if (!vkPopNumber(stack, sp, &s)) return 0;
  VkArg d;
  if (!vkPopArg(stack, sp, vk_ta, &d)) return 0;
  if (!d.isReal() || d.rows < 1 || d.cols < 1) return vkInvalidArguments();
  DoAngleVolumeData(vk_ta, vk_tc, d.cols, d.rows, s);
  return vkPushReals(stack, sp, vk_tc, d.rows, d.cols);
}

int decVolumeData4(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp)) return 0;
  // Any volume that could not be halved, an empty one too, fails the run: what follows expects
  // the halved one.
  return DoDecVolSize4();
}

int flipVolumeDataEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isNumber()) {
    error_disp("Need a number");
    return 0;
  }
  return flipVolumeData();
}

int getVolumeImage(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double z = 0;
  if (!vkPopNumber(stack, sp, &z)) return 0;
  double inverse[16];
  if (!popSectionInverse(stack, sp, inverse)) return 0;
  VkArg size;
  if (!vkPopArg(stack, sp, vk_ta, &size)) return 0;
  if (!isRow(size, 2)) return vkInvalidArguments();
  const int n = vkTruncToInt(vk_ta[0]), m = vkTruncToInt(vk_ta[1]);
  if (n < 1 || m < 1 || static_cast<long long>(n) * m > TNumber) return vkInvalidArguments();
  if (!DoGetVolumeImage(n, m, vk_tc, inverse, z)) return 0;
  return vkPushReals(stack, sp, vk_tc, n, m);
}

int getVolumeCorrelation(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  double step = 1;
  if (code[*pc].argc == 4) {
    if (!vkPopNumber(stack, sp, &step)) return 0;
    // A smaller step would never advance, nor would any step on heights whose next one
    // rounds back to them (1e17 + 1 is 1e17).
    if (!(step >= 1) || !std::isfinite(step)) return vkInvalidArguments();
  }
  VkArg depths, slots;
  if (!vkPopArg(stack, sp, vk_tc, &depths)) return 0;
  constexpr double kWholeHeights = 4503599627370496.0;  // 2^52
  if (!isRow(depths, 2) || !(vk_tc[0] <= vk_tc[1]) || !(std::fabs(vk_tc[0]) < kWholeHeights) ||
      !(std::fabs(vk_tc[1]) < kWholeHeights))
    return vkInvalidArguments();
  const double z0 = vk_tc[0], z1 = vk_tc[1];
  double inverse[16];
  if (!popSectionInverse(stack, sp, inverse)) return 0;
  if (!vkPopArg(stack, sp, vk_ta, &slots)) return 0;
  if (!isRow(slots, 2)) return vkInvalidArguments();
  for (int i = 0; i < 2; ++i)
    if (!(vk_ta[i] >= 1 && vk_ta[i] <= 3)) return vkInvalidArguments();
  double r = 0;
  if (!DoGetVolumeImage_correlation(vkTruncToInt(vk_ta[0]), vkTruncToInt(vk_ta[1]), inverse, z0, z1, &r,
                                    step))
    return 0;
  return vkPushReals(stack, sp, &r, 1, 1);
}

int gradVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp)) return 0;
  return DoDiffVolumeData();
}

int rotVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double inverse[16];
  if (!popInverse(stack, sp, inverse)) return 0;
  return DoRotVolumeData_new(inverse);
}

int rotVolumeDataOld(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double inverse[16];
  if (!popInverse(stack, sp, inverse)) return 0;
  return DoRotVolumeData(inverse);
}

int smoothVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp)) return 0;
  return DoSmoothVolumeData();
}

int subtractVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double slots[3];
  if (!popNumbers(stack, sp, slots, 3)) return 0;
  return SubtractVolumeData(vkTruncToInt(slots[0]), vkTruncToInt(slots[1]), vkTruncToInt(slots[2]));
}

int tensyaVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_tc, &m)) return 0;
  if (!isSquare4(m)) return vkInvalidArguments();
  double slots[2];
  if (!popNumbers(stack, sp, slots, 2)) return 0;
  return DoTensyaVolumeData(vkTruncToInt(slots[0]), vkTruncToInt(slots[1]), vk_tc);
}

int volumeLaplace(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp)) return 0;
  return DoLaplaceVolumeData();
}

int volumeLaplacian(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp)) return 0;
  return DoLaplacianVolumeData();
}

int volumeGrad(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double unused = 0;
  if (!vkPopNumber(stack, sp, &unused)) return 0;
  return DoVolume_Grad();
}

int volumeULimitTo(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v[2];
  if (!popNumbers(stack, sp, v, 2)) return 0;
  return DoVolumeULimitTo(v[0], v[1]);
}

int volumeLLimitTo(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v[2];
  if (!popNumbers(stack, sp, v, 2)) return 0;
  return DoVolumeLLimitTo(v[0], v[1]);
}

int volumeToPlane(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v[2];
  if (!popNumbers(stack, sp, v, 2)) return 0;
  return DoV2P(vkTruncToInt(v[0]), vkTruncToInt(v[1]));
}

int volumeCorrelationEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return windowStatistic(stack, sp, volumeCorrelation);
}

int volumePairedTtestEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return windowStatistic(stack, sp, volumePairedTtest);
}

int vCortex(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = code[*pc].argc;
  CortexArgs a;
  if (!popCortex(stack, sp, argc, Last::Radii, a)) return 0;
  int rows = 0, cols = 0;
  if (argc == 5) {
    if (!checkRadii(a) || !DoVolumeCortexMappingDis(a.p, vk_tc, &rows, &cols, vk_tb)) return 0;
  } else if (!DoVolumeCortexMapping(a.p, vk_tc, &rows, &cols, 0)) {
    return 0;
  }
  return pushGrid(stack, sp, rows, cols);
}

int vCortexT(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  CortexArgs a;
  if (!popCortex(stack, sp, 5, Last::Radii, a)) return 0;
  int rows = 0, cols = 0;
  if (!checkRadii(a) || !DoVolumeCortexMappingDis1(a.p, vk_tc, &rows, &cols, vk_tb)) return 0;
  return pushGrid(stack, sp, rows, cols);
}

int vCortexDis(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  CortexArgs a;
  if (!popCortex(stack, sp, 4, Last::None, a)) return 0;
  int rows = 0, cols = 0;
  if (!DoVolumeCortexMapping(a.p, vk_tc, &rows, &cols, 1)) return 0;
  return pushGrid(stack, sp, rows, cols);
}

int vCortexDisT(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  CortexArgs a;
  if (!popCortex(stack, sp, 4, Last::None, a)) return 0;
  int rows = 0, cols = 0;
  if (!DoVolumeCortexMapping1(a.p, vk_tc, &rows, &cols, 1)) return 0;
  return pushGrid(stack, sp, rows, cols);
}

int vCortexDisRot(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  CortexArgs a;
  if (!popCortex(stack, sp, 5, Last::Angles, a)) return 0;
  int rows = 0, cols = 0;
  if (!DoVolumeCortexMapping_rot(a.p, vk_tc, &rows, &cols, 1, a.angles)) return 0;
  return pushGrid(stack, sp, rows, cols);
}

int zHokanVolumeData(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (code[*pc].argc == 2) {
    VkArg spacings;
    if (!vkPopArg(stack, sp, vk_tb, &spacings)) return 0;
    if (!spacings.isReal() || (spacings.cols != 1 && spacings.rows != 1)) return vkInvalidArguments();
    double n = 0;
    if (!vkPopNumber(stack, sp, &n)) return 0;
    return DozHokanVolumeData2(vkVolumeSizeFromDouble(n), vk_tb, static_cast<int>(spacings.elements()));
  }
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  return DozHokanVolumeData(vkVolumeSizeFromDouble(n));
}

}  // namespace pravella::builtins::volume
