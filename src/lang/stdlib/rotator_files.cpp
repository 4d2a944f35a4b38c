#include "lang/stdlib/rotator_files.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cmath>
#include <cstddef>

#include "lang/report.h"
#include "lang/save_refusal.h"
#include "lang/values.h"
#include "platform/atomic_file.h"
#include "platform/cformat.h"
#include "platform/desktop_open.h"
#include "platform/paths.h"

std::vector<double> RotaterAxisData;
int RotaterAxisMsize = 0;
long rotNumber = 0;

namespace {

using Lines = std::string;

void point(Lines& out, double x, double y, double z, long code) {
  out += pravella::cformat("%g\t%g\t%g\t%ld\n", x, y, z, code);
}

void axisRows(Lines& out) {
  for (int i = 0; i < RotaterAxisMsize; ++i) {
    const double* row = &RotaterAxisData[static_cast<std::size_t>(i) * 4];
    point(out, row[0], row[1], row[2], rotatorColorCode(row[3]));
  }
}

// Names the next file (raising the counter), writes the axis rows and then the data lines
// that `fill` adds, and opens the file. `fill` returns false for a mode it does not know: the
// file keeps what was written so far and is not opened.
template <typename Fill>
int writeRotatorFile(Fill fill) {
  const std::string path = pravella::rotatorFilePath(rotNumber++);
  Lines lines;
  axisRows(lines);
  const bool known = fill(lines);
  const QString file = QString::fromStdString(path);
  QDir().mkpath(QFileInfo(file).absolutePath());
  if (!pravella::reportedSave(pravella::writeFileAtomically(file, QByteArray::fromStdString(lines)))) {
    error_disp("Can't open the save file.");
    return 0;
  }
  if (!known) {
    error_disp("invalid arguments");
    return 0;
  }
  pravella::openWithDesktop(file);
  return 1;
}

std::size_t at(int r, int c, int cols) { return static_cast<std::size_t>(r) * cols + c; }

}  // namespace

namespace pravella {

std::string rotatorFilePath(long n) {
  std::string folder = vkDataPathString.empty() ? paths::vkData().toStdString() : vkDataPathString;
  return folder + cformat("/rotate%03ld.rot", n);
}

}  // namespace pravella

long rotatorColorCode(double index) {
  static constexpr long kCodes[8] = {0, 7, 3, 6, 5, 2, 4, 1};
  int i = vkTruncToInt(index);
  if (i < 0) i = 0;
  if (i > 7) i = 7;
  return kCodes[i];
}

int SetRotaterData(const double* rows, int k, int flag) {
  if (flag == 0 || k <= 0) {
    RotaterAxisData.clear();
    RotaterAxisMsize = 0;
    return 1;
  }
  RotaterAxisData.assign(rows, rows + static_cast<std::size_t>(k) * 4);
  RotaterAxisMsize = k;
  return 1;
}

int DoExecRotator(const double* x, const double* y, const double* z, int rows, int cols, int colorIndex,
                  int mode) {
  const long code = rotatorColorCode(colorIndex);
  auto every = [&](Lines& out) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c)
        point(out, x[at(r, c, cols)], y[at(r, c, cols)], z[at(r, c, cols)], -code);
  };
  auto columns = [&](Lines& out) {
    for (int c = 0; c < cols; ++c) {
      point(out, x[at(0, c, cols)], y[at(0, c, cols)], z[at(0, c, cols)], 0);
      for (int r = 1; r < rows; ++r)
        point(out, x[at(r, c, cols)], y[at(r, c, cols)], z[at(r, c, cols)], code);
    }
  };
  auto edge = [&](Lines& out, std::size_t from, std::size_t to) {
    point(out, x[from], y[from], z[from], 0);
    point(out, x[to], y[to], z[to], code);
  };
  return writeRotatorFile([&](Lines& out) {
    switch (mode) {
      case 0:
        every(out);
        return true;
      case 1:
        if (rows < 2 || cols < 2) return false;
        for (int r = 0; r < rows; ++r)
          for (int c = 1; c < cols; ++c) edge(out, at(r, c - 1, cols), at(r, c, cols));
        for (int r = 0; r + 1 < rows; ++r)
          for (int c = 0; c < cols; ++c) edge(out, at(r, c, cols), at(r + 1, c, cols));
        return true;
      case 2:
        columns(out);
        return true;
      case 3:
        every(out);
        columns(out);
        return true;
      default:
        return false;
    }
  });
}

int DoExecRotatorX(const double* x, const double* y, const double* z, int rows, int cols,
                   const int32_t* colors, int mode) {
  auto line = [&](Lines& out, std::size_t i, bool zero) {
    point(out, x[i], y[i], z[i], zero ? 0 : -rotatorColorCode(colors[i]));
  };
  auto every = [&](Lines& out) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) line(out, at(r, c, cols), false);
  };
  auto columns = [&](Lines& out) {
    for (int c = 0; c < cols; ++c) {
      line(out, at(0, c, cols), true);
      for (int r = 0; r < rows; ++r) line(out, at(r, c, cols), false);
    }
  };
  return writeRotatorFile([&](Lines& out) {
    switch (mode) {
      case 0:
        every(out);
        return true;
      case 2:
        columns(out);
        return true;
      case 3:
        every(out);
        columns(out);
        return true;
      default:
        return false;
    }
  });
}
