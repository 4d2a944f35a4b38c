#pragma once
// Pieces shared by the two radix-2 engines (interleaved `cfft`, split `CZT_fft`).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace pravella::fft {

// The twiddles of every stage, stage of half-span H at [H - 1, 2H - 1): w_g = (cos theta,
// s sin theta)^g with theta = pi / H, made by the rotation recurrence (one cos and one sin per
// stage) exactly as the butterfly loop would make them group by group. Keeping them in a table
// lets the butterflies run in any order that respects the stages' dependencies.
inline void allTwiddles(std::size_t N, double s, std::vector<double>& wr, std::vector<double>& wi) {
  for (std::size_t H = 1; H < N; H *= 2) {
    const double theta = std::numbers::pi / static_cast<double>(H);
    const double c = std::cos(theta);
    const double sn = s * std::sin(theta);
    double r = 1.0, i = 0.0;
    for (std::size_t g = 0; g < H; ++g) {
      wr[H - 1 + g] = r;
      wi[H - 1 + g] = i;
      const double nr = r * c - i * sn;
      i = r * sn + i * c;
      r = nr;
    }
  }
}

// Runs every butterfly stage on the n values from `offset` (n a power of two), calling
// stage(base, H) for the butterflies of half-span H on the values base .. base + 2H - 1. Each
// butterfly is the same as in the plain stage-by-stage order, but small blocks go through all
// their stages while they are in the cache: a block's stage of span L needs only the stages
// below L of its two halves. The large stages still sweep memory once each.
template <typename Stage>
void runStages(std::size_t offset, std::size_t n, Stage& stage) {
  constexpr std::size_t kCachedBlock = 4096;  // values that stay in a core's cache
  if (n <= kCachedBlock) {
    for (std::size_t H = 1; H < n; H *= 2)
      for (std::size_t base = offset; base < offset + n; base += 2 * H) stage(base, H);
    return;
  }
  runStages(offset, n / 2, stage);
  runStages(offset + n / 2, n / 2, stage);
  stage(offset, n / 2);
}

inline std::size_t reverseBits(std::size_t v, int bits) {
  std::size_t r = 0;
  for (int b = 0; b < bits; ++b) {
    r = (r << 1) | (v & 1);
    v >>= 1;
  }
  return r;
}

// A complex value moved by the permutation.
struct Pair {
  double re;
  double im;
};

// The bit-reversal permutation of 2^log2N values in place (value i and value reverse(i)
// exchanged), the same permutation as the classic one-swap-at-a-time loop but done tile by
// tile: an index is (a, b, c) with a and c of q bits each, and a whole q x q tile of values
// sharing the middle bits b is read before any is written, so that memory is touched in runs
// instead of one scattered swap per value. load(i) and store(i, Pair) access value i.
template <typename Load, typename Store>
void bitReverse(int log2N, Load load, Store store) {
  if (log2N < 2) return;  // 1 or 2 values: the permutation is the identity
  const int q = std::min(log2N / 2, 5);
  const int mid = log2N - 2 * q;
  const std::size_t T = std::size_t{1} << q;
  const int highShift = log2N - q;
  std::vector<std::size_t> revq(T);
  for (std::size_t a = 0; a < T; ++a) revq[a] = reverseBits(a, q);
  std::vector<Pair> t1(T * T), t2(T * T);
  auto gather = [&](std::size_t b, std::vector<Pair>& t) {
    for (std::size_t a = 0; a < T; ++a)
      for (std::size_t c = 0; c < T; ++c) t[revq[a] * T + c] = load((a << highShift) | (b << q) | c);
  };
  auto scatter = [&](std::size_t b, const std::vector<Pair>& t) {
    for (std::size_t c = 0; c < T; ++c)
      for (std::size_t a = 0; a < T; ++a) store((revq[c] << highShift) | (b << q) | a, t[a * T + c]);
  };
  const std::size_t B = std::size_t{1} << mid;
  for (std::size_t b = 0; b < B; ++b) {
    const std::size_t b2 = reverseBits(b, mid);
    if (b2 < b) continue;  // that pair of tiles was exchanged already
    gather(b, t1);
    if (b2 != b) gather(b2, t2);
    scatter(b2, t1);
    if (b2 != b) scatter(b, t2);
  }
}

}  // namespace pravella::fft
