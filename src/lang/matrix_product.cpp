// The real matrix product of the "*" operator. Every element is summed from 0 in order of k with
// a rounded product and a rounded sum per term, so the result is the same to the last bit as
// the plain triple loop's, on every processor (lang/block_product.h).
//
// A large product is cut into bands of rows (or of columns, when the result is short and wide)
// that the processor's cores take in turns: each band is a product of its own, whose elements
// get their terms in the same order, so the bits do not depend on the number of threads. (Bands
// that shared the packed slices of the other operand, parted by barriers, were slower here.)
// The held button stops the product between bands.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

#include "lang/block_product.h"
#include "lang/operators.h"
#include "lang/run_state.h"

namespace {

std::atomic<int> fixedThreads{0};

// Below this many multiply-adds (a few milliseconds on one core) starting threads costs more
// than it saves.
constexpr double kThreadedWork = 1 << 24;
// The tallest band of rows and the widest band of columns: each band packs the whole of the
// other operand again, which these keep to a small part of its arithmetic, and a band ends
// within a few seconds even for the largest products memory holds, so the break is answered.
constexpr int kBandRows = 192;
constexpr int kBandColumns = 256;

int threadCount(double work) {
  const int fixed = fixedThreads.load(std::memory_order_relaxed);
  if (fixed > 0) return fixed;
  if (work < kThreadedWork) return 1;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

void setMatrixProductThreadsForTests(int threads) { fixedThreads = std::max(0, threads); }

bool vkMatrixProduct(const double* a, const double* b, double* c, int r, int k, int n) {
  if (r <= 0 || n <= 0) return true;
  const bool byRows = r >= n;
  const int extent = byRows ? r : n;
  int threads = std::min(threadCount(static_cast<double>(r) * k * n), extent);
  const int most = byRows ? kBandRows : kBandColumns;
  const int bandSize = std::max(1, std::min(most, (extent + threads - 1) / threads));
  const int bands = (extent + bandSize - 1) / bandSize;
  threads = std::min(threads, bands);

  VkWorkBreak stop;
  // A band the held button cut short inside the kernel's blocks.
  std::atomic<bool> cut{false};
  std::atomic<int> next{0};
  auto work = [&] {
    for (int band = next++; band < bands; band = next++) {
      if (stop.stop()) return;
      const int from = band * bandSize, size = std::min(bandSize, extent - from);
      if (byRows) {
        double* rows = c + static_cast<std::size_t>(from) * n;
        std::fill(rows, rows + static_cast<std::size_t>(size) * n, 0.0);
        if (!blockProductAdd(a + static_cast<std::size_t>(from) * k, k, b, n, rows, n, size, k, n))
          cut = true;
      } else {
        for (int i = 0; i < r; ++i) {
          double* row = c + static_cast<std::size_t>(i) * n + from;
          std::fill(row, row + size, 0.0);
        }
        if (!blockProductAdd(a, k, b + from, n, c + from, n, r, k, size)) cut = true;
      }
    }
  };
  std::vector<std::thread> others;
  others.reserve(static_cast<std::size_t>(threads - 1));
  for (int t = 1; t < threads; ++t) others.emplace_back(work);
  work();
  for (std::thread& t : others) t.join();
  return !stop.broken() && !cut.load();
}
