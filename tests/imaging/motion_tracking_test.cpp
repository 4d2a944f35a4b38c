// The tracking window's computations without the window: background samples, detection with
// both choice rules, the result line, and the frame durations of the movie builder.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "imaging/motion_tracking.h"
#include "imaging/movie_builder.h"
#include "support/test_home.h"

namespace {

using namespace pravella::motion;

// A fixed texture of mid greys: 60 to 119.
QImage texture(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  QRandomGenerator random(11);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int g = 60 + static_cast<int>(random.bounded(60));
      image.setPixel(x, y, qRgb(g, g, g));
    }
  return image;
}

// A uniform grey, where discs keep their exact symmetry.
QImage flat(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(qRgb(90, 90, 90));
  return image;
}

Background backgroundOf(const QImage& image) {
  BackgroundAccumulator acc;
  acc.add(image);
  return acc.result();
}

// White discs (0-based centre, radius) over the texture.
QImage withDiscs(const QImage& base, std::initializer_list<std::array<int, 3>> discs) {
  QImage image = base.copy();
  for (const auto& [cx, cy, radius] : discs)
    for (int y = cy - radius; y <= cy + radius; ++y)
      for (int x = cx - radius; x <= cx + radius; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
          image.setPixel(x, y, qRgb(255, 255, 255));
  return image;
}

TEST(BackgroundSamples, EveryIntervalOrATenthOfAShortSelection) {
  struct Case {
    std::int64_t duration;
    int interval;
    std::int64_t selStart, selLength;
    std::size_t count;
    std::int64_t first, second, last;
  };
  const Case cases[] = {
      {6000, 1, 0, 0, 11, 0, 600, 6000},         // 10 s at 1 s: eleven samples
      {6000, 3, 0, 0, 4, 0, 1800, 5400},         // the last sample at or before the end
      {6000, 1, 600, 1200, 11, 600, 720, 1800},  // 2 s selected at 1 s: a tenth as the step
      {6000, 1, 0, 6000, 11, 0, 600, 6000},      // a selection of ten intervals keeps the interval
      {12, 0, 0, 0, 13, 0, 1, 12},               // an interval of 0 samples every unit
      {60, 1, 10, 5, 6, 10, 11, 15},             // a tiny selection steps by one unit
  };
  for (const Case& c : cases) {
    const auto times = backgroundSampleTimes(c.duration, 600, c.interval, c.selStart, c.selLength);
    ASSERT_EQ(times.size(), c.count) << c.duration << " " << c.interval << " " << c.selLength;
    EXPECT_EQ(times[0], c.first);
    EXPECT_EQ(times[1], c.second);
    EXPECT_EQ(times.back(), c.last);
  }
}

TEST(BackgroundSamples, TheMeanIsTruncatedPerChannel) {
  QImage a(2, 1, QImage::Format_RGB32), b(2, 1, QImage::Format_RGB32), odd(3, 1, QImage::Format_RGB32);
  a.fill(qRgb(10, 0, 255));
  b.fill(qRgb(11, 3, 254));
  BackgroundAccumulator acc;
  EXPECT_TRUE(acc.add(a));
  EXPECT_TRUE(acc.add(b));
  EXPECT_FALSE(acc.add(odd));
  const Background bg = acc.result();
  EXPECT_EQ(acc.count(), 2);
  EXPECT_EQ(bg.rgb, (std::vector<std::uint8_t>{10, 1, 254, 10, 1, 254}));
}

TEST(Detection, AFrameLikeTheBackgroundHasNoCell) {
  const QImage base = texture(80, 60);
  Detector detector;
  const Detection d = detector.detect(base, backgroundOf(base), 20, 100, ChoiceRule::Largest, 0, 0);
  EXPECT_TRUE(d.comparable);
  ASSERT_NE(d.failure, nullptr);
  EXPECT_STREQ(d.failure, "no cell");
  EXPECT_FALSE(d.chosen);
  EXPECT_TRUE(d.display.isNull());
  // Another size is no comparison at all.
  EXPECT_FALSE(
      detector.detect(texture(81, 60), backgroundOf(base), 20, 100, ChoiceRule::Largest, 0, 0).comparable);
}

TEST(Detection, TheRulesChooseAsTheyShould) {
  const QImage base = flat(160, 120);
  const Background bg = backgroundOf(base);
  // A small disc at (30, 40), a big one at (120, 90) (0-based centres).
  const QImage two = withDiscs(base, {{30, 40, 5}, {120, 90, 9}});
  struct Case {
    ChoiceRule rule;
    int maxLength;
    double prevX, prevR;
    bool chosen;
    double x, r;
  };
  const Case cases[] = {
      {ChoiceRule::Largest, 100, 0, 0, true, 121, 91},   // the bigger disc
      {ChoiceRule::Largest, 18, 0, 0, true, 31, 41},     // the bigger one is too long
      {ChoiceRule::Largest, 5, 0, 0, false, 0, 0},       // none is short enough: no choice
      {ChoiceRule::Nearest, 100, 31, 41, true, 31, 41},  // keeps to the previous position
      {ChoiceRule::Nearest, 100, 0, 0, true, 31, 41},    // from (0, 0): nearest the top-left
      {ChoiceRule::Nearest, 100, 118, 88, true, 121, 91},
  };
  Detector detector;
  for (const Case& c : cases) {
    const Detection d = detector.detect(two, bg, 30, c.maxLength, c.rule, c.prevX, c.prevR);
    ASSERT_EQ(d.failure, nullptr);
    EXPECT_EQ(d.chosen, c.chosen) << c.maxLength << " " << c.prevX;
    if (!c.chosen) continue;
    EXPECT_NEAR(d.x, c.x, 1e-9);
    EXPECT_NEAR(d.r, c.r, 1e-9);
    // The mark sits on the 0-based pixel (trunc r, trunc x), red for the nearest rule.
    const QRgb mark = d.display.pixel(static_cast<int>(d.x), static_cast<int>(d.r));
    EXPECT_EQ(mark, c.rule == ChoiceRule::Largest ? qRgb(255, 50, 0) : qRgb(255, 0, 0));
  }
  // One region is taken whatever its size.
  const Detection one =
      detector.detect(withDiscs(base, {{120, 90, 9}}), bg, 30, 2, ChoiceRule::Largest, 0, 0);
  EXPECT_TRUE(one.chosen);
  EXPECT_NEAR(one.x, 121, 1e-9);
  // Equal regions: the first in scan order wins under the largest rule.
  const Detection tie =
      detector.detect(withDiscs(base, {{100, 30, 4}, {40, 80, 4}}), bg, 30, 100, ChoiceRule::Largest, 0, 0);
  EXPECT_NEAR(tie.r, 31, 1e-9);
}

TEST(Detection, TheFiveByFiveMeanCountsOnlyNeighboursInside) {
  // Against the plain count over the square, on a noisy frame, at every threshold.
  const QImage base = texture(23, 17);
  const Background bg = backgroundOf(base);
  QImage frame = base.copy();
  QRandomGenerator random(5);
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) {
      const int g = static_cast<int>(random.bounded(256));
      frame.setPixel(x, y, qRgb(g, (g * 7) % 256, (g * 13) % 256));
    }
  const int W = frame.width(), H = frame.height();
  auto d = [&](int x, int y) {
    const QRgb f = frame.pixel(x, y);
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * W + x);
    return ((qRed(f) + qGreen(f) + qBlue(f)) - (bg.rgb[i] + bg.rgb[i + 1] + bg.rgb[i + 2])) / 3;
  };
  Detector detector;
  for (double threshold : {-40.0, 0.0, 12.5, 35.0}) {
    const Detection got = detector.detect(frame, bg, threshold, 1000, ChoiceRule::Largest, 0, 0);
    if (got.failure) continue;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        double sum = 0;
        int count = 0;
        for (int v = y - 2; v <= y + 2; ++v)
          for (int u = x - 2; u <= x + 2; ++u)
            if (u >= 0 && u < W && v >= 0 && v < H) {
              sum += d(u, v);
              ++count;
            }
        const bool set = sum / count >= threshold;
        const QRgb shown = got.display.pixel(x, y);
        if (qRed(shown) == 255 && qBlue(shown) == 0) continue;  // the mark
        EXPECT_EQ(qBlue(shown) == 255, set) << x << "," << y << " at " << threshold;
      }
  }
}

TEST(ResultLine, FieldsAreRightAligned) {
  EXPECT_EQ(resultLine(1.5, 12.4, 30, 57), "    1.500\t  12.4\t  30.0\t   57\n");
  EXPECT_EQ(resultLine(123.25, 1000.06, -2, 123456), "  123.250\t1000.1\t  -2.0\t123456\n");
}

TEST(ResultFile, CP932OnTheDesktopOverwritingTheSameName) {
  const QString path = resultFilePath("20261210013000");
  EXPECT_TRUE(path.endsWith("/ma_20261210013000.txt"));
  ASSERT_EQ(saveResultText(QString::fromUtf8("first\n"), path), "");
  ASSERT_EQ(saveResultText(QString::fromUtf8("\xe6\x97\xa5 \xc3\xa9\n"), path), "");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  // The kanji in Shift JIS, the accented letter (no Shift JIS form) replaced.
  EXPECT_EQ(file.readAll(), QByteArray("\x93\xfa ?\n"));
  EXPECT_EQ(nowDateTimeString().size(), 14);
}

TEST(BuilderFrames, DurationsInSixHundredthsWithSlack) {
  struct Case {
    double seconds;
    std::optional<std::int64_t> units;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{0.5, 300},          {1.0 / 3, 200},        {0.205, 123},      {1.0 / 600, 1},
                        {0.0019, 1},         {0.001, std::nullopt}, {0, std::nullopt}, {-1, std::nullopt},
                        {nan, std::nullopt}, {inf, std::nullopt},   {2.5, 1500}};
  for (const Case& c : cases) EXPECT_EQ(pravella::moviebuilder::frameUnits(c.seconds), c.units) << c.seconds;
}

}  // namespace
