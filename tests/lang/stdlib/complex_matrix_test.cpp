// Element-wise complex arithmetic on matrices in the split layout (real rows above imaginary
// rows), checked against std::complex.

#include "lang/stdlib/complex_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <vector>

#include "lang/lang_fixture.h"

namespace {

using cd = std::complex<double>;

// Packs complex values as one complex row: 2 stored rows of n columns.
std::vector<double> pack(const std::vector<cd>& z) {
  std::vector<double> v(2 * z.size());
  for (std::size_t i = 0; i < z.size(); ++i) {
    v[i] = z[i].real();
    v[z.size() + i] = z[i].imag();
  }
  return v;
}

cd at(const std::vector<double>& v, std::size_t n, std::size_t i) { return {v[i], v[n + i]}; }

const std::vector<cd> kSamples = {{1, 0},      {0, 1},    {3, 4},     {-2, 0.5},    {-1.5, -2.5},
                                  {0.3, -0.7}, {2, 1e-3}, {-0.25, 3}, {1e-3, -1e-3}};

class ComplexMatrixTest : public LangTest {};

TEST_F(ComplexMatrixTest, UnaryFunctionsAgreeWithStdComplex) {
  using Routine = int (*)(const double*, int, int, double*);
  struct Case {
    const char* name;
    Routine routine;
    std::function<cd(cd)> expected;
  };
  const std::vector<Case> cases = {
      {"conj", c_conj, [](cd z) { return std::conj(z); }},
      {"exp", c_exp, [](cd z) { return std::exp(z); }},
      {"log", c_log, [](cd z) { return std::log(z); }},
      {"sin", c_sin, [](cd z) { return std::sin(z); }},
      {"cos", c_cos, [](cd z) { return std::cos(z); }},
      {"tan", c_tan, [](cd z) { return std::tan(z); }},
      {"sinh", c_sinh, [](cd z) { return std::sinh(z); }},
      {"cosh", c_cosh, [](cd z) { return std::cosh(z); }},
      {"tanh", c_tanh, [](cd z) { return std::tanh(z); }},
  };
  const std::size_t n = kSamples.size();
  const std::vector<double> z = pack(kSamples);
  for (const Case& c : cases) {
    std::vector<double> out(2 * n, -99.0);
    ASSERT_EQ(c.routine(z.data(), 2, static_cast<int>(n), out.data()), 1) << c.name;
    for (std::size_t i = 0; i < n; ++i) {
      const cd want = c.expected(kSamples[i]);
      EXPECT_NEAR(at(out, n, i).real(), want.real(), 1e-12 * (1 + std::abs(want))) << c.name << " " << i;
      EXPECT_NEAR(at(out, n, i).imag(), want.imag(), 1e-12 * (1 + std::abs(want))) << c.name << " " << i;
    }
  }
}

TEST_F(ComplexMatrixTest, SqrtAbsArgAgreeWithStdComplex) {
  const std::size_t n = kSamples.size();
  const std::vector<double> z = pack(kSamples);
  std::vector<double> out(2 * n), work(n), absv(n), argv(n);
  ASSERT_EQ(c_sqrt(z.data(), work.data(), 2, static_cast<int>(n), out.data()), 1);
  ASSERT_EQ(c_abs(z.data(), 2, static_cast<int>(n), absv.data()), 1);
  ASSERT_EQ(c_arg(z.data(), 2, static_cast<int>(n), argv.data()), 1);
  for (std::size_t i = 0; i < n; ++i) {
    const cd want = std::sqrt(kSamples[i]);
    EXPECT_NEAR(out[i], want.real(), 1e-12) << i;
    EXPECT_NEAR(out[n + i], want.imag(), 1e-12) << i;
    EXPECT_NEAR(absv[i], std::abs(kSamples[i]), 1e-12) << i;
    EXPECT_NEAR(argv[i], std::arg(kSamples[i]), 1e-12) << i;
    EXPECT_DOUBLE_EQ(work[i], absv[i]);
  }
}

TEST_F(ComplexMatrixTest, BinaryFunctionsAgreeWithStdComplex) {
  std::vector<cd> a, b;
  for (const cd& x : kSamples)
    for (const cd& y : kSamples) {
      a.push_back(x);
      b.push_back(y);
    }
  const int n = static_cast<int>(a.size());
  const std::vector<double> A = pack(a), B = pack(b);
  using Routine = int (*)(const double*, const double*, int, int, double*);
  struct Case {
    const char* name;
    Routine routine;
    std::function<cd(cd, cd)> expected;
  };
  const std::vector<Case> cases = {
      {"add", c_add, [](cd x, cd y) { return x + y; }},
      {"sub", c_sub, [](cd x, cd y) { return x - y; }},
      {"mul", c_mul, [](cd x, cd y) { return x * y; }},
      {"div", c_div, [](cd x, cd y) { return x / y; }},
  };
  for (const Case& c : cases) {
    std::vector<double> out(2 * n);
    ASSERT_EQ(c.routine(A.data(), B.data(), 2, n, out.data()), 1);
    for (int i = 0; i < n; ++i) {
      const cd want = c.expected(a[i], b[i]);
      EXPECT_NEAR(out[i], want.real(), 1e-12 * (1 + std::abs(want))) << c.name << " " << i;
      EXPECT_NEAR(out[n + i], want.imag(), 1e-12 * (1 + std::abs(want))) << c.name << " " << i;
    }
  }
  // The unchecked forms take the complex row count and give the same results.
  std::vector<double> viaChecked(2 * n), viaPlain(2 * n);
  c_mul(A.data(), B.data(), 2, n, viaChecked.data());
  complex_mul(A.data(), B.data(), 1, n, viaPlain.data());
  EXPECT_EQ(viaChecked, viaPlain);
  c_div(A.data(), B.data(), 2, n, viaChecked.data());
  complex_div(A.data(), B.data(), 1, n, viaPlain.data());
  EXPECT_EQ(viaChecked, viaPlain);

  // The power overwrites its first argument with b log a.
  std::vector<double> base = A, out(2 * n);
  ASSERT_EQ(c_pow(base.data(), B.data(), 2, n, out.data()), 1);
  for (int i = 0; i < n; ++i) {
    const cd want = std::pow(a[i], b[i]);
    EXPECT_NEAR(out[i], want.real(), 1e-9 * (1 + std::abs(want))) << i;
    EXPECT_NEAR(out[n + i], want.imag(), 1e-9 * (1 + std::abs(want))) << i;
    const cd blog = b[i] * std::log(a[i]);
    EXPECT_NEAR(base[i], blog.real(), 1e-12 * (1 + std::abs(blog))) << i;
  }
}

TEST_F(ComplexMatrixTest, LayoutOfSeveralRows) {
  // A 2 x 2 complex matrix: 4 stored rows, element (r, c) real at r*n+c, imaginary at m*n+r*n+c.
  const std::vector<double> a = {1, 2, 3, 4, 10, 20, 30, 40};
  const std::vector<double> b = {1, 1, 1, 1, 0, 0, 0, 0};
  std::vector<double> out(8);
  ASSERT_EQ(c_add(a.data(), b.data(), 4, 2, out.data()), 1);
  EXPECT_EQ(out, (std::vector<double>{2, 3, 4, 5, 10, 20, 30, 40}));
  std::vector<double> mod(4);
  ASSERT_EQ(c_abs(a.data(), 4, 2, mod.data()), 1);
  EXPECT_DOUBLE_EQ(mod[3], std::hypot(4.0, 40.0));

  const std::vector<double> re = {1, 2, 3, 4}, im = {5, 6, 7, 8};
  std::vector<double> z(8);
  ASSERT_EQ(c_conv(re.data(), im.data(), 2, 2, z.data()), 1);
  EXPECT_EQ(z, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
  // A single real number and its imaginary part make one complex number.
  ASSERT_EQ(c_conv(re.data(), im.data(), 1, 1, z.data()), 1);
  EXPECT_EQ(z[0], 1);
  EXPECT_EQ(z[1], 5);
}

TEST_F(ComplexMatrixTest, EdgeValues) {
  std::vector<double> out(2), mod(1);
  const std::vector<double> one = {1, 0};
  c_abs(one.data(), 2, 1, mod.data());
  EXPECT_EQ(mod[0], 1);
  c_arg(one.data(), 2, 1, mod.data());
  EXPECT_EQ(mod[0], 0);
  const std::vector<double> zero = {0, 0};
  c_abs(zero.data(), 2, 1, mod.data());
  EXPECT_EQ(mod[0], 0);

  const std::vector<double> i = {0, 1};
  c_div(one.data(), i.data(), 2, 1, out.data());
  EXPECT_EQ(out, (std::vector<double>{0, -1}));
  c_mul(i.data(), i.data(), 2, 1, out.data());
  EXPECT_EQ(out, (std::vector<double>{-1, 0}));

  std::vector<double> work(1);
  for (double negZeroOrZero : {0.0, -0.0}) {
    const std::vector<double> m4 = {-4, negZeroOrZero};
    c_sqrt(m4.data(), work.data(), 2, 1, out.data());
    EXPECT_EQ(out[0], 0) << std::signbit(negZeroOrZero);
    EXPECT_NEAR(out[1], 2, 1e-15) << std::signbit(negZeroOrZero);
  }
  c_sqrt(zero.data(), work.data(), 2, 1, out.data());
  EXPECT_EQ(out, (std::vector<double>{0, 0}));

  const std::vector<double> m1 = {-1, 0};
  c_log(m1.data(), 2, 1, out.data());
  EXPECT_EQ(out[0], 0);
  EXPECT_DOUBLE_EQ(out[1], std::numbers::pi);

  std::vector<double> q(2);
  c_div(one.data(), zero.data(), 2, 1, q.data());
  EXPECT_TRUE(std::isnan(q[0]) || std::isinf(q[0]));
  EXPECT_EQ(ResultString, "");
}

TEST_F(ComplexMatrixTest, OddRowsAreRefusedAndNothingIsWritten) {
  const std::vector<double> z(6, 1.0);
  std::vector<double> out(6, 7.0), work(6);
  EXPECT_EQ(c_exp(z.data(), 3, 2, out.data()), 0);
  EXPECT_EQ(c_add(z.data(), z.data(), 3, 2, out.data()), 0);
  EXPECT_EQ(c_abs(z.data(), 3, 2, out.data()), 0);
  EXPECT_EQ(c_sqrt(z.data(), work.data(), 3, 2, out.data()), 0);
  std::vector<double> base = z;
  EXPECT_EQ(c_pow(base.data(), z.data(), 3, 2, out.data()), 0);
  EXPECT_EQ(out, std::vector<double>(6, 7.0));
  EXPECT_EQ(base, z);
  EXPECT_EQ(ResultString,
            "...<Error>...invalid size (complex)\n...<Error>...invalid size (complex)\n"
            "...<Error>...invalid size (complex)\n...<Error>...invalid size (complex)\n"
            "...<Error>...invalid size (complex)\n");
}

TEST_F(ComplexMatrixTest, ConvRefusesResultsOverTheElementLimit) {
  // Refused before anything is read or written.
  const std::vector<double> re(1, 1.0), im(1, 2.0);
  std::vector<double> out(2, 0.0);
  EXPECT_EQ(c_conv(re.data(), im.data(), 1, TNumber / 2 + 1, out.data()), 0);
  EXPECT_EQ(out, std::vector<double>(2, 0.0));
  EXPECT_EQ(ResultString, "...<Error>...invalid size (complex)\n");
}

}  // namespace
