// Built-ins U, W, X, Y and Z: one table per letter, in the order of precedence.
//
// The letter Y has no built-in.

#include "lang/builtins/dispatch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/volume_settings.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/udp_exchange.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/builtins/work_folders.h"
#include "lang/stdlib/numeric_kernels.h"
#include "lang/stdlib/point_geometry.h"
#include "lang/stdlib/statistics.h"

namespace {

// One datagram holds at most this many request or reply bytes.
constexpr int kUdpBytes = 256;

int udpBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg data;
  if (!vkPopArg(stack, sp, vk_tc, &data)) return 0;
  if (!data.isReal() || data.rows != 1 || data.cols > kUdpBytes) return vkInvalidArguments();
  uint8_t request[kUdpBytes];
  for (int i = 0; i < data.cols; ++i) request[i] = static_cast<uint8_t>(vkTruncToInt(vk_tc[i]) & 0xFF);
  double port = 0;
  if (!vkPopNumber(stack, sp, &port)) return 0;
  char* host = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, host)) return 0;
  // A port number outside 1-65535 would wrap to another port.
  if (!(port >= 1 && port < 65536)) return vkInvalidArguments();
  uint8_t reply[kUdpBytes];
  int length = kUdpBytes;
  getUDPdata(host, vkTruncToInt(port), request, data.cols, reply, &length);
  if (length <= 0) {
    error_disp("Bad UDP");
    return 0;
  }
  for (int i = 0; i < length; ++i) vk_tc[i] = reply[i];
  return vkPushReals(stack, sp, vk_tc, 1, length);
}

int useTempDirectoryBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  if (v != 0) {
    backup_fullPath = current_fullPath;
    current_fullPath = pravella::languageWorkFolder();
  } else if (!backup_fullPath.empty()) {
    current_fullPath = backup_fullPath;
    backup_fullPath.clear();
  }
  return 1;
}

int uLimitBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg limit, data;
  if (!vkPopArg(stack, sp, vk_tb, &limit)) return 0;
  if (!limit.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &data)) return 0;
  if (!data.isReal()) return vkInvalidArguments();
  if (!DoLimit(vk_tb, vk_ta, vk_tc, limit.rows, limit.cols, data.rows, data.cols, 1)) return 0;
  return vkPushReals(stack, sp, vk_tc, data.rows, data.cols);
}

int unitBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  const long long n = vkTruncToInt(v);
  if (n < 1 || n * n > TNumber) return vkInvalidArguments();
  std::fill(vk_tc, vk_tc + n * n, 0.0);
  for (long long i = 0; i < n; ++i) vk_tc[i * n + i] = 1;
  return vkPushReals(stack, sp, vk_tc, static_cast<int>(n), static_cast<int>(n));
}

constexpr VkBuiltin kU[] = {
    // Pictures (graphics/picture_builtins.h).
    {"unixColor", kAnyArgc, vkPictureBuiltinEntry},
    {"UDP", 3, udpBuiltin},
    {"useTempDirectory", 1, useTempDirectoryBuiltin},
    {"uLimit", 2, uLimitBuiltin},
    {"unit", 1, unitBuiltin},
};

// The trace writes at most one row more than there are points; work and outline are sized
// from the points, so no limit of the scratch buffers applies to them.
int wrapPoints(CalcStackEntry* stack, int* sp, const VkArg& points, bool nearOnly, double nearLength) {
  if (!points.isReal() || points.rows < 3 || points.cols != 2) return vkInvalidArguments();
  const int n = points.rows;
  std::vector<double> work(3 * static_cast<std::size_t>(n)), outline(2 * (static_cast<std::size_t>(n) + 1));
  work[0] = nearLength;
  int rows = 0;
  const int ok = nearOnly ? DoWrapping_new(vk_ta, n, work.data(), outline.data(), &rows)
                          : DoWrapping(vk_ta, n, work.data(), outline.data(), &rows);
  if (!ok) return 0;
  return vkPushReals(stack, sp, outline.data(), rows, 2);
}

int wrappingNearBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double r = 0;
  if (!vkPopNumber(stack, sp, &r)) return 0;
  VkArg points;
  if (!vkPopArg(stack, sp, vk_ta, &points)) return 0;
  return wrapPoints(stack, sp, points, true, r);
}

int wrappingBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg points;
  if (!vkPopArg(stack, sp, vk_ta, &points)) return 0;
  return wrapPoints(stack, sp, points, false, 0);
}

int waitGraphBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr);
}

constexpr VkBuiltin kW[] = {
    {"wrapping", 2, wrappingNearBuiltin},
    {"wrapping", 1, wrappingBuiltin},
    {"waitGraph", 1, waitGraphBuiltin},
};

constexpr VkBuiltin kX[] = {
    {"xLoadVolumeData", 3, pravella::builtins::volume::xLoadVolumeData},
    {"xSaveVolumeData", 1, pravella::builtins::volume::xSaveVolumeData},
};

constexpr std::array<VkBuiltin, 0> kY{};

int zScoreBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal()) return vkInvalidArguments();
  int rows = 0, cols = 0;
  if (!DoZScore(vk_ta, vk_tc, m.rows, m.cols, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int zHokanModeBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  zHokanSwitch = vkTruncToInt(v) != 0 ? 1 : 0;
  return 1;
}

constexpr VkBuiltin kZ[] = {
    {"zScore", 1, zScoreBuiltin},
    {"zHokanMode", 1, zHokanModeBuiltin},
    {"zHokanVolumeData", 1, pravella::builtins::volume::zHokanVolumeData},
    {"zHokanVolumeData", 2, pravella::builtins::volume::zHokanVolumeData},
};

}  // namespace

int DoFunctionU(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kU, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableU() { return kU; }

int DoFunctionW(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kW, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableW() { return kW; }

int DoFunctionX(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kX, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableX() { return kX; }

int DoFunctionY(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kY, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableY() { return kY; }

int DoFunctionZ(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kZ, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableZ() { return kZ; }
