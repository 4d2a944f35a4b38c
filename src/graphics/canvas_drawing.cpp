#include "graphics/canvas_drawing.h"

#include <QColor>
#include <QString>

#include <algorithm>
#include <cmath>

#include "graphics/color_table.h"
#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "lang/report.h"
#include "lang/values.h"

RGBColor canvasColor{65535, 65535, 65535};

void resetCanvasColor() { canvasColor = {65535, 65535, 65535}; }

namespace {

using pravella::OffScreenWorld;
using pravella::Picture;

QColor fromRgbColor(const RGBColor& c) { return QColor::fromRgb(c.red >> 8, c.green >> 8, c.blue >> 8); }

// The colour numbers 1 black .. 8 white, in the one table the plots and titles use; any
// other number is black, as it is there (a negative one is not a named colour here).
QColor numberedColour(int n) { return colorForReference(n >= 1 ? n : 1); }

int channel(double v) { return std::clamp(vkTruncToInt(v), 0, 255); }

int drawRows(const double* rows, const double* size, int count, int columns, Picture& out) {
  auto world = pravella::newOffScreenWorld(vkTruncToInt(size[0]), vkTruncToInt(size[1]));
  if (!world) return 0;
  out = pravella::recordCommands(*world, [&](OffScreenWorld& w) {
    w.moveTo(0, 0);
    for (int r = 0; r < count; ++r) {
      const double* row = rows + static_cast<long long>(r) * columns;
      const int x = vkTruncToInt(row[0]), y = vkTruncToInt(row[1]);
      const int pen = vkTruncToInt(row[4]);
      const int right = x + vkTruncToInt(row[5]), bottom = y + vkTruncToInt(row[6]);
      w.penSize(pen, pen);
      w.setForeColor(columns == 7 ? numberedColour(vkTruncToInt(row[3]))
                                  : QColor::fromRgb(channel(row[7]), channel(row[8]), channel(row[9])));
      switch (vkTruncToInt(row[2])) {
        case 0:
          w.moveTo(x, y);
          break;
        case 1:
          w.lineTo(x, y);
          break;
        case 2:
          w.frameRect(x, y, right, bottom);
          break;
        case 3:
          w.paintRect(x, y, right, bottom);
          break;
        case 4:
          w.frameOval(x, y, right, bottom);
          break;
        case 5:
          w.paintOval(x, y, right, bottom);
          break;
        default:
          break;  // an unknown operation draws nothing
      }
    }
  });
  return 1;
}

// Text over what the world holds (a canvas already erased, a picture already drawn), all in
// one command recording; no graph titles.
int drawText(OffScreenWorld& world, const QByteArray* canvas, int x, int y, const std::string& text,
             const std::string& font, const std::string& colour, int fontSize, int face, Picture& out) {
  pravella::PortSaver saver;
  pravella::setCurrentPort(&world);
  world.openPicture();
  world.penNormal();
  world.setForeColor(Qt::black);
  world.setBackColor(fromRgbColor(canvasColor));
  world.eraseAll();
  if (canvas && !world.drawPicture(Picture(*canvas), 0, 0, world.width(), world.height())) {
    world.closePicture();
    return 0;
  }
  world.textFont(QString::fromUtf8(font.c_str()));
  world.textFace(face);
  world.textSize(fontSize);
  double rgb[3] = {128, 128, 128};
  DoGetUnixColor(colour, rgb);
  world.setForeColor(QColor::fromRgb(channel(rgb[0]), channel(rgb[1]), channel(rgb[2])));
  world.moveTo(x, y);
  world.drawString(QString::fromUtf8(text.c_str()));
  world.setForeColor(Qt::black);
  out = world.closePicture();
  return 1;
}

// A canvas in the canvas colour with `under` (when given) over its whole frame and `placed`
// at (x, y), recorded as pixels.
int placePicture(int width, int height, const QByteArray* under, const QByteArray& placed, int x, int y,
                 Picture& out) {
  auto world = pravella::newOffScreenWorld(width, height);
  if (!world) return 0;
  pravella::PortSaver saver;
  pravella::setCurrentPort(world.get());
  world->setForeColor(Qt::black);
  world->setBackColor(fromRgbColor(canvasColor));
  world->eraseAll();
  const Picture top(placed);
  if (under && !world->drawPicture(Picture(*under), 0, 0, width, height)) return 0;
  if (!world->drawPicture(top, x, y, x + top.width(), y + top.height())) return 0;
  CopyOffScreen(out, *world);
  return out.isEmpty() ? 0 : 1;
}

}  // namespace

void DoChangeCanvasColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
  auto component = [](std::int32_t v) -> std::uint16_t {
    return v >= 0 && v < 255 ? static_cast<std::uint16_t>(v * 256) : 65535;
  };
  canvasColor = {component(red), component(green), component(blue)};
}

int DoDraw(const double* rows, const double* size, int count, Picture& out) {
  return drawRows(rows, size, count, 7, out);
}

int DoDraw2(const double* rows, const double* size, int count, Picture& out) {
  return drawRows(rows, size, count, 10, out);
}

int DoDrawStringInCanvas_2(std::int32_t packedSize, int x, int y, const std::string& text,
                           const std::string& font, const std::string& colour, int fontSize, int face,
                           Picture& out) {
  const auto packed = static_cast<std::uint32_t>(packedSize);
  auto world = pravella::newOffScreenWorld(static_cast<int>(packed >> 16), static_cast<int>(packed & 0xFFFF));
  if (!world) return 0;
  return drawText(*world, nullptr, x, y, text, font, colour, fontSize, face, out);
}

int DoDrawStringInCanvas(const QByteArray& canvas, int x, int y, const std::string& text,
                         const std::string& font, const std::string& colour, int fontSize, int face,
                         Picture& out) {
  const Picture picture(canvas);
  auto world = pravella::newOffScreenWorld(picture.width(), picture.height());
  if (!world) return 0;
  return drawText(*world, &canvas, x, y, text, font, colour, fontSize, face, out);
}

int DoDrawPictureInCanvas_1(const QByteArray& picture, int width, int height, int x, int y, Picture& out) {
  return placePicture(width, height, nullptr, picture, x, y, out);
}

int DoDrawPictureInCanvas_2(const QByteArray& a, const QByteArray& b, int x, int y, Picture& out) {
  const Picture canvas(a);
  return placePicture(canvas.width(), canvas.height(), &a, b, x, y, out);
}
