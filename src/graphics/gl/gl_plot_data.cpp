#include "graphics/gl/gl_plot_data.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <utility>

#include "graphics/color_table.h"
#include "lang/stdlib/spread.h"
#include "platform/notification_center.h"

namespace pravella::gl {

namespace {

std::mutex& handOffMutex() {
  static std::mutex m;
  return m;
}
GLPlotData& handOffData() {
  static GLPlotData d;
  return d;
}
QByteArray& handOffPicture() {
  static QByteArray p;
  return p;
}

// Vertex colours from the colour table over C. A value that is not finite takes entry 0.
void fillColours(const double* c, int k, const double range[2], std::vector<float>& col) {
  double upper = range[0], lower = range[1];
  if (upper == lower) {
    upper = -HUGE_VAL;
    lower = HUGE_VAL;
    for (int i = 0; i < k; ++i) {
      if (!std::isfinite(c[i])) continue;
      upper = std::max(upper, c[i]);
      lower = std::min(lower, c[i]);
    }
  }
  col.assign(static_cast<std::size_t>(k) * 3, 0.0f);
  if (!(upper > lower)) return;
  std::uint8_t table[768];
  GetRGBColorTable(table);
  for (int i = 0; i < k; ++i) {
    int index = 0;
    const double scaled = (c[i] - lower) * 255.0 / (upper - lower);
    if (std::isfinite(scaled)) index = static_cast<int>(std::clamp(std::trunc(scaled), 0.0, 255.0));
    for (int j = 0; j < 3; ++j) col[i * 3 + j] = table[index * 3 + j] * 0.00390625f;
  }
}

// Mean and population deviation of one axis; an axis whose values are all equal gets the
// deviation 1 so that its coordinates are 0, not the non-finite quotient of a zero division.
void standardise(const double* v, int n, int axis, std::vector<float>& pos) {
  const pravella::numerics::Spread spread =
      pravella::numerics::spreadOf(n, [v](long long i) { return v[i]; });
  const double mean = spread.mean;
  double sd = spread.deviation(n);
  if (!(sd > 0) || !std::isfinite(sd)) sd = 1.0;
  bool constant = true;
  for (int i = 1; i < n && constant; ++i) constant = v[i] == v[0];
  for (int i = 0; i < n; ++i) pos[i * 3 + axis] = constant ? 0.0f : static_cast<float>((v[i] - mean) / sd);
}

}  // namespace

bool buildGLPlotData(const double* c, const double* x, const double* y, const double* z,
                     const double range[2], int n, int m, GLPlotData& out) {
  try {
    GLPlotData d;
    if (n > 1 && m > 1) {
      const int k = n * m;
      d.pos.resize(static_cast<std::size_t>(k) * 3);
      d.tex.resize(static_cast<std::size_t>(k) * 2);
      d.quad.reserve(static_cast<std::size_t>(n - 1) * (m - 1) * 4);
      for (int r = 0; r < n; ++r) {
        for (int col = 0; col < m; ++col) {
          const int i = r * m + col;
          d.pos[i * 3] = static_cast<float>(x[i]);
          d.pos[i * 3 + 1] = static_cast<float>(y[i]);
          d.pos[i * 3 + 2] = static_cast<float>(z[i]);
          d.tex[i * 2] = static_cast<float>(col) / static_cast<float>(m - 1);
          d.tex[i * 2 + 1] = static_cast<float>(r) / static_cast<float>(n - 1);
        }
      }
      fillColours(c, k, range, d.col);
      for (int r = 0; r < n - 1; ++r) {
        for (int col = 0; col < m - 1; ++col) {
          d.quad.push_back(r * m + col);
          d.quad.push_back(r * m + col + 1);
          d.quad.push_back((r + 1) * m + col + 1);
          d.quad.push_back((r + 1) * m + col);
        }
      }
      d.numOfPoints = k;
      d.numOfFace = (n - 1) * (m - 1);
    } else if (m == 1 && n >= 2) {
      d.pos.resize(static_cast<std::size_t>(n) * 3);
      standardise(x, n, 0, d.pos);
      standardise(y, n, 1, d.pos);
      standardise(z, n, 2, d.pos);
      fillColours(c, n, range, d.col);
      d.numOfPoints = n;
      d.numOfFace = 0;
    } else {
      return false;
    }
    out = std::move(d);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void storeGLPlotData(GLPlotData data) {
  std::lock_guard lock(handOffMutex());
  handOffData() = std::move(data);
}

void storeTexturePicture(QByteArray picture) {
  std::lock_guard lock(handOffMutex());
  handOffPicture() = std::move(picture);
}

GLPlotData takeGLPlotData() {
  std::lock_guard lock(handOffMutex());
  return std::exchange(handOffData(), GLPlotData{});
}

QByteArray takeTexturePicture() {
  std::lock_guard lock(handOffMutex());
  return std::exchange(handOffPicture(), QByteArray{});
}

int makeParametricPlot3DData(const double* c, const double* x, const double* y, const double* z,
                             const double range[2], int n, int m) {
  GLPlotData d;
  if (!buildGLPlotData(c, x, y, z, range, n, m, d)) return 0;
  storeGLPlotData(std::move(d));
  return 1;
}

QString glWindowTitle(const QString& requested) {
  return requested.isEmpty() ? QStringLiteral("GL_Window") : requested;
}

int openGLWindow(const double* c, const double* x, const double* y, const double* z, const double range[2],
                 int n, int m, const QString& title, const QByteArray& picture, QString* why) {
  if (!makeParametricPlot3DData(c, x, y, z, range, n, m)) return 0;
  storeTexturePicture(picture);
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString name = QString::fromLatin1(kOpenGLWindowNotification);
  if (!center.hasObservers(name)) {
    // pravella-calc has no windows: the data stay unused.
    takeGLPlotData();
    takeTexturePicture();
    if (why) *why = QStringLiteral("No window receives [%1].").arg(name);
    return 0;
  }
  const QString failure = center.post(name, glWindowTitle(title)).toString();
  if (!failure.isEmpty()) {
    takeGLPlotData();
    takeTexturePicture();
    if (why) *why = failure;
    return 0;
  }
  return 1;
}

}  // namespace pravella::gl
