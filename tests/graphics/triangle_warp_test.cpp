#include "graphics/triangle_warp.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <string>
#include <vector>

#include "graphics/picture.h"
#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

class TriangleWarp : public LangTest {
 protected:
  // A picture of w by h pixels, each a different colour.
  static QByteArray picture(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(10 * x, 10 * y, 100));
    return pravella::Picture::fromImage(image).bytes();
  }
  static QImage pixels(const QByteArray& bytes) { return pravella::Picture(bytes).toImageOnWhite(); }
  // A table row with the same source and target corners.
  static Vec identity(double x1, double y1, double x2, double y2, double x3, double y3) {
    return {x1, y1, x2, y2, x3, y3, x1, y1, x2, y2, x3, y3};
  }
  bool reported(const char* message) const { return ResultString.find(message) != std::string::npos; }
};

TEST_F(TriangleWarp, ResultsTooBigAreRefusedBeforeAnythingIsMade) {
  const Vec values(9, 1.0);
  Vec out(static_cast<std::size_t>(TNumber));
  int rows = 0, cols = 0;
  Vec table = identity(1, 1, 2000001, 1, 1, 3);
  EXPECT_EQ(changeMoofData_2(values.data(), 3, 3, table.data(), 1, out.data(), &rows, &cols), 0);
  EXPECT_TRUE(reported("Too big data."));

  const QByteArray small = picture(4, 4);
  QByteArray result;
  struct Case {
    double x, y;
  };
  // A side beyond the drawing system's 16 bits, and an area beyond 2^24 pixels.
  for (const Case c : {Case{40000, 3}, Case{3, 40000}, Case{5000, 5000}}) {
    ResultString.clear();
    table = identity(1, 1, c.x, 1, 1, c.y);
    int h = 0, w = 0;
    EXPECT_EQ(changeMoofPicture_3(small, table.data(), 1, 0, 0, result, &h, &w), 0) << c.x << " " << c.y;
    EXPECT_TRUE(reported("Too big data.")) << c.x << " " << c.y;
  }
}

// A corner far outside the picture scans only the part inside it: the same pixels as with the
// corner where the drawing system's coordinates end.
TEST_F(TriangleWarp, AFarCornerCostsNothingAndWritesTheSamePixels) {
  const QByteArray source = picture(20, 20);
  auto warp = [&](double far) {
    Vec table = identity(far, far, 15, 1, 1, 15);
    int h = 20, w = 20;
    QByteArray out;
    EXPECT_EQ(changeMoofPicture_2(source, table.data(), 1, 0, 0, out, &h, &w), 1);
    EXPECT_EQ(h, 20);
    EXPECT_EQ(w, 20);
    return pixels(out);
  };
  const QImage far = warp(-1e9);
  EXPECT_EQ(far, warp(-32766));
  EXPECT_EQ(far.pixel(2, 2), qRgb(20, 20, 100));
  EXPECT_EQ(far.pixel(19, 19), qRgb(255, 255, 255));
}

TEST_F(TriangleWarp, LaterTrianglesCoverEarlierOnesAndALineTriangleIsSkipped) {
  // Values 0, 1, 2, ... by column; the second triangle samples one column to the right.
  Vec values(36);
  for (int i = 0; i < 36; ++i) values[i] = i % 6;
  Vec table = identity(1, 1, 6, 1, 1, 6);
  const Vec shifted{2, 1, 7, 1, 2, 6, 1, 1, 6, 1, 1, 6};
  table.insert(table.end(), shifted.begin(), shifted.end());
  Vec out(100);
  int rows = 0, cols = 0;
  ASSERT_EQ(changeMoofData_2(values.data(), 6, 6, table.data(), 2, out.data(), &rows, &cols), 1);
  EXPECT_EQ(rows, 5);
  EXPECT_EQ(cols, 5);
  EXPECT_EQ(out[0], 1);  // cell (1, 1) shows column 2
  EXPECT_EQ(out[1], 2);

  // Pictures skip the triangle whose target corners lie on a line, and go on.
  const QByteArray source = picture(6, 6);
  Vec pictureTable{1, 1, 6, 1, 1, 6, 1, 1, 3, 3, 5, 5};
  const Vec cover = identity(1, 1, 7, 1, 1, 7);
  pictureTable.insert(pictureTable.end(), cover.begin(), cover.end());
  int h = 0, w = 0;
  QByteArray result;
  ASSERT_EQ(changeMoofPicture_2(source, pictureTable.data(), 2, 0, 0, result, &h, &w), 1);
  EXPECT_TRUE(reported("pivot error"));
  EXPECT_EQ(pixels(result).pixel(1, 1), qRgb(10, 10, 100));
}

TEST_F(TriangleWarp, TheFixedSizeWarpKeepsItsSize) {
  const QByteArray source = picture(8, 8);
  Vec table = identity(1, 1, 9, 1, 1, 9);
  QByteArray out;
  ASSERT_EQ(changeMoofPicture(source, table.data(), 1, 30, 20, out), 1);
  const QImage image = pixels(out);
  EXPECT_EQ(image.size(), QSize(30, 20));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 100));
  EXPECT_EQ(image.pixel(29, 19), qRgb(255, 255, 255));
  // The table was shifted to 0-based corners in place.
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[6], 0);
}

}  // namespace
