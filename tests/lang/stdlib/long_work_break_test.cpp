// The numeric work whose length grows past a power of the size a program gives (factorisations,
// eigenvalues, products, sorts, wide windows, thinning and labelling of images, transforms
// column by column) ends with the break message when the button is held, and does the same work
// when it is not. Each is called on a size just above the distance between its break checks.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/operators.h"
#include "lang/run_state.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/cell_label.h"
#include "lang/stdlib/czt.h"
#include "lang/stdlib/fft.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/stdlib/lu_blocked.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/numeric_kernels.h"
#include "lang/stdlib/statistics.h"
#include "lang/stdlib/string_utils.h"
#include "lang/stdlib/thinning.h"
#include "support/held_button.h"

namespace {

class LongWork : public LangTest {
 protected:
  void TearDown() override { vkButtonDownSinceMs.store(0); }
};

std::vector<double> randomValues(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = value(random);
  return v;
}

// A well-conditioned n x n matrix: random, with a heavy diagonal.
std::vector<double> matrix(int n, unsigned seed) {
  std::vector<double> a = randomValues(static_cast<std::size_t>(n) * n, seed);
  for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i) * n + i] += n;
  return a;
}

TEST_F(LongWork, EndsWithTheBreakMessageWhenHeldAndWorksWhenNot) {
  constexpr int n = 64;
  constexpr int kLong = 70000;  // past the 65,536 comparisons or sums between checks
  std::vector<double> a, b, x, out, work;
  std::vector<int> pivots, columnPivots;
  std::vector<unsigned char> bytes;
  std::string text;
  double det = 0;
  // Each routine starts from fresh inputs, so that the held and the free call do the same work.
  const std::vector<std::pair<const char*, std::function<int()>>> routines = {
      {"DoInv",
       [&] {
         a = matrix(n, 1);
         pivots.assign(n, 0);
         out.assign(static_cast<std::size_t>(n) * n, 0.0);
         return DoInv(a.data(), pivots.data(), out.data(), n, n, &det);
       }},
      {"Leqacc",
       [&] {
         a = matrix(n, 2);
         b = randomValues(n, 3);
         x.assign(n, 0.0);
         return Leqacc(a.data(), x.data(), b.data(), n, n);
       }},
      {"Renritsu_dec",
       [&] {
         a = matrix(n, 4);
         pivots.assign(n, 0);
         columnPivots.assign(n, 0);
         return Renritsu_dec(a.data(), n, n, pivots.data(), columnPivots.data());
       }},
      {"jacobi",
       [&] {
         a = matrix(n, 5);
         out.assign(static_cast<std::size_t>(n) * n, 0.0);
         x.assign(n, 0.0);
         return jacobi(n, a.data(), out.data(), x.data());
       }},
      {"DoSortValues",
       [&] {
         a = randomValues(kLong, 6);
         return DoSortValues(a.data(), kLong, nullptr);
       }},
      {"DoSortValues with a value that is not a number",
       [&] {
         a = randomValues(kLong, 7);
         a[10] = std::nan("");
         return DoSortValues(a.data(), kLong, nullptr);
       }},
      {"DoMergeSort",
       [&] {
         a = randomValues(2 * kLong, 8);
         out.assign(a.size(), 0.0);
         return DoMergeSort(a.data(), out.data(), kLong, 2, 2);
       }},
      {"SortString",
       [&] {
         text.clear();
         for (double v : randomValues(kLong, 9)) text += std::to_string(v) + "\n";
         std::string sorted;
         return SortString(text.c_str(), sorted) == 1 ? 1 : 0;
       }},
      {"DoSmoothN",
       [&] {
         a = randomValues(kLong, 10);
         out.assign(a.size(), 0.0);
         int rows = 0, cols = 0;
         return DoSmoothN(a.data(), out.data(), kLong, 1, 2, &rows, &cols);
       }},
      {"vkMatrixProduct",
       [&] {
         a = matrix(n, 11);
         out.assign(a.size(), 0.0);
         return vkMatrixProduct(a.data(), a.data(), out.data(), n, n, n) ? 1 : 0;
       }},
      {"thin8y",
       [&] {
         a.assign(20 * 20, 0.0);
         for (int r = 3; r < 17; ++r)
           for (int c = 3; c < 17; ++c) a[static_cast<std::size_t>(r) * 20 + c] = 1.0;
         bytes.assign(a.size(), 0);
         return thin8y(a.data(), bytes.data(), 20, 20);
       }},
      {"doCell",
       [&] {
         a.assign(20 * 20, 0.0);
         a[45] = a[46] = a[300] = 1.0;
         out.assign(3 * a.size(), 0.0);
         int rows = 0, cols = 0;
         return doCell(a.data(), out.data(), 20, 20, &rows, &cols);
       }},
      {"DoFFTPower",
       [&] {
         a = randomValues(16 * 8, 14);
         out.assign(a.size(), 0.0);
         return DoFFTPower(16, 8, 4, a.data(), out.data());
       }},
      {"fft_czt2",
       [&] {
         a = randomValues(12 * 10, 15);
         b.assign(a.size(), 0.0);
         return fft_czt2(a.data(), b.data(), 12, 10, 0);
       }},
      {"cross_int_member",
       [&] {
         a = randomValues(kLong, 16);
         for (double& v : a) v *= 1e6;
         out.assign(2 * a.size(), 0.0);
         int count = 0;
         return cross_int_member(a.data(), kLong, out.data(), &count);
       }},
      {"corssCount",
       [&] {
         a = {1, 2, 3};
         b = {1, 2};
         x.assign(2 * 11000, 1.0);  // 6 cells of 11,000 pairs each
         out.assign(6, 0.0);
         return corssCount(a.data(), 3, b.data(), 2, x.data(), 11000, out.data());
       }},
      {"DoDistance",
       [&] {
         a = randomValues(200 * 2, 17);
         out.assign(200 * 200, 0.0);
         return DoDistance(a.data(), out.data(), 200, 2);
       }},
      {"DoTensyaCount",
       [&] {
         a.assign(300, 50.0);  // 300 points, each spread over the 300 cells of the grid
         out.assign(300, 0.0);
         return DoTensyaCount(a.data(), a.data(), out.data(), 300, 1, 15, 20, 100);
       }},
      {"luSolve",
       [&] {  // of several right-hand sides
         a = matrix(n, 12);
         pivots.assign(n, 0);
         out.assign(a.size(), 1.0);
         const int64_t held = vkButtonDownSinceMs.exchange(0);
         const bool factored = luFactor(a.data(), n, n, pivots.data(), 0.0) == -1;
         vkButtonDownSinceMs.store(held);
         return factored && luSolve(a.data(), n, n, pivots.data(), out.data(), n, n) ? 1 : 0;
       }},
  };
  for (const auto& [name, routine] : routines) {
    // The product and the solve leave the message to their callers.
    const bool reports = name != std::string("vkMatrixProduct") && name != std::string("luSolve");
    pravella::test::expectStopsWhileHeld(name, routine, reports);
    EXPECT_EQ(routine(), 1) << name;
    EXPECT_EQ(ResultString, "") << name;
  }
}

// The factorisation says it was stopped apart from a column without a pivot.
TEST_F(LongWork, TheFactorisationTellsTheBreakFromAMissingPivot) {
  constexpr int n = 40;
  std::vector<double> a = matrix(n, 13);
  std::vector<int> pivots(n);
  vkButtonDownSinceMs.store(1);
  EXPECT_EQ(luFactor(a.data(), n, n, pivots.data(), 0.0), kLuBroken);
  vkButtonDownSinceMs.store(0);
  std::vector<double> zeros(static_cast<std::size_t>(n) * n, 0.0);
  EXPECT_EQ(luFactor(zeros.data(), n, n, pivots.data(), 0.0), 0);
  a = matrix(n, 13);
  EXPECT_EQ(luFactor(a.data(), n, n, pivots.data(), 0.0), -1);
}

}  // namespace
