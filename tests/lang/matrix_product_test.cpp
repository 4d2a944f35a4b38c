#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "lang/operators.h"

namespace {

// The blocked product must equal the plain loop to the last bit: each element summed from 0
// in order of k.
TEST(MatrixProduct, MatchesThePlainLoopExactly) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> dist(-10.0, 10.0);
  // The last ones span several slices of k (the tiles carry partial sums from one slice to
  // the next) and several packed blocks of rows, with edge tiles at both ends.
  const int shapes[][3] = {{1, 1, 1},   {4, 8, 8},     {5, 3, 9},      {7, 13, 1},    {1, 17, 23},
                           {33, 65, 31}, {2, 300, 3},  {6, 257, 8},    {100, 600, 21}, {97, 513, 9}};
  for (const auto& s : shapes) {
    const int r = s[0], k = s[1], n = s[2];
    std::vector<double> a(static_cast<size_t>(r) * k), b(static_cast<size_t>(k) * n),
        c(static_cast<size_t>(r) * n);
    for (double& x : a) x = dist(gen);
    for (double& x : b) x = dist(gen);
    vkMatrixProduct(a.data(), b.data(), c.data(), r, k, n);
    for (int i = 0; i < r; ++i)
      for (int j = 0; j < n; ++j) {
        double sum = 0.0;
        for (int m = 0; m < k; ++m)
          sum += a[static_cast<size_t>(i) * k + m] * b[static_cast<size_t>(m) * n + j];
        ASSERT_EQ(c[static_cast<size_t>(i) * n + j], sum)
            << r << "x" << k << "x" << n << " at " << i << "," << j;
      }
  }
}

}  // namespace
