#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lang/block_product.h"
#include "lang/operators.h"
#include "lang/run_state.h"

namespace {

// Every vector path this processor has, each checked on its own: the cap picks it.
class BlockProduct : public ::testing::TestWithParam<SimdPath> {
 protected:
  void SetUp() override {
    setBlockProductCap(GetParam());
    if (blockProductPath() != GetParam()) GTEST_SKIP() << "the processor lacks this path";
  }
  void TearDown() override { setBlockProductCap(SimdPath::Avx512); }
};

std::vector<double> randomValues(std::size_t count, std::mt19937& gen) {
  std::uniform_real_distribution<double> dist(-10.0, 10.0);
  std::vector<double> v(count);
  for (double& x : v) x = dist(gen);
  return v;
}

// c = a b for random a and b equals the plain loop to the last bit.
void expectThePlainLoop(int r, int k, int n, std::mt19937& gen) {
  const auto a = randomValues(static_cast<size_t>(r) * k, gen);
  const auto b = randomValues(static_cast<size_t>(k) * n, gen);
  std::vector<double> c(static_cast<size_t>(r) * n, std::nan(""));
  ASSERT_TRUE(vkMatrixProduct(a.data(), b.data(), c.data(), r, k, n));
  for (int i = 0; i < r; ++i)
    for (int j = 0; j < n; ++j) {
      double sum = 0.0;
      for (int m = 0; m < k; ++m)
        sum += a[static_cast<size_t>(i) * k + m] * b[static_cast<size_t>(m) * n + j];
      ASSERT_EQ(c[static_cast<size_t>(i) * n + j], sum)
          << r << "x" << k << "x" << n << " at " << i << "," << j;
    }
}

// The product must equal the plain loop to the last bit: each element summed from 0 in order
// of k, a rounded product and a rounded sum per term.
TEST_P(BlockProduct, MatchesThePlainLoopExactly) {
  std::mt19937 gen(7);
  // The last ones span several slices of k (the tiles carry partial sums from one slice to
  // the next), several packed blocks of rows and of columns, with edge tiles at both ends.
  const int shapes[][3] = {{1, 1, 1},    {4, 8, 8},     {5, 3, 9},      {7, 13, 1},    {1, 17, 23},
                           {33, 65, 31}, {2, 300, 3},   {6, 257, 8},    {8, 129, 16},  {100, 600, 21},
                           {97, 513, 9}, {201, 70, 47}, {17, 1030, 40}, {9, 300, 1100}};
  for (const auto& s : shapes) expectThePlainLoop(s[0], s[1], s[2], gen);
}

// Cut into bands over threads, the product keeps the plain loop's bits whatever the number of
// threads: bands of rows (tall results, more rows than one band holds) and of columns (short
// wide ones), with bands that do not divide the result evenly.
TEST_P(BlockProduct, ThreadsKeepThePlainLoopsBits) {
  std::mt19937 gen(13);
  const int shapes[][3] = {{500, 40, 30}, {193, 300, 7}, {3, 70, 700}, {17, 1030, 531}, {250, 9, 250}};
  for (int threads : {1, 2, 3, 8}) {
    setMatrixProductThreadsForTests(threads);
    for (const auto& s : shapes) expectThePlainLoop(s[0], s[1], s[2], gen);
  }
  setMatrixProductThreadsForTests(0);
}

// c -= a b on blocks inside larger matrices (leading dimensions wider than the blocks), as the
// factorisations call it: the result is the plain loop's up to rounding, and nothing outside
// the block of c is touched.
TEST_P(BlockProduct, SubtractWorksInPlaceOnBlocks) {
  std::mt19937 gen(11);
  const int shapes[][3] = {{1, 1, 1},      {8, 16, 16},   {9, 5, 17},   {31, 300, 33},
                           {200, 64, 100}, {64, 16, 250}, {9, 20, 1030}};
  for (const auto& s : shapes) {
    const int r = s[0], k = s[1], n = s[2];
    const int lda = k + 3, ldb = n + 5, ldc = n + 7;
    const auto a = randomValues(static_cast<size_t>(r) * lda, gen);
    const auto b = randomValues(static_cast<size_t>(k) * ldb, gen);
    const auto c0 = randomValues(static_cast<size_t>(r) * ldc, gen);
    std::vector<double> c = c0;
    ASSERT_TRUE(blockProductSubtract(a.data(), lda, b.data(), ldb, c.data(), ldc, r, k, n));
    for (int i = 0; i < r; ++i)
      for (int j = 0; j < ldc; ++j) {
        const size_t at = static_cast<size_t>(i) * ldc + j;
        if (j >= n) {
          ASSERT_EQ(c[at], c0[at]) << "outside the block at " << i << "," << j;
          continue;
        }
        double want = c0[at], scale = std::fabs(c0[at]);
        for (int m = 0; m < k; ++m) {
          const double t = a[static_cast<size_t>(i) * lda + m] * b[static_cast<size_t>(m) * ldb + j];
          want -= t;
          scale += std::fabs(t);
        }
        ASSERT_NEAR(c[at], want, 1e-14 * scale) << r << "x" << k << "x" << n << " at " << i << "," << j;
      }
  }
}

// The held button stops a product between its bands on every thread, and the product beside
// it runs once the button is up.
TEST(MatrixProductBreak, TheHeldButtonStopsItAndTheNextRunsWhole) {
  std::mt19937 gen(17);
  const int n = 400;
  const auto a = randomValues(static_cast<size_t>(n) * n, gen);
  std::vector<double> c(a.size());
  for (int threads : {1, 4}) {
    setMatrixProductThreadsForTests(threads);
    vkButtonDownSinceMs.store(vkSteadyMillis() - 3000);  // held for three seconds
    EXPECT_FALSE(vkMatrixProduct(a.data(), a.data(), c.data(), n, n, n)) << threads;
    vkButtonDownSinceMs.store(0);
    EXPECT_TRUE(vkMatrixProduct(a.data(), a.data(), c.data(), n, n, n)) << threads;
  }
  setMatrixProductThreadsForTests(0);
}

std::string pathName(const ::testing::TestParamInfo<SimdPath>& info) {
  static const char* const names[] = {"Portable", "Avx2", "Avx512"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, BlockProduct,
                         ::testing::Values(SimdPath::Portable, SimdPath::Avx2, SimdPath::Avx512), pathName);

}  // namespace
