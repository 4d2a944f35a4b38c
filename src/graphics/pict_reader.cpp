// Renders a picture to pixels. Reads what our writer produces (direct 32-bit pixels with
// PackBits, an alpha plane, embedded JPEG) and the bitmap opcodes common in old picture files:
// 1-bit bit maps, indexed pixel maps of 1 to 8 bits with their colour table, 16- and 32-bit
// direct pixels, packed or not, in version 1 and version 2 pictures. Of the drawing commands it
// plays back lines, rectangles, ovals, polygons and text with their pen, colours and fonts
// (as old plots were recorded); patterns, arcs, regions and inversion are stepped over. Every
// read is checked against the end of the data: picture bytes come from files and programs and
// may be anything.

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>

#include "graphics/offscreen_world.h"
#include "graphics/packbits.h"
#include "graphics/pict_codec.h"
#include "platform/text_encoding.h"

namespace pravella::pict {

namespace {

// The largest frame we render: a corrupt frame must not make us allocate gigabytes.
constexpr qint64 kMaxFramePixels = 64LL * 1024 * 1024;
// Pixels one picture may paint in all (a few seconds of work): a crafted picture of many
// frame-sized shapes, wide pens or huge text must not hang the program that draws it.
constexpr qint64 kDrawingBudget = 2'000'000'000LL;
// Text larger than this is drawn at this size.
constexpr int kMaxTextSize = 1024;

struct Failure {
  QString reason;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : d_(data), n_(size) {}

  bool run(QImage& out, QString& error);

 private:
  void need(std::size_t k) const {
    if (k > n_ - pos_) throw Failure{QStringLiteral("the picture data ends early")};
  }
  int u8() {
    need(1);
    return d_[pos_++];
  }
  int u16() {
    need(2);
    const int v = (d_[pos_] << 8) | d_[pos_ + 1];
    pos_ += 2;
    return v;
  }
  int s16() { return static_cast<std::int16_t>(static_cast<std::uint16_t>(u16())); }
  std::uint32_t u32() {
    const std::uint32_t hi = static_cast<std::uint32_t>(u16());
    return (hi << 16) | static_cast<std::uint32_t>(u16());
  }
  void skip(std::size_t k) {
    need(k);
    pos_ += k;
  }
  QdRect rect() {
    QdRect r;
    r.top = s16();
    r.left = s16();
    r.bottom = s16();
    r.right = s16();
    return r;
  }
  QRgb rgb48() {
    const int r = u16(), g = u16(), b = u16();
    return qRgb(r >> 8, g >> 8, b >> 8);
  }
  void skipSized16() {  // regions and polygons: a size word that counts itself
    const int size = u16();
    if (size < 2) throw Failure{QStringLiteral("bad region or polygon size")};
    skip(static_cast<std::size_t>(size - 2));
  }

  void opcode(int op);
  bool drawing(int op);
  QPoint point() {  // stored as (v, h), in picture coordinates
    const int v = s16();
    const int h = s16();
    return QPoint(h - frame_.left, v - frame_.top);
  }
  QRect qdRect() {
    const QdRect r = rect();
    return QRect(QPoint(r.left - frame_.left, r.top - frame_.top), QPoint(r.right - frame_.left, r.bottom - frame_.top));
  }
  void text(const QByteArray& bytes);
  void charge(qint64 pixels) {
    budget_ -= std::max<qint64>(pixels, 1);
    if (budget_ < 0) throw Failure{QStringLiteral("too much drawing for one picture")};
  }
  qint64 clippedArea(const QRect& edges) const {  // edges as QRect(topLeft, bottom-right edge)
    const qint64 w = std::min(edges.right(), frame_.width()) - std::max(edges.left(), 0);
    const qint64 h = std::min(edges.bottom(), frame_.height()) - std::max(edges.top(), 0);
    return w > 0 && h > 0 ? w * h : 0;
  }
  void lineTo(int h, int v) {
    const QPoint from = canvas_->penLocation();
    const qint64 steps = std::max(std::abs(static_cast<qint64>(h) - from.x()), std::abs(static_cast<qint64>(v) - from.y())) + 1;
    charge(steps * penWidth_ * penHeight_);
    canvas_->lineTo(h, v);
  }
  void shape(int op, const QRect& r);
  void setFore(QRgb c) {
    fore_ = c;
    canvas_->setForeColor(QColor(c));
  }
  void setBack(QRgb c) {
    back_ = c;
    canvas_->setBackColor(QColor(c));
  }
  void bits(int op);
  void directBits(int op);
  void pixPat();
  void quickTime();
  // Rows of `rowBytes` bytes each; packed rows carry a byte count that is a word when the
  // pixel map's row length (`mapRowBytes`) is above 250.
  std::vector<std::uint8_t> rows(int rowBytes, int height, bool packed, bool wordPacked, int mapRowBytes);
  void blit(const QImage& src, const QdRect& bounds, const QdRect& srcRect, const QdRect& dstRect,
            int mode, bool hasAlpha);

  const std::uint8_t* d_;
  std::size_t n_;
  std::size_t pos_ = 0;
  bool v2_ = false;
  bool ended_ = false;
  QdRect frame_;
  QImage* img_ = nullptr;
  OffScreenWorld* canvas_ = nullptr;
  QPoint textLoc_;
  qint64 budget_ = kDrawingBudget;
  int penWidth_ = 1, penHeight_ = 1;  // as set, held to the frame's size
  int textSize_ = 12;
  QRect lastRect_;  // "right, left" corners as points: QRect(topLeft, bottomRight) of the edges
  QRgb fore_ = qRgb(0, 0, 0);
  QRgb back_ = qRgb(255, 255, 255);
};

// The eight colours of the old one-long colour opcodes.
QRgb oldColor(std::uint32_t code) {
  switch (code) {
    case 30: return qRgb(255, 255, 255);
    case 69: return qRgb(252, 243, 5);
    case 137: return qRgb(242, 8, 132);
    case 205: return qRgb(221, 8, 6);
    case 273: return qRgb(2, 171, 234);
    case 341: return qRgb(0, 128, 17);
    case 409: return qRgb(0, 0, 212);
    default: return qRgb(0, 0, 0);
  }
}

bool Reader::run(QImage& out, QString& error) {
  try {
    need(12);
    pos_ = 2;  // the size word is unreliable past 64 KB; the data itself ends the picture
    frame_ = rect();
    if (frame_.width() <= 0 || frame_.height() <= 0)
      throw Failure{QStringLiteral("the picture frame is empty")};
    if (static_cast<qint64>(frame_.width()) * frame_.height() > kMaxFramePixels)
      throw Failure{QStringLiteral("the picture frame is too large")};
    if (d_[pos_] == 0x11 && d_[pos_ + 1] == 0x01) {
      pos_ += 2;
    } else if (n_ - pos_ >= 4 && d_[pos_] == 0x00 && d_[pos_ + 1] == 0x11 && d_[pos_ + 2] == 0x02 &&
               d_[pos_ + 3] == 0xFF) {
      v2_ = true;
      pos_ += 4;
    } else {
      throw Failure{QStringLiteral("not a picture (no version opcode)")};
    }
    OffScreenWorld canvas(frame_.width(), frame_.height(), OffScreenWorld::Start::Transparent);
    if (canvas.isNull()) throw Failure{QStringLiteral("no memory for the picture")};
    canvas_ = &canvas;
    canvas.penNormal();
    canvas.textFont(QStringLiteral("Geneva"));
    img_ = &canvas.pixels();
    while (!ended_) {
      if (v2_ && (pos_ % 2)) skip(1);
      const int op = v2_ ? u16() : u8();
      if (!drawing(op)) opcode(op);
    }
    out = std::move(canvas.pixels());
    return true;
  } catch (const Failure& f) {
    error = f.reason;
    return false;
  }
}

void Reader::opcode(int op) {
  if (op >= 0x0100) {
    if (!v2_) throw Failure{QStringLiteral("unknown opcode")};
    if (op == kCompressedQuickTime) return quickTime();
    if (op <= 0x7FFF) return skip(static_cast<std::size_t>(op >> 8) * 2);
    if (op <= 0x80FF) return;
    return skip(u32());
  }
  switch (op) {
    case kOpEndPic: ended_ = true; return;
    case kNop: case 0x17: case 0x18: case 0x19: case 0x1C: case kDefHilite: return;
    case kClip: return skipSized16();
    case 0x04: return skip(1);
    case 0x03: case 0x05: case 0x08: case 0x0D: case 0x15: case 0x16: return skip(2);
    case 0x06: case 0x07: case 0x0B: case 0x0C: return skip(4);
    case 0x02: case 0x09: case 0x0A: case 0x10: return skip(8);
    case 0x0E: return setFore(oldColor(u32()));
    case 0x0F: return setBack(oldColor(u32()));
    case kVersion: return skip(v2_ ? 2 : 1);
    case 0x12: case 0x13: case 0x14: return pixPat();
    case kRGBFgCol: return setFore(rgb48());
    case kRGBBkCol: return setBack(rgb48());
    case 0x1D: case 0x1F: return skip(6);
    case 0x20: return skip(8);
    case 0x21: return skip(4);
    case 0x22: return skip(6);
    case 0x23: return skip(2);
    case 0x28: skip(4); return skip(static_cast<std::size_t>(u8()));
    case 0x29: case 0x2A: skip(1); return skip(static_cast<std::size_t>(u8()));
    case 0x2B: skip(2); return skip(static_cast<std::size_t>(u8()));
    case kBitsRect: case kBitsRgn: case kPackBitsRect: case kPackBitsRgn: return bits(op);
    case kDirectBitsRect: case kDirectBitsRgn: return directBits(op);
    case kShortComment: return skip(2);
    case kLongComment: skip(2); return skip(static_cast<std::size_t>(u16()));
    default: break;
  }
  if ((op >= 0x24 && op <= 0x27) || (op >= 0x2C && op <= 0x2F) || (op >= 0x92 && op <= 0x97) ||
      (op >= 0x9C && op <= 0x9F) || (op >= 0xA2 && op <= 0xAF))
    return skip(static_cast<std::size_t>(u16()));
  if (op >= 0x30 && op <= 0x6F) {
    // Rectangles, rounded rectangles, ovals and arcs: 8 bytes (arcs 12), the "same" forms 0
    // (arcs 4), by the low nibble.
    const bool same = (op & 0x0F) >= 8;
    const bool arc = op >= 0x60;
    return skip(same ? (arc ? 4 : 0) : (arc ? 12 : 8));
  }
  if ((op >= 0x70 && op <= 0x77) || (op >= 0x80 && op <= 0x87)) return skipSized16();
  if ((op >= 0x78 && op <= 0x7F) || (op >= 0x88 && op <= 0x8F) || (op >= 0xB0 && op <= 0xCF)) return;
  if (op >= 0xD0 && op <= 0xFE) return skip(u32());
  throw Failure{QStringLiteral("unknown opcode")};
}

// Font numbers of old pictures: the system's classic families.
QString fontForNumber(int id) {
  switch (id) {
    case 2: case 20: return QStringLiteral("Times");
    case 4: return QStringLiteral("Monaco");
    case 21: return QStringLiteral("Helvetica");
    case 22: return QStringLiteral("Courier");
    default: return id >= 16384 ? QStringLiteral("Osaka") : QStringLiteral("Geneva");
  }
}

// Plays back the drawing commands; false for an opcode that is not one of them.
bool Reader::drawing(int op) {
  if (op > 0xFF) return false;
  switch (op) {
    case 0x03: canvas_->textFont(fontForNumber(u16())); return true;
    case 0x04: canvas_->textFace(u8()); return true;
    case 0x07: {
      const int v = s16();
      const int h = s16();
      penWidth_ = std::clamp(h, 0, frame_.width());
      penHeight_ = std::clamp(v, 0, frame_.height());
      canvas_->penSize(penWidth_, penHeight_);
      return true;
    }
    case 0x0D:
      textSize_ = std::clamp(static_cast<int>(s16()), 0, kMaxTextSize);
      canvas_->textSize(textSize_);
      return true;
    case 0x20: {
      const QPoint from = point();
      const QPoint to = point();
      canvas_->moveTo(from.x(), from.y());
      lineTo(to.x(), to.y());
      return true;
    }
    case 0x21: {
      const QPoint to = point();
      lineTo(to.x(), to.y());
      return true;
    }
    case 0x22: {
      const QPoint from = point();
      const int dh = static_cast<std::int8_t>(u8());
      const int dv = static_cast<std::int8_t>(u8());
      canvas_->moveTo(from.x(), from.y());
      lineTo(from.x() + dh, from.y() + dv);
      return true;
    }
    case 0x23: {
      const int dh = static_cast<std::int8_t>(u8());
      const int dv = static_cast<std::int8_t>(u8());
      lineTo(canvas_->penLocation().x() + dh, canvas_->penLocation().y() + dv);
      return true;
    }
    case 0x28: textLoc_ = point(); break;
    case 0x29: textLoc_.rx() += u8(); break;
    case 0x2A: textLoc_.ry() += u8(); break;
    case 0x2B: {
      textLoc_.rx() += u8();
      textLoc_.ry() += u8();
      break;
    }
    case 0x2C: {
      const std::size_t length = static_cast<std::size_t>(u16());
      const std::size_t end = pos_ + length;
      need(length);
      if (length >= 3) {
        skip(2);  // font number
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(u8()), end - pos_);
        canvas_->textFont(QString::fromLatin1(reinterpret_cast<const char*>(d_ + pos_), static_cast<qsizetype>(n)));
      }
      pos_ = end;
      return true;
    }
    default: {
      const int kind = op & 0xF0;
      if ((kind == 0x30 || kind == 0x40 || kind == 0x50) && (op & 0x0F) <= 4) {
        lastRect_ = qdRect();
        charge(clippedArea(lastRect_));
        shape(op, lastRect_);
        return true;
      }
      if ((kind == 0x30 || kind == 0x40 || kind == 0x50) && (op & 0x0F) >= 8 && (op & 0x0F) <= 0x0C) {
        charge(clippedArea(lastRect_));
        shape(op, lastRect_);
        return true;
      }
      if (op == 0x70 || op == 0x71 || op == 0x74) {
        const int size = u16();
        if (size < 10 || (size - 10) % 4) throw Failure{QStringLiteral("bad polygon")};
        skip(8);  // bounding box
        QPolygon polygon;
        for (int k = 0; k < (size - 10) / 4; ++k) polygon << point();
        if (op == 0x70) {
          canvas_->moveTo(polygon.value(0).x(), polygon.value(0).y());
          for (const QPoint& q : polygon) lineTo(q.x(), q.y());
        } else {
          const QRect box = polygon.boundingRect();
          charge(clippedArea(QRect(box.topLeft(), box.bottomRight() + QPoint(1, 1))) + polygon.size());
          canvas_->paintPolygon(polygon);
        }
        return true;
      }
      return false;
    }
  }
  // The text opcodes: a count byte and the characters, at the text location.
  const std::size_t count = static_cast<std::size_t>(u8());
  need(count);
  text(QByteArray(reinterpret_cast<const char*>(d_ + pos_), static_cast<qsizetype>(count)));
  pos_ += count;
  return true;
}

void Reader::text(const QByteArray& bytes) {
  // Old pictures carry Japanese text in Shift-JIS and the rest in the Macintosh character set.
  bool ok = false;
  QString text = encoding::decode(bytes, encoding::kShiftJIS, &ok);
  if (!ok) text = encoding::decodeLossy(bytes, "MACINTOSH");
  // A glyph covers about the square of the text size (0 draws at 12).
  const qint64 size = textSize_ > 0 ? textSize_ : 12;
  charge(static_cast<qint64>(text.size()) * size * size);
  canvas_->moveTo(textLoc_.x(), textLoc_.y());
  canvas_->drawString(text);
}

void Reader::shape(int op, const QRect& r) {
  // r holds the edges: left/top inclusive, right/bottom as the QuickDraw edge.
  const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  const int verb = op & 0x07;
  const bool oval = (op & 0xF0) == 0x50;
  switch (verb) {
    case 0:
      oval ? canvas_->frameOval(l, t, rt, b) : canvas_->frameRect(l, t, rt, b);
      break;
    case 1:
    case 4:  // filled with a pattern: drawn in the foreground colour
      oval ? canvas_->paintOval(l, t, rt, b) : canvas_->paintRect(l, t, rt, b);
      break;
    case 2: {
      const QColor fore = canvas_->foreColor();
      canvas_->setForeColor(canvas_->backColor());
      oval ? canvas_->paintOval(l, t, rt, b) : canvas_->paintRect(l, t, rt, b);
      canvas_->setForeColor(fore);
      break;
    }
    default:  // inversion is not played back
      break;
  }
}

std::vector<std::uint8_t> Reader::rows(int rowBytes, int height, bool packed, bool wordPacked, int mapRowBytes) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = out.data() + static_cast<std::size_t>(rowBytes) * y;
    if (!packed) {
      need(static_cast<std::size_t>(rowBytes));
      std::copy(d_ + pos_, d_ + pos_ + rowBytes, row);
      pos_ += static_cast<std::size_t>(rowBytes);
      continue;
    }
    const std::size_t count = static_cast<std::size_t>(mapRowBytes > 250 ? u16() : u8());
    need(count);
    if (wordPacked) {
      // 16-bit pixels pack by words: the header counts words, not bytes.
      std::size_t in = 0, written = 0;
      const std::uint8_t* p = d_ + pos_;
      while (written < static_cast<std::size_t>(rowBytes)) {
        if (in >= count) throw Failure{QStringLiteral("bad packed row")};
        const int h = static_cast<std::int8_t>(p[in++]);
        if (h >= 0) {
          const std::size_t bytes = (static_cast<std::size_t>(h) + 1) * 2;
          if (in + bytes > count || written + bytes > static_cast<std::size_t>(rowBytes))
            throw Failure{QStringLiteral("bad packed row")};
          std::copy(p + in, p + in + bytes, row + written);
          in += bytes;
          written += bytes;
        } else if (h != -128) {
          const std::size_t words = static_cast<std::size_t>(1 - h);
          if (in + 2 > count || written + words * 2 > static_cast<std::size_t>(rowBytes))
            throw Failure{QStringLiteral("bad packed row")};
          for (std::size_t k = 0; k < words; ++k) {
            row[written++] = p[in];
            row[written++] = p[in + 1];
          }
          in += 2;
        }
      }
    } else if (!unpackBits(d_ + pos_, count, row, static_cast<std::size_t>(rowBytes))) {
      throw Failure{QStringLiteral("bad packed row")};
    }
    pos_ += count;
  }
  return out;
}

void Reader::bits(int op) {
  const int rawRowBytes = u16();
  const bool pixMap = rawRowBytes & 0x8000;
  const int rowBytes = rawRowBytes & 0x3FFF;
  const QdRect bounds = rect();
  int pixelSize = 1;
  std::vector<QRgb> palette;
  if (pixMap) {
    skip(2);  // version
    skip(2);  // pack type
    skip(12); // pack size, resolutions
    skip(2);  // pixel type
    pixelSize = u16();
    skip(4);  // component count and size
    skip(12); // plane bytes, table, reserved
    skip(4);  // colour table seed
    const int flags = u16();
    const int last = u16();
    if (last > 255 && last != 0xFFFF) throw Failure{QStringLiteral("bad colour table")};
    palette.assign(256, qRgb(0, 0, 0));
    for (int i = 0; last != 0xFFFF && i <= last; ++i) {
      const int value = u16();
      const QRgb c = rgb48();
      const int index = (flags & 0x8000) ? i : (value & 0xFF);
      palette[static_cast<std::size_t>(index)] = c;
    }
    if (pixelSize != 1 && pixelSize != 2 && pixelSize != 4 && pixelSize != 8)
      throw Failure{QStringLiteral("unsupported pixel size")};
  }
  const QdRect srcRect = rect();
  const QdRect dstRect = rect();
  const int mode = u16();
  if (op == kBitsRgn || op == kPackBitsRgn) skipSized16();
  const int width = bounds.width();
  const int height = bounds.height();
  if (width <= 0 || height <= 0 || static_cast<qint64>(width) * height > kMaxFramePixels)
    throw Failure{QStringLiteral("bad pixel map bounds")};
  if (rowBytes * 8 < width * pixelSize) throw Failure{QStringLiteral("bad row length")};
  const bool packed = (op == kPackBitsRect || op == kPackBitsRgn) && rowBytes >= 8;
  const std::vector<std::uint8_t> data = rows(rowBytes, height, packed, false, rowBytes);

  QImage src(width, height, QImage::Format_ARGB32);
  if (src.isNull()) throw Failure{QStringLiteral("no memory for the picture")};
  const int mask = (1 << pixelSize) - 1;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = data.data() + static_cast<std::size_t>(rowBytes) * y;
    auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int bit = x * pixelSize;
      const int value = (row[bit / 8] >> (8 - pixelSize - bit % 8)) & mask;
      line[x] = pixMap ? palette[static_cast<std::size_t>(value)] : (value ? fore_ : back_);
    }
  }
  // A bit map copied in "or" mode paints only its set bits.
  blit(src, bounds, srcRect, dstRect, (!pixMap && mode == 1) ? 36 : mode, false);
}

void Reader::directBits(int op) {
  skip(4);  // base address
  const int rowBytes = u16() & 0x3FFF;
  const QdRect bounds = rect();
  skip(2);
  int packType = u16();
  skip(12);
  skip(2);
  const int pixelSize = u16();
  const int cmpCount = u16();
  skip(2);
  skip(12);
  const QdRect srcRect = rect();
  const QdRect dstRect = rect();
  const int mode = u16();
  if (op == kDirectBitsRgn) skipSized16();
  const int width = bounds.width();
  const int height = bounds.height();
  if (width <= 0 || height <= 0 || static_cast<qint64>(width) * height > kMaxFramePixels)
    throw Failure{QStringLiteral("bad pixel map bounds")};
  if (pixelSize != 16 && pixelSize != 32) throw Failure{QStringLiteral("unsupported pixel size")};
  if (rowBytes < width * pixelSize / 8) throw Failure{QStringLiteral("bad row length")};
  if (packType == 0) packType = pixelSize == 32 ? 4 : 3;
  if (rowBytes < 8) packType = 1;
  const bool hasAlpha = pixelSize == 32 && cmpCount == 4;

  QImage src(width, height, QImage::Format_ARGB32);
  if (src.isNull()) throw Failure{QStringLiteral("no memory for the picture")};
  if (pixelSize == 16) {
    const std::vector<std::uint8_t> data = rows(rowBytes, height, packType == 3, true, rowBytes);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = data.data() + static_cast<std::size_t>(rowBytes) * y;
      auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
      for (int x = 0; x < width; ++x) {
        const int v = (row[2 * x] << 8) | row[2 * x + 1];
        const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        line[x] = qRgb((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
      }
    }
  } else if (packType == 4) {
    if (cmpCount != 3 && cmpCount != 4) throw Failure{QStringLiteral("unsupported component count")};
    const int planeRow = width * cmpCount;
    const std::vector<std::uint8_t> data = rows(planeRow, height, true, false, rowBytes);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = data.data() + static_cast<std::size_t>(planeRow) * y;
      const std::uint8_t* a = hasAlpha ? row : nullptr;
      const std::uint8_t* r = row + (hasAlpha ? width : 0);
      const std::uint8_t* g = r + width;
      const std::uint8_t* b = g + width;
      auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
      for (int x = 0; x < width; ++x) line[x] = qRgba(r[x], g[x], b[x], a ? a[x] : 255);
    }
  } else if (packType == 2) {
    const int rowLength = width * 3;
    const std::vector<std::uint8_t> data = rows(rowLength, height, false, false, rowBytes);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = data.data() + static_cast<std::size_t>(rowLength) * y;
      auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
      for (int x = 0; x < width; ++x) line[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
    }
  } else {
    const std::vector<std::uint8_t> data = rows(rowBytes, height, false, false, rowBytes);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = data.data() + static_cast<std::size_t>(rowBytes) * y;
      auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = row + 4 * x;
        line[x] = qRgba(p[1], p[2], p[3], hasAlpha ? p[0] : 255);
      }
    }
  }
  blit(src, bounds, srcRect, dstRect, mode, hasAlpha);
}

void Reader::pixPat() {
  const int type = u16();
  skip(8);  // the one-bit pattern
  if (type == 2) return skip(6);
  if (type != 1) return;
  // A full pixel pattern: a pixel map with its colour table and pixel data, stepped over.
  const int rowBytes = u16() & 0x3FFF;
  const QdRect bounds = rect();
  skip(2);
  const int packType = u16();
  skip(12 + 2);
  skip(2);  // pixel size
  skip(4 + 12 + 4 + 2);
  const int last = u16();
  if (last != 0xFFFF) skip(static_cast<std::size_t>(last + 1) * 8);
  const int height = bounds.height();
  if (height < 0 || height > 4096) throw Failure{QStringLiteral("bad pixel pattern")};
  rows(rowBytes, height, rowBytes >= 8 && packType != 1, false, rowBytes);
}

void Reader::quickTime() {
  const std::uint32_t length = u32();
  need(length);
  const std::size_t end = pos_ + length;
  // Every size inside the opcode is checked against what is left of the opcode before the
  // read position moves: once past its end, "end - pos_" would wrap round.
  auto fits = [&](std::uint64_t k) {
    if (pos_ > end || k > end - pos_) throw Failure{QStringLiteral("bad compressed image sizes")};
  };
  auto skipWithin = [&](std::uint64_t k) {
    fits(k);
    pos_ += static_cast<std::size_t>(k);
  };
  skipWithin(2);  // version
  const std::size_t matrixAt = pos_;
  skipWithin(36);
  fits(4);
  const std::uint32_t matteSize = u32();
  skipWithin(8);  // matte rectangle
  skipWithin(2);  // mode
  fits(8);
  const QdRect srcRect = rect();
  skipWithin(4);  // accuracy
  fits(4);
  const std::uint32_t maskSize = u32();
  skipWithin(matteSize);
  skipWithin(maskSize);
  fits(4);
  const std::size_t descAt = pos_;
  const std::uint32_t descSize = u32();
  if (descSize < 86 || descSize > end - descAt) throw Failure{QStringLiteral("bad image description")};
  pos_ = descAt + 44;
  const std::uint32_t dataSize = u32();
  pos_ = descAt + descSize;
  std::size_t dataEnd = end;
  if (dataSize > end - pos_) {
    // Some writers declare the opcode two bytes shorter than its data. JPEG data ends with
    // its own end marker, which tells where the opcode really ends.
    const std::size_t claimed = pos_ + dataSize;
    if (dataSize > n_ - pos_ || claimed - end > 2 || d_[claimed - 2] != 0xFF || d_[claimed - 1] != 0xD9)
      throw Failure{QStringLiteral("bad compressed image size")};
    dataEnd = claimed;
  }
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(d_ + pos_), static_cast<qsizetype>(dataSize));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) throw Failure{QStringLiteral("the compressed image cannot be read")};
  image = image.convertToFormat(QImage::Format_ARGB32);

  auto fixed = [&](std::size_t at) {
    const std::uint32_t v = (static_cast<std::uint32_t>(d_[at]) << 24) | (d_[at + 1] << 16) | (d_[at + 2] << 8) | d_[at + 3];
    return static_cast<std::int32_t>(v) / 65536.0;
  };
  const double sx = fixed(matrixAt), sy = fixed(matrixAt + 16);
  const double tx = fixed(matrixAt + 24), ty = fixed(matrixAt + 28);
  const int w = srcRect.width() > 0 ? srcRect.width() : image.width();
  const int h = srcRect.height() > 0 ? srcRect.height() : image.height();
  QdRect dst;
  dst.left = static_cast<int>(tx);
  dst.top = static_cast<int>(ty);
  dst.right = dst.left + static_cast<int>(w * (sx > 0 ? sx : 1.0));
  dst.bottom = dst.top + static_cast<int>(h * (sy > 0 ? sy : 1.0));
  const QdRect whole{0, 0, image.height(), image.width()};
  blit(image, whole, whole, dst, 0, image.hasAlphaChannel());
  pos_ = dataEnd;
}

void Reader::blit(const QImage& src, const QdRect& bounds, const QdRect& srcRect, const QdRect& dstRect,
                  int mode, bool hasAlpha) {
  const int sw = srcRect.width(), sh = srcRect.height();
  const int dw = dstRect.width(), dh = dstRect.height();
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  const bool skipBackground = mode == 36;
  const int x0 = std::max(dstRect.left, frame_.left), x1 = std::min(dstRect.right, frame_.right);
  const int y0 = std::max(dstRect.top, frame_.top), y1 = std::min(dstRect.bottom, frame_.bottom);
  if (x1 > x0 && y1 > y0) charge(static_cast<qint64>(x1 - x0) * (y1 - y0));
  for (int y = y0; y < y1; ++y) {
    const int sy = srcRect.top - bounds.top + static_cast<int>(static_cast<qint64>(y - dstRect.top) * sh / dh);
    if (sy < 0 || sy >= src.height()) continue;
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
    auto* out = reinterpret_cast<QRgb*>(img_->scanLine(y - frame_.top));
    for (int x = x0; x < x1; ++x) {
      const int sx = srcRect.left - bounds.left + static_cast<int>(static_cast<qint64>(x - dstRect.left) * sw / dw);
      if (sx < 0 || sx >= src.width()) continue;
      const QRgb s = in[sx];
      QRgb& o = out[x - frame_.left];
      if (skipBackground && (s & 0xFFFFFF) == (back_ & 0xFFFFFF)) continue;
      const int sa = hasAlpha ? qAlpha(s) : 255;
      const int da = qAlpha(o);
      // A clear pixel leaves what is there: its colour (white, as we write them) is no paint.
      if (sa == 255 || (da == 0 && sa != 0)) {
        o = hasAlpha ? s : (s | 0xFF000000u);
      } else if (sa != 0) {
        // Non-premultiplied "over": what was drawn before shows through what is partly clear.
        const int oa = sa + da * (255 - sa) / 255;
        auto mix = [&](int sc, int dc) { return (sc * sa + dc * da * (255 - sa) / 255) / oa; };
        o = qRgba(mix(qRed(s), qRed(o)), mix(qGreen(s), qGreen(o)), mix(qBlue(s), qBlue(o)), oa);
      }
    }
  }
}

}  // namespace

bool readFrame(const std::uint8_t* data, std::size_t size, QdRect& frame) {
  if (size < 10) return false;
  auto s16 = [&](std::size_t at) { return static_cast<int>(static_cast<std::int16_t>((data[at] << 8) | data[at + 1])); };
  frame.top = s16(2);
  frame.left = s16(4);
  frame.bottom = s16(6);
  frame.right = s16(8);
  return true;
}

bool render(const std::uint8_t* data, std::size_t size, QImage& out, QString& error) {
  Reader reader(data, size);
  return reader.run(out, error);
}

}  // namespace pravella::pict
