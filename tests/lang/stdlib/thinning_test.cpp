// Thinning on small hand-drawn images: bars become lines, end points and single pixels stay,
// the border is untouched.

#include "lang/stdlib/thinning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Rows of '#' (set) and '.' (background).
std::vector<double> picture(const std::vector<std::string>& rows) {
  std::vector<double> v;
  for (const auto& r : rows)
    for (char ch : r) v.push_back(ch == '#' ? 1.0 : 0.0);
  return v;
}

std::vector<std::string> drawn(const std::vector<double>& v, int cols) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < v.size(); i += cols) {
    std::string row;
    for (int c = 0; c < cols; ++c) row += v[i + c] != 0 ? '#' : '.';
    out.push_back(row);
  }
  return out;
}

std::vector<std::string> thinned(const std::vector<std::string>& rows) {
  std::vector<double> img = picture(rows);
  std::vector<unsigned char> work(img.size());
  const int cols = static_cast<int>(rows[0].size());
  EXPECT_EQ(thin8y(img.data(), work.data(), static_cast<int>(rows.size()), cols), 1);
  return drawn(img, cols);
}

TEST(Thinning, BarBecomesALineOnePixelWide) {
  const std::vector<std::string> bar = {
      "..........",  //
      ".########.",  //
      ".########.",  //
      ".########.",  //
      "..........",
  };
  const auto out = thinned(bar);
  // Every column of the bar keeps exactly one pixel, all on one row: a connected line.
  int row = -1;
  for (int c = 2; c <= 7; ++c) {
    int count = 0;
    for (int r = 0; r < 5; ++r)
      if (out[r][c] == '#') {
        ++count;
        if (row < 0) row = r;
        EXPECT_EQ(r, row) << "column " << c;
      }
    EXPECT_EQ(count, 1) << "column " << c;
  }
  for (int c : {0, 9})
    for (int r = 0; r < 5; ++r) EXPECT_EQ(out[r][c], '.');
}

TEST(Thinning, SinglePixelsLinesAndBorderStay) {
  const std::vector<std::string> dots = {
      "#....#",  //
      "......",  //
      "..#...",  //
      "......",  //
      "....##",
  };
  EXPECT_EQ(thinned(dots), dots);
  const std::vector<std::string> line = {
      "......",  //
      ".####.",  //
      "......",  //
      "......",
  };
  EXPECT_EQ(thinned(line), line);
  // A full image: only the border ring survives inside as is; the interior thins to a
  // connected skeleton that still touches the border.
  std::vector<std::string> full(5, "#####");
  const auto out = thinned(full);
  EXPECT_EQ(out[0], "#####");
  EXPECT_EQ(out[4], "#####");
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(out[r][0], '#');
    EXPECT_EQ(out[r][4], '#');
  }
}

TEST(Thinning, ValuesAboveZeroAreSetAndResultIsOnesAndZeros) {
  std::vector<double> img = {0, 0,   0,  0,  //
                             0, 7.5, -3, 0,  //
                             0, 0,   0,  0,  //
                             0, 0,   0,  0};
  std::vector<unsigned char> work(img.size());
  ASSERT_EQ(thin8y(img.data(), work.data(), 4, 4), 1);
  EXPECT_EQ(img, (std::vector<double>{0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
