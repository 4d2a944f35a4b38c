// Built-ins F: one table, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <cmath>
#include <cstring>
#include <string>

#include "graphics/plot2d.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_f_files.h"
#include "lang/builtins/opencv_builtins.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/executor.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/fft.h"
#include "lang/stdlib/kanji_code.h"
#include "lang/stdlib/random_dist.h"

namespace {

using namespace pravella::builtins;

int popReal(CalcStackEntry* stack, int* sp, double* dst, VkArg* arg) {
  if (!vkPopArg(stack, sp, dst, arg)) return 0;
  return arg->isReal() ? 1 : vkInvalidArguments();
}

int fisherNoneParaBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.rows != 2 || m.cols != 2) {
    error_disp("Need 2*2");
    return 0;
  }
  // Counts are cut toward zero and taken whole in 64 bits, not cut to an int: 3e+9 is 3e+9.
  // A count that is no number would be cut to 0 and pass for one; one past the routine's
  // limit (infinity too) goes as the limit, which it refuses with its reason.
  long long counts[4];
  for (int i = 0; i < 4; ++i) {
    if (std::isnan(vk_ta[i])) {
      error_disp("bad matrix");
      return 0;
    }
    const double whole = std::trunc(vk_ta[i]);
    counts[i] = whole < 0                                        ? -1
                : whole < static_cast<double>(kFisherCountLimit) ? static_cast<long long>(whole)
                                                                 : kFisherCountLimit;
  }
  int k = 0;
  if (!fisherNonePara(counts[0], counts[1], counts[2], counts[3], vk_tb, &k)) return 0;
  if (k == 0) {
    error_disp("bad matrix");
    return 0;
  }
  return vkPushReals(stack, sp, vk_tb, k, 5);
}

int frameLineDrawBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  if (m.rows < 1 || m.cols < 1) return vkInvalidArguments();
  return FrameLineDraw(static_cast<uint8_t>(vkTruncToInt(vk_ta[0]) & 0xff));
}

// Every line of the text that holds the search text, compared with ASCII letters folded to
// lower case; each line once, with its line feed, in the case of the text.
int findLineBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg what, base;
  if (!vkPopArg(stack, sp, vk_tb, &what)) return 0;
  if (!what.isString()) {
    error_disp("findString");
    return 0;
  }
  if (!vkPopArg(stack, sp, vk_ta, &base)) return 0;
  if (!base.isString()) {
    error_disp("Base string");
    return 0;
  }
  char* needle = reinterpret_cast<char*>(vk_tb);
  changeUpper2Lower(needle);
  const std::string textCase(reinterpret_cast<const char*>(vk_ta));
  std::string folded = textCase;
  changeUpper2Lower(folded.data());
  std::string out;
  std::size_t p = 0;
  const std::size_t length = textCase.size();
  while (p < length) {
    const std::size_t found = folded.find(needle, p);
    if (found == std::string::npos) break;
    const std::size_t m = found - p;
    // Back to the line feed before the match (not looking at the start itself), forward to
    // the one after it or the last byte.
    std::size_t start = 0;
    for (std::size_t j = m; j > 0; --j) {
      if (textCase[p + j] == '\n') {
        start = j + 1;
        break;
      }
    }
    std::size_t e = m;
    while (p + e + 1 < length && textCase[p + e] != '\n') ++e;
    out.append(textCase, p + start, e - start + 1);
    p += e + 1;
  }
  return vkPushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

// The rewrite of a call record into a call of `name` with `argc` arguments.
void makeCall(vk_Code& record, const std::string& name, int argc) {
  record.kind = kCodeFunction;
  record.argc = argc;
  record.jump = 0;
  record.name = name;
  record.data.clear();
  record.hasData = false;
  record.number = 0.0;
  record.nameId = -1;
  record.varSlot = -1;
  record.op = 0;
  // What the executor decoded from the old record must go too.
  record.xop = 0;
  record.aux = 0;
  record.moduleSlot = -1;
  record.moduleEpoch = 0;
  record.builtin = nullptr;
  record.builtinState = 0;
  record.varEpoch = 0;
  record.varLevel = -1;
}

// function(args..., name): calls the built-in or module of that name with the other arguments.
// The call record becomes a call of nonOperation and the record that pushed the name a call of
// the named function, so later passes through the same code call it directly; the counter is
// moved back so that the rewritten record runs next.
int functionBuiltin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int p = *pc;
  const int n = code[p].argc;
  // Without an argument there is no name, and a record before this one may belong to the
  // surrounding expression.
  if (n < 1 || p < 1) return vkInvalidArguments();
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isString()) return vkInvalidArguments();
  const std::string name(reinterpret_cast<const char*>(vk_ta));
  if (name == "function") {
    error_disp("Can't call itself.");
    return 0;
  }
  if (name.empty() || name.size() >= static_cast<std::size_t>(kNameBytes)) return vkInvalidArguments();
  const int producer = code[p - 1].kind;
  if (producer != kCodeString && producer != kCodeStrVariable) {
    // The name came from an expression of several records: rewriting only its last one would
    // leave the others pushing values on every later pass, so this call is made as it stands.
    vk_Code call;
    makeCall(call, name, n - 1);
    int at = 0;
    return keisanJikko(&call, 1, &at, stack, sp);
  }
  makeCall(code[p], "nonOperation", n - 1);
  makeCall(code[p - 1], name, n - 1);
  *pc = p - 2;
  return 1;
}

// ---------------------------------------------------------------------------------------
// The FFT family: series of n = 2^k points, k at most 13.

constexpr int kMaxFftPower = 13;

// k with 2^k == n, or -1.
int fftPower2(int n) {
  for (int k = 0; k <= kMaxFftPower; ++k)
    if ((1 << k) == n) return k;
  return -1;
}

using FftPair = int (*)(int, int, const double*, const double*, double*);

// The size test fails with "Invalid arguments." rather than pushing a result no routine made.
int fftTwo(CalcStackEntry* stack, int* sp, FftPair routine) {
  VkArg second, first;
  if (!popReal(stack, sp, vk_ta, &second)) return 0;
  if (!popReal(stack, sp, vk_tb, &first)) return 0;
  const int n = second.rows;
  const int k = fftPower2(n);
  if (k < 0 || first.rows != n || second.cols != 1) return vkInvalidArguments();
  if (!routine(n, k, vk_tb, vk_ta, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, n, 1);
}

int fftCorrelationBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftTwo(stack, sp, DoFFTCorrelation);
}
int fftImpulseBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftTwo(stack, sp, DoFFTImp);
}
int fftDeconvolutionBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftTwo(stack, sp, DoFFTDeConv);
}
int fftConvolutionBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftTwo(stack, sp, DoFFTConv);
}

int fftComplex(CalcStackEntry* stack, int* sp, double sign) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  if (m.cols != 2) return vkInvalidArguments();
  const int k = fftPower2(m.rows);
  if (k < 0) return vkInvalidArguments();
  if (!DoFFT(m.rows, k, vk_ta, vk_tc, sign)) return 0;
  return vkPushReals(stack, sp, vk_tc, m.rows, 2);
}

int fftBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return fftComplex(stack, sp, -1.0); }
int fftInvBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return fftComplex(stack, sp, 1.0); }

using FftReal = int (*)(int, int, int, const double*, double*);

int fftOfReal(CalcStackEntry* stack, int* sp, FftReal routine, bool half) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  if (m.cols != 1) return vkInvalidArguments();
  const int k = fftPower2(m.rows);
  if (k < 0) return vkInvalidArguments();
  if (!routine(m.rows, 1, k, vk_ta, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, half ? m.rows / 2 : m.rows, 1);
}

int fftRealBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftOfReal(stack, sp, DoFFTReal, false);
}
int fftImageBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftOfReal(stack, sp, DoFFTImage, false);
}
int fftPowerBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return fftOfReal(stack, sp, DoFFTPower, true);
}

// ---------------------------------------------------------------------------------------
// Element-wise and column built-ins.

// The trapezoid rule over each column with the step h.
int fSumBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double h = 0;
  if (!vkPopNumber(stack, sp, &h)) return 0;
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  const int cols = m.cols;
  for (int j = 0; j < cols; ++j) {
    double s = 0.0;
    for (int i = 1; i < m.rows; ++i)
      s = s +
          (vk_ta[static_cast<long long>(i - 1) * cols + j] + vk_ta[static_cast<long long>(i) * cols + j]) *
              0.5;
    vk_tc[j] = s * h;
  }
  return vkPushReals(stack, sp, vk_tc, 1, cols);
}

int fabsBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  for (long long i = 0; i < m.elements(); ++i) vk_ta[i] = std::fabs(vk_ta[i]);
  return vkPushReals(stack, sp, vk_ta, m.rows, m.cols);
}

// A degrees-of-freedom argument: a real row or column; its first element counts.
int popDegrees(CalcStackEntry* stack, int* sp, double* value) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  if ((m.rows != 1 && m.cols != 1) || m.elements() < 1) return vkInvalidArguments();
  *value = vk_ta[0];
  return 1;
}

int fDistBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double second = 0, first = 0;
  if (!popDegrees(stack, sp, &second) || !popDegrees(stack, sp, &first)) return 0;
  VkArg x;
  if (!popReal(stack, sp, vk_ta, &x)) return 0;
  for (long long i = 0; i < x.elements(); ++i)
    if (!DoFDist(vk_ta[i], first, second, vk_tc + i)) return 0;
  return vkPushReals(stack, sp, vk_tc, x.rows, x.cols);
}

// A matrix is flipped here; a picture goes on to the picture built-ins.
int flip(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp, bool vertical) {
  if (*sp > 0 && stack[*sp - 1].type == kValuePicture)
    return vkPictureBuiltinEntry(count, code, pc, stack, sp);
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  const int ok =
      vertical ? DoVertical(vk_ta, vk_tc, m.rows, m.cols) : DoHorizontal(vk_ta, vk_tc, m.rows, m.cols);
  if (!ok) return 0;
  return vkPushReals(stack, sp, vk_tc, m.rows, m.cols);
}

int flipHBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return flip(count, code, pc, stack, sp, false);
}
int flipVBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return flip(count, code, pc, stack, sp, true);
}

int frequency(CalcStackEntry* stack, int* sp, bool all) {
  VkArg bins, data;
  if (!popReal(stack, sp, vk_ta, &bins)) return 0;
  if (bins.rows != 1 || (bins.cols != 1 && bins.cols != 3)) return vkInvalidArguments();
  if (!popReal(stack, sp, vk_tb, &data)) return 0;
  if (data.rows < 2) return vkInvalidArguments();
  int outRows = 0, outCols = 0;
  int ok = 0;
  if (bins.cols == 1) {
    const int n = vkTruncToInt(vk_ta[0]);
    ok = all ? DoFrequencyAll(vk_tb, n, vk_tc, data.rows, data.cols, &outRows, &outCols)
             : DoFrequency(vk_tb, n, vk_tc, data.rows, data.cols, &outRows, &outCols);
  } else {
    const int n = vkTruncToInt(vk_ta[2]);
    const double upper = vk_ta[0], lower = vk_ta[1];
    ok = all ? DoFrequencyAllSP(vk_tb, n, vk_tc, data.rows, data.cols, &outRows, &outCols, upper, lower)
             : DoFrequencySP(vk_tb, n, vk_tc, data.rows, data.cols, &outRows, &outCols, upper, lower);
  }
  if (!ok) return 0;
  return vkPushReals(stack, sp, vk_tc, outRows, outCols);
}

int frequencyBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return frequency(stack, sp, false);
}
int frequencyAllBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return frequency(stack, sp, true);
}

constexpr VkBuiltin kF[] = {
    {"flipVolumeData", 1, pravella::builtins::volume::flipVolumeDataEntry},
    {"fileExistsAtPath", 1, fileExistsAtPathBuiltin},
    {"fisherNonePara", 1, fisherNoneParaBuiltin},
    {"frameLineDraw", 1, frameLineDrawBuiltin},
    {"fgrabber", 1, pravella::builtins::fGrabberBuiltin},
    {"fGrabber", 1, pravella::builtins::fGrabberBuiltin},
    {"findLine", 2, findLineBuiltin},
    {"fileOpen", 3, fileOpenBuiltin},
    {"fileCheck", 1, fileCheckBuiltin},
    {"fileClose", 1, fileCloseBuiltin},
    {"fileAllClose", 1, fileAllCloseBuiltin},
    {"fileSeek", 2, fileSeekBuiltin},
    {"fileGetString", 1, fileGetString1Builtin},
    {"fileGetString", 2, fileGetString2Builtin},
    {"fileWrite", 2, fileWrite2Builtin},
    {"fileWrite", 3, fileWrite3Builtin},
    {"fileRead", 3, fileReadBuiltin},
    {"function", kAnyArgc, functionBuiltin},
    {"fileLength", 1, fileLengthBuiltin},
    {"filePosition", 1, filePositionBuiltin},
    {"fftCorrelation", 2, fftCorrelationBuiltin},
    {"fftImpulse", 2, fftImpulseBuiltin},
    {"fftDeconvolution", 2, fftDeconvolutionBuiltin},
    {"fftConvolution", 2, fftConvolutionBuiltin},
    {"FFT", 1, fftBuiltin},
    {"FFTinv", 1, fftInvBuiltin},
    {"fftReal", 1, fftRealBuiltin},
    {"fftImage", 1, fftImageBuiltin},
    {"fftPower", 1, fftPowerBuiltin},
    {"fSum", 2, fSumBuiltin},
    {"fabs", 1, fabsBuiltin},
    {"fDistribution", 3, fDistBuiltin},
    {"fDist", 3, fDistBuiltin},
    {"flipHorizontal", 1, flipHBuiltin},
    {"flipH", 1, flipHBuiltin},
    {"flipVertical", 1, flipVBuiltin},
    {"flipV", 1, flipVBuiltin},
    {"frequency", 2, frequencyBuiltin},
    {"freq", 2, frequencyBuiltin},
    {"frequencyAll", 2, frequencyAllBuiltin},
};

}  // namespace

int DoFunctionF(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kF, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableF() { return kF; }
