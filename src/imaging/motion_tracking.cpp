#include "imaging/motion_tracking.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "lang/stdlib/cell_label.h"
#include "platform/atomic_file.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace pravella::motion {

Background& backGroundData() {
  static Background background;
  return background;
}

std::vector<std::int64_t> backgroundSampleTimes(std::int64_t duration, std::int32_t scale,
                                                int intervalSeconds, std::int64_t selectionStart,
                                                std::int64_t selectionLength) {
  std::int64_t start = 0, end = duration;
  std::int64_t step = static_cast<std::int64_t>(intervalSeconds) * scale;
  if (selectionLength != 0) {
    start = selectionStart;
    end = selectionStart + selectionLength;
    // A short selection still gives about eleven samples.
    if (step <= 0 || static_cast<std::uint64_t>(end - start) / static_cast<std::uint64_t>(step) <= 9)
      step = std::max<std::int64_t>((end - start) / 10, 1);
  }
  // An interval of 0 would never end; sample every unit instead.
  if (step <= 0) step = 1;
  std::vector<std::int64_t> times;
  for (std::int64_t t = start; t <= end; t += step) times.push_back(t);
  return times;
}

bool BackgroundAccumulator::add(const QImage& frame) {
  if (frame.isNull()) return false;
  if (count_ == 0) {
    width_ = frame.width();
    height_ = frame.height();
    sum_.assign(static_cast<std::size_t>(width_) * height_ * 3, 0.0f);
  } else if (frame.width() != width_ || frame.height() != height_) {
    return false;
  }
  const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
  float* out = sum_.data();
  for (int y = 0; y < height_; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < width_; ++x) {
      *out++ += static_cast<float>(qRed(line[x]));
      *out++ += static_cast<float>(qGreen(line[x]));
      *out++ += static_cast<float>(qBlue(line[x]));
    }
  }
  ++count_;
  return true;
}

Background BackgroundAccumulator::result() const {
  Background b;
  if (count_ == 0) return b;
  b.width = width_;
  b.height = height_;
  b.rgb.resize(sum_.size());
  for (std::size_t i = 0; i < sum_.size(); ++i)
    b.rgb[i] = static_cast<std::uint8_t>(std::clamp(sum_[i] / static_cast<float>(count_), 0.0f, 255.0f));
  return b;
}

QImage backgroundImage(const Background& background) {
  if (background.isEmpty()) return {};
  QImage image(background.width, background.height, QImage::Format_RGB888);
  for (int y = 0; y < background.height; ++y)
    std::copy_n(background.rgb.data() + static_cast<std::size_t>(y) * background.width * 3,
                background.width * 3, image.scanLine(y));
  return image;
}

namespace {

bool sameSize(const QImage& frame, const Background& background) {
  return !frame.isNull() && !background.isEmpty() && frame.width() == background.width &&
         frame.height() == background.height;
}

}  // namespace

QImage differenceImage(const QImage& frame, const Background& background) {
  if (!sameSize(frame, background)) return {};
  const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
  QImage out(background.width, background.height, QImage::Format_RGB888);
  const std::uint8_t* bg = background.rgb.data();
  for (int y = 0; y < background.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    std::uint8_t* o = out.scanLine(y);
    for (int x = 0; x < background.width; ++x, bg += 3) {
      const int f[3] = {qRed(line[x]), qGreen(line[x]), qBlue(line[x])};
      for (int c = 0; c < 3; ++c) *o++ = static_cast<std::uint8_t>(std::clamp((f[c] - bg[c]) * 3, 0, 255));
    }
  }
  return out;
}

Detection Detector::detect(const QImage& frame, const Background& background, double threshold, int maxLength,
                           ChoiceRule rule, double prevX, double prevR) {
  Detection out;
  if (!sameSize(frame, background)) return out;
  out.comparable = true;
  const int W = background.width, H = background.height;
  const std::size_t pixels = static_cast<std::size_t>(W) * H;
  const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);

  // The brightening of each pixel over the background, and its summed-area table.
  diff_.resize(pixels);
  const std::uint8_t* bg = background.rgb.data();
  for (int y = 0; y < H; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    int* d = diff_.data() + static_cast<std::size_t>(y) * W;
    for (int x = 0; x < W; ++x, bg += 3)
      d[x] = ((qRed(line[x]) + qGreen(line[x]) + qBlue(line[x])) - (bg[0] + bg[1] + bg[2])) / 3;
  }
  const std::size_t stride = static_cast<std::size_t>(W) + 1;
  table_.assign(stride * (static_cast<std::size_t>(H) + 1), 0);
  for (int y = 0; y < H; ++y) {
    std::int64_t rowSum = 0;
    const int* d = diff_.data() + static_cast<std::size_t>(y) * W;
    std::int64_t* above = table_.data() + static_cast<std::size_t>(y) * stride;
    std::int64_t* here = above + stride;
    for (int x = 0; x < W; ++x) {
      rowSum += d[x];
      here[x + 1] = above[x + 1] + rowSum;
    }
  }

  // The 5 by 5 mean over the neighbours inside the image, against the threshold.
  mask_.resize(pixels);
  out.display = QImage(W, H, QImage::Format_RGB888);
  for (int y = 0; y < H; ++y) {
    const int y0 = std::max(y - 2, 0), y1 = std::min(y + 2, H - 1);
    std::uint8_t* o = out.display.scanLine(y);
    for (int x = 0; x < W; ++x) {
      const int x0 = std::max(x - 2, 0), x1 = std::min(x + 2, W - 1);
      const std::int64_t sum = table_[(y1 + 1) * stride + x1 + 1] - table_[y0 * stride + x1 + 1] -
                               table_[(y1 + 1) * stride + x0] + table_[y0 * stride + x0];
      const int count = (x1 - x0 + 1) * (y1 - y0 + 1);
      const bool set = static_cast<double>(sum) / count >= threshold;
      mask_[static_cast<std::size_t>(y) * W + x] = set ? 255.0 : 0.0;
      o[0] = o[1] = o[2] = set ? 255 : 0;
      o += 3;
    }
  }

  cells_.resize(3 * pixels);
  int count = 0, three = 0;
  if (!labelCells(mask_.data(), cells_.data(), H, W, &count, &three, &out.failure)) {
    out.display = QImage();  // no new image after a failed labelling
    return out;
  }

  struct Region {
    long n = 0;
    double sumRow = 0, sumCol = 0;
    int minRow = 0, maxRow = 0, minCol = 0, maxCol = 0;
  };
  const int labels = static_cast<int>(cells_[3 * static_cast<std::size_t>(count - 1) + 2]);
  std::vector<Region> regions(static_cast<std::size_t>(labels) + 1);
  for (int i = 0; i < count; ++i) {
    const double* cell = cells_.data() + 3 * static_cast<std::size_t>(i);
    const int row = static_cast<int>(cell[0]), col = static_cast<int>(cell[1]);
    Region& g = regions[static_cast<std::size_t>(cell[2])];
    if (g.n == 0) {
      g.minRow = g.maxRow = row;
      g.minCol = g.maxCol = col;
    }
    ++g.n;
    g.sumRow += row;
    g.sumCol += col;
    g.minRow = std::min(g.minRow, row);
    g.maxRow = std::max(g.maxRow, row);
    g.minCol = std::min(g.minCol, col);
    g.maxCol = std::max(g.maxCol, col);
  }

  int chosen = 0;
  if (labels == 1) {
    chosen = 1;
  } else if (rule == ChoiceRule::Largest) {
    long most = 0;
    for (int l = 1; l <= labels; ++l) {
      const Region& g = regions[l];
      if (g.maxRow - g.minRow < maxLength && g.maxCol - g.minCol < maxLength && g.n > most) {
        most = g.n;
        chosen = l;
      }
    }
  } else {
    double nearest = static_cast<double>(W) * W;
    for (int l = 1; l <= labels; ++l) {
      const Region& g = regions[l];
      const double dx = g.sumCol / g.n - prevX, dr = g.sumRow / g.n - prevR;
      const double d2 = dx * dx + dr * dr;
      if (d2 < nearest) {
        nearest = d2;
        chosen = l;
      }
    }
  }
  if (chosen == 0) return out;

  const Region& g = regions[chosen];
  out.chosen = true;
  out.n = g.n;
  out.x = g.sumCol / g.n;
  out.r = g.sumRow / g.n;
  // The mark: 5 by 5 around the pixel at (trunc(r), trunc(x)) taken as 0-based indices.
  const int cr = static_cast<int>(out.r), cc = static_cast<int>(out.x);
  const std::uint8_t mark[3] = {255, static_cast<std::uint8_t>(rule == ChoiceRule::Largest ? 50 : 0), 0};
  for (int y = cr - 2; y <= cr + 2; ++y) {
    if (y < 0 || y >= H) continue;
    for (int x = cc - 2; x <= cc + 2; ++x) {
      if (x < 0 || x >= W) continue;
      std::copy_n(mark, 3, out.display.scanLine(y) + 3 * x);
    }
  }
  return out;
}

QString resultLine(double seconds, double x, double yUp, long n) {
  return QString::asprintf("%9.3f\t%6.1f\t%6.1f\t%5ld\n", seconds, x, yUp, n);
}

QString resultFilePath(const QString& nowDateTime) {
  return paths::desktop() + QStringLiteral("/ma_") + nowDateTime + QStringLiteral(".txt");
}

QString nowDateTimeString() {
  return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString saveResultText(const QString& text, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  const WriteResult written = writeFileAtomically(path, encoding::encodeLossy(text, encoding::kShiftJIS));
  return written ? QString() : written.error;
}

OpenMovieResult openMovieImageWindowWithMovie(const QString& path) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString name = QString::fromLatin1(kOpenMovieImageWindowNotification);
  if (!center.hasObservers(name)) return OpenMovieResult::NoReceiver;
  const QVariant reply = center.post(name, path);
  return reply.toBool() ? OpenMovieResult::Opened : OpenMovieResult::NotAMovie;
}

}  // namespace pravella::motion
