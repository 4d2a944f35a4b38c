// The medical image viewer's computations: the window mapping, ROI statistics and hit test,
// the ROI files and the order of old PET slices.

#include <gtest/gtest.h>

#include <QFile>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/color_table.h"
#include "imaging/med_image_files.h"
#include "imaging/med_viewer.h"
#include "med_fixtures.h"
#include "platform/property_list.h"
#include "support/console_capture.h"
#include "support/test_home.h"

namespace mv = pravella::medview;

namespace {

QColor shown(std::int16_t value, mv::Window w) {
  const std::int16_t slice[1] = {value};
  return mv::sliceImage(slice, 1, 1, w).pixelColor(0, 0);
}

TEST(MedViewerWindow, LevelsGainAndClamps) {
  struct Case {
    int lower, upper, gainPercent;
    bool bw;
    std::int16_t value;
    int grey;
  } cases[] = {
      {100, 355, 100, true, 150, 50},   // upper = lower + 255: level v - lower
      {100, 355, 100, true, 99, 0},     // below the window
      {100, 355, 100, true, 400, 255},  // above it
      {0, 510, 100, true, 255, 127},    // factor 0.5, truncated
      {0, 255, 50, true, 201, 100},     // gain 50 %, truncated
      {0, 255, 200, true, 200, 255},    // level x gain above 255 is held at 255
      {0, 255, 200, true, 100, 200},
      {40, 40, 100, true, 41, 255},  // equal bounds: above lower is full level
      {40, 40, 100, true, 40, 0},
      {40, 40, 100, true, -7, 0},
  };
  for (const Case& c : cases) {
    const QColor got = shown(c.value, {c.lower, c.upper, c.gainPercent / 100.0, c.bw});
    EXPECT_EQ(got, QColor(c.grey, c.grey, c.grey))
        << c.lower << ".." << c.upper << " gain " << c.gainPercent << " value " << c.value;
  }
  // Colour: the rainbow entry of the level, times the gain, held at 255.
  EXPECT_EQ(shown(30, {0, 255, 1.0, false}), QColor(RAINBOW_R[30], RAINBOW_G[30], RAINBOW_B[30]));
  const QColor doubled = shown(250, {0, 255, 2.0, false});
  EXPECT_EQ(doubled, QColor(std::min(255, RAINBOW_R[250] * 2), std::min(255, RAINBOW_G[250] * 2),
                            std::min(255, RAINBOW_B[250] * 2)));
  // The bars: level 255 on top.
  EXPECT_EQ(mv::colorBarImage(true).pixelColor(0, 0), QColor(255, 255, 255));
  EXPECT_EQ(mv::colorBarImage(false).pixelColor(0, 255), QColor(RAINBOW_R[0], RAINBOW_G[0], RAINBOW_B[0]));
}

TEST(MedViewerRoi, StatisticsFromTheFirstPixelInside) {
  // 256 wide, so one view point is one pixel; view y counts upwards from row 255.
  const int w = 256, h = 256;
  std::vector<std::int16_t> slice(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) slice[static_cast<std::size_t>(y) * w + x] = static_cast<std::int16_t>(x);
  auto fill = [&](int x0, int y0, int n, std::int16_t v) {
    for (int y = y0; y < y0 + n; ++y)
      for (int x = x0; x < x0 + n; ++x) slice[static_cast<std::size_t>(y) * w + x] = v;
  };
  fill(10, 10, 30, -50);
  fill(200, 200, 30, -300);
  slice[215 * w + 215] = -20;
  fill(60, 200, 30, 25000);
  struct Case {
    double x, y;
    int size;
    double max, min, mean;
    long long count;
  } cases[] = {
      {100, 255 - 50, 1, 101, 99, 100, 5},            // radius 1: the pixel and its four neighbours
      {100, 255 - 50, 10, 106, 94, 100, 113},         // radius 6
      {25, 255 - 25, 10, -50, -50, -50, 113},         // wholly negative
      {75, 255 - 215, 10, 25000, 25000, 25000, 113},  // wholly above 20,000
      {5000, 5000, 10, 0, 0, 0, 0},                   // nothing inside
  };
  for (const Case& c : cases) {
    std::vector<std::int16_t> mask;
    const mv::RoiStatistics s =
        mv::roiStatistics(slice.data(), w, h, c.x, c.y, c.size / 2 + 1, 0.5f, 2.0f, &mask);
    EXPECT_EQ(s.maximum, c.max) << c.x << "," << c.y;
    EXPECT_EQ(s.minimum, c.min) << c.x << "," << c.y;
    EXPECT_EQ(s.mean, c.mean) << c.x << "," << c.y;
    EXPECT_EQ(s.count, c.count) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(s.diameter, 2 * std::sqrt(c.count * 1.0 / 3.1415926));
  }
  // A ROI over mixed negative values reports the real largest value.
  const mv::RoiStatistics mixed = mv::roiStatistics(slice.data(), w, h, 215, 255 - 215, 2, 1, 1);
  EXPECT_EQ(mixed.maximum, -20);
  EXPECT_EQ(mixed.minimum, -300);

  QStringList rois = mv::newRoi() + mv::newRoi();
  mv::setRoiStatistics(rois, 1, {101, -3, 12.6, 2.5, 7});
  EXPECT_EQ(rois.mid(15), QStringList({"  101", "   -3", "   13", "  2.5", "7"}));
  EXPECT_EQ(rois.mid(0, 10), mv::newRoi());
}

TEST(MedViewerRoi, HitTestTakesTheNearestOfTheSliceWithinItsRadius) {
  auto roi = [](int no, int slice, int x, int y, int size) {
    return QStringList{QString::number(no),
                       QString::number(slice),
                       QString::number(x),
                       QString::number(y),
                       QString::number(size),
                       "0",
                       "0",
                       "0",
                       "0",
                       "0"};
  };
  // Image 128 wide: a view point is half a pixel, so size 10 reaches (5 + 1) x 2 = 12 points.
  const QStringList rois = roi(1, 3, 100, 100, 10) + roi(2, 3, 110, 100, 10) + roi(3, 4, 100, 100, 10);
  struct Case {
    int slice;
    double x, y;
    int found;
    double gx, gy;
  } cases[] = {
      {3, 102, 101, 0, 2, 1},  {3, 108, 100, 1, -2, 0}, {3, 105, 100, 0, 5, 0},  // a tie keeps the earlier
      {3, 100, 112, -1, 0, 0}, {3, 100, 111, 0, 0, 11}, {4, 110, 100, 2, 10, 0}, {5, 100, 100, -1, 0, 0},
  };
  for (const Case& c : cases) {
    double gx = -9, gy = -9;
    EXPECT_EQ(mv::roiHitTest(rois, c.slice, c.x, c.y, mv::pixelsPerViewPoint(128, 128), &gx, &gy), c.found)
        << c.x << "," << c.y;
    EXPECT_EQ(gx, c.gx);
    EXPECT_EQ(gy, c.gy);
  }
  double gx = 0, gy = 0;
  EXPECT_EQ(mv::roiHitTest({}, 1, 0, 0, mv::pixelsPerViewPoint(128, 128), &gx, &gy), -1);
}

TEST(MedViewerRoi, FilesAreUntrusted) {
  EXPECT_EQ(mv::roiFilePath("/a/b/scan.v1.dcm"), "/a/b/scan.v1.ROIData");
  EXPECT_EQ(mv::roiFilePath("/a/b/scan"), "/a/b/scan.ROIData");
  const QString dir = pravella::test::home();
  const QStringList good = mv::newRoi() + mv::newRoi();
  ASSERT_TRUE(pravella::plist::writeStringArray(dir + "/good.ROIData", good));
  EXPECT_EQ(mv::readRoiFile(dir + "/good.ROIData"), good);
  EXPECT_TRUE(mv::readRoiFile(dir + "/missing.ROIData").isEmpty());

  struct Bad {
    const char* name;
    QVariant value;
  } bad[] = {
      {"nine", QVariant(QStringList(9, "1"))},
      {"word", QVariant(QStringList(9, "1") + QStringList{"x"})},
      {"dict", QVariant(QVariantMap{{"a", "1"}})},
  };
  for (const Bad& b : bad) {
    const QString path = dir + "/" + b.name + ".ROIData";
    ASSERT_TRUE(pravella::plist::writeFile(path, b.value));
    pravella::test::ConsoleCapture console;
    EXPECT_TRUE(mv::readRoiFile(path).isEmpty()) << b.name;
    EXPECT_NE(console.text().find("is ignored"), std::string::npos) << b.name;
  }
  QFile junk(dir + "/junk.ROIData");
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a property list");
  junk.close();
  EXPECT_TRUE(mv::readRoiFile(dir + "/junk.ROIData").isEmpty());

  const QString text = mv::roiText(QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
  EXPECT_EQ(text,
            "No \t  Z \t  X \t  Y \tSize\t Max\t Min\tMean\t SD \tArea\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\n");
}

// An old PET file: 128 x 128 slices behind a 1,024-byte header, each value big-endian in the
// file; the value of slice z, row y, column x is z * 1000 + y.
std::string oldPet(int slices) {
  medfix::Bytes b;
  b.zeros(1024);
  b.big = true;
  for (int z = 0; z < slices; ++z)
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) b.u16(static_cast<std::uint16_t>(z * 1000 + y));
  return medfix::write("pet" + std::to_string(slices) + ".img", b.data);
}

TEST(MedViewerRead, OldPetSlicesAreTurnedSwappedAndReordered) {
  for (int slices : {3, 14}) {
    const std::string path = oldPet(slices);
    mv::MedGeometry g;
    ASSERT_EQ(checkMedImageFile(path, &g.width, &g.height, &g.slices, &g.offset), 1);
    g.kind = medFileType;
    ASSERT_EQ(g.kind, 5);
    std::vector<std::int16_t> data;
    std::vector<int> steps;
    ASSERT_TRUE(mv::readViewerPixels(path, g, data, [&](int z) { steps.push_back(z); }));
    ASSERT_EQ(data.size(), static_cast<std::size_t>(128 * 128 * slices));
    EXPECT_EQ(steps.size(), static_cast<std::size_t>(slices + 1));
    auto at = [&](int z, int y) { return data[static_cast<std::size_t>(z) * 128 * 128 + y * 128 + 5]; };
    // Upside down: the top row holds the file's last row.
    EXPECT_EQ(at(0, 0), 127);
    EXPECT_EQ(at(0, 127), 0);
    if (slices == 14) {
      EXPECT_EQ(at(1, 0), 7000 + 127);  // the second slice shown is file slice 7
      EXPECT_EQ(at(13, 127), 13000);
    } else {
      EXPECT_EQ(at(2, 127), 2000);  // file order
    }
  }
  // Other kinds are read as stored.
  const std::string vol = medfix::write("v.vol", medfix::volumeFile(4, 4, 2, 32).data);
  mv::MedGeometry g;
  ASSERT_EQ(checkMedImageFile(vol, &g.width, &g.height, &g.slices, &g.offset), 1);
  g.kind = medFileType;
  std::vector<std::int16_t> data;
  ASSERT_TRUE(mv::readViewerPixels(vol, g, data));
  EXPECT_EQ(data[31], 31);
  g.offset += 2;  // one value short at the end
  EXPECT_FALSE(mv::readViewerPixels(vol, g, data));
  EXPECT_EQ(data[31], 31);
}

}  // namespace
