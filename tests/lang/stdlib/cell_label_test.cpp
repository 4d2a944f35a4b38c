// Labelling of 4-connected cells and the largest cell, with the stack and list limits.

#include "lang/stdlib/cell_label.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "lang/lang_fixture.h"

namespace {

class CellLabelTest : public LangTest {
 protected:
  void TearDown() override { maxCellPoint = 100000; }
};

TEST_F(CellLabelTest, LargestCellWinsAndTheFirstOnATie) {
  // Cells of 3 and 4 pixels.
  std::vector<double> image = {1, 1, 0, 0,  //
                               1, 0, 0, 1,  //
                               0, 0, 1, 1,  //
                               0, 0, 0, 1};
  std::vector<double> list(48);
  int rows = 0, cols = 0;
  ASSERT_EQ(getMaxCell(image.data(), list.data(), 4, 4, &rows, &cols), 1);
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(cols, 3);
  for (int i = 0; i < rows; ++i) EXPECT_EQ(list[3 * i + 2], 2);
  EXPECT_EQ(image, std::vector<double>(16, 0.0));

  std::vector<double> tie = {1, 0, 1, 1, 0, 1};
  ASSERT_EQ(getMaxCell(tie.data(), list.data(), 2, 3, &rows, &cols), 1);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(list[0], 1);
  EXPECT_EQ(list[1], 1);
  EXPECT_EQ(list[2], 1);
}

TEST_F(CellLabelTest, LimitsAreReported) {
  // An image of more pixels than the stack limit gets a stack of twice its pixels.
  maxCellPoint = 1;
  std::vector<double> image(6, 1.0), list(18);
  int rows = 0, cols = 0;
  EXPECT_EQ(doCell(image.data(), list.data(), 2, 3, &rows, &cols), 1);
  EXPECT_EQ(rows, 6);

  maxCellPoint = 100000;
  const int saved = TNumber;
  TNumber = 9;  // a list of 3 rows: the 6-pixel cell does not fit
  std::vector<double> big(6, 1.0);
  EXPECT_EQ(doCell(big.data(), list.data(), 2, 3, &rows, &cols), 0);
  TNumber = saved;
  EXPECT_EQ(ResultString, "...<Error>...Too big cell\n");
  ResultString.clear();
  std::vector<double> none(4, 0.0);
  EXPECT_EQ(doCell(none.data(), list.data(), 2, 2, &rows, &cols), 0);
  EXPECT_EQ(ResultString, "...<Error>...no cell\n");
}

TEST_F(CellLabelTest, NotANumberCountsAsSet) {
  std::vector<double> image = {0, std::nan(""), 0, 0};
  std::vector<double> list(12);
  int rows = 0, cols = 0;
  ASSERT_EQ(doCell(image.data(), list.data(), 2, 2, &rows, &cols), 1);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(list[1], 2);
  EXPECT_EQ(setCellStackNumber(12.7), 12);
  EXPECT_EQ(maxCellPoint, 12);
}

}  // namespace
