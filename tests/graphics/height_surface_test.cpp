#include "graphics/height_surface.h"

#include <gtest/gtest.h>

#include <QImage>

#include <set>
#include <vector>

#include "graphics/color_table.h"
#include "graphics/surface3d.h"
#include "lang/builtins/dispatch.h"
#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

class HeightSurface : public LangTest {
 protected:
  // The picture view3D (or view3DColor) pushes for the matrix, through the dispatcher.
  pravella::Picture viaBuiltin(const char* name, const Vec& m, int rows, int cols) {
    sp = 0;
    EXPECT_EQ(PushToStack(stack.data(), &sp, m.data(), kValueReal, rows, cols), 1);
    vk_Code rec;
    rec.name = name;
    rec.argc = 1;
    int pc = 0;
    if (DoFunction(1, &rec, &pc, stack.data(), &sp) != 1) return {};
    int type = 0, r = 0, c = 0;
    EXPECT_EQ(PopFromStack(stack.data(), &sp, vk_tc, &type, &r, &c), 1);
    EXPECT_EQ(type, kValuePicture);
    return pravella::Picture::fromBytes(vk_tc, static_cast<std::size_t>(r));
  }

  static std::set<QRgb> colours(const QImage& image) {
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y) | 0xFF000000u);
    return seen;
  }
};

TEST_F(HeightSurface, LimitDataClampsThenScales) {
  const Vec in{-5000, -1, 0, 2, 5000};
  Vec out(5);
  limitData(1, 5, in.data(), out.data(), 1000, -1000, 0.1);
  EXPECT_EQ(out, (Vec{-100, -0.1, 0, 0.2, 100}));
}

TEST_F(HeightSurface, MeshIsWhiteCellsFramedInBlack) {
  const Vec m{-1, 0, 1, 0, 1, 0, 1, 0, -1};
  pravella::Picture p;
  ASSERT_EQ(doM3D(0, 0, m.data(), 3, 3, p), 1);
  EXPECT_EQ(p.width(), view3d::hwin);
  EXPECT_EQ(p.height(), view3d::vwin);
  const std::set<QRgb> seen = colours(p.toImageOnWhite());
  EXPECT_EQ(seen, (std::set<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
}

TEST_F(HeightSurface, ColouredCellsTakeTheirRowOfTheColourTable) {
  Vec m(16);
  for (int i = 0; i < 16; ++i) m[static_cast<std::size_t>(i)] = i / 15.0;
  pravella::Picture p;
  ASSERT_EQ(doM3Dcolor(0, 0, m.data(), 4, 4, p), 1);
  const std::set<QRgb> seen = colours(p.toImageOnWhite());
  // Nine cells with means 2.5 / 15 .. 12.5 / 15 of the range 0 .. 1: rows trunc(mean x 254).
  uint8_t table[768];
  GetRGBColorTable(table);
  for (double mean : {2.5, 7.5, 12.5}) {
    const int k = static_cast<int>(mean / 15 * 254);
    EXPECT_TRUE(seen.count(qRgb(table[3 * k], table[3 * k + 1], table[3 * k + 2])))
        << "no cell in table row " << k;
  }
}

TEST_F(HeightSurface, TheBuiltinStandardisesSoScaleAndOffsetDoNotShow) {
  const Vec m{1, 4, 2, 8, 5, 7, 3, 6, 9, 0, 2, 4};
  Vec scaled(m.size());
  for (std::size_t i = 0; i < m.size(); ++i) scaled[i] = m[i] * 3.5 + 100;
  for (const char* name : {"view3D", "view3DColor"}) {
    const pravella::Picture a = viaBuiltin(name, m, 3, 4), b = viaBuiltin(name, scaled, 3, 4);
    ASSERT_FALSE(a.isEmpty()) << name;
    EXPECT_EQ(a.toImageOnWhite(), b.toImageOnWhite()) << name;
  }
  EXPECT_NE(viaBuiltin("view3D", m, 3, 4).toImageOnWhite(),
            viaBuiltin("view3DColor", m, 3, 4).toImageOnWhite());
}

}  // namespace
