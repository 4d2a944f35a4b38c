#pragma once
// Pictures that programs compose directly: drawing command rows rendered into a new picture,
// text drawn on a new canvas or over a picture, and one picture placed on a canvas or over
// another. A process-wide canvas colour fills the background of new canvases. Each routine
// returns 1 with the new picture in `out`, or 0 (a world that cannot be made, a picture whose
// bytes are refused).

#include <QByteArray>

#include <cstdint>
#include <string>

#include "graphics/color_table.h"
#include "graphics/picture.h"

// The background of new canvases (16-bit components), white at start.
extern RGBColor canvasColor;
// The canvas colour as at start (white), for a fresh language.
void resetCanvasColor();

// Each component 0..254 times 256; 255 and above, and negative values, give 65,535.
void DoChangeCanvasColor(std::int32_t red, std::int32_t green, std::int32_t blue);

// Command rows of 7 columns (x, y, operation, colour number, pen size, width, height) or of
// 10 (x, y, operation, unused, pen size, width, height, red, green, blue), recorded as drawing
// into a picture of size (width, height). Operations: 0 move, 1 line, 2 frame rectangle,
// 3 paint rectangle, 4 frame oval, 5 paint oval; others draw nothing.
int DoDraw(const double* rows, const double* size, int count, pravella::Picture& out);
int DoDraw2(const double* rows, const double* size, int count, pravella::Picture& out);

// Text at (x, y) (its base line's start) on a new canvas of the packed size (width in the high
// 16 bits, height in the low 16) in the canvas colour, or over the canvas picture.
int DoDrawStringInCanvas_2(std::int32_t packedSize, int x, int y, const std::string& text,
                           const std::string& font, const std::string& colour, int fontSize, int face,
                           pravella::Picture& out);
int DoDrawStringInCanvas(const QByteArray& canvas, int x, int y, const std::string& text,
                         const std::string& font, const std::string& colour, int fontSize, int face,
                         pravella::Picture& out);

// The picture at (x, y), its own size, on a new canvas of width x height in the canvas colour
// (_1), or over picture A, the result of A's size (_2). Pixel recordings.
int DoDrawPictureInCanvas_1(const QByteArray& picture, int width, int height, int x, int y,
                            pravella::Picture& out);
int DoDrawPictureInCanvas_2(const QByteArray& a, const QByteArray& b, int x, int y, pravella::Picture& out);
