#include "lang/stdlib/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

class Statistics : public LangTest {};

TEST_F(Statistics, RowSortIsStableByTheKeyColumn) {
  const Vec in{3, 10, 1, 20, 3, 30, 2, 40};
  Vec out(8);
  ASSERT_EQ(DoMergeSort(in.data(), out.data(), 4, 2, 1), 1);
  EXPECT_EQ(out, (Vec{1, 20, 2, 40, 3, 10, 3, 30}));
  EXPECT_EQ(DoMergeSort(in.data(), out.data(), 4, 2, 3), 0);
}

TEST_F(Statistics, MergeSortAgreesWithAStableLibrarySort) {
  // Many equal keys, so that stability shows: the rows carry their original position.
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> key(0, 50);
  const int n = 5001;
  Vec in(2 * n);
  for (int i = 0; i < n; ++i) {
    in[2 * i] = key(gen);
    in[2 * i + 1] = i;
  }
  Vec out(2 * n);
  ASSERT_EQ(DoMergeSort(in.data(), out.data(), n, 2, 1), 1);
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return in[2 * a] < in[2 * b]; });
  for (int i = 0; i < n; ++i) ASSERT_EQ(out[2 * i + 1], order[i]) << i;
  EXPECT_TRUE(msData.empty());
}

// The bits of each value, so that 0 and -0 and the payloads of values that are not numbers
// count.
std::vector<uint64_t> bitsOf(const Vec& v) {
  std::vector<uint64_t> bits(v.size());
  std::memcpy(bits.data(), v.data(), v.size() * sizeof(double));
  return bits;
}

TEST_F(Statistics, OneColumnSortIsTheRowSortsOrderBitForBit) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> small(-3, 3);
  Vec ties(2001), zeros(999), withNan(1500), large(100000);
  for (double& v : ties) v = small(gen);
  for (std::size_t i = 0; i < zeros.size(); ++i) zeros[i] = small(gen) == 0 ? 5.0 : (i % 3 ? 0.0 : -0.0);
  for (std::size_t i = 0; i < withNan.size(); ++i)
    withNan[i] = i % 7 == 0 ? nan : (i % 5 ? small(gen) : -0.0);
  for (double& v : large) v = std::uniform_real_distribution<double>(-1, 1)(gen);
  const std::vector<Vec> cases = {
      {},    {4},     {2, 1}, {-0.0, 0.0, -0.0}, {0.0, -0.0}, {nan}, {1, nan, 0, -inf, inf, nan, -0.0}, ties,
      zeros, withNan, large};
  for (std::size_t c = 0; c < cases.size(); ++c) {
    const Vec& in = cases[c];
    const int n = static_cast<int>(in.size());
    // The order of the record sort of one column, the positions carried along.
    ASSERT_EQ(DoMakeSortInfo(n), 1);
    for (int i = 0; i < n; ++i) msData[static_cast<std::size_t>(i)].value = in[static_cast<std::size_t>(i)];
    ASSERT_TRUE(mergesort_vk(0, n - 1));
    Vec want(in.size());
    for (int i = 0; i < n; ++i)
      want[static_cast<std::size_t>(i)] = in[msData[static_cast<std::size_t>(i)].index];
    DoDisposeSortInfo();

    Vec inPlace = in, work(in.size() / 2 + 1);
    ASSERT_EQ(DoSortValues(inPlace.data(), n, work.data()), 1) << c;
    EXPECT_EQ(bitsOf(inPlace), bitsOf(want)) << "case " << c;
    Vec own = in;
    ASSERT_EQ(DoSortValues(own.data(), n, nullptr), 1) << c;
    EXPECT_EQ(bitsOf(own), bitsOf(want)) << "case " << c;
    Vec rows(in.size());
    if (n > 0) {
      ASSERT_EQ(DoMergeSort(in.data(), rows.data(), n, 1, 1), 1) << c;
      EXPECT_EQ(bitsOf(rows), bitsOf(want)) << "case " << c;
    }
  }
}

TEST_F(Statistics, FamilyOverAllRowsAndColumns) {
  const Vec eight{2, 4, 4, 4, 5, 5, 7, 9};
  Vec out(8);
  int r = 0, c = 0;
  DoSD(eight.data(), out.data(), 2, 4, &r, &c);
  EXPECT_DOUBLE_EQ(out[0], 2.0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(c, 1);
  DoSum(eight.data(), out.data(), 2, 4, &r, &c);
  EXPECT_EQ(out[0], 40);
  DoMean(eight.data(), out.data(), 2, 4, &r, &c);
  EXPECT_EQ(out[0], 5);
  DoRange(eight.data(), out.data(), 2, 4, &r, &c);
  EXPECT_EQ(out[0], 7);

  const Vec m{1, 5, 3, 8, 2, 2};  // 2 x 3
  DoLSD(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(c, 1);
  EXPECT_NEAR(out[0], std::sqrt(8.0 / 3), 1e-12);
  EXPECT_NEAR(out[1], std::sqrt(8.0), 1e-12);
  DoRSD(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(c, 3);
  EXPECT_NEAR(out[0], 3.5, 1e-12);
  DoLMin(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 2), (Vec{1, 2}));
  DoRMax(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 3), (Vec{8, 5, 3}));
  DoRRange(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 3), (Vec{7, 3, 1}));
  DoLSum(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 2), (Vec{9, 12}));
  DoRMean(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 3), (Vec{4.5, 3.5, 2.5}));

  const Vec three{1, 2, 3};
  DoZScore(three.data(), out.data(), 1, 3, &r, &c);
  EXPECT_NEAR(out[0], -1.224744871, 1e-9);
  EXPECT_EQ(out[1], 0);
  EXPECT_NEAR(out[2], 1.224744871, 1e-9);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(c, 3);
  // Column z-scores keep the shape: each column has mean 0 and deviation 1.
  DoRZScore(m.data(), out.data(), 2, 3, &r, &c);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 6), (Vec{-1, 1, 1, 1, -1, -1}));

  // A constant group has deviation 0, never a missing number from rounding.
  const Vec tenths{0.1, 0.1, 0.1};
  DoSD(tenths.data(), out.data(), 1, 3, &r, &c);
  EXPECT_EQ(out[0], 0);
  DoLSD(tenths.data(), out.data(), 1, 3, &r, &c);
  EXPECT_EQ(out[0], 0);

  EXPECT_EQ(DoMin(eight.data(), out.data(), 0, 0, &r, &c), 0);
}

TEST_F(Statistics, SmoothPermutationsAndVariation) {
  const Vec col{1, 2, 3, 4, 5};
  Vec out(8);
  int r = 0, c = 0;
  ASSERT_EQ(DoSmoothN(col.data(), out.data(), 5, 1, 2, &r, &c), 1);
  EXPECT_EQ(r, 4);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 4), (Vec{1.5, 2.5, 3.5, 4.5}));
  EXPECT_EQ(DoSmoothN(col.data(), out.data(), 5, 1, 6, &r, &c), 0);
  EXPECT_EQ(DoSmoothN(col.data(), out.data(), 5, 1, 0, &r, &c), 0);

  const Vec n5{5}, r2{2}, r0{0}, n2{2}, r3{3};
  DoPermutation(n5.data(), 1, 1, r2.data(), 1, 1, out.data(), &r, &c);
  EXPECT_EQ(out[0], 20);
  DoCombination(n5.data(), 1, 1, r2.data(), 1, 1, out.data(), &r, &c);
  EXPECT_EQ(out[0], 10);
  DoCombination(n5.data(), 1, 1, r0.data(), 1, 1, out.data(), &r, &c);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(DoCombination(n2.data(), 1, 1, r3.data(), 1, 1, out.data(), &r, &c), 0);
  const Vec ns{5, 6, 7, 8}, rs{1, 2};
  EXPECT_EQ(DoPermutation(ns.data(), 2, 2, rs.data(), 1, 2, out.data(), &r, &c), 0);
  ASSERT_EQ(DoCombination(ns.data(), 2, 2, r2.data(), 1, 1, out.data(), &r, &c), 1);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 4), (Vec{10, 15, 21, 28}));
  EXPECT_EQ(r, 2);
  EXPECT_EQ(c, 2);
  // Products past the double range stay infinite instead of running on.
  const Vec big{2e9}, bigR{1.5e9};
  ASSERT_EQ(DoPermutation(big.data(), 1, 1, bigR.data(), 1, 1, out.data(), &r, &c), 1);
  EXPECT_TRUE(std::isinf(out[0]));

  const Vec cv{1, 3};
  ASSERT_EQ(DoHendouKeisu(cv.data(), out.data(), 2, 1, &r, &c), 1);
  EXPECT_EQ(out[0], 50);
  const Vec zeroSum{1, -1};
  EXPECT_EQ(DoHendouKeisu(zeroSum.data(), out.data(), 2, 1, &r, &c), 0);
  EXPECT_NE(ResultString.find("...<Error>...Invalid number.\n"), std::string::npos);
}

}  // namespace
