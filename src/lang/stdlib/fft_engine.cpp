#include "lang/stdlib/fft_engine.h"

#include "lang/stdlib/fft_mixed.h"

#include <immintrin.h>

#include <algorithm>
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

// Values of one block that stay in a core's cache (split: 16 bytes a value) while the levels
// below it run.
constexpr std::size_t kCacheBlock = std::size_t{1} << 14;
// Split arrays up to this length take the self-sorting passes, which need no permutation but
// twice the memory; longer ones the in-place levels and one permutation, whose blocks stay in
// the cache. (Interleaved arrays take the self-sorting passes at every length: they need a
// copy either way.)
constexpr std::size_t kSelfSortingMax = std::size_t{1} << 16;
// Tables kept for lengths used before; the least recently used go first beyond this. A length
// of 2^20 alone keeps 16 MiB for its split levels, 15 MiB for its self-sorting passes and 24 MiB
// for a chirp-z length that uses it; this holds those of a few such lengths, so that work
// alternating between them does not make them again on every call.
constexpr std::size_t kCacheBytes = std::size_t{128} << 20;
// A thread's work array is given back after a call that needed more than this: it is kept up to
// the 32 MiB of a 2^20-point interleaved transform (four doubles a value and a line for
// alignment), so that repeated calls do not fault fresh pages in every time.
constexpr std::size_t kKeptScratchDoubles = (std::size_t{1} << 22) + 8;

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

// The tables of one power-of-two length: for each radix-4 level of `len` >= 16 values, the
// forward roots w^p, w^2p, w^3p (w = e^(-2 pi i / len), p < len / 4) as six arrays; the roots
// of the radix-2 level of 8; and, below 16 values, every root for the scalar path.
struct Radix4Plan {
  std::size_t n = 0;
  int log2n = 0;
  PageArray tw;
  std::size_t offset[64] = {};
  double w8r[4] = {1, 1, 1, 1};
  double w8i[4] = {0, 0, 0, 0};
  std::vector<double> rootRe, rootIm;

  const double* level(std::size_t len) const { return tw.data() + offset[log2Of(len)]; }
  std::size_t bytes() const { return (tw.size() + rootRe.size() + rootIm.size()) * sizeof(double); }
};

namespace {

std::shared_ptr<Radix4Plan> makeRadix4Plan(std::size_t n) {
  auto plan = std::make_shared<Radix4Plan>();
  plan->n = n;
  plan->log2n = log2Of(n);
  const Roots roots(n);
  if (n < 16) {
    plan->rootRe.resize(n);
    plan->rootIm.resize(n);
    for (std::size_t k = 0; k < n; ++k) roots.forward(k, plan->rootRe[k], plan->rootIm[k]);
    return plan;
  }
  std::size_t total = 0;
  for (std::size_t len = n; len >= 16; len /= 4) total += 6 * (len / 4);
  plan->tw.assign(total, 0.0, 16);
  std::size_t at = 0;
  for (std::size_t len = n; len >= 16; len /= 4) {
    const std::size_t m = len / 4, stride = n / len;
    plan->offset[log2Of(len)] = at;
    double* t = plan->tw.data() + at;
    for (std::size_t p = 0; p < m; ++p) {
      roots.forward(p * stride, t[p], t[m + p]);
      roots.forward(2 * p * stride, t[2 * m + p], t[3 * m + p]);
      roots.forward(3 * p * stride, t[4 * m + p], t[5 * m + p]);
    }
    at += 6 * m;
  }
  for (std::size_t p = 0; p < 4; ++p) roots.forward(p * (n / 8), plan->w8r[p], plan->w8i[p]);
  return plan;
}

}  // namespace

// The passes of the self-sorting transform of one power-of-two length n >= 16 and their roots:
// radix-8 passes, then none, one or two of radix 4 (n = 8^a, 8^a 4 or 8^a 16); the first
// pass's roots as vectors in the order of its lanes, the others' as pairs, every one taken
// from the first octant.
struct SelfSortingPlan {
  std::size_t n = 0;
  int passes = 0;
  int radix[32] = {};
  std::size_t offset[32] = {};
  PageArray tw;

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
  plan->tw.assign(total, 0.0, 16);
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

// The tables of Bluestein's algorithm for one length and direction: the chirp
// w[k] = e^(-+ i pi k^2 / n) and the forward transform of the filter (the conjugate chirp wrapped
// around m points). Over a power of two m (`radix`) the filter is kept in the bit-reversed order
// that the forward levels leave; over another length with factors 2, 3 and 5 (`mixed`) in the
// natural order.
struct ChirpPlan {
  std::size_t n = 0, m = 0;
  PageArray wr, wi, hr, hi;
  std::shared_ptr<const Radix4Plan> radix;
  std::shared_ptr<const MixedRadixPlan> mixed;

  std::size_t bytes() const { return (wr.size() + wi.size() + hr.size() + hi.size()) * sizeof(double); }
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
  void (*dif)(const Radix4Plan&, double*, double*, bool);
  void (*dit)(const Radix4Plan&, double*, double*, bool);
  void (*multiply)(double*, double*, const double*, const double*, std::size_t);
  void (*selfSortingSplit)(const SelfSortingPlan&, double*, double*, double*, bool, double);
  void (*selfSortingInterleaved)(const SelfSortingPlan&, const double*, double*, double*, bool, double);
};

const Kernels& kernels() {
  static const bool fma = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  static const Kernels fast{avx2::runDif, avx2::runDit, avx2::runMultiply, avx2::runSplit,
                            avx2::runInterleaved};
  static const Kernels plain{portable::runDif, portable::runDit, portable::runMultiply, portable::runSplit,
                             portable::runInterleaved};
  return fma && !portableOnly.load(std::memory_order_relaxed) ? fast : plain;
}

// ------------------------------------------------------------------------------------------
// Below 16 values: radix-2 levels one value at a time.

void complexProduct(double& xr, double& xi, double wr, double wi, bool inverse) {
  if (inverse) wi = -wi;
  const double r = xr * wr - xi * wi;
  xi = xr * wi + xi * wr;
  xr = r;
}

void scalarDif(const Radix4Plan& plan, double* re, double* im, bool inverse) {
  const std::size_t n = plan.n;
  for (std::size_t h = n / 2; h >= 1; h /= 2) {
    const std::size_t stride = n / (2 * h);
    for (std::size_t base = 0; base < n; base += 2 * h)
      for (std::size_t p = 0; p < h; ++p) {
        const std::size_t a = base + p, b = a + h;
        double xr = re[a] - re[b], xi = im[a] - im[b];
        re[a] += re[b];
        im[a] += im[b];
        complexProduct(xr, xi, plan.rootRe[p * stride], plan.rootIm[p * stride], inverse);
        re[b] = xr;
        im[b] = xi;
      }
  }
}

void scalarDit(const Radix4Plan& plan, double* re, double* im, bool inverse) {
  const std::size_t n = plan.n;
  for (std::size_t h = 1; h < n; h *= 2) {
    const std::size_t stride = n / (2 * h);
    for (std::size_t base = 0; base < n; base += 2 * h)
      for (std::size_t p = 0; p < h; ++p) {
        const std::size_t a = base + p, b = a + h;
        double tr = re[b], ti = im[b];
        complexProduct(tr, ti, plan.rootRe[p * stride], plan.rootIm[p * stride], inverse);
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
      }
  }
}

void forwardLevels(const Radix4Plan& plan, double* re, double* im, bool inverse) {
  if (plan.n < 16)
    scalarDif(plan, re, im, inverse);
  else
    kernels().dif(plan, re, im, inverse);
}

void backwardLevels(const Radix4Plan& plan, double* re, double* im, bool inverse) {
  if (plan.n < 16)
    scalarDit(plan, re, im, inverse);
  else
    kernels().dit(plan, re, im, inverse);
}

void multiply(double* ar, double* ai, const double* br, const double* bi, std::size_t n) {
  if (n % 4 == 0) {
    kernels().multiply(ar, ai, br, bi, n);
    return;
  }
  for (std::size_t k = 0; k < n; ++k) complexProduct(ar[k], ai[k], br[k], bi[k], false);
}

// ------------------------------------------------------------------------------------------
// The bit-reversal permutation, tile by tile: an index is (a, b, c) with a and c of q bits
// each, and a whole q x q tile of values sharing the middle bits b is read before any is
// written, so that memory is touched in runs instead of one scattered value at a time.
// load(i) gives value i, store(i, re, im) writes the value that belongs at i. In place, value i
// and value reverse(i) are exchanged; otherwise every value is moved once.

std::size_t reverseBits(std::size_t v, int bits) {
  std::size_t r = 0;
  for (int b = 0; b < bits; ++b) {
    r = (r << 1) | (v & 1);
    v >>= 1;
  }
  return r;
}

struct Pair {
  double re, im;
};

template <typename Load, typename Store>
void permute(int log2n, bool inPlace, Load load, Store store) {
  if (log2n < 2) {  // 1 or 2 values: the permutation is the identity
    for (std::size_t i = 0; i < (std::size_t{1} << log2n); ++i) {
      const Pair v = load(i);
      store(i, v);
    }
    return;
  }
  const int q = std::min(log2n / 2, 5);
  const int mid = log2n - 2 * q;
  const std::size_t T = std::size_t{1} << q;
  const int highShift = log2n - q;
  std::size_t revq[32];
  for (std::size_t a = 0; a < T; ++a) revq[a] = reverseBits(a, q);
  Pair t1[32 * 32], t2[32 * 32];
  auto gather = [&](std::size_t b, Pair* t) {
    for (std::size_t a = 0; a < T; ++a)
      for (std::size_t c = 0; c < T; ++c) t[revq[a] * T + c] = load((a << highShift) | (b << q) | c);
  };
  auto scatter = [&](std::size_t b, const Pair* t) {
    for (std::size_t c = 0; c < T; ++c)
      for (std::size_t a = 0; a < T; ++a) store((revq[c] << highShift) | (b << q) | a, t[a * T + c]);
  };
  const std::size_t B = std::size_t{1} << mid;
  for (std::size_t b = 0; b < B; ++b) {
    const std::size_t b2 = reverseBits(b, mid);
    if (!inPlace) {
      gather(b, t1);
      scatter(b2, t1);
      continue;
    }
    if (b2 < b) continue;  // that pair of tiles was exchanged already
    gather(b, t1);
    if (b2 != b) gather(b2, t2);
    scatter(b2, t1);
    if (b2 != b) scatter(b, t2);
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

enum PlanKind { kRadix4 = 0, kChirp = 1, kSelfSorting = 2, kMixed = 3 };

std::shared_ptr<const Radix4Plan> radix4Plan(std::size_t n) {
  return cache().get<Radix4Plan>(kRadix4, n, false, [n] { return makeRadix4Plan(n); });
}

std::shared_ptr<const SelfSortingPlan> selfSortingPlan(std::size_t n) {
  return cache().get<SelfSortingPlan>(kSelfSorting, n, false, [n] { return makeSelfSortingPlan(n); });
}

std::shared_ptr<const MixedRadixPlan> mixedPlan(std::size_t n) {
  return cache().get<MixedRadixPlan>(kMixed, n, false, [n] { return makeMixedRadixPlan(n); });
}

bool vectorKernels() { return kernels().dif == avx2::runDif; }

// The forward (or, with the arrays exchanged, inverse) mixed-radix transform in place.
void mixedTransform(const MixedRadixPlan& plan, double* re, double* im, double* work, bool inverse) {
  if (inverse)
    runMixedRadix(plan, im, re, work, vectorKernels());
  else
    runMixedRadix(plan, re, im, work, vectorKernels());
}

// The convolution length of the chirp-z algorithm for n points: of the lengths from 2n - 1 to
// the next power of two with factors 2, 3 and 5 only and a factor 4 (so that the passes run
// four values at a time), the one whose passes are estimated to take least time; not always
// the shortest, since a length whose passes run short vectors costs more a value. Below 16
// points the power of two.
std::size_t chirpLength(std::size_t n) {
  std::size_t pow2 = 1;
  while (pow2 < 2 * n) pow2 *= 2;
  if (n < 16) return pow2;
  std::size_t best = pow2;
  double bestCost = mixedRadixCost(pow2);
  for (std::size_t five = 1; five <= pow2; five *= 5)
    for (std::size_t three = five; three <= pow2; three *= 3)
      for (std::size_t m = three * 4; m <= pow2; m *= 2) {
        if (m < 2 * n - 1) continue;
        const double cost = mixedRadixCost(m);
        if (cost < bestCost) {
          best = m;
          bestCost = cost;
        }
      }
  return best;
}

std::shared_ptr<ChirpPlan> makeChirpPlan(std::size_t n, bool inverse) {
  const std::size_t m = chirpLength(n);
  auto plan = std::make_shared<ChirpPlan>();
  plan->n = n;
  plan->m = m;
  if (m & (m - 1)) {
    plan->mixed = mixedPlan(m);
    if (!plan->mixed) return nullptr;
  } else {
    plan->radix = radix4Plan(m);
    if (!plan->radix) return nullptr;
  }
  plan->wr.assign(n, 0.0, 4);
  plan->wi.assign(n, 0.0, 8);
  plan->hr.assign(m, 0.0, 12);
  plan->hi.assign(m, 0.0, 20);
  const double angle = (inverse ? std::numbers::pi : -std::numbers::pi) / static_cast<double>(n);
  const std::uint64_t period = 2 * static_cast<std::uint64_t>(n);
  for (std::size_t k = 0; k < n; ++k) {
    // The chirp repeats when k^2 grows by 2n; reducing k^2 first keeps the angle small, so
    // cos and sin stay accurate for large n.
    const double phi = static_cast<double>((static_cast<std::uint64_t>(k) * k) % period) * angle;
    plan->wr[k] = std::cos(phi);
    plan->wi[k] = std::sin(phi);
    plan->hr[k] = plan->wr[k];
    plan->hi[k] = -plan->wi[k];
  }
  for (std::size_t j = 1; j < n; ++j) {
    plan->hr[m - j] = plan->hr[j];
    plan->hi[m - j] = plan->hi[j];
  }
  if (plan->mixed) {
    PageArray work;
    work.reserve(mixedWorkDoubles(m));
    mixedTransform(*plan->mixed, plan->hr.data(), plan->hi.data(), work.data(), false);
  } else {
    forwardLevels(*plan->radix, plan->hr.data(), plan->hi.data(), false);
  }
  return plan;
}

std::shared_ptr<const ChirpPlan> chirpPlan(std::size_t n, bool inverse) {
  return cache().get<ChirpPlan>(kChirp, n, inverse, [n, inverse] { return makeChirpPlan(n, inverse); });
}

// This thread's work array; null when memory is short. Trimmed by ~ScratchUse. Its start is on
// a page boundary, so that the streams of a transform lie alike in the caches whichever calls
// made the array.
thread_local PageArray scratchArray;
constexpr std::size_t kLineDoubles = 64 / sizeof(double);

struct ScratchUse {
  double* data = nullptr;
  explicit ScratchUse(std::size_t count) {
    try {
      if (scratchArray.capacity() < count) scratchArray.reserve(count);
      data = scratchArray.data();
    } catch (const std::bad_alloc&) {
      scratchArray.clear();
    }
  }
  ~ScratchUse() {
    if (scratchArray.capacity() > kKeptScratchDoubles) scratchArray.clear();
  }
  ScratchUse(const ScratchUse&) = delete;
  ScratchUse& operator=(const ScratchUse&) = delete;
};

// Bit-reversed split values into natural order in place, each multiplied by scale.
void reorderSplit(double* re, double* im, int log2n, double scale) {
  auto load = [re, im](std::size_t i) { return Pair{re[i], im[i]}; };
  if (scale == 1.0)
    permute(log2n, true, load, [re, im](std::size_t i, Pair v) {
      re[i] = v.re;
      im[i] = v.im;
    });
  else
    permute(log2n, true, load, [re, im, scale](std::size_t i, Pair v) {
      re[i] = v.re * scale;
      im[i] = v.im * scale;
    });
}

}  // namespace

// The self-sorting passes run from 16 values on, through two work arrays of 2n doubles each.
bool transformSplit(double* re, double* im, std::size_t n, bool inverse, double scale) {
  if (n == 0) return true;
  if (n >= 16 && n <= kSelfSortingMax) {
    const auto plan = selfSortingPlan(n);
    if (!plan) return false;
    ScratchUse work(4 * n);
    if (!work.data) return false;
    kernels().selfSortingSplit(*plan, re, im, work.data, inverse, scale);
    return true;
  }
  const auto plan = radix4Plan(n);
  if (!plan) return false;
  forwardLevels(*plan, re, im, inverse);
  reorderSplit(re, im, plan->log2n, scale);
  return true;
}

bool transformInterleaved(const double* in, double* out, std::size_t n, bool inverse, double scale) {
  if (n == 0) return true;
  if (n >= 16) {
    const auto plan = selfSortingPlan(n);
    if (!plan) return false;
    ScratchUse work(4 * n);
    if (!work.data) return false;
    kernels().selfSortingInterleaved(*plan, in, out, work.data, inverse, scale);
    return true;
  }
  const auto plan = radix4Plan(n);
  if (!plan) return false;
  ScratchUse work(2 * n);
  if (!work.data) return false;
  double* re = work.data;
  double* im = work.data + n;
  for (std::size_t k = 0; k < n; ++k) {
    re[k] = in[2 * k];
    im[k] = in[2 * k + 1];
  }
  forwardLevels(*plan, re, im, inverse);
  auto load = [re, im](std::size_t i) { return Pair{re[i], im[i]}; };
  permute(plan->log2n, false, load, [out, scale](std::size_t i, Pair v) {
    out[2 * i] = v.re * scale;
    out[2 * i + 1] = v.im * scale;
  });
  return true;
}

namespace {

// Divides n split values, or n interleaved pairs (im null), by n.
void divideBy(double* re, double* im, std::size_t n) {
  const double count = static_cast<double>(n);
  if (!im) {
    for (std::size_t k = 0; k < 2 * n; ++k) re[k] /= count;
    return;
  }
  for (std::size_t k = 0; k < n; ++k) {
    re[k] /= count;
    im[k] /= count;
  }
}

// Bluestein's algorithm on n values that load(k) gives and store(k, re, im) takes.
template <typename Load, typename Store>
bool chirpWith(std::size_t n, bool inverse, bool divideByN, Load load, Store store) {
  const auto plan = chirpPlan(n, inverse);
  if (!plan) return false;
  const std::size_t m = plan->m;
  // The imaginary parts start a few lines past the real ones, so that the two arrays (and the
  // mixed passes' work beyond them) never sit at the same cache sets.
  constexpr std::size_t kApart = 3 * kLineDoubles;
  ScratchUse work(plan->mixed ? 2 * m + 2 * kApart + mixedWorkDoubles(m) : 2 * m + kApart);
  if (!work.data) return false;
  double* yr = work.data;
  double* yi = work.data + m + kApart;
  double* mixedWork = yi + m + kApart;
  const double* wr = plan->wr.data();
  const double* wi = plan->wi.data();
  for (std::size_t k = 0; k < n; ++k) {
    const Pair x = load(k);
    yr[k] = x.re * wr[k] - x.im * wi[k];
    yi[k] = x.re * wi[k] + x.im * wr[k];
  }
  std::fill(yr + n, yr + m, 0.0);
  std::fill(yi + n, yi + m, 0.0);
  // The convolution with the filter: forward levels (bit-reversed order), the product with the
  // filter's transform kept in that order, and the inverse levels back to the natural order.
  if (plan->mixed) {
    mixedTransform(*plan->mixed, yr, yi, mixedWork, false);
    multiply(yr, yi, plan->hr.data(), plan->hi.data(), m);
    mixedTransform(*plan->mixed, yr, yi, mixedWork, true);
  } else {
    forwardLevels(*plan->radix, yr, yi, false);
    multiply(yr, yi, plan->hr.data(), plan->hi.data(), m);
    backwardLevels(*plan->radix, yr, yi, true);
  }
  const double invM = 1.0 / static_cast<double>(m);
  const double count = static_cast<double>(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double r = yr[k] * invM, i = yi[k] * invM;
    double outR = r * wr[k] - i * wi[k];
    double outI = r * wi[k] + i * wr[k];
    if (divideByN) {
      outR /= count;
      outI /= count;
    }
    store(k, outR, outI);
  }
  return true;
}

}  // namespace

bool chirpZ(double* re, double* im, std::size_t n, bool inverse, bool divideByN) {
  if (n == 0) return true;
  if (isSmooth(n) && n >= 2) {  // factors 2, 3 and 5 only: the mixed-radix passes directly
    const auto plan = mixedPlan(n);
    if (!plan) return false;
    ScratchUse work(mixedWorkDoubles(n));
    if (!work.data) return false;
    mixedTransform(*plan, re, im, work.data, inverse);
    if (divideByN) divideBy(re, im, n);
    return true;
  }
  return chirpWith(
      n, inverse, divideByN, [re, im](std::size_t k) { return Pair{re[k], im[k]}; },
      [re, im](std::size_t k, double r, double i) {
        re[k] = r;
        im[k] = i;
      });
}

bool transformPairs(double* x, std::size_t n, bool inverse, bool divideByN) {
  if (n == 0) return true;
  if ((n & (n - 1)) == 0)  // a power of two: multiplying by 1/n is exactly the division
    return transformInterleaved(x, x, n, inverse, divideByN ? 1.0 / static_cast<double>(n) : 1.0);
  if (isSmooth(n)) {
    const auto plan = mixedPlan(n);
    if (!plan) return false;
    ScratchUse work(mixedWorkDoubles(n));
    if (!work.data) return false;
    runMixedRadixInterleaved(*plan, x, inverse, work.data, vectorKernels());
    if (divideByN) divideBy(x, nullptr, n);
    return true;
  }
  return chirpWith(
      n, inverse, divideByN, [x](std::size_t k) { return Pair{x[2 * k], x[2 * k + 1]}; },
      [x](std::size_t k, double r, double i) {
        x[2 * k] = r;
        x[2 * k + 1] = i;
      });
}

bool convolveSplit(double* ar, double* ai, double* br, double* bi, std::size_t n) {
  if (n == 0) return true;
  const auto plan = radix4Plan(n);
  if (!plan) return false;
  forwardLevels(*plan, ar, ai, false);
  forwardLevels(*plan, br, bi, false);
  multiply(ar, ai, br, bi, n);
  backwardLevels(*plan, ar, ai, true);
  const double inv = 1.0 / static_cast<double>(n);
  for (std::size_t k = 0; k < n; ++k) {
    ar[k] *= inv;
    ai[k] *= inv;
  }
  reorderSplit(br, bi, plan->log2n, 1.0);
  return true;
}

void clearPlanCache() {
  cache().clear();
  scratchArray.clear();
}

void usePortableKernels(bool portable) { portableOnly.store(portable, std::memory_order_relaxed); }

}  // namespace pravella::fft
