#include "lang/stdlib/fft_engine.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <numbers>
#include <utility>
#include <vector>

namespace pravella::fft {
namespace {

// Tables kept for lengths used before; the least recently used go first beyond this.
constexpr std::size_t kCacheBytes = std::size_t{48} << 20;
// A thread's work array is given back after a call that needed more than this: it is kept up to
// the 32 MiB of a 2^20-point transform (four doubles a value and a line for alignment), so that
// repeated calls do not fault fresh pages in every time.
constexpr std::size_t kKeptScratchDoubles = (std::size_t{1} << 22) + 8;
// From this length on the vector passes run; below it the scalar radix-2 levels.
constexpr std::size_t kVectorMin = 16;

int log2Of(std::size_t n) {
  int k = 0;
  while ((std::size_t{1} << k) < n) ++k;
  return k;
}

// cos and sin of 2 pi k / n for a power of two n, from the first octant by symmetry, so that
// quarter turns are exact and every value is as accurate as one cos or sin of a small angle.
struct Roots {
  std::size_t n;
  std::vector<double> c, s;  // k = 0 .. n / 8

  explicit Roots(std::size_t count) : n(count) {
    const std::size_t eighth = n / 8;
    c.resize(eighth + 1);
    s.resize(eighth + 1);
    for (std::size_t k = 0; k <= eighth; ++k) {
      const double angle = std::numbers::pi * static_cast<double>(2 * k) / static_cast<double>(n);
      c[k] = std::cos(angle);
      s[k] = std::sin(angle);
    }
  }

  // e^(-2 pi i k / n): (cos, -sin).
  void forward(std::size_t k, double& re, double& im) const {
    k %= n;
    double cv, sv;
    if (2 * k > n) {  // the lower half turn mirrored: sin changes sign
      cosSin(n - k, cv, sv);
      sv = -sv;
    } else {
      cosSin(k, cv, sv);
    }
    re = cv;
    im = -sv;
  }

 private:
  // k in [0, n / 2].
  void cosSin(std::size_t k, double& cv, double& sv) const {
    if (4 * k > n) {  // pi - angle
      quarter(n / 2 - k, cv, sv);
      cv = -cv;
    } else {
      quarter(k, cv, sv);
    }
  }
  // k in [0, n / 4].
  void quarter(std::size_t k, double& cv, double& sv) const {
    if (8 * k > n) {  // pi / 2 - angle
      cv = s[n / 4 - k];
      sv = c[n / 4 - k];
    } else {
      cv = c[k];
      sv = s[k];
    }
  }
};

}  // namespace

// The passes of the self-sorting transform of one power-of-two length n >= 16 and their roots:
// radix 8 while three or more levels of two remain beyond a last pair of radix 4 ones (n = 2^k
// as 8^a, 8^a 4 or 8^a 4 4), the first pass's roots as vectors in the order of its lanes, the
// others' as pairs. Every root is taken once from the first octant.
struct SelfSortingPlan {
  std::size_t n = 0;
  int passes = 0;
  int radix[32] = {};
  std::size_t offset[32] = {};
  std::vector<double> tw;

  const double* roots(int pass) const { return tw.data() + offset[pass]; }
  std::size_t bytes() const { return tw.size() * sizeof(double); }
};

namespace {

std::shared_ptr<SelfSortingPlan> makeSelfSortingPlan(std::size_t n) {
  auto plan = std::make_shared<SelfSortingPlan>();
  plan->n = n;
  int levels = log2Of(n);
  int fours = levels % 3 == 0 ? 0 : levels % 3 == 2 ? 1 : 2;
  for (int eights = (levels - 2 * fours) / 3; eights > 0; --eights) plan->radix[plan->passes++] = 8;
  for (; fours > 0; --fours) plan->radix[plan->passes++] = 4;
  // Sizes first: the first pass keeps 2 (R - 1) doubles for each p, a middle pass of length L
  // 2 (R - 1) for each of its L / R values of p, the last none.
  std::size_t total = 0, L = n;
  for (int i = 0; i + 1 < plan->passes; ++i) {
    plan->offset[i] = total;
    total += 2 * (plan->radix[i] - 1) * (L / plan->radix[i]);
    L /= plan->radix[i];
  }
  plan->tw.resize(total);
  const Roots roots(n);
  constexpr std::size_t kLaneOrder[4] = {0, 2, 1, 3};
  L = n;
  for (int i = 0; i + 1 < plan->passes; ++i) {
    const std::size_t R = plan->radix[i], m = L / R, stride = n / L;
    double* t = plan->tw.data() + plan->offset[i];
    for (std::size_t p = 0; p < m; ++p)
      for (std::size_t k = 1; k < R; ++k) {
        double re, im;
        roots.forward(p * k * stride, re, im);
        if (i == 0) {
          double* v = t + ((p / 4) * (R - 1) + (k - 1)) * 8;
          const std::size_t lane = kLaneOrder[p % 4];
          v[lane] = re;
          v[4 + lane] = im;
        } else {
          t[(p * (R - 1) + (k - 1)) * 2] = re;
          t[(p * (R - 1) + (k - 1)) * 2 + 1] = im;
        }
      }
    L /= R;
  }
  return plan;
}

}  // namespace

// The tables of Bluestein's algorithm for one length n and direction: the chirp
// w[k] = e^(-+ i pi k^2 / n) and the forward transform of the filter (the conjugate chirp wrapped
// around m points, m the least power of two not below 2n): blocked as the vector passes leave
// it, or below 16 points in natural split order (h, then its imaginary parts at h + m).
struct ChirpPlan {
  std::size_t n = 0, m = 0;
  std::vector<double> wr, wi, h;
  std::shared_ptr<const SelfSortingPlan> passes;

  std::size_t bytes() const { return (wr.size() + wi.size() + h.size()) * sizeof(double); }
};

// ------------------------------------------------------------------------------------------
// The vector kernels, once for any x86-64 and once for AVX2 with fused multiply-add.

// Four-lane values pass between always-inlined functions only, so the calling convention of
// wide vectors without AVX never comes into play (GCC warns at the end of the file, so the
// warning is off for the rest of it).
#pragma GCC diagnostic ignored "-Wpsabi"
namespace portable {
#define PV_FFT_FMA 0
#include "lang/stdlib/fft_kernels.inc"
#undef PV_FFT_FMA
}  // namespace portable

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
namespace avx2 {
#define PV_FFT_FMA 1
#include "lang/stdlib/fft_kernels.inc"
#undef PV_FFT_FMA
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

std::atomic<bool> portableOnly{false};

struct Kernels {
  void (*split)(const SelfSortingPlan&, double*, double*, double*, bool, double);
  void (*interleaved)(const SelfSortingPlan&, const double*, double*, double*, bool, double);
  void (*forwardToBlocked)(const SelfSortingPlan&, const double*, const double*, double*, double*);
  void (*chirp)(const SelfSortingPlan&, const double*, const double*, const double*, double*, double*,
                std::size_t, bool, double*);
  void (*convolve)(const SelfSortingPlan&, double*, double*, double*, double*, double*);
};

const Kernels& kernels() {
  static const bool fma = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  static const Kernels fast{avx2::runSplit, avx2::runInterleaved, avx2::runForwardToBlocked, avx2::runChirp,
                            avx2::runConvolve};
  static const Kernels plain{portable::runSplit, portable::runInterleaved, portable::runForwardToBlocked,
                             portable::runChirp, portable::runConvolve};
  return fma && !portableOnly.load(std::memory_order_relaxed) ? fast : plain;
}

// ------------------------------------------------------------------------------------------
// Below 16 values (1, 2, 4 or 8): radix-2 levels one value at a time, then the bit reversal.

void complexProduct(double& xr, double& xi, double wr, double wi, bool inverse) {
  if (inverse) wi = -wi;
  const double r = xr * wr - xi * wi;
  xi = xr * wi + xi * wr;
  xr = r;
}

std::size_t reverseBits(std::size_t v, int bits) {
  std::size_t r = 0;
  for (int b = 0; b < bits; ++b) {
    r = (r << 1) | (v & 1);
    v >>= 1;
  }
  return r;
}

void smallTransform(double* re, double* im, std::size_t n, bool inverse, double scale) {
  // The roots of 8 points serve every shorter length: w_n^k = w_8^(k 8 / n).
  static const auto roots = [] {
    std::array<double, 8> r{}, i{};
    const Roots eighth(8);
    for (std::size_t k = 0; k < 8; ++k) eighth.forward(k, r[k], i[k]);
    return std::pair{r, i};
  }();
  for (std::size_t h = n / 2; h >= 1; h /= 2) {
    const std::size_t stride = 8 / (2 * h);
    for (std::size_t base = 0; base < n; base += 2 * h)
      for (std::size_t p = 0; p < h; ++p) {
        const std::size_t a = base + p, b = a + h;
        double xr = re[a] - re[b], xi = im[a] - im[b];
        re[a] += re[b];
        im[a] += im[b];
        complexProduct(xr, xi, roots.first[p * stride], roots.second[p * stride], inverse);
        re[b] = xr;
        im[b] = xi;
      }
  }
  const int bits = log2Of(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t r = reverseBits(k, bits);
    if (r > k) {
      std::swap(re[k], re[r]);
      std::swap(im[k], im[r]);
    }
  }
  if (scale != 1.0)
    for (std::size_t k = 0; k < n; ++k) {
      re[k] *= scale;
      im[k] *= scale;
    }
}

// ------------------------------------------------------------------------------------------
// Kept tables, shared by every thread under one lock; each plan is immutable once made.

class PlanCache {
 public:
  // The plan of (kind, n, inverse), made by make() when not kept; null when memory is short.
  template <typename Plan, typename Make>
  std::shared_ptr<const Plan> get(int kind, std::size_t n, bool inverse, Make make) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (Entry& e : entries_)
        if (e.kind == kind && e.n == n && e.inverse == inverse) {
          e.used = ++clock_;
          return std::static_pointer_cast<const Plan>(e.plan);
        }
    }
    std::shared_ptr<const Plan> plan;
    try {
      plan = make();
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    if (!plan) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_)  // made meanwhile by another run
      if (e.kind == kind && e.n == n && e.inverse == inverse)
        return std::static_pointer_cast<const Plan>(e.plan);
    const std::size_t bytes = plan->bytes();
    if (bytes > kCacheBytes) return plan;  // used once, never kept
    try {
      entries_.push_back(Entry{kind, n, inverse, plan, bytes, ++clock_});
    } catch (const std::bad_alloc&) {
      return plan;
    }
    total_ += bytes;
    while (total_ > kCacheBytes) {
      auto oldest = std::min_element(entries_.begin(), entries_.end() - 1,
                                     [](const Entry& a, const Entry& b) { return a.used < b.used; });
      total_ -= oldest->bytes;
      entries_.erase(oldest);
    }
    return plan;
  }

  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
    total_ = 0;
  }

 private:
  struct Entry {
    int kind;
    std::size_t n;
    bool inverse;
    std::shared_ptr<const void> plan;
    std::size_t bytes;
    std::uint64_t used;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  std::size_t total_ = 0;
  std::uint64_t clock_ = 0;
};

PlanCache& cache() {
  static PlanCache c;
  return c;
}

enum PlanKind { kSelfSorting = 0, kChirp = 1 };

std::shared_ptr<const SelfSortingPlan> selfSortingPlan(std::size_t n) {
  return cache().get<SelfSortingPlan>(kSelfSorting, n, false, [n] { return makeSelfSortingPlan(n); });
}

// This thread's work array; null when memory is short. Trimmed by ~ScratchUse. Its start is
// aligned to a cache line, so that the blocks of the vector passes never split one.
thread_local std::vector<double> scratchArray;
constexpr std::size_t kLineDoubles = 64 / sizeof(double);

struct ScratchUse {
  double* data = nullptr;
  explicit ScratchUse(std::size_t count) {
    try {
      if (scratchArray.size() < count + kLineDoubles) scratchArray.resize(count + kLineDoubles);
      const auto at = reinterpret_cast<std::uintptr_t>(scratchArray.data());
      data = scratchArray.data() + (64 - at % 64) % 64 / sizeof(double);
    } catch (const std::bad_alloc&) {
      std::vector<double>().swap(scratchArray);
    }
  }
  ~ScratchUse() {
    if (scratchArray.size() > kKeptScratchDoubles) std::vector<double>().swap(scratchArray);
  }
  ScratchUse(const ScratchUse&) = delete;
  ScratchUse& operator=(const ScratchUse&) = delete;
};

std::shared_ptr<ChirpPlan> makeChirpPlan(std::size_t n, bool inverse) {
  std::size_t m = 1;
  while (m < 2 * n) m *= 2;
  auto plan = std::make_shared<ChirpPlan>();
  plan->n = n;
  plan->m = m;
  plan->wr.resize(n);
  plan->wi.resize(n);
  std::vector<double> hr(m, 0.0), hi(m, 0.0);
  const double angle = (inverse ? std::numbers::pi : -std::numbers::pi) / static_cast<double>(n);
  const std::uint64_t period = 2 * static_cast<std::uint64_t>(n);
  for (std::size_t k = 0; k < n; ++k) {
    // The chirp repeats when k^2 grows by 2n; reducing k^2 first keeps the angle small, so
    // cos and sin stay accurate for large n.
    const double phi = static_cast<double>((static_cast<std::uint64_t>(k) * k) % period) * angle;
    plan->wr[k] = std::cos(phi);
    plan->wi[k] = std::sin(phi);
    hr[k] = plan->wr[k];
    hi[k] = -plan->wi[k];
  }
  for (std::size_t j = 1; j < n; ++j) {
    hr[m - j] = hr[j];
    hi[m - j] = hi[j];
  }
  if (m < kVectorMin) {
    smallTransform(hr.data(), hi.data(), m, false, 1.0);
    plan->h = std::move(hr);
    plan->h.insert(plan->h.end(), hi.begin(), hi.end());
    return plan;
  }
  plan->passes = selfSortingPlan(m);
  if (!plan->passes) return nullptr;
  plan->h.resize(2 * m);
  ScratchUse work(4 * m);
  if (!work.data) return nullptr;
  kernels().forwardToBlocked(*plan->passes, hr.data(), hi.data(), plan->h.data(), work.data);
  return plan;
}

std::shared_ptr<const ChirpPlan> chirpPlan(std::size_t n, bool inverse) {
  return cache().get<ChirpPlan>(kChirp, n, inverse, [n, inverse] { return makeChirpPlan(n, inverse); });
}

// Bluestein's algorithm below 16 points of convolution, one value at a time.
bool smallChirpZ(const ChirpPlan& plan, double* re, double* im, bool divideByN) {
  const std::size_t n = plan.n, m = plan.m;
  double yr[kVectorMin] = {}, yi[kVectorMin] = {};
  for (std::size_t k = 0; k < n; ++k) {
    yr[k] = re[k] * plan.wr[k] - im[k] * plan.wi[k];
    yi[k] = re[k] * plan.wi[k] + im[k] * plan.wr[k];
  }
  smallTransform(yr, yi, m, false, 1.0);
  for (std::size_t k = 0; k < m; ++k) complexProduct(yr[k], yi[k], plan.h[k], plan.h[m + k], false);
  smallTransform(yr, yi, m, true, 1.0);
  const double invM = 1.0 / static_cast<double>(m);  // m is a power of two: exact
  const double count = static_cast<double>(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double r = yr[k] * invM, i = yi[k] * invM;
    double outR = r * plan.wr[k] - i * plan.wi[k];
    double outI = r * plan.wi[k] + i * plan.wr[k];
    if (divideByN) {
      outR /= count;
      outI /= count;
    }
    re[k] = outR;
    im[k] = outI;
  }
  return true;
}

}  // namespace

bool transformSplit(double* re, double* im, std::size_t n, bool inverse, double scale) {
  if (n == 0) return true;
  if (n < kVectorMin) {
    smallTransform(re, im, n, inverse, scale);
    return true;
  }
  const auto plan = selfSortingPlan(n);
  if (!plan) return false;
  ScratchUse work(4 * n);
  if (!work.data) return false;
  kernels().split(*plan, re, im, work.data, inverse, scale);
  return true;
}

bool transformInterleaved(const double* in, double* out, std::size_t n, bool inverse, double scale) {
  if (n == 0) return true;
  if (n < kVectorMin) {
    double re[kVectorMin], im[kVectorMin];
    for (std::size_t k = 0; k < n; ++k) {
      re[k] = in[2 * k];
      im[k] = in[2 * k + 1];
    }
    smallTransform(re, im, n, inverse, scale);
    for (std::size_t k = 0; k < n; ++k) {
      out[2 * k] = re[k];
      out[2 * k + 1] = im[k];
    }
    return true;
  }
  const auto plan = selfSortingPlan(n);
  if (!plan) return false;
  ScratchUse work(4 * n);
  if (!work.data) return false;
  kernels().interleaved(*plan, in, out, work.data, inverse, scale);
  return true;
}

bool chirpZ(double* re, double* im, std::size_t n, bool inverse, bool divideByN) {
  if (n == 0) return true;
  const auto plan = chirpPlan(n, inverse);
  if (!plan) return false;
  if (plan->m < kVectorMin) return smallChirpZ(*plan, re, im, divideByN);
  ScratchUse work(4 * plan->m);
  if (!work.data) return false;
  kernels().chirp(*plan->passes, plan->wr.data(), plan->wi.data(), plan->h.data(), re, im, n, divideByN,
                  work.data);
  return true;
}

bool convolveSplit(double* ar, double* ai, double* br, double* bi, std::size_t n) {
  if (n == 0) return true;
  if (n < kVectorMin) {
    smallTransform(br, bi, n, false, 1.0);
    smallTransform(ar, ai, n, false, 1.0);
    for (std::size_t k = 0; k < n; ++k) complexProduct(ar[k], ai[k], br[k], bi[k], false);
    smallTransform(ar, ai, n, true, 1.0 / static_cast<double>(n));
    return true;
  }
  const auto plan = selfSortingPlan(n);
  if (!plan) return false;
  ScratchUse work(4 * n);
  if (!work.data) return false;
  kernels().convolve(*plan, ar, ai, br, bi, work.data);
  return true;
}

void clearPlanCache() {
  cache().clear();
  std::vector<double>().swap(scratchArray);
}

void usePortableKernels(bool portable) { portableOnly.store(portable, std::memory_order_relaxed); }

}  // namespace pravella::fft
