#include "lang/stdlib/matrix_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/text_services.h"

namespace {

using Matrix = std::vector<double>;

class MatrixUtils : public LangTest {};

TEST_F(MatrixUtils, HankelAndConvolution) {
  const double x[] = {1, 2, 3, 4};
  Matrix out(12);
  int r = 0, c = 0;
  ASSERT_EQ(DoHankel(x, 4, 2, &r, &c, out.data()), 1);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(Matrix(out.begin(), out.begin() + 6), (Matrix{1, 2, 2, 3, 3, 4}));
  EXPECT_EQ(DoHankel(x, 4, 5, &r, &c, out.data()), 0);  // no rows
  EXPECT_EQ(DoHankel(x, 4, 0, &r, &c, out.data()), 0);

  ASSERT_EQ(DoConvolutionMatrix(x, 3, 2, out.data()), 1);
  EXPECT_EQ(Matrix(out.begin(), out.begin() + 6), (Matrix{1, 0, 2, 1, 3, 2}));
  EXPECT_EQ(DoConvolutionMatrix(x, 2, 3, out.data()), 0);
  EXPECT_EQ(ResultString, "");  // the built-ins report these
}

TEST_F(MatrixUtils, Rotation) {
  const double rows[] = {1, 10, 2, 20, 3, 30};
  Matrix out(6);
  struct Case {
    int k;
    Matrix expected;
  } cases[] = {{1, {2, 20, 3, 30, 1, 10}},
               {-1, {3, 30, 1, 10, 2, 20}},
               {3, {1, 10, 2, 20, 3, 30}},
               {-3, {1, 10, 2, 20, 3, 30}},
               {0, {1, 10, 2, 20, 3, 30}}};
  for (const Case& cs : cases) {
    ASSERT_EQ(DoRotate(rows, 3, 2, cs.k, out.data()), 1);
    EXPECT_EQ(out, cs.expected) << cs.k;
  }
  EXPECT_EQ(DoRotate(rows, 3, 2, 4, out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...invalid rotation number\n");
}

TEST_F(MatrixUtils, ValuePatternAveragesPointsPerCell) {
  // x from 0 to 2 over 3 columns, y from 0 to 1 over 2 rows.
  const double points[] = {0, 0, 1, 0, 0, 3, 2, 1, 5, 1, 1, 7, 1.9, 0.2, 4};
  Matrix out(12, -1);
  ASSERT_EQ(DoValuePattern(points, 5, 2, 3, out.data()), 1);
  EXPECT_EQ(Matrix(out.begin(), out.begin() + 6), (Matrix{2, 4, 0, 0, 7, 5}));
  const double flat[] = {1, 0, 1, 1, 1, 1};
  EXPECT_EQ(DoValuePattern(flat, 2, 2, 3, out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...invalid range\n");
  ResultString.clear();
  EXPECT_EQ(DoValuePattern(points, 5, 1, 3, out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...invalid matrix size\n");
}

TEST_F(MatrixUtils, ProjectiveWarp) {
  const Matrix image = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  Matrix out(9);
  const double identity[] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  ASSERT_EQ(DoConvXY(image.data(), 3, 3, identity, out.data()), 1);
  // Bilinear sampling needs a right and a lower neighbour: the last row and column are 0.
  EXPECT_EQ(out, (Matrix{1, 2, 0, 4, 5, 0, 0, 0, 0}));
  ASSERT_EQ(DoConvXY_old(image.data(), 3, 3, identity, out.data()), 1);
  EXPECT_EQ(out, image);
  // Half a pixel to the right: the mean of neighbours.
  const double shift[] = {1, 0, 0, 0, 1, 0, 0.5, 0, 1};
  ASSERT_EQ(DoConvXY(image.data(), 3, 3, shift, out.data()), 1);
  EXPECT_DOUBLE_EQ(out[0], 1.5);
  EXPECT_DOUBLE_EQ(out[1], 2.5);
  EXPECT_DOUBLE_EQ(out[3], 4.5);
  EXPECT_EQ(out[2], 0.0);

  const double a[] = {1, 2, 3, 4, 5, 6, 7, 8, 10};
  double p[9];
  ASSERT_EQ(DoMulti3(a, identity, p), 1);
  EXPECT_EQ(Matrix(p, p + 9), Matrix(a, a + 9));
  ASSERT_EQ(DoMulti3(a, a, p), 1);
  EXPECT_EQ(p[0], 1 + 8 + 21.0);
  EXPECT_EQ(p[8], 21 + 48 + 100.0);
}

TEST_F(MatrixUtils, NonZeroList) {
  const double m[] = {0, 5, 7, 0};
  Matrix out(6);
  int r = 0, c = 0;
  ASSERT_EQ(DoChangeXY(m, 2, 2, out.data(), &r, &c), 1);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(out, (Matrix{1, 2, 5, 2, 1, 7}));
  TNumber = 5;  // room for one triple only (and too little for the message)
  EXPECT_EQ(DoChangeXY(m, 2, 2, out.data(), &r, &c), 0);
  TNumber = 1000000;
}

TEST_F(MatrixUtils, Hexadecimal) {
  std::string s;
  struct Case {
    unsigned value;
    int width;
    const char* text;
  } cases[] = {{255, 0, "FF"},     {255, 4, "00FF"},   {16, 0, "10"}, {0xFFFFFFFFu, 0, "FFFFFFFF"},
               {0xABCu, 2, "ABC"}, {7, 8, "00000007"}, {7, 9, "7"},   {0, 0, "0"}};
  for (const Case& cs : cases) {
    ASSERT_EQ(DecToHex(cs.value, s, cs.width), 1);
    EXPECT_EQ(s, cs.text);
  }
}

TEST_F(MatrixUtils, HexadecimalTextToNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"7F", 127}, {"80", -128}, {"FFFF", -1}, {"0FF", 255},
               {"ff", -1},  {"1G", 16},   {"G1", 1},    {"", 0}};
  for (const Case& c : cases) EXPECT_EQ(HexToDec(c.text), c.value) << c.text;
}

TEST_F(MatrixUtils, SmoothAveragesTheNeighbourhoodInside) {
  const double one = 4.5;
  double out1 = 0;
  ASSERT_EQ(DoSmoothMatrix(&one, &out1, 1, 1), 1);
  EXPECT_EQ(out1, 4.5);
  const Matrix m = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  Matrix out(9);
  ASSERT_EQ(DoSmoothMatrix(m.data(), out.data(), 3, 3), 1);
  EXPECT_DOUBLE_EQ(out[0], (1 + 2 + 4 + 5) / 4.0);
  EXPECT_DOUBLE_EQ(out[1], (1 + 2 + 3 + 4 + 5 + 6) / 6.0);
  EXPECT_DOUBLE_EQ(out[4], 5.0);
}

TEST_F(MatrixUtils, SpreadingAndCountingPoints) {
  // Two points (1-based) with values 2 and 4, radius 1, on a 3 x 4 grid.
  const double x[] = {1, 3}, y[] = {1, 2};
  Matrix grid(12, 0.0);
  grid[0] = 2;
  grid[1] = 4;
  ASSERT_EQ(DoTensya(x, y, grid.data(), 1, 2, 3, 4, 1), 1);
  EXPECT_EQ(grid, (Matrix{2, 3, 4, 4, 2, 3, 4, 4, 0, 4, 4, 4}));

  Matrix count(12, -1);
  ASSERT_EQ(DoTensyaCount(x, y, count.data(), 1, 2, 3, 4, 1), 1);
  // Coordinates taken as they are: (1, 1) and (3, 2) as (column, row).
  EXPECT_EQ(count, (Matrix{1, 1, 1, 0, 1, 1, 2, 1, 1, 1, 2, 1}));
}

TEST_F(MatrixUtils, CombinationsOfRows) {
  const Matrix v = {10, 11, 20, 21, 30, 31};
  Matrix out(64);
  ASSERT_EQ(vectorCombination(v.data(), 3, 2, 2, out.data()), 3);
  // Rows (1, 0), (2, 0), (2, 1).
  EXPECT_EQ(Matrix(out.begin(), out.begin() + 12), (Matrix{20, 21, 10, 11, 30, 31, 10, 11, 30, 31, 20, 21}));
  EXPECT_EQ(vectorCombination(v.data(), 3, 2, 3, out.data()), 1);
  EXPECT_EQ(vectorCombination(v.data(), 3, 2, 4, out.data()), 0);  // k > n: no block
  const Matrix five = {1, 2, 3, 4, 5};
  EXPECT_EQ(vectorCombination(five.data(), 5, 1, 2, out.data()), 10);
  EXPECT_EQ(vectorCombination(five.data(), 5, 1, 1, out.data()), 5);
  TNumber = 5;  // two blocks of 2 fit, the third does not
  EXPECT_EQ(vectorCombination(five.data(), 5, 1, 2, out.data()), 0);
  TNumber = 1000000;
}

}  // namespace
