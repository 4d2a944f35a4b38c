#include "lang/builtins/volume_builtins.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "imaging/acr_nema.h"
#include "imaging/volume_data.h"
#include "imaging/volume_file.h"
#include "imaging/volume_projection.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"

namespace pravella::builtins::volume {

namespace {

bool isRow(const VkArg& a, int cols) { return a.isReal() && a.rows == 1 && a.cols == cols; }

// Truncated toward zero into 64 bits; NaN is 0 and the ends saturate.
long long truncToLong(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<long long>(std::clamp(std::trunc(v), -9.0e18, 9.0e18));
}

// A 16-bit element number, as the files store it.
std::uint16_t truncToWord(double v) { return static_cast<std::uint16_t>(truncToLong(v) & 0xFFFF); }

char* textBuffer() { return reinterpret_cast<char*>(vk_ta); }

}  // namespace

int acrNema(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg tag;
  if (!vkPopArg(stack, sp, vk_tb, &tag)) return 0;
  if (!isRow(tag, 2)) return vkInvalidArguments();
  if (!vkPopString(stack, sp, textBuffer())) return 0;
  double out[2];
  if (!DoACR_nema_param_vk(textBuffer(), truncToWord(vk_tb[0]), truncToWord(vk_tb[1]), out)) return 0;
  return vkPushReals(stack, sp, out, 1, 2);
}

int acrNemaList(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, textBuffer())) return 0;
  int rows = 0;
  if (!DoACR_nema_paramList_vk(textBuffer(), vk_tc, &rows)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, 4);
}

int changeCurrentVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  return DoChangeCurrentVolumeData(vkTruncToInt(n));
}

int copyVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double source = 0, destination = 0;
  if (!vkPopNumber(stack, sp, &destination) || !vkPopNumber(stack, sp, &source)) return 0;
  return DoCopyVolumeData(vkTruncToInt(source), vkTruncToInt(destination));
}

int cutVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  // Popped last first: the slice range, the row range, the column range.
  double ranges[3][2];
  for (int i = 2; i >= 0; --i) {
    VkArg range;
    if (!vkPopArg(stack, sp, vk_ta, &range)) return 0;
    if (!isRow(range, 2)) return vkInvalidArguments();
    ranges[i][0] = vk_ta[0];
    ranges[i][1] = vk_ta[1];
  }
  return DoCutVolumeData(vkTruncToInt(ranges[0][0]), vkTruncToInt(ranges[0][1]), vkTruncToInt(ranges[1][0]),
                         vkTruncToInt(ranges[1][1]), vkTruncToInt(ranges[2][0]), vkTruncToInt(ranges[2][1]));
}

int createVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg sizes;
  if (!vkPopArg(stack, sp, vk_ta, &sizes)) return 0;
  if (!isRow(sizes, 3)) return vkInvalidArguments();
  return DoCreateVolumeData(vkVolumeSizeFromDouble(vk_ta[0]), vkVolumeSizeFromDouble(vk_ta[1]),
                            vkVolumeSizeFromDouble(vk_ta[2]));
}

int deleteVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  DoFreeVolumeData();
  return 1;
}

int getVolumeData(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  int section = kSectionAxial;
  if (code[*pc].argc == 2) {
    char* type = textBuffer();
    if (!vkPopString(stack, sp, type)) return 0;
    switch (type[0]) {
      case 'H':
      case 'h':
        section = kSectionAxial;
        break;
      case 'S':
      case 's':
        section = kSectionSagittal;
        break;
      case 'C':
      case 'c':
        section = kSectionCoronal;
        break;
      default:
        error_disp("Unknown Slice Type");
        return 0;
    }
  }
  double k = 0;
  if (!vkPopNumber(stack, sp, &k)) return 0;
  const long long index = truncToLong(k) - 1;
  const int at = static_cast<int>(std::clamp<long long>(index, -1, INT32_MAX));
  int rows = 0, cols = 0;
  auto* out = reinterpret_cast<std::int32_t*>(vk_tc);
  if (!DoGetVolumeData(at, &rows, &cols, out, section)) return 0;
  return PushToStack(stack, sp, out, kValueInt, rows, cols);
}

int loadVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, textBuffer())) return 0;
  int rows = 0, cols = 0, slices = 0;
  double sizes[3];
  if (!DoLoadVolumeData(textBuffer(), &rows, &cols, &slices, sizes)) return 0;
  const double result[7] = {double(rows), double(cols), double(slices), 0, sizes[0], sizes[1], sizes[2]};
  return vkPushReals(stack, sp, result, 1, 7);
}

int saveVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg sizes;
  if (!vkPopArg(stack, sp, vk_tb, &sizes)) return 0;
  if (!isRow(sizes, 3)) return vkInvalidArguments();
  if (!vkPopString(stack, sp, textBuffer())) return 0;
  return DoSaveVolumeData(textBuffer(), vk_tb[0], vk_tb[1], vk_tb[2]);
}

int setVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double k = 0;
  if (!vkPopNumber(stack, sp, &k)) return 0;
  VkArg m;
  if (!vkPopArg(stack, sp, vk_tb, &m)) return 0;
  if (m.isInt() && m.elements() <= TNumber) {
    // An integer slice (as getVolumeData gives it) is taken as well.
    const auto* ints = reinterpret_cast<const std::int32_t*>(vk_tb);
    for (long long i = 0; i < m.elements(); ++i) vk_tc[i] = ints[i];
    return DoSetVolumeData(vk_tc, m.rows, m.cols,
                           static_cast<int>(std::clamp<long long>(truncToLong(k) - 1, -1, INT32_MAX)));
  }
  if (!m.isReal()) return vkInvalidArguments();
  return DoSetVolumeData(vk_tb, m.rows, m.cols,
                         static_cast<int>(std::clamp<long long>(truncToLong(k) - 1, -1, INT32_MAX)));
}

int showVolumeData(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  int mode = 1;
  if (count == 4) {
    double m = 0;
    if (!vkPopNumber(stack, sp, &m)) return 0;
    if (!(m >= 0 && m <= 1)) return vkInvalidArguments();
    mode = static_cast<int>(m);
  }
  double zScale = 0;
  if (!vkPopNumber(stack, sp, &zScale)) return 0;
  VkArg size, rotation;
  if (!vkPopArg(stack, sp, vk_tb, &size)) return 0;
  if (!isRow(size, 2)) return vkInvalidArguments();
  const int w = vkTruncToInt(vk_tb[0]), h = vkTruncToInt(vk_tb[1]);
  if (!vkPopArg(stack, sp, vk_ta, &rotation)) return 0;
  if (!rotation.isReal() || rotation.rows != 3 || rotation.cols != 3) return vkInvalidArguments();
  if (w < 1 || h < 1) return vkInvalidArguments();
  if (!DoShowVolumeData(vk_tc, vk_ta, w, h, zScale, mode)) return 0;
  return vkPushReals(stack, sp, vk_tc, count == 4 ? h : 2 * h, w);
}

int xLoadVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg list, form;
  if (!vkPopArg(stack, sp, vk_tc, &list)) return 0;
  if (!list.isReal() || list.rows != 1 || list.cols < 1) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_tb, &form)) return 0;
  if (!isRow(form, 4)) return vkInvalidArguments();
  if (!vkPopString(stack, sp, textBuffer())) return 0;
  return DoxLoadVolumeData(textBuffer(), truncToLong(vk_tb[0]), truncToLong(vk_tb[1]), truncToLong(vk_tb[2]),
                           truncToLong(vk_tb[3]) == 1 ? 1 : 0, vk_tc, list.cols);
}

int xSaveVolumeData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, textBuffer())) return 0;
  return DoXSaveVolumeData(textBuffer());
}

}  // namespace pravella::builtins::volume
