#include "imaging/med_viewer.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/color_table.h"
#include "platform/console_log.h"
#include "platform/property_list.h"

namespace pravella::medview {

namespace {

// Old 14-slice PET files hold two interleaved series: file slice order[z] is shown as slice z.
constexpr int kPet14Order[14] = {0, 7, 1, 8, 2, 9, 3, 10, 4, 11, 5, 12, 6, 13};
constexpr int kOldPet = 5;

std::uint8_t clampByte(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }

}  // namespace

bool readViewerPixels(const std::string& path, const MedGeometry& g, std::vector<std::int16_t>& out,
                      const std::function<void(int)>& progress) {
  if (g.width <= 0 || g.height <= 0 || g.slices <= 0 || g.offset < 0) return false;
  const std::size_t plane = static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height);
  const std::size_t count = plane * static_cast<std::size_t>(g.slices);
  std::vector<std::int16_t> data(count);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const bool ok =
      std::fseek(file, g.offset, SEEK_SET) == 0 && std::fread(data.data(), 2, count, file) == count;
  std::fclose(file);
  if (!ok) return false;
  if (g.kind == kOldPet) {
    std::vector<std::int16_t> row(static_cast<std::size_t>(g.width));
    for (int z = 0; z < g.slices; ++z) {
      if (progress) progress(z);
      std::int16_t* s = data.data() + plane * static_cast<std::size_t>(z);
      for (std::size_t i = 0; i < plane; ++i) {
        const auto u = static_cast<std::uint16_t>(s[i]);
        s[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((u >> 8) | (u << 8)));
      }
      for (int y = 0; y < g.height / 2; ++y) {
        std::int16_t* a = s + static_cast<std::size_t>(y) * g.width;
        std::int16_t* b = s + static_cast<std::size_t>(g.height - 1 - y) * g.width;
        std::swap_ranges(a, a + g.width, b);
      }
    }
    if (progress) progress(0);
    if (g.slices == 14) {
      std::vector<std::int16_t> ordered(count);
      for (int z = 0; z < 14; ++z)
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(plane * kPet14Order[z]), plane,
                    ordered.begin() + static_cast<std::ptrdiff_t>(plane * z));
      data.swap(ordered);
    }
  }
  out.swap(data);
  return true;
}

double windowFactor(int lower, int upper) { return upper == lower ? 255.0 : 255.0 / (upper - lower); }

QImage sliceImage(const std::int16_t* slice, int width, int height, const Window& w,
                  const std::int16_t* roiMask) {
  QImage image(width, height, QImage::Format_RGB888);
  const double factor = windowFactor(w.lower, w.upper);
  for (int y = 0; y < height; ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < width; ++x) {
      const std::size_t k = static_cast<std::size_t>(y) * width + x;
      const double scaled = (slice[k] - w.lower) * factor;
      const int level = static_cast<int>(std::clamp(std::trunc(scaled), 0.0, 255.0));
      double r = 0, g = 0, b = 0;
      if (w.blackWhite)
        r = g = b = level;
      else
        r = RAINBOW_R[level], g = RAINBOW_G[level], b = RAINBOW_B[level];
      const double m = roiMask ? (roiMask[k] > 0 ? 1.0 : 0.5) : w.gain;
      line[3 * x] = clampByte(std::trunc(r * m));
      line[3 * x + 1] = clampByte(std::trunc(g * m));
      line[3 * x + 2] = clampByte(std::trunc(b * m));
    }
  }
  return image;
}

QImage colorBarImage(bool blackWhite) {
  QImage bar(16, 256, QImage::Format_RGB888);
  for (int y = 0; y < 256; ++y) {
    const int level = 255 - y;
    const QColor c = blackWhite ? QColor(level, level, level)
                                : QColor(RAINBOW_R[level], RAINBOW_G[level], RAINBOW_B[level]);
    for (int x = 0; x < 16; ++x) bar.setPixelColor(x, y, c);
  }
  return bar;
}

QStringList newRoi() { return QStringList(kRoiFields, QStringLiteral("0")); }

double pixelsPerViewPoint(int width, int height) { return std::max(width, height) * 0.00390625; }

RoiStatistics roiStatistics(const std::int16_t* slice, int width, int height, double x, double y, int radius,
                            float sizeX, float sizeY, std::vector<std::int16_t>* mask) {
  RoiStatistics s;
  const double scale = pixelsPerViewPoint(width, height);
  const double cx = scale * x, cy = scale * (255.0 - y);
  const double r2 = static_cast<double>(radius) * radius;
  if (mask) mask->assign(static_cast<std::size_t>(width) * height, 0);
  double sum = 0;
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      if ((i - cx) * (i - cx) + (j - cy) * (j - cy) > r2) continue;
      const std::size_t k = static_cast<std::size_t>(j) * width + i;
      const double v = slice[k];
      if (s.count == 0) s.maximum = s.minimum = v;
      s.maximum = std::max(s.maximum, v);
      s.minimum = std::min(s.minimum, v);
      sum += v;
      ++s.count;
      if (mask) (*mask)[k] = slice[k];
    }
  s.mean = s.count ? sum / static_cast<double>(s.count) : 0.0;
  s.diameter = 2.0 * std::sqrt(static_cast<double>(s.count) * sizeX * sizeY / 3.1415926);
  return s;
}

void setRoiStatistics(QStringList& rois, int row, const RoiStatistics& s) {
  const int base = row * kRoiFields;
  if (row < 0 || base + kRoiFields > rois.size()) return;
  rois[base + 5] = QString::asprintf("%5.0f", s.maximum);
  rois[base + 6] = QString::asprintf("%5.0f", s.minimum);
  rois[base + 7] = QString::asprintf("%5.0f", s.mean);
  rois[base + 8] = QString::asprintf("%5.1f", s.diameter);
  rois[base + 9] = QString::number(s.count);
}

int roiHitTest(const QStringList& rois, int slice, double x, double y, double pixelsPerPoint, double* grabX,
               double* grabY) {
  *grabX = *grabY = 0;
  if (rois.size() < kRoiFields || !(pixelsPerPoint > 0)) return -1;
  double best = 1000000.0;
  int found = -1;
  for (int base = 0; base + kRoiFields <= rois.size(); base += kRoiFields) {
    if (rois[base + 1].trimmed().toInt() != slice) continue;
    const double size = rois[base + 4].trimmed().toDouble();
    const double radius = (size * 0.5 + 1.0) / pixelsPerPoint;
    const double dx = x - rois[base + 2].trimmed().toDouble(), dy = y - rois[base + 3].trimmed().toDouble();
    const double d2 = dx * dx + dy * dy;
    if (d2 < best && d2 < radius * radius) {
      best = d2;
      found = rois[base].trimmed().toInt() - 1;
      *grabX = dx;
      *grabY = dy;
    }
  }
  if (found < 0) *grabX = *grabY = 0;
  return found;
}

QString roiFilePath(const QString& imagePath) {
  const QFileInfo info(imagePath);
  return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".ROIData");
}

QStringList readRoiFile(const QString& path) {
  if (!QFileInfo::exists(path)) return {};
  QString error;
  const std::optional<QStringList> strings = pravella::plist::readStringArray(path, &error);
  auto refuse = [&](const QString& why) {
    showErrMessageToConsole(("The ROI file " + path + " is ignored: " + why + "\n").toStdString());
    return QStringList();
  };
  if (!strings) return refuse(error);
  if (strings->size() % kRoiFields != 0) return refuse(QStringLiteral("its count is not a multiple of 10"));
  for (const QString& field : *strings) {
    bool ok = false;
    field.trimmed().toDouble(&ok);
    if (!ok) return refuse(QStringLiteral("a field is not a number"));
  }
  return *strings;
}

QString roiText(const QStringList& rois) {
  QString text = QStringLiteral("No \t  Z \t  X \t  Y \tSize\t Max\t Min\tMean\t SD \tArea\n");
  for (int base = 0; base + kRoiFields <= rois.size(); base += kRoiFields)
    text += rois.mid(base, kRoiFields).join(QLatin1Char('\t')) + QLatin1Char('\n');
  return text;
}

}  // namespace pravella::medview
