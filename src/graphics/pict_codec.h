#pragma once
// The picture byte format inside the graphics code: a writer of version 2 pictures and a reader
// that renders one to pixels. Only picture.cpp uses this; everything else goes through Picture.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

namespace pravella::pict {

// Opcodes we write or read by name.
enum Opcode : std::uint16_t {
  kNop = 0x0000,
  kClip = 0x0001,
  kVersion = 0x0011,
  kRGBFgCol = 0x001A,
  kRGBBkCol = 0x001B,
  kDefHilite = 0x001E,
  kBitsRect = 0x0090,
  kBitsRgn = 0x0091,
  kPackBitsRect = 0x0098,
  kPackBitsRgn = 0x0099,
  kDirectBitsRect = 0x009A,
  kDirectBitsRgn = 0x009B,
  kShortComment = 0x00A0,
  kLongComment = 0x00A1,
  kOpEndPic = 0x00FF,
  kHeaderOp = 0x0C00,
  kCompressedQuickTime = 0x8200,
  kUncompressedQuickTime = 0x8201,
};

// A QuickDraw rectangle: (left, top, right, bottom) covers left..right-1 by top..bottom-1.
struct QdRect {
  int top = 0, left = 0, bottom = 0, right = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  QRect toQRect() const { return QRect(left, top, width(), height()); }
  static QdRect of(const QRect& r) { return {r.top(), r.left(), r.top() + r.height(), r.left() + r.width()}; }
};

class Writer {
 public:
  explicit Writer(const QRect& frame);
  // A 32-bit DirectBitsRect of `image` (ARGB32) placed at `at`, in strips narrow enough for
  // the row-length field. `withAlpha` writes the alpha plane (four components).
  void directBits(const QImage& image, QPoint at, int mode, bool withAlpha);
  // A compressed QuickTime opcode carrying JPEG data of `size` pixels at `at`.
  void compressedJpeg(const QByteArray& jpeg, QSize size, QPoint at);
  QByteArray finish();

 private:
  void u8(int v) { out_.push_back(static_cast<std::uint8_t>(v)); }
  void u16(int v);
  void u32(std::uint32_t v);
  void rect(const QdRect& r);
  void opcode(std::uint16_t op);
  void align();
  void directStrip(const QImage& image, int x0, int width, QPoint at, int mode, bool withAlpha);

  QRect frame_;
  std::vector<std::uint8_t> out_;
};

// Renders the picture onto an ARGB32 image of its frame (transparent where nothing is drawn).
// Returns false with a reason for anything it cannot read; it never reads past `size`.
bool render(const std::uint8_t* data, std::size_t size, QImage& out, QString& error);

// The frame from the header, or false when the bytes are too short to hold one.
bool readFrame(const std::uint8_t* data, std::size_t size, QdRect& frame);

}  // namespace pravella::pict
