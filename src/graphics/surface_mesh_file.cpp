#include "graphics/surface_mesh_file.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "graphics/color_table.h"
#include "graphics/graphics_hooks.h"
#include "lang/report.h"
#include "lang/save_refusal.h"
#include "platform/atomic_file.h"

namespace {

class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(QByteArray& out) : out_(out) {}
  void int32(std::int32_t v) { bits(static_cast<std::uint32_t>(v)); }
  void float32(double v) {
    float f = 0;
    // A finite double beyond the float range becomes an infinity, as rounding would give;
    // the conversion itself is only defined inside the range.
    if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max())
      f = v > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    else
      f = static_cast<float>(v);
    std::uint32_t u = 0;
    std::memcpy(&u, &f, sizeof u);
    bits(u);
  }

 private:
  void bits(std::uint32_t u) {
    const char b[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                       static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
    out_.append(b, 4);
  }
  QByteArray& out_;
};

// The colour-table row of a value; a value (or range) that gives no finite position takes
// row 0 rather than an undefined conversion.
int tableRow(double value, double low, double scale) {
  const double k = (value - low) * scale;
  if (!std::isfinite(k) || k < 0) return 0;
  if (k >= 256) return 255;
  return static_cast<int>(k);
}

}  // namespace

QByteArray plot3DMeshBytes(const double* c, const double* x, const double* y, const double* z,
                           const double range[2], int rows, int cols) {
  const long long n = static_cast<long long>(rows) * cols;
  const long long q = static_cast<long long>(rows - 1) * (cols - 1);
  std::uint8_t table[768];
  GetRGBColorTable(table);

  double high = range[0], low = range[1];
  if (high == low && n > 0) {
    high = low = c[0];
    for (long long k = 1; k < n; ++k) {
      if (c[k] > high) high = c[k];
      if (c[k] < low) low = c[k];
    }
  }

  QByteArray out;
  out.reserve(static_cast<qsizetype>(12 + 24 * n + 16 * q));
  LittleEndianWriter w(out);
  w.int32(static_cast<std::int32_t>(n));
  for (long long k = 0; k < n; ++k) {
    w.float32(x[k]);
    w.float32(y[k]);
    w.float32(z[k]);
  }
  w.int32(static_cast<std::int32_t>(n));
  const bool coloured = high > low;
  const double scale = coloured ? 255 / (high - low) : 0;
  for (long long k = 0; k < n; ++k) {
    if (!coloured) {
      for (int i = 0; i < 3; ++i) w.float32(0);
      continue;
    }
    const int row = tableRow(c[k], low, scale);
    for (int i = 0; i < 3; ++i) w.float32(table[3 * row + i] * 0.00390625);
  }
  w.int32(static_cast<std::int32_t>(q));
  for (int i = 0; i + 1 < rows; ++i)
    for (int j = 0; j + 1 < cols; ++j) {
      const std::int32_t a = i * cols + j;
      w.int32(a);
      w.int32(a + 1);
      w.int32(a + cols + 1);
      w.int32(a + cols);
    }
  return out;
}

int saveParametricPlot3DData(const double* c, const double* x, const double* y, const double* z,
                             const double range[2], int rows, int cols, const std::string& name) {
  if (rows < 2 || cols < 2) return 0;
  const QByteArray bytes = plot3DMeshBytes(c, x, y, z, range, rows, cols);
  const QString path = QString::fromStdString(pravella::graphics::resolveProgramPath(name));
  // Written whole through a temporary file, so that a full disk cannot leave a truncated file
  // behind a reported success.
  if (!pravella::reportedSave(pravella::writeFileAtomically(path, bytes, QString::fromStdString(name)))) {
    error_disp("Can't open the save file.");
    return 0;
  }
  return 1;
}
