#include "lang/builtins/command_args.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "lang/report.h"
#include "lang/stack.h"
#include "platform/cformat.h"

namespace pravella::bridge {

namespace {

struct Popped {
  int type = 0;
  int msize = 0;
  int nsize = 0;
};

// Pops the top value into vk_ta. The first byte is cleared first, so that a value without
// stored bytes (an empty matrix) reads as the empty text rather than as stale scratch data.
bool popRaw(CalcStackEntry* stack, int* sp, Popped& v) {
  reinterpret_cast<unsigned char*>(vk_ta)[0] = 0;
  return PopFromStack(stack, sp, vk_ta, &v.type, &v.msize, &v.nsize) != 0;
}

bool isNumber(const Popped& v) { return v.type == kValueReal && v.msize == 1 && v.nsize == 1; }

}  // namespace

bool invalidArguments() {
  error_disp("Invalid arguments.");
  return false;
}

bool popNumber(CalcStackEntry* stack, int* sp, double& out) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (!isNumber(v)) return invalidArguments();
  out = vk_ta[0];
  return true;
}

bool popRealAnyShape(CalcStackEntry* stack, int* sp) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (v.type != kValueReal) return invalidArguments();
  return true;
}

bool popRow(CalcStackEntry* stack, int* sp, int k, std::vector<double>& out) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (v.type != kValueReal || v.msize != 1 || v.nsize != k) return invalidArguments();
  out.assign(vk_ta, vk_ta + k);
  return true;
}

bool popString(CalcStackEntry* stack, int* sp, std::string& out) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (v.type != kValueString) return invalidArguments();
  out.assign(reinterpret_cast<const char*>(vk_ta));
  return true;
}

bool popTextOrNone(CalcStackEntry* stack, int* sp, std::string& out) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (v.type == kValueString) {
    out.assign(reinterpret_cast<const char*>(vk_ta));
    return true;
  }
  // Programs pass 0 for "no text"; the test is on the stored bytes, as it always was, so a
  // number such as 5 passes too while 0.1 does not.
  if (reinterpret_cast<const unsigned char*>(vk_ta)[0] != 0) return invalidArguments();
  out.clear();
  return true;
}

bool popPicture(CalcStackEntry* stack, int* sp, QByteArray& out) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (v.type != kValuePicture || v.msize < 1) return invalidArguments();
  out = QByteArray(reinterpret_cast<const char*>(vk_ta), v.msize);
  return true;
}

bool popStringOrNumber(CalcStackEntry* stack, int* sp, StringOrNumber& out) {
  Popped v;
  if (!popRaw(stack, sp, v)) return false;
  if (v.type == kValueString) {
    out.isString = true;
    out.text.assign(reinterpret_cast<const char*>(vk_ta));
    return true;
  }
  if (!isNumber(v)) return invalidArguments();
  out.isString = false;
  out.number = vk_ta[0];
  return true;
}

long truncToLong(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMax = static_cast<double>(std::numeric_limits<long>::max());
  if (value >= kMax) return std::numeric_limits<long>::max();
  if (value <= static_cast<double>(std::numeric_limits<long>::min())) return std::numeric_limits<long>::min();
  return static_cast<long>(value);
}

std::string fieldLong(double value) { return cformat("%ld", truncToLong(value)); }

std::string fieldReal(double value) { return cformat("%g", value); }

}  // namespace pravella::bridge
