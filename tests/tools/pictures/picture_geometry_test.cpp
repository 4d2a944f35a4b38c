#include "tools/pictures/picture_geometry.h"

#include <gtest/gtest.h>

namespace {

using namespace pravella;

TEST(PictureGeometry, LetterboxCentresOnTheFreeAxis) {
  struct Case {
    QSizeF picture, area;
    QRectF drawn;
  };
  const Case cases[] = {
      {{400, 100}, {200, 300}, {0, 125, 200, 50}},    // wide picture, tall screen: bands above and below
      {{100, 400}, {300, 200}, {125, 0, 50, 200}},  // tall picture: bands left and right
      {{160, 90}, {1920, 1080}, {0, 0, 1920, 1080}},  // same aspect: no bands
      {{0, 90}, {1920, 1080}, {}},                    // no picture
  };
  for (const Case& c : cases) EXPECT_EQ(letterboxRect(c.picture, c.area), c.drawn) << c.picture.width();
}

TEST(PictureGeometry, PanSourceIsCentredThenShiftedInPictureUnits) {
  struct Case {
    double magnification;
    QPointF pan;
    QRectF source;
  };
  const QSizeF picture(1000, 800), view(400, 200);
  const Case cases[] = {
      {1, {0, 0}, {300, 300, 400, 200}},
      {2, {0, 0}, {400, 350, 200, 100}},
      {2, {40, -20}, {420, 340, 200, 100}},
      {0.5, {10, 10}, {120, 220, 800, 400}},
      {0, {0, 0}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(panSourceRect(picture, view, c.magnification, c.pan), c.source) << c.magnification;
  // Dragging the mouse right and down by (30, 10) shows what lies left and above.
  const QPointF pan = pannedBy({5, 5}, {100, 100}, {130, 110});
  EXPECT_EQ(pan, QPointF(-25, -5));
  EXPECT_EQ(panSourceRect(picture, view, 1, pan).topLeft(), QPointF(275, 295));
}

TEST(PictureGeometry, PictureWindowKeepsThePicturesAspectAtMost500Wide) {
  struct Case {
    QSizeF picture;
    QSize window;
  };
  const Case cases[] = {
      {{1200, 600}, {500, 292}},
      {{300, 150}, {300, 192}},
      {{500, 1000}, {500, 1042}},
  };
  for (const Case& c : cases) EXPECT_EQ(pictureWindowSize(c.picture), c.window) << c.picture.width();
  EXPECT_EQ(pictureWindowHeight({1200, 600}, 250), 167);
}

TEST(PictureGeometry, PercentageScalingRoundsDown) {
  struct Case {
    QSize picture;
    int percent;
    QSize scaled;
  };
  const Case cases[] = {
      {{333, 200}, 50, {166, 100}},
      {{333, 200}, 200, {666, 400}},
      {{3, 3}, 10, {0, 0}},
      {{101, 99}, 75, {75, 74}},
  };
  for (const Case& c : cases) EXPECT_EQ(scaledPictureSize(c.picture, c.percent), c.scaled) << c.percent;
}

}  // namespace
