// Windowed statistics against sums taken pixel by pixel, the outlier correction, the
// Laplacian, the elliptic mask and kernel sums.

#include "lang/stdlib/image_stats.h"
#include "lang/stdlib/ellipse_mask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "support/held_button.h"

namespace {

// A small image with structure in both directions and a negative value.
std::vector<double> sample(int rows, int cols) {
  std::vector<double> v(static_cast<std::size_t>(rows) * cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) v[r * cols + c] = std::sin(r * 1.3 + c * 0.7) * 5 + r - 2 * c;
  return v;
}

// The window's values, collected directly.
std::vector<double> window(const std::vector<double>& img, int rows, int cols, int r, int c, int k) {
  std::vector<double> out;
  for (int rr = std::max(0, r - k); rr <= std::min(rows - 1, r + k); ++rr)
    for (int cc = std::max(0, c - k); cc <= std::min(cols - 1, c + k); ++cc)
      out.push_back(img[rr * cols + cc]);
  return out;
}

double meanOf(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x;
  return s / v.size();
}

double sdOf(const std::vector<double>& v) {
  const double m = meanOf(v);
  double s = 0;
  for (double x : v) s += (x - m) * (x - m);
  return std::sqrt(s / v.size());
}

TEST(ImageStats, WindowedMeanDeviationAndCorrelationMatchDirectSums) {
  const int rows = 7, cols = 9;
  const std::vector<double> a = sample(rows, cols);
  std::vector<double> b(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) b[i] = std::cos(i * 0.37) * 3 + 0.5 * a[i];
  for (int k : {1, 2, 4, 8}) {
    std::vector<double> mean(a.size()), sd(a.size()), corr(a.size());
    ASSERT_EQ(doImageMean(a.data(), rows, cols, k, mean.data()), 1);
    ASSERT_EQ(doImageSD(a.data(), rows, cols, k, sd.data()), 1);
    ASSERT_EQ(doImageCorrelationAB(a.data(), b.data(), rows, cols, k, corr.data()), 1);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        const auto wa = window(a, rows, cols, r, c, k), wb = window(b, rows, cols, r, c, k);
        EXPECT_NEAR(mean[r * cols + c], meanOf(wa), 1e-12);
        EXPECT_NEAR(sd[r * cols + c], sdOf(wa), 1e-9);
        const double ma = meanOf(wa), mb = meanOf(wb), sa = sdOf(wa), sb = sdOf(wb);
        double expect = 0;
        for (std::size_t i = 0; i < wa.size(); ++i) expect += (wa[i] - ma) / sa * ((wb[i] - mb) / sb);
        EXPECT_NEAR(corr[r * cols + c], expect / wa.size(), 1e-9) << r << "," << c << " k=" << k;
      }
  }
}

TEST(ImageStats, HalfWidthZeroAndFlatWindows) {
  const std::vector<double> a = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  std::vector<double> mean(6), sd(6), corr(6);
  doImageMean(a.data(), 2, 3, 0, mean.data());
  doImageSD(a.data(), 2, 3, 0, sd.data());
  EXPECT_EQ(mean, a);
  EXPECT_EQ(sd, std::vector<double>(6, 0.0));
  // A flat window has no correlation: 0, never a division by zero.
  const std::vector<double> flat(6, 0.1);
  doImageCorrelationAB(flat.data(), a.data(), 2, 3, 1, corr.data());
  for (double v : corr) EXPECT_EQ(v, 0.0);
  // A perfectly related pair correlates 1 and -1.
  std::vector<double> twice(6), negated(6);
  for (int i = 0; i < 6; ++i) {
    twice[i] = 2 * a[i] + 1;
    negated[i] = -a[i];
  }
  doImageCorrelationAB(a.data(), twice.data(), 2, 3, 1, corr.data());
  for (double v : corr) EXPECT_NEAR(v, 1.0, 1e-9);
  doImageCorrelationAB(a.data(), negated.data(), 2, 3, 1, corr.data());
  for (double v : corr) EXPECT_NEAR(v, -1.0, 1e-9);
}

TEST(ImageStats, GazoHoseiReplacesOutliersByTheInlierMean) {
  // A smooth ramp keeps every value (and ends after one pass).
  std::vector<double> ramp(25), work(25);
  for (int i = 0; i < 25; ++i) ramp[i] = i % 5;
  const std::vector<double> before = ramp;
  ASSERT_EQ(gazoHosei(ramp.data(), 5, 5, work.data(), 1.5, 1), 1);
  EXPECT_EQ(ramp, before);

  // One spike in a flat field becomes the field's value; nothing else moves. The main
  // window's bar shows each pass on a log scale and is reset at the end.
  std::vector<std::string> bar;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      "setProgressBar", nullptr, [&](pravella::Notification& n) { bar.push_back(n.text.toStdString()); },
      pravella::Delivery::PostingThread);
  std::vector<double> spike(25, 3.0);
  spike[12] = 90;
  ASSERT_EQ(gazoHosei(spike.data(), 5, 5, work.data(), 1.0, 1), 1);
  center.removeObserver(id);
  EXPECT_EQ(spike, std::vector<double>(25, 3.0));
  EXPECT_EQ(bar, (std::vector<std::string>{"0\t0.693147\t0.693147", "0\t1\t0"}));

  // Bad sizes and factors fail without a message.
  std::vector<double> small(6, 1.0);
  EXPECT_EQ(gazoHosei(small.data(), 2, 3, work.data(), 1.0, 1), 0);
  EXPECT_EQ(gazoHosei(spike.data(), 5, 5, work.data(), 0.5, 1), 0);
}

// A wide window over a large image makes the work long: the held button ends the correction
// and the windowed statistics with the break message, and the correction leaves the image as
// it was.
TEST(ImageStats, WindowedWorkAnswersTheBreak) {
  std::vector<double> image = sample(40, 30), other = sample(40, 30), work(image.size());
  image[35] = 1e6;
  const std::vector<double> before = image;
  const std::vector<std::pair<const char*, std::function<int()>>> routines = {
      {"gazoHosei", [&] { return gazoHosei(image.data(), 40, 30, work.data(), 1.0, 1073741824); }},
      {"doImageMean", [&] { return doImageMean(image.data(), 40, 30, 29, work.data()); }},
      {"doImageSD", [&] { return doImageSD(image.data(), 40, 30, 29, work.data()); }},
      {"doImageCorrelationAB",
       [&] { return doImageCorrelationAB(image.data(), other.data(), 40, 30, 1073741824, work.data()); }}};
  for (const auto& [name, routine] : routines) {
    pravella::test::expectStopsWhileHeld(name, routine);
    EXPECT_EQ(image, before) << name;
    EXPECT_EQ(routine(), 1) << name;
    image = before;
  }
  ResultString.clear();
}

TEST(ImageStats, LaplacianEllipseAndKernelSums) {
  const int rows = 4, cols = 5;
  std::vector<double> img(20), out(20);
  for (int i = 0; i < 20; ++i) img[i] = (i / cols) * (i / cols) + 3 * (i % cols);
  ASSERT_EQ(DoLaplace(img.data(), rows, cols, out.data()), 1);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const bool border = r == 0 || c == 0 || r == rows - 1 || c == cols - 1;
      // r^2 + 3c: the neighbours' mean exceeds the pixel by 1/2.
      EXPECT_DOUBLE_EQ(out[r * cols + c], border ? 0.0 : -0.5) << r << "," << c;
    }

  std::vector<double> mask(7 * 9);
  ASSERT_EQ(DoEllipse(7, 9, 3, 4, 2, 3, mask.data()), 1);
  for (int r = 0; r < 7; ++r)
    for (int c = 0; c < 9; ++c) {
      const double dr = (r - 3) / 2.5, dc = (c - 4) / 3.5;
      EXPECT_EQ(mask[r * 9 + c], dr * dr + dc * dc < 1 ? 1.0 : 0.0);
    }
  // The centre row reaches the half-axis, not beyond; the corners stay out.
  EXPECT_EQ(mask[3 * 9 + 1], 1.0);
  EXPECT_EQ(mask[3 * 9 + 0], 0.0);
  EXPECT_EQ(mask[1 * 9 + 4], 1.0);
  EXPECT_EQ(mask[0], 0.0);

  // A 3 x 3 kernel of ones sums the clipped neighbourhood.
  const std::vector<double> ones(9, 1.0);
  const std::vector<double> unit(12, 1.0);
  std::vector<double> sums(12);
  ASSERT_EQ(DoGraphProcessNumMatrix(unit.data(), 3, 4, ones.data(), 3, sums.data()), 1);
  EXPECT_EQ(sums, (std::vector<double>{4, 6, 6, 4, 6, 9, 9, 6, 4, 6, 6, 4}));
  // An off-centre kernel picks the neighbour: kernel[0][1] (up) shifts the image down.
  std::vector<double> up(9, 0.0);
  up[1] = 1;
  std::vector<double> seq(12);
  for (int i = 0; i < 12; ++i) seq[i] = i + 1;
  ASSERT_EQ(DoGraphProcessNumMatrix(seq.data(), 3, 4, up.data(), 3, sums.data()), 1);
  EXPECT_EQ(sums, (std::vector<double>{0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
