// Writes version 2 pictures: size word and frame, the version and extended header opcodes, a
// clip region of the frame, then pixel opcodes, then the end opcode. Every opcode starts on an
// even offset, as version 2 requires.

#include <algorithm>

#include "graphics/packbits.h"
#include "graphics/pict_codec.h"

namespace pravella::pict {

namespace {

// The row-length field holds 14 bits of bytes in practice (old readers reject more), so wide
// images are written as several strips of at most this many 32-bit pixels.
constexpr int kMaxStripWidth = 4000;

}  // namespace

Writer::Writer(const QRect& frame) : frame_(frame) {
  u16(0);  // size word, filled in by finish()
  rect(QdRect::of(frame));
  opcode(kVersion);
  u16(0x02FF);
  opcode(kHeaderOp);
  u16(0xFFFE);  // extended version 2 header
  u16(0);
  u32(0x00480000);  // 72 dpi horizontally
  u32(0x00480000);  // and vertically
  rect(QdRect::of(frame));
  u32(0);
  opcode(kDefHilite);
  opcode(kClip);
  u16(10);
  rect(QdRect::of(frame));
}

void Writer::u16(int v) {
  out_.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

void Writer::u32(std::uint32_t v) {
  u16(static_cast<int>(v >> 16));
  u16(static_cast<int>(v & 0xFFFF));
}

void Writer::rect(const QdRect& r) {
  u16(r.top);
  u16(r.left);
  u16(r.bottom);
  u16(r.right);
}

void Writer::align() {
  if (out_.size() % 2) out_.push_back(0);
}

void Writer::opcode(std::uint16_t op) {
  align();
  u16(op);
}

void Writer::directBits(const QImage& image, QPoint at, int mode, bool withAlpha) {
  for (int x0 = 0; x0 < image.width(); x0 += kMaxStripWidth)
    directStrip(image, x0, std::min(kMaxStripWidth, image.width() - x0), at, mode, withAlpha);
}

void Writer::directStrip(const QImage& image, int x0, int width, QPoint at, int mode, bool withAlpha) {
  const int height = image.height();
  const int rowBytes = width * 4;
  // Rows shorter than 8 bytes are never packed; say so with pack type 1.
  const bool packed = rowBytes >= 8;
  const QdRect bounds{0, 0, height, width};
  const QdRect dst{at.y(), at.x() + x0, at.y() + height, at.x() + x0 + width};

  opcode(kDirectBitsRect);
  u32(0x000000FF);  // base address of a direct pixel map
  u16(0x8000 | rowBytes);
  rect(bounds);
  u16(0);                 // pixel map version
  u16(packed ? 4 : 1);    // component-wise PackBits, or none
  u32(0);                 // pack size
  u32(0x00480000);        // resolution
  u32(0x00480000);
  u16(16);                // RGBDirect
  u16(32);                // bits per pixel
  u16(withAlpha ? 4 : 3); // components
  u16(8);                 // bits per component
  u32(0);                 // plane bytes
  u32(0);                 // colour table
  u32(0);                 // reserved
  rect(bounds);           // source rectangle
  rect(dst);              // destination rectangle
  u16(mode);

  const int planes = withAlpha ? 4 : 3;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * planes);
  std::vector<std::uint8_t> packedRow;
  // A clear pixel is stored white under its zero alpha: readers that ignore the fourth
  // component show the picture on white paper, as it was drawn, not on black.
  const auto colourOf = [withAlpha](QRgb p) { return withAlpha && qAlpha(p) == 0 ? qRgba(255, 255, 255, 0) : p; };
  std::vector<QRgb> pixels(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + x0;
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(x)] = colourOf(source[x]);
    const QRgb* line = pixels.data();
    if (!packed) {
      for (int x = 0; x < width; ++x) {
        u8(withAlpha ? qAlpha(line[x]) : 0);
        u8(qRed(line[x]));
        u8(qGreen(line[x]));
        u8(qBlue(line[x]));
      }
      continue;
    }
    // One plane after another: alpha (when written), red, green, blue.
    std::size_t k = 0;
    if (withAlpha)
      for (int x = 0; x < width; ++x) row[k++] = static_cast<std::uint8_t>(qAlpha(line[x]));
    for (int x = 0; x < width; ++x) row[k++] = static_cast<std::uint8_t>(qRed(line[x]));
    for (int x = 0; x < width; ++x) row[k++] = static_cast<std::uint8_t>(qGreen(line[x]));
    for (int x = 0; x < width; ++x) row[k++] = static_cast<std::uint8_t>(qBlue(line[x]));
    packedRow.clear();
    packBits(row.data(), row.size(), packedRow);
    if (rowBytes > 250)
      u16(static_cast<int>(packedRow.size()));
    else
      u8(static_cast<int>(packedRow.size()));
    out_.insert(out_.end(), packedRow.begin(), packedRow.end());
  }
}

void Writer::compressedJpeg(const QByteArray& jpeg, QSize size, QPoint at) {
  opcode(kCompressedQuickTime);
  const std::size_t lengthAt = out_.size();
  u32(0);  // data length, filled in below
  const std::size_t start = out_.size();
  u16(0);  // version
  // Transformation matrix: identity scale, translation to `at` (fixed 16.16; last column 2.30).
  u32(0x00010000); u32(0); u32(0);
  u32(0); u32(0x00010000); u32(0);
  u32(static_cast<std::uint32_t>(at.x()) << 16); u32(static_cast<std::uint32_t>(at.y()) << 16);
  u32(0x40000000);
  u32(0);                                     // matte size
  rect({});                                   // matte rectangle
  u16(0);                                     // transfer mode: copy
  rect({0, 0, size.height(), size.width()});  // source rectangle
  u32(0);                                     // accuracy
  u32(0);                                     // mask size
  // Image description.
  u32(86);
  for (char c : {'j', 'p', 'e', 'g'}) u8(c);
  u32(0);
  u16(0);
  u16(0);   // data reference index
  u16(1);   // version
  u16(1);   // revision
  u32(0);   // vendor
  u32(0);   // temporal quality
  u32(512); // spatial quality
  u16(size.width());
  u16(size.height());
  u32(0x00480000);
  u32(0x00480000);
  u32(static_cast<std::uint32_t>(jpeg.size()));
  u16(1);   // frame count
  const char name[] = "Photo - JPEG";
  u8(static_cast<int>(sizeof(name) - 1));
  for (int i = 0; i < 31; ++i) u8(i < static_cast<int>(sizeof(name) - 1) ? name[i] : 0);
  u16(24);  // depth
  u16(-1);  // no colour table
  out_.insert(out_.end(), jpeg.begin(), jpeg.end());
  const std::uint32_t length = static_cast<std::uint32_t>(out_.size() - start);
  out_[lengthAt] = static_cast<std::uint8_t>(length >> 24);
  out_[lengthAt + 1] = static_cast<std::uint8_t>(length >> 16);
  out_[lengthAt + 2] = static_cast<std::uint8_t>(length >> 8);
  out_[lengthAt + 3] = static_cast<std::uint8_t>(length);
}

QByteArray Writer::finish() {
  opcode(kOpEndPic);
  // The size word keeps only the low 16 bits of the length, as version 2 pictures do.
  out_[0] = static_cast<std::uint8_t>((out_.size() >> 8) & 0xFF);
  out_[1] = static_cast<std::uint8_t>(out_.size() & 0xFF);
  return QByteArray(reinterpret_cast<const char*>(out_.data()), static_cast<qsizetype>(out_.size()));
}

}  // namespace pravella::pict
