#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

#include "graphics/editors/gr_edit.h"

namespace {

using pravella::grEditState;
using pravella::GrEditState;

// Rows (x, y, tag): six points on a diagonal.
const std::vector<double> kRows = {1, 1, 10, 2, 2, 20, 3, 3, 30, 4, 4, 40, 5, 5, 50, 6, 6, 60};

class GrEditTest : public testing::Test {
 protected:
  void SetUp() override { start(kRows, 1, 2); }

  void start(const std::vector<double>& rows, int x, int y) {
    GrEditState& s = grEditState();
    s.sound = [this](const QString& name) { sounds << name; };
    s.lasso.sound = nullptr;
    s.lasso.clear();
    ASSERT_EQ(pravella::DoMakeInnerData(rows.data(), static_cast<int>(rows.size() / 3), 3, x, y), 1);
    s.width_n = 420;
    s.height_m = 350;
    ASSERT_TRUE(pravella::showGrEditImage());
  }

  // A closed square lasso around the view positions of the data points (x, y) given.
  void lassoAround(double x0, double y0, double x1, double y1) {
    const QPointF a = pravella::grEditViewPoint(x0, y0), b = pravella::grEditViewPoint(x1, y1);
    auto& lasso = grEditState().lasso;
    lasso.addPoint(a.x() - 10, a.y() - 10);
    lasso.addPoint(b.x() + 10, a.y() - 10);
    lasso.addPoint(b.x() + 10, b.y() + 10);
    lasso.addPoint(a.x() - 10, b.y() + 10);
    lasso.addPoint(a.x() - 9, a.y() - 9);
    ASSERT_TRUE(lasso.closed());
  }

  std::vector<double> tags() const {
    const GrEditState& s = grEditState();
    std::vector<double> t;
    for (int r = 0; r < s.now_m; ++r) t.push_back(s.now_data[static_cast<std::size_t>(r) * 3 + 2]);
    return t;
  }

  QStringList sounds;
};

TEST_F(GrEditTest, ThePlotFillsTheViewAndItsRangesHoldTheData) {
  const GrEditState& s = grEditState();
  EXPECT_EQ(s.image.size(), QSize(420, 350));
  EXPECT_LE(s.xmin_A, 1);
  EXPECT_GE(s.xmax_A, 6);
  // The plot area runs from a seventh to six sevenths of the view.
  const QPointF low = pravella::grEditViewPoint(s.xmin_A, s.ymin_A), high = pravella::grEditViewPoint(s.xmax_A, s.ymax_A);
  EXPECT_EQ(low, QPointF(60, 50));
  EXPECT_EQ(high, QPointF(360, 300));
}

TEST_F(GrEditTest, SelectKeepsTheRowsInsideAndDeselectTheOthers) {
  lassoAround(2, 2, 3, 3);
  pravella::grEditSelect(true);
  EXPECT_EQ(tags(), (std::vector<double>{20, 30}));
  EXPECT_TRUE(grEditState().lasso.empty());
  pravella::grEditRevert();
  lassoAround(2, 2, 3, 3);
  pravella::grEditSelect(false);
  EXPECT_EQ(tags(), (std::vector<double>{10, 40, 50, 60}));
}

TEST_F(GrEditTest, ASelectionOfNoRowKeepsTheDataAndRefuses) {
  lassoAround(7, 1, 7.5, 1.5);
  pravella::grEditSelect(true);
  EXPECT_EQ(tags().size(), 6u);
  EXPECT_EQ(sounds, QStringList{"Basso"});
}

TEST_F(GrEditTest, OkDependsOnTheLasso) {
  // No lasso: accepted as it stands.
  EXPECT_TRUE(pravella::grEditOk());
  // An open lasso: refused, the panel stays.
  grEditState().lasso.addPoint(10, 10);
  grEditState().lasso.addPoint(100, 10);
  EXPECT_FALSE(pravella::grEditOk());
  EXPECT_EQ(sounds, QStringList{"Basso"});
  // A closed lasso around no point reverts to the data handed in and stays.
  grEditState().lasso.clear();
  lassoAround(2, 2, 3, 3);
  pravella::grEditSelect(false);
  lassoAround(7, 1, 7.5, 1.5);
  EXPECT_FALSE(pravella::grEditOk());
  EXPECT_EQ(tags().size(), 6u);
  // A closed lasso around rows keeps them.
  lassoAround(4, 4, 6, 6);
  EXPECT_TRUE(pravella::grEditOk());
  EXPECT_EQ(tags(), (std::vector<double>{40, 50, 60}));
}

TEST_F(GrEditTest, XColumnZeroPlotsTheRowIndex) {
  // y = tag; x is the row index 0..5, so rows 1 and 2 lie at x 1 and 2.
  start(kRows, 0, 3);
  lassoAround(1, 20, 2, 30);
  pravella::grEditSelect(true);
  EXPECT_EQ(tags(), (std::vector<double>{20, 30}));
}

TEST_F(GrEditTest, ResizingKeepsTheSameRowsInside) {
  lassoAround(2, 2, 4, 4);
  pravella::grEditResize(840, 200);
  EXPECT_EQ(grEditState().image.size(), QSize(840, 200));
  pravella::grEditSelect(true);
  EXPECT_EQ(tags(), (std::vector<double>{20, 30, 40}));
}

TEST_F(GrEditTest, ColumnsOutsideTheDataOrFlatDataCannotBePlotted) {
  struct Case {
    std::vector<double> rows;
    int x, y;
  };
  const Case cases[] = {{kRows, 4, 2}, {kRows, 1, 0}, {kRows, -1, 2}, {{1, 1, 0, 1, 2, 0}, 1, 2}};
  for (const Case& c : cases) {
    ASSERT_EQ(pravella::DoMakeInnerData(c.rows.data(), static_cast<int>(c.rows.size() / 3), 3, c.x, c.y), 1);
    EXPECT_FALSE(pravella::showGrEditImage()) << c.x << ", " << c.y;
  }
}

}  // namespace
