#include "lang/stdlib/image_stats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/spread.h"
#include "platform/progress_bar.h"

namespace {

using pravella::numerics::CoMoments;
using pravella::numerics::coMomentsOf;
using pravella::numerics::Spread;
using pravella::numerics::spreadOf;
using pravella::numerics::spreadScaleOf;

std::size_t at(int r, int c, int cols) { return static_cast<std::size_t>(r) * cols + c; }

// A half-width past the image's longer side reaches no further than that side does, so it is
// cut there: r + k and 2k + 1 then stay far inside int for any k a program gives.
int windowReach(int rows, int cols, int k) { return std::clamp(k, 0, std::max(rows, cols)); }

// A wide window over a large image takes long; the held button ends the work with its message.
bool brokenOff() {
  if (!vkBreakHeld()) return false;
  error_disp(kVkBreakMessage);
  return true;
}

// Sums over clipped windows, done in two separable passes (down the columns, then along the
// rows) so that a large k costs O(pixels x k) rather than O(pixels x k^2). Each sum adds its
// terms directly, without running subtractions, so a window of one pixel is exact.
class WindowSums {
 public:
  WindowSums(int rows, int cols, int k)
      : rows_(rows), cols_(cols), k_(windowReach(rows, cols, k)), column_(at(rows, 0, cols)) {}

  // out[p] = the sum of f(pixel) over the window of p.
  template <typename F>
  bool sum(F f, std::vector<double>& out) {
    for (int r = 0; r < rows_; ++r) {
      if (brokenOff()) return false;
      const int r0 = std::max(0, r - k_), r1 = std::min(rows_ - 1, r + k_);
      for (int c = 0; c < cols_; ++c) {
        double s = 0;
        for (int rr = r0; rr <= r1; ++rr) s += f(at(rr, c, cols_));
        column_[at(r, c, cols_)] = s;
      }
    }
    out.assign(column_.size(), 0.0);
    for (int r = 0; r < rows_; ++r) {
      if (brokenOff()) return false;
      for (int c = 0; c < cols_; ++c) {
        const int c0 = std::max(0, c - k_), c1 = std::min(cols_ - 1, c + k_);
        double s = 0;
        for (int cc = c0; cc <= c1; ++cc) s += column_[at(r, cc, cols_)];
        out[at(r, c, cols_)] = s;
      }
    }
    return true;
  }

  double count(int r, int c) const {
    const int r0 = std::max(0, r - k_), r1 = std::min(rows_ - 1, r + k_);
    const int c0 = std::max(0, c - k_), c1 = std::min(cols_ - 1, c + k_);
    return static_cast<double>(r1 - r0 + 1) * (c1 - c0 + 1);
  }

 private:
  int rows_, cols_, k_;
  std::vector<double> column_;
};

// The co-moments of (a, b) over every clipped window, separably as WindowSums: first each
// column's part of the window in two passes, then the parts of a window merged (each adds the
// spread of its means about the window's mean), so that no sum of raw squares is formed and
// values far from 0 keep their spread. With b = a, the window's spread of a.
class WindowMoments {
 public:
  WindowMoments(int rows, int cols, int k)
      : rows_(rows), cols_(cols), k_(windowReach(rows, cols, k)), column_(at(rows, 0, cols)) {}

  // moment(window) for every window, in out.
  template <typename Moment>
  bool each(const double* a, const double* b, std::vector<double>& out, Moment moment) {
    const long long pixels = static_cast<long long>(at(rows_, 0, cols_));
    const double scaleA = spreadScaleOf(pixels, [a](long long i) { return a[i]; });
    const double scaleB = spreadScaleOf(pixels, [b](long long i) { return b[i]; });
    for (int r = 0; r < rows_; ++r) {
      if (brokenOff()) return false;
      const int r0 = std::max(0, r - k_), r1 = std::min(rows_ - 1, r + k_);
      for (int c = 0; c < cols_; ++c) {
        auto va = [&](long long i) { return a[at(r0 + static_cast<int>(i), c, cols_)] * scaleA; };
        auto vb = [&](long long i) { return b[at(r0 + static_cast<int>(i), c, cols_)] * scaleB; };
        column_[at(r, c, cols_)] = coMomentsOf(r1 - r0 + 1, va, vb);
      }
    }
    out.assign(column_.size(), 0.0);
    for (int r = 0; r < rows_; ++r) {
      if (brokenOff()) return false;
      for (int c = 0; c < cols_; ++c) {
        const int c0 = std::max(0, c - k_), c1 = std::min(cols_ - 1, c + k_);
        const CoMoments* part = column_.data() + at(r, c0, cols_);
        const long long parts = c1 - c0 + 1;
        // The parts hold equally many pixels: the window's means are the means of theirs.
        const CoMoments between = coMomentsOf(
            parts, [part](long long i) { return part[i].meanA; },
            [part](long long i) { return part[i].meanB; });
        CoMoments w;
        w.n = between.n * part[0].n;
        w.meanA = between.meanA;
        w.meanB = between.meanB;
        w.aa = between.aa * part[0].n;
        w.bb = between.bb * part[0].n;
        w.ab = between.ab * part[0].n;
        w.scaleA = scaleA;
        w.scaleB = scaleB;
        for (long long i = 0; i < parts; ++i) {
          w.aa += part[i].aa;
          w.bb += part[i].bb;
          w.ab += part[i].ab;
        }
        out[at(r, c, cols_)] = moment(w);
      }
    }
    return true;
  }

 private:
  int rows_, cols_, k_;
  std::vector<CoMoments> column_;
};

}  // namespace

int doImageMean(const double* image, int rows, int cols, int k, double* out) {
  WindowSums w(rows, cols, std::max(k, 0));
  std::vector<double> sums;
  if (!w.sum([&](std::size_t i) { return image[i]; }, sums)) return 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) out[at(r, c, cols)] = sums[at(r, c, cols)] / w.count(r, c);
  return 1;
}

int doImageSD(const double* image, int rows, int cols, int k, double* out) {
  WindowMoments w(rows, cols, std::max(k, 0));
  std::vector<double> sd;
  if (!w.each(image, image, sd,
              [](const CoMoments& m) { return std::sqrt(std::max(0.0, m.aa) / m.n) / m.scaleA; }))
    return 0;
  std::copy(sd.begin(), sd.end(), out);
  return 1;
}

int doImageCorrelationAB(const double* a, const double* b, int rows, int cols, int k, double* out) {
  WindowMoments w(rows, cols, std::max(k, 0));
  std::vector<double> r;
  // (1/N) sum ((a - ma)/da)((b - mb)/db). A window where either image is flat has none.
  if (!w.each(a, b, r, [](const CoMoments& m) { return m.correlation(); })) return 0;
  std::copy(r.begin(), r.end(), out);
  return 1;
}

int gazoHosei(double* image, int rows, int cols, double* work, double f, int k) {
  if (rows <= 2 || cols <= 2 || !(f >= 1)) return 0;
  // The window is shifted and then clipped into the image, so any side past the image's is
  // the whole image.
  k = windowReach(rows, cols, k);
  const int side = 2 * k + 1;
  // Every pass moves outliers to their window's inlier mean, so the passes settle; the cap
  // keeps a pathological image from looping for ever.
  constexpr int kMaxPasses = 1000;
  double firstCount = -1;
  std::vector<double> window;  // the values of one pixel's window, row after row
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    long long corrected = 0;
    bool have = false;
    int lastR0 = 0, lastC0 = 0;
    double lastM = 0, lastS = 0, lastT = 0, lastCount = 0, lastInlierMean = 0;
    for (int r = 0; r < rows; ++r) {
      // The window is shifted to stay whole inside the image (clipped when it cannot fit).
      const int r0 = std::max(0, std::min(r - k, rows - side)), r1 = std::min(rows - 1, r0 + side - 1);
      for (int c = 0; c < cols; ++c) {
        // A wide window over a large image makes each pixel's work long.
        if (brokenOff()) return 0;
        const int c0 = std::max(0, std::min(c - k, cols - side)), c1 = std::min(cols - 1, c0 + side - 1);
        // Clipped windows repeat (a window wider than the image is the whole image for every
        // pixel): the spread and the inlier mean depend on the window alone, so a repeated
        // window reuses them.
        const double pixel = image[at(r, c, cols)];
        if (have && r0 == lastR0 && c0 == lastC0) {
          const bool outlier = std::fabs(pixel - lastM) > lastT && lastS > 1e-12;
          if (outlier) ++corrected;
          work[at(r, c, cols)] = outlier && lastCount > 0 ? lastInlierMean : pixel;
          continue;
        }
        window.clear();
        for (int rr = r0; rr <= r1; ++rr)
          window.insert(window.end(), image + at(rr, c0, cols), image + at(rr, c1 + 1, cols));
        const Spread spread = spreadOf(static_cast<long long>(window.size()),
                                       [&](long long i) { return window[static_cast<std::size_t>(i)]; });
        const double n = static_cast<double>(window.size());
        const double m = spread.mean, s = spread.deviation(n), t = f * s;
        double inliers = 0, count = 0;
        for (const double v : window)
          if (std::fabs(v - m) <= t) {
            inliers += v;
            ++count;
          }
        have = true;
        lastR0 = r0, lastC0 = c0, lastM = m, lastS = s, lastT = t, lastCount = count;
        lastInlierMean = count > 0 ? inliers / count : 0;
        const bool outlier = std::fabs(pixel - m) > t && s > 1e-12;
        if (outlier) ++corrected;
        work[at(r, c, cols)] = outlier && count > 0 ? lastInlierMean : pixel;
      }
    }
    if (corrected == 0) break;
    std::copy(work, work + at(rows, 0, cols), image);
    // The bar's scale is set by the first pass: later passes correct fewer pixels.
    if (firstCount < 0) firstCount = static_cast<double>(corrected);
    setProgressBar(0, std::log(firstCount + 1), std::log(static_cast<double>(corrected) + 1));
  }
  setProgressBar(0, 1, 0);
  return 1;
}

int DoLaplace(const double* image, int rows, int cols, double* out) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      if (r == 0 || c == 0 || r == rows - 1 || c == cols - 1) {
        out[at(r, c, cols)] = 0.0;
        continue;
      }
      const double around = image[at(r - 1, c, cols)] + image[at(r + 1, c, cols)] +
                            image[at(r, c - 1, cols)] + image[at(r, c + 1, cols)];
      out[at(r, c, cols)] = image[at(r, c, cols)] - 0.25 * around;
    }
  return 1;
}

int DoGraphProcessNumMatrix(const double* image, int rows, int cols, const double* kernel, int k,
                            double* out) {
  const int h = k / 2;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      double s = 0;
      for (int i = -h; i <= h; ++i) {
        if (r + i < 0 || r + i >= rows) continue;
        for (int j = -h; j <= h; ++j) {
          if (c + j < 0 || c + j >= cols) continue;
          s += image[at(r + i, c + j, cols)] * kernel[at(i + h, j + h, k)];
        }
      }
      out[at(r, c, cols)] = s;
    }
  return 1;
}
