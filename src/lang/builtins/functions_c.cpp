// Built-ins C: one table in the order of precedence.

#include "lang/builtins/dictionary_builtins.h"
#include "lang/builtins/dispatch.h"
#include "lang/builtins/document_builtins.h"
#include "lang/builtins/gl_builtins.h"

#include <QByteArray>

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "diary/calendar_arithmetic.h"
#include "graphics/picture_clipboard.h"
#include "imaging/mesh/cube_boundary.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/clipboard_text.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/functions_c_complex.h"
#include "lang/builtins/functions_c_pictures.h"
#include "lang/builtins/functions_c_plots.h"
#include "lang/builtins/movie_builder_builtins.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/picture_window_builtins.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/cell_label.h"
#include "lang/stdlib/distributions.h"
#include "lang/stdlib/gamma.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/statistics.h"
#include "lang/variables.h"

namespace {

using namespace pravella::builtins;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

// ---------------------------------------------------------------------------------------
// The working folder and folders.

int createFolderBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!popAny(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  if (type != kValueString || text(vk_ta)[0] == '\0') return invalidArguments();
  std::string path;
  if (!changeFullPath(text(vk_ta), path)) return 0;
  // One folder, as asked: a missing parent is refused with the system's reason rather than
  // made along the way (a mistyped parent would otherwise leave a tree nobody asked for).
  std::error_code ec;
  if (::mkdir(path.c_str(), 0777) == 0) return 1;
  const int error = errno;
  if (error == EEXIST && std::filesystem::is_directory(path, ec)) return 1;
  error_disp(("Cannot create \"" + path + "\": " + std::error_code(error, std::generic_category()).message())
                 .c_str());
  error_disp("Can not Create Folder");
  return 0;
}

int changeCurrentPath(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!popAny(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  const std::size_t length = type == kValueString ? std::strlen(text(vk_ta)) : 0;
  if (type != kValueString || length == 0 || length > kPathBytes - 1) return invalidArguments();
  current_fullPath.assign(text(vk_ta), length);
  return 1;
}

int currentPath(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  return pushString(stack, sp, current_fullPath.c_str(), static_cast<int>(current_fullPath.size()));
}

// ---------------------------------------------------------------------------------------
// Text built-ins.

// A matrix as clipboard text: elements in the display format, a tab between the elements of a
// row, a carriage return after each row. Bounded by nine tenths of TNumber bytes.
int copyMatrixText(const double* m, int rows, int cols) {
  const std::size_t limit = static_cast<std::size_t>(TNumber) * 9 / 10;
  const bool usable = vkIsSingleRealFormat(DispFormat);
  std::string out;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      if (c) out += '\t';
      const double v = m[static_cast<std::size_t>(r) * cols + c];
      if (usable)
        vkAppendFormatted(out, DispFormat.c_str(), v);
      else
        vkAppendFormatted(out, "%10.4f", v);
    }
    out += '\r';
    if (out.size() > limit) {
      error_disp("Too Big Data");
      return 0;
    }
  }
  if (!out.empty()) putTextOnClipboard(out);
  return 1;
}

int copyToClipBoard(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!popAny(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  switch (type) {
    case kValuePicture:
      return DoCopyPictureToScrap(QByteArray(text(vk_ta), rows));
    case kValueString: {
      const std::size_t length = std::strlen(text(vk_ta));
      if (length > 0) putTextOnClipboard(std::string_view(text(vk_ta), length));
      return 1;
    }
    case kValueReal:
      return copyMatrixText(vk_ta, rows, cols);
    default:
      return invalidArguments();
  }
}

int chr(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!popAny(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  if (type != kValueString) return invalidArguments();
  const std::size_t n = std::strlen(text(vk_ta));
  if (n == 0) return invalidArguments();
  // A string may hold 8 bytes for every element a matrix may have.
  if (n > static_cast<std::size_t>(TNumber)) {
    error_disp("Too big data.");
    return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(vk_ta);
  for (std::size_t i = 0; i < n; ++i) vk_tb[i] = bytes[i];
  return pushMatrix(stack, sp, vk_tb, 1, static_cast<int>(n));
}

int replaceByte(CalcStackEntry* stack, int* sp, char from, char to) {
  int type = 0, rows = 0, cols = 0;
  if (!popAny(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  if (type != kValueString) return invalidArguments();
  char* s = text(vk_ta);
  const std::size_t n = std::strlen(s);
  for (std::size_t i = 0; i < n; ++i)
    if (s[i] == from) s[i] = to;
  return pushString(stack, sp, s, static_cast<int>(n));
}

int changeLF(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return replaceByte(stack, sp, '\n', '\r');
}
int changeCR(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return replaceByte(stack, sp, '\r', '\n');
}

// ---------------------------------------------------------------------------------------
// Calendar.

int pushCalendar(CalcStackEntry* stack, int* sp, double year, double month, double day) {
  std::string out;
  if (!calendar(vkTruncToInt(year), vkTruncToInt(month), vkTruncToInt(day), out)) return 0;
  return pushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

int calendarRow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows != 1 || (cols != 2 && cols != 3)) return invalidArguments();
  return pushCalendar(stack, sp, vk_ta[0], vk_ta[1], cols == 3 ? vk_ta[2] : 0.0);
}

int calendarYearMonth(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double year = 0, month = 0;
  if (!vkPopNumber(stack, sp, &month) || !vkPopNumber(stack, sp, &year)) return 0;
  return pushCalendar(stack, sp, year, month, 0.0);
}

int calendarDay(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double year = 0, month = 0, day = 0;
  if (!vkPopNumber(stack, sp, &day) || !vkPopNumber(stack, sp, &month) || !vkPopNumber(stack, sp, &year))
    return 0;
  return pushCalendar(stack, sp, year, month, day);
}

// ---------------------------------------------------------------------------------------
// Numeric built-ins.

// Joint counts of the pairs over the values of A and B.
int crossCount(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int k = 0, pc = 0, q = 0, qc = 0, p = 0, ac = 0;
  if (!popMatrix(stack, sp, vk_tc, &k, &pc)) return 0;
  if (pc != 2) return invalidArguments();
  if (!popMatrix(stack, sp, vk_tb, &q, &qc)) return 0;
  if (qc != 1) return invalidArguments();
  if (!popMatrix(stack, sp, vk_ta, &p, &ac)) return 0;
  if (ac != 1) return invalidArguments();
  if (static_cast<long long>(p) * q > TNumber) return invalidArguments();
  // The counts may overwrite A: the routine copies both value lists first.
  if (!corssCount(vk_ta, p, vk_tb, q, vk_tc, k, vk_ta)) return 0;
  return pushMatrix(stack, sp, vk_ta, p, q);
}

// Labels the regions of non-zero elements: (row, column, label) per element.
int cell(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows <= 1 || cols <= 1) return invalidArguments();
  int outRows = 0, outCols = 0;
  if (!doCell(vk_ta, vk_tb, rows, cols, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tb, outRows, outCols);
}

template <double (*F)(double)>
int elementwise(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) vk_ta[i] = F(vk_ta[i]);
  return pushMatrix(stack, sp, vk_ta, rows, cols);
}

double cosOf(double x) { return std::cos(x); }
double coshOf(double x) { return std::cosh(x); }

// nCr element by element: the product n (n - 1) ... (n - r + 1) divided by r!, in doubles.
int combination(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rr = 0, rc = 0, nr = 0, nc = 0;
  if (!popMatrix(stack, sp, vk_tb, &rr, &rc)) return 0;
  if (!popMatrix(stack, sp, vk_ta, &nr, &nc)) return 0;
  int rows = 0, cols = 0;
  if (!DoCombination(vk_ta, nr, nc, vk_tb, rr, rc, vk_tc, &rows, &cols)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int changeMN(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double mValue = 0;
  if (!vkPopNumber(stack, sp, &mValue)) return 0;
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const int m = vkTruncToInt(mValue);
  const long long count = static_cast<long long>(rows) * cols;
  if (m == 0 || m > count || count % m != 0) {
    error_disp("Invalid number.");
    return 0;
  }
  // A negative m that divides the count gives negative sizes, which the push refuses.
  return pushMatrix(stack, sp, vk_ta, static_cast<int>(count / m), m);
}

// A above B: two pictures, or two matrices of equal columns (integer when either is).
int cat(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int tb = 0, rb = 0, cb = 0, ta = 0, ra = 0, ca = 0;
  if (!popAny(stack, sp, vk_tb, &tb, &rb, &cb)) return 0;
  if (tb != kValuePicture && tb != kValueReal && tb != kValueInt) return invalidArguments();
  if (!popAny(stack, sp, vk_ta, &ta, &ra, &ca)) return 0;
  if (ta == kValuePicture && tb == kValuePicture) return catPictures(stack, sp, vk_ta, ra, vk_tb, rb);
  const bool matrices = (ta == kValueReal || ta == kValueInt) && (tb == kValueReal || tb == kValueInt);
  if (!matrices || ca != cb) return invalidArguments();
  const long long na = static_cast<long long>(ra) * ca, nb = static_cast<long long>(rb) * cb;
  if (ta == kValueReal && tb == kValueReal) {
    if (na + nb > TNumber) return invalidArguments();
    for (long long i = 0; i < na; ++i) vk_tc[i] = vk_ta[i];
    for (long long i = 0; i < nb; ++i) vk_tc[na + i] = vk_tb[i];
    return pushMatrix(stack, sp, vk_tc, ra + rb, ca);
  }
  if (na + nb > 2LL * TNumber) return invalidArguments();
  auto* out = reinterpret_cast<int32_t*>(vk_tc);
  auto element = [](const double* buffer, int type, long long i) {
    return type == kValueInt ? reinterpret_cast<const int32_t*>(buffer)[i] : vkTruncToInt(buffer[i]);
  };
  for (long long i = 0; i < na; ++i) out[i] = element(vk_ta, ta, i);
  for (long long i = 0; i < nb; ++i) out[na + i] = element(vk_tb, tb, i);
  return PushToStack(stack, sp, out, kValueInt, ra + rb, ca);
}

// The n x m convolution (Toeplitz) matrix of a column.
int convolutionMatrix(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double mValue = 0;
  if (!vkPopNumber(stack, sp, &mValue)) return 0;
  int n = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &n, &cols)) return 0;
  if (cols != 1) return invalidArguments();
  const int m = vkTruncToInt(mValue);
  if (!DoConvolutionMatrix(vk_ta, n, m, vk_tb)) {
    error_disp("Invalid matrix size.");
    return 0;
  }
  return pushMatrix(stack, sp, vk_tb, n, m);
}

int changeXY(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  int outRows = 0, outCols = 0;
  if (!DoChangeXY(vk_ta, rows, cols, vk_tb, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tb, outRows, outCols);
}

// Resamples the image in vk_ta through the inverse of the 3 x 3 transform `h`.
int resampleThroughInverse(CalcStackEntry* stack, int* sp, int rows, int cols, const double* h) {
  double work[9], inverse[9], det = 0;
  int pivots[3] = {};
  for (int i = 0; i < 9; ++i) work[i] = h[i];
  if (!DoInv(work, pivots, inverse, 3, 3, &det)) return 0;
  if (!DoConvXY(vk_ta, rows, cols, inverse, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int convXY(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int hr = 0, hc = 0, rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tb, &hr, &hc)) return 0;
  if (hr != 3 || hc != 3) return invalidArguments();
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  return resampleThroughInverse(stack, sp, rows, cols, vk_tb);
}

// The transform applied about the centre (a, b): T1 H T2, T1 moving the centre to the origin
// and T2 moving it back (row vectors, so the translation is the third row).
int convXYAbout(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int cr = 0, cc = 0, hr = 0, hc = 0, rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tc, &cr, &cc)) return 0;
  if (cr != 1 || cc != 2) return invalidArguments();
  const double a = vk_tc[0], b = vk_tc[1];
  if (!popMatrix(stack, sp, vk_tb, &hr, &hc)) return 0;
  if (hr != 3 || hc != 3) return invalidArguments();
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const double t1[9] = {1, 0, 0, 0, 1, 0, -a, -b, 1};
  const double t2[9] = {1, 0, 0, 0, 1, 0, a, b, 1};
  double t1h[9], m[9];
  DoMulti3(t1, vk_tb, t1h);
  DoMulti3(t1h, t2, m);
  return resampleThroughInverse(stack, sp, rows, cols, m);
}

// The chi-square density with k degrees of freedom at each element.
int chiSquareDistribution(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double kValue = 0;
  if (!vkPopNumber(stack, sp, &kValue)) return 0;
  const int n = vkTruncToInt(kValue);
  const double a = n / 2.0;
  if (!(a > 0.0)) return invalidArguments();
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  chiSquareDensity(vk_ta, static_cast<long long>(rows) * cols, n, vk_ta);
  return pushMatrix(stack, sp, vk_ta, rows, cols);
}

// The 21 values laid into the middle of a 7 x 7 grid.
int c21To77(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows != 1 || cols != 21) return invalidArguments();
  if (!DoC21To77(vk_ta, vk_tb)) return 0;
  return pushMatrix(stack, sp, vk_tb, 7, 7);
}

// The triangulation rule of the cube polygons: 1 keeps the largest smallest angle.
int changeKakudoStatusBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double value = 0;
  if (!vkPopNumber(stack, sp, &value)) return 0;
  return changeKakudoStatus(vkTruncToInt(value));
}

// ---------------------------------------------------------------------------------------

constexpr VkBuiltin kC[] = {
    {"changeCurrentVolumeData", 1, pravella::builtins::volume::changeCurrentVolumeData},
    {"copyVolumeData", 2, pravella::builtins::volume::copyVolumeData},
    {"cutVolumeData", 3, pravella::builtins::volume::cutVolumeData},
    {"createVolumeData", 1, pravella::builtins::volume::createVolumeData},
    // OpenGL plot windows (lang/builtins/gl_builtins.h).
    {"closeAllGLWindow", 1, pravella::builtins::closeAllGLWindow},
    {"closeGLWindow", 1, pravella::builtins::closeGLWindow},
    {"createFolder", 1, createFolderBuiltin},
    {"currentPicture", 1, currentPicture},
    {"currentPict", 1, currentPicture},
    {"changeCurrentPath", 1, changeCurrentPath},
    {"changeCurrentDirectory", 1, changeCurrentPath},
    {"currentPath", 1, currentPath},
    {"currentDirectory", 1, currentPath},
    {"closeAllPictWindow", 1, pravella::builtins::closeAllPictWindowBuiltin},
    {"closePictWindow", 1, pravella::builtins::closePictWindowBuiltin},
    {"convertDocument", 2, pravella::builtins::convertDocumentBuiltin},
    {"createMovie", 1, pravella::builtins::createMovieBuiltin},
    {"changeCopyBitsMode", kAnyArgc, vkPictureBuiltinEntry},
    {"compressPicture", 2, compressPicture},
    {"changePictSize", 2, changePictSize},
    {"copyToClipBoard", 1, copyToClipBoard},
    {"copy", 1, copyToClipBoard},
    {"copyPicture", kAnyArgc, vkPictureBuiltinEntry},
    {"copyPictureToScrap", kAnyArgc, vkPictureBuiltinEntry},
    {"chr", 1, chr},
    {"char", 1, chr},
    {"calendar", 1, calendarRow},
    {"calendar", 2, calendarYearMonth},
    {"calendar", 3, calendarDay},
    {"cross_count", 3, crossCount},
    {"cell", 1, cell},
    {"cMul", 2, cMul},
    {"convolutionMatrix", 2, convolutionMatrix},
    {"cDiv", 2, cDiv},
    {"c_conv", 2, cConv},
    {"c_conj", 1, cConj},
    {"c_abs", 1, cAbs},
    {"c_arg", 1, cArg},
    {"c_add", 2, cAdd},
    {"c_sub", 2, cSub},
    {"c_mul", 2, cMulElements},
    {"c_div", 2, cDivElements},
    {"c_pow", 2, cPow},
    {"c_exp", 1, cExp},
    {"c_ln", 1, cLn},
    {"c_sin", 1, cSin},
    {"c_cos", 1, cCos},
    {"c_tan", 1, cTan},
    {"c_sinh", 1, cSinh},
    {"c_cosh", 1, cCosh},
    {"c_tanh", 1, cTanh},
    {"c_sqrt", 1, cSqrt},
    {"changeLF", 1, changeLF},
    {"changeCR", 1, changeCR},
    {"changeXY", 1, changeXY},
    {"convXY", 2, convXY},
    {"convXY", 3, convXYAbout},
    {"CZT2", 1, czt2Real},
    {"CZT2", 2, czt2Complex},
    {"CZTinv2", 1, cztInv2Real},
    {"CZTinv2", 2, cztInv2Complex},
    {"CZT", 1, cztForward},
    {"CZTinv", 1, cztInverse},
    {"cos", 1, elementwise<cosOf>, vkScalarOf<cosOf>},
    {"combination", 2, combination},
    {"CM", 2, combination},
    {"cosh", 1, elementwise<coshOf>, vkScalarOf<coshOf>},
    {"changeMN", 2, changeMN},
    {"cat", 2, cat},
    {"chiSquareDistribution", 2, chiSquareDistribution},
    {"c21To77", 1, c21To77},
    {"changeCanvasColor", 1, changeCanvasColor},
    {"changeKakudoStatus", 1, changeKakudoStatusBuiltin},
    {"contourPlot", 1, contourPlot},
    {"contourPlot", 2, contourPlot},
    {"contourPlot", 4, contourPlot},
    {"contourPlot", 5, contourPlot},
    {"checkDictionary", 1, checkDictionaryEntry},
};

}  // namespace

int DoFunctionC(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kC, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableC() { return kC; }
