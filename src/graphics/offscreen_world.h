#pragma once
// An off-screen world: a 32-bit pixel map of bounds (0, 0, width, height) with a drawing port
// that follows the old drawing rules rather than Qt's: a rectangle (left, top, right, bottom)
// covers left..right-1 by top..bottom-1, the pen is a rectangle that hangs below and to the
// right of the pen position, lines cover both end points, and nothing is antialiased. Drawing
// goes to the world's pixels, or, while a picture is open (command recording), to a
// transparent layer that becomes the picture, so that the picture covers only what was drawn.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QString>

#include <memory>
#include <optional>

#include "graphics/picture.h"

namespace pravella {

class OffScreenWorld {
 public:
  // Null (isNull) when the pixels cannot be had or a side is not positive or above 32,767.
  // A world starts erased to white; a transparent one (a canvas that a picture is played
  // back onto) starts with nothing drawn.
  enum class Start { White, Transparent };
  OffScreenWorld(int width, int height, Start start = Start::White);

  bool isNull() const { return pixels_.isNull(); }
  int width() const { return pixels_.width(); }
  int height() const { return pixels_.height(); }
  // The world's pixels, ARGB32 and opaque: 4 bytes a pixel, rows of bytesPerLine().
  QImage& pixels() { return pixels_; }
  const QImage& pixels() const { return pixels_; }

  // Drawing state of the port.
  void setForeColor(const QColor& color) { fore_ = color; }
  void setBackColor(const QColor& color) { back_ = color; }
  QColor foreColor() const { return fore_; }
  QColor backColor() const { return back_; }
  void penNormal();  // 1 by 1 pen
  void penSize(int width, int height);
  void moveTo(int h, int v);
  QPoint penLocation() const { return pen_; }
  void textFont(const QString& name) { fontName_ = name; }
  void textSize(int size) { textSize_ = size; }
  // Bit 0 bold, bit 1 italic, bit 2 underline.
  void textFace(int face) { textFace_ = face; }

  // Drawing, in port coordinates.
  void lineTo(int h, int v);
  void line(int dh, int dv) { lineTo(pen_.x() + dh, pen_.y() + dv); }
  void paintRect(int left, int top, int right, int bottom);
  void eraseRect(int left, int top, int right, int bottom);
  void frameRect(int left, int top, int right, int bottom);
  void paintOval(int left, int top, int right, int bottom);
  void frameOval(int left, int top, int right, int bottom);
  // A polygon filled, or its outline drawn with the pen (from each point to the next).
  void paintPolygon(const QPolygon& points);
  void framePolygon(const QPolygon& points);
  // Text at the pen position (the base line's start); the pen moves past it.
  void drawString(const QString& text);
  // A picture drawn scaled into the rectangle; false when its bytes are refused.
  bool drawPicture(const Picture& picture, int left, int top, int right, int bottom);
  void eraseAll() { eraseRect(0, 0, width(), height()); }

  // Command recording: while a picture is open, drawing builds the picture instead of
  // changing the world.
  void openPicture();
  bool pictureOpen() const { return layer_.has_value(); }
  Picture closePicture();

  // Where drawing currently goes (the open picture's layer or the pixels).
  QImage& target() { return layer_ ? *layer_ : pixels_; }

 private:
  void fill(int left, int top, int right, int bottom, const QColor& color);

  QImage pixels_;
  std::optional<QImage> layer_;
  QColor fore_ = Qt::black;
  QColor back_ = Qt::white;
  QPoint pen_;
  int penWidth_ = 1, penHeight_ = 1;
  QString fontName_;
  int textSize_ = 0;
  int textFace_ = 0;
};

// The current port of the drawing routines (process-wide, as the program runs one at a time).
// Routines that draw into a world make it current with BeginDrawInToOffScreen and put the
// previous one back when done (PortSaver).
OffScreenWorld* currentPort();
void setCurrentPort(OffScreenWorld* world);

class PortSaver {
 public:
  PortSaver() : saved_(currentPort()) {}
  ~PortSaver() { setCurrentPort(saved_); }
  PortSaver(const PortSaver&) = delete;
  PortSaver& operator=(const PortSaver&) = delete;

 private:
  OffScreenWorld* saved_;
};

// A new world, or null when it cannot be had; the reason (a side not positive, above 32,767,
// or no memory for the pixels) is reported through the error report.
std::unique_ptr<OffScreenWorld> newOffScreenWorld(int width, int height);

}  // namespace pravella
