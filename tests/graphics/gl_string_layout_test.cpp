// The look of the OpenGL views' text labels: frames, marks for rebuilding, the rounded box.

#include <gtest/gtest.h>

#include "graphics/gl/gl_string_layout.h"
#include "graphics/gl/round_rect.h"

namespace {

using namespace pravella::gl;

GLText text(const QString& s) { return {{s, labelFont(12), QColor()}}; }

TEST(GLStringLayout, PlainLabelShowsOnlyText) {
  GLStringLayout label(text("Hello"));
  EXPECT_EQ(label.boxColor().alpha(), 0);
  EXPECT_EQ(label.borderColor().alpha(), 0);
  EXPECT_EQ(label.textColor(), QColor(Qt::white));
  EXPECT_TRUE(label.requiresUpdate());
  const QSizeF t = textSize(label.string());
  EXPECT_EQ(label.frameSize(), QSizeF(t.width() + 8, t.height() + 4));
  const QImage image = label.render();
  EXPECT_FALSE(label.requiresUpdate());
  EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);  // no box in the corner
}

TEST(GLStringLayout, StaticFrameKeepsItsSize) {
  GLStringLayout label(text("a"));
  label.useStaticFrame(QSizeF(100, 30));
  label.setString(text("a much longer text than before"));
  EXPECT_EQ(label.frameSize(), QSizeF(100, 30));
  EXPECT_EQ(label.render().size(), QSize(100, 30));
}

TEST(GLStringLayout, DynamicFrameFollowsText) {
  GLStringLayout label(text("a"));
  const QSizeF small = label.frameSize();
  label.setString(text("a much longer text than before"));
  EXPECT_GT(label.frameSize().width(), small.width());
  label.setMargins(QSizeF(10, 10));
  const QSizeF t = textSize(label.string());
  EXPECT_EQ(label.frameSize(), QSizeF(t.width() + 20, t.height() + 20));
  label.setString(text("two\nlines"));
  EXPECT_GT(label.frameSize().height(), t.height() + 20);
}

TEST(GLStringLayout, DynamicFrameOnADynamicLabelChangesNothing) {
  GLStringLayout label(text("a"));
  label.render();
  label.useDynamicFrame();
  EXPECT_FALSE(label.requiresUpdate());
  label.useStaticFrame(QSizeF(5, 5));
  EXPECT_TRUE(label.requiresUpdate());
  label.useDynamicFrame();
  EXPECT_FALSE(label.staticFrame());
  EXPECT_NE(label.frameSize(), QSizeF(5, 5));
}

TEST(GLStringLayout, SettersMarkTheLabel) {
  GLStringLayout label(text("a"));
  for (auto change : std::initializer_list<void (*)(GLStringLayout&)>{
           [](GLStringLayout& l) { l.setTextColor(Qt::red); },
           [](GLStringLayout& l) { l.setBoxColor(Qt::red); },
           [](GLStringLayout& l) { l.setBorderColor(Qt::red); },
           [](GLStringLayout& l) { l.setAntialias(false); },
           [](GLStringLayout& l) { l.setMargins(QSizeF(1, 1)); },
       }) {
    label.render();
    change(label);
    EXPECT_TRUE(label.requiresUpdate());
  }
}

TEST(GLStringLayout, BoxIsDrawnWhenItsAlphaIsNotZero) {
  GLStringLayout label(text("a"), Qt::white, QColor(0, 0, 255, 255), QColor(0, 0, 0, 0));
  const QImage image = label.render();
  EXPECT_EQ(image.pixelColor(image.width() / 2, 1).blue(), 255);
}

TEST(RoundRect, Shapes) {
  EXPECT_TRUE(roundedRectPath(QRectF(0, 0, 0, 10), 4).isEmpty());
  EXPECT_TRUE(roundedRectPath(QRectF(0, 0, 10, -1), 4).isEmpty());
  const QPainterPath square = roundedRectPath(QRectF(0, 0, 40, 20), 0);
  EXPECT_TRUE(square.contains(QPointF(0.2, 0.2)));
  // A radius beyond half the shorter side gives a capsule: round ends of radius 10.
  const QPainterPath capsule = roundedRectPath(QRectF(0, 0, 40, 20), 100);
  EXPECT_EQ(capsule.boundingRect(), QRectF(0, 0, 40, 20));
  EXPECT_TRUE(capsule.contains(QPointF(1, 10)));
  EXPECT_FALSE(capsule.contains(QPointF(1.5, 1.5)));
  EXPECT_TRUE(capsule.contains(QPointF(20, 0.5)));
  const QPainterPath rounded = roundedRectPath(QRectF(0, 0, 40, 20), 4);
  EXPECT_FALSE(rounded.contains(QPointF(0.3, 0.3)));
  EXPECT_TRUE(rounded.contains(QPointF(5, 1)));
}

}  // namespace
