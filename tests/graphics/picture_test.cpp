#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <random>

#include "graphics/picture.h"

namespace pravella {
namespace {

QImage noise(int w, int h, bool alpha, unsigned seed) {
  QImage image(w, h, QImage::Format_ARGB32);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Runs and noise both, so that packing meets repeats and literals.
      const unsigned v = (x / 7 + y) % 3 ? rng() : 0x11223344u;
      image.setPixel(x, y, alpha ? v : (v | 0xFF000000u));
    }
  return image;
}

// Clear pixels are alike whatever colour they carry: a picture stores them white.
QRgb seen(QRgb p) { return qAlpha(p) == 0 ? 0u : p; }

void expectSamePixels(const QImage& a, const QImage& b) {
  ASSERT_EQ(a.size(), b.size());
  const QImage ca = a.convertToFormat(QImage::Format_ARGB32), cb = b.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      ASSERT_EQ(seen(ca.pixel(x, y)), seen(cb.pixel(x, y))) << "at " << x << "," << y;
}

TEST(Picture, ImageRoundTripsExactlyWithAndWithoutAlpha) {
  struct Case {
    int w, h;
    bool alpha;
  } cases[] = {{1, 1, false}, {1, 5, true}, {2, 3, false}, {3, 2, true}, {63, 70, true},
               {64, 64, false}, {300, 20, true}, {4100, 3, true}};  // 4100: written in two strips
  unsigned seed = 1;
  for (const auto& c : cases) {
    const QImage image = noise(c.w, c.h, c.alpha, seed++);
    const Picture pict = Picture::fromImage(image);
    ASSERT_FALSE(pict.isEmpty());
    EXPECT_EQ(pict.frame(), QRect(0, 0, c.w, c.h));
    QString error;
    const QImage back = pict.toImage(&error);
    ASSERT_FALSE(back.isNull()) << error.toStdString();
    expectSamePixels(back, image);
  }
}

TEST(Picture, OpaqueImageHasNoAlphaPlaneAndIsPacked) {
  QImage image(200, 100, QImage::Format_RGB32);
  image.fill(Qt::red);
  const Picture pict = Picture::fromImage(image);
  EXPECT_LT(pict.size(), 2000u);  // 100 rows of a few packed bytes each
  const QImage back = pict.toImage();
  EXPECT_EQ(back.pixel(199, 99), qRgb(255, 0, 0));
}

TEST(Picture, TransparentCopyLeavesWhiteOut) {
  QImage world(4, 1, QImage::Format_RGB32);
  world.fill(Qt::white);
  world.setPixel(1, 0, qRgb(10, 20, 30));
  const QImage back = Picture::fromImage(world, PixelTransfer::Transparent).toImage();
  EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);
  EXPECT_EQ(back.pixel(1, 0), qRgb(10, 20, 30));
  // Over a black background white does not cover; with a plain copy it does.
  QImage under(4, 1, QImage::Format_RGB32);
  under.fill(Qt::black);
  {
    QPainter p(&under);
    Picture::fromImage(world, PixelTransfer::Transparent).draw(p, QRect(0, 0, 4, 1));
  }
  EXPECT_EQ(under.pixel(0, 0), qRgb(0, 0, 0));
  {
    QPainter p(&under);
    Picture::fromImage(world, PixelTransfer::Copy).draw(p, QRect(0, 0, 4, 1));
  }
  EXPECT_EQ(under.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(Picture, OverlayIsDrawnOverTheWorld) {
  QImage world(3, 1, QImage::Format_RGB32);
  world.fill(Qt::white);
  QImage overlay(3, 1, QImage::Format_ARGB32);
  overlay.fill(Qt::transparent);
  overlay.setPixel(2, 0, qRgb(0, 0, 255));
  const QImage back = Picture::fromLayers(world, PixelTransfer::Copy, overlay).toImage();
  EXPECT_EQ(back.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(back.pixel(2, 0), qRgb(0, 0, 255));
}

TEST(Picture, LargePhotoIsEmbeddedAsJpegBelowTheLimit) {
  // 3000 by 2000 direct pixels would be about 24 MB; as JPEG it must stay below the limit.
  QImage photo(3000, 2000, QImage::Format_RGB32);
  for (int y = 0; y < photo.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < photo.width(); ++x) line[x] = qRgb((x * 7) & 255, (y * 3) & 255, ((x ^ y) * 5) & 255);
  }
  const Picture pict = Picture::fromPhoto(photo, 75);
  ASSERT_FALSE(pict.isEmpty());
  EXPECT_LT(pict.size(), kDefaultPictureByteLimit);
  EXPECT_EQ(pict.frame(), QRect(0, 0, 3000, 2000));
  const QImage back = pict.toImage();
  ASSERT_EQ(back.size(), photo.size());
  const QRgb p = back.pixel(1500, 1000), q = photo.pixel(1500, 1000);
  EXPECT_NEAR(qRed(p), qRed(q), 40);
  EXPECT_EQ(qAlpha(p), 255);
}

TEST(Picture, CompressedImageSizesThatLeaveTheirOpcodeAreRefused) {
  QByteArray bytes = Picture::fromPhoto(noise(16, 16, false, 4), 75).bytes();
  // The compressed-image opcode: its length, then version, matrix, matte size at +44 and mask
  // size at +70 from the opcode word.
  qsizetype op = -1;
  for (qsizetype i = 10; i + 1 < bytes.size(); i += 2)
    if (static_cast<unsigned char>(bytes[i]) == 0x82 && bytes[i + 1] == 0) {
      op = i;
      break;
    }
  ASSERT_GE(op, 0);
  auto put32 = [&](qsizetype at, quint32 v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>(v >> (24 - 8 * k));
  };
  const quint32 length = (quint32(quint8(bytes[op + 2])) << 24) | (quint32(quint8(bytes[op + 3])) << 16) |
                         (quint32(quint8(bytes[op + 4])) << 8) | quint8(bytes[op + 5]);
  // A matte that reaches past the opcode's end, into bytes that claim a huge description.
  put32(op + 44, length);
  bytes += QByteArray(400, '\x7f');
  QString error;
  EXPECT_TRUE(Picture(bytes).toImage(&error).isNull());
  EXPECT_FALSE(error.isEmpty());
}

TEST(Picture, MalformedBytesAreRefusedWithoutACrash) {
  const QImage image = noise(40, 30, true, 9);
  const QByteArray good = Picture::fromImage(image).bytes();
  std::vector<QByteArray> bad = {QByteArray(), QByteArray(3, '\0'), QByteArray(12, '\0'),
                                 good.left(good.size() / 2), good.left(good.size() - 2)};
  QByteArray hugeFrame = good;
  hugeFrame[6] = 0x7F;  // bottom 32767
  hugeFrame[8] = 0x7F;  // right 32767
  bad.push_back(hugeFrame);
  QByteArray badOpcode = good;
  badOpcode[good.size() - 1] = 0x30;  // end opcode becomes 0x0030 with no data after it
  bad.push_back(badOpcode);
  for (const auto& bytes : bad) {
    QString error;
    EXPECT_TRUE(Picture(bytes).toImage(&error).isNull()) << bytes.size();
    EXPECT_FALSE(error.isEmpty());
  }
  // Random damage anywhere must never crash; most of it is refused.
  std::mt19937 rng(3);
  for (int i = 0; i < 2000; ++i) {
    QByteArray damaged = good;
    for (int k = 0; k < 4; ++k) damaged[rng() % damaged.size()] = static_cast<char>(rng());
    Picture(damaged).toImage();
  }
}

// Helpers to hand-make old-style pictures.
struct Bytes {
  QByteArray b;
  void u8(int v) { b.append(static_cast<char>(v)); }
  void u16(int v) { u8((v >> 8) & 0xFF); u8(v & 0xFF); }
  void u32(unsigned v) { u16(static_cast<int>(v >> 16)); u16(static_cast<int>(v & 0xFFFF)); }
  void rect(int t, int l, int bo, int r) { u16(t); u16(l); u16(bo); u16(r); }
};

TEST(Picture, ReadsAVersion1PackedBitMap) {
  // A version 1 picture (one-byte opcodes) with a 16 by 2 bit map: opcode 0x98, rows packed.
  Bytes p;
  p.u16(0);
  p.rect(0, 0, 2, 16);
  p.u8(0x11); p.u8(0x01);
  p.u8(0x98);
  p.u16(2);  // row bytes (a bit map: no pixel-map flag); below 8, so rows are not packed
  p.rect(0, 0, 2, 16);
  p.rect(0, 0, 2, 16);
  p.rect(0, 0, 2, 16);
  p.u16(0);  // srcCopy
  p.u8(0xF0); p.u8(0x0F);  // row 0: four set, eight clear, four set
  p.u8(0x00); p.u8(0x01);  // row 1: only the last pixel set
  p.u8(0xFF);
  QString error;
  const QImage image = Picture(p.b).toImage(&error);
  ASSERT_FALSE(image.isNull()) << error.toStdString();
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(4, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(15, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(14, 1), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(15, 1), qRgb(0, 0, 0));
}

TEST(Picture, ReadsAVersion2IndexedPixMapWithColourTable) {
  // 8-bit indexed pixel map, 10 by 2, rows of 10 bytes packed, placed at (5, 3) of the frame.
  Bytes p;
  p.u16(0);
  p.rect(0, 0, 10, 20);
  p.u16(0x0011); p.u16(0x02FF);
  p.u16(0x0C00); p.u16(0xFFFF); p.u16(0xFFFF);
  for (int i = 0; i < 5; ++i) p.u32(0);  // version -1 header: fixed bounds and reserved
  p.u16(0x0098);
  p.u16(0x8000 | 10);
  p.rect(0, 0, 2, 10);
  p.u16(0); p.u16(0); p.u32(0); p.u32(0x00480000); p.u32(0x00480000);
  p.u16(0); p.u16(8); p.u16(1); p.u16(8); p.u32(0); p.u32(0); p.u32(0);
  p.u32(0); p.u16(0); p.u16(1);               // colour table of two entries
  p.u16(0); p.u16(0xFFFF); p.u16(0); p.u16(0);  // 0: red
  p.u16(1); p.u16(0); p.u16(0); p.u16(0xFFFF);  // 1: blue
  p.rect(0, 0, 2, 10);
  p.rect(3, 5, 5, 15);
  p.u16(0);
  // Row 0: ten zeros as one repeat packet; row 1: literal 1 then nine zeros.
  p.u8(2); p.u8(0xF7); p.u8(0);
  p.u8(4); p.u8(0); p.u8(1); p.u8(0xF8); p.u8(0);
  if (p.b.size() % 2) p.u8(0);
  p.u16(0x00FF);
  QString error;
  const QImage image = Picture(p.b).toImage(&error);
  ASSERT_FALSE(image.isNull()) << error.toStdString();
  EXPECT_EQ(image.size(), QSize(20, 10));
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // outside the copied rectangle nothing is drawn
  EXPECT_EQ(image.pixel(5, 3), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(5, 4), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(14, 4), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(image.pixel(15, 4)), 0);
}

TEST(Picture, Reads16BitDirectPixels) {
  // 8 by 1 pixels of 16 bits (rowBytes 16, pack type 3, packed by words).
  Bytes p;
  p.u16(0);
  p.rect(0, 0, 1, 8);
  p.u16(0x0011); p.u16(0x02FF);
  p.u16(0x009A);
  p.u32(0xFF);
  p.u16(0x8000 | 16);
  p.rect(0, 0, 1, 8);
  p.u16(0); p.u16(3); p.u32(0); p.u32(0x00480000); p.u32(0x00480000);
  p.u16(16); p.u16(16); p.u16(3); p.u16(5); p.u32(0); p.u32(0); p.u32(0);
  p.rect(0, 0, 1, 8);
  p.rect(0, 0, 1, 8);
  p.u16(0);
  p.u8(6);               // packed row of 6 bytes
  p.u8(0xFA);            // seven repeats of the next word
  p.u16(0x7C00);         // pure red
  p.u8(0); p.u16(0x001F);  // one literal word: pure blue
  if (p.b.size() % 2) p.u8(0);
  p.u16(0x00FF);
  QString error;
  const QImage image = Picture(p.b).toImage(&error);
  ASSERT_FALSE(image.isNull()) << error.toStdString();
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(6, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(7, 0), qRgb(0, 0, 255));
}

TEST(Picture, PlaysBackTheDrawingCommandsOfOldPlots) {
  Bytes p;
  p.u16(0);
  p.rect(10, 10, 40, 50);  // frame with its corner at (10, 10)
  p.u16(0x0011); p.u16(0x02FF);
  p.u16(0x001A); p.u16(0xFFFF); p.u16(0); p.u16(0);  // red pen
  p.u16(0x0007); p.u16(2); p.u16(2);                 // pen 2 by 2
  p.u16(0x0020); p.u16(11); p.u16(11); p.u16(11); p.u16(15);  // line (11,11) to (15,11), (v, h) order
  p.u16(0x001A); p.u16(0); p.u16(0); p.u16(0xFFFF);  // blue
  p.u16(0x0031); p.rect(20, 20, 22, 30);             // paintRect
  p.u16(0x0039);                                     // paintSameRect, nothing new
  p.u16(0x0071); p.u16(22); p.rect(30, 10, 40, 20);  // paintPoly, three points
  p.u16(30); p.u16(10); p.u16(40); p.u16(10); p.u16(40); p.u16(20);
  p.u16(0x000D); p.u16(12);                          // text size
  p.u16(0x0028); p.u16(38); p.u16(30); p.u8(2); p.u8('H'); p.u8('I');  // LongText at (30, 38)
  if (p.b.size() % 2) p.u8(0);
  p.u16(0x00FF);
  QString error;
  const QImage image = Picture(p.b).toImage(&error);
  ASSERT_FALSE(image.isNull()) << error.toStdString();
  ASSERT_EQ(image.size(), QSize(40, 30));
  EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));   // line start, in frame coordinates
  EXPECT_EQ(image.pixel(6, 2), qRgb(255, 0, 0));   // end point plus the pen
  EXPECT_EQ(qAlpha(image.pixel(7, 1)), 0);
  EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 255));  // rectangle (20, 20)-(30, 22)
  EXPECT_EQ(image.pixel(19, 11), qRgb(0, 0, 255));
  EXPECT_EQ(qAlpha(image.pixel(20, 11)), 0);
  EXPECT_EQ(image.pixel(1, 27), qRgb(0, 0, 255));   // inside the triangle
  int textPixels = 0;
  for (int y = 14; y < 30; ++y)
    for (int x = 20; x < 40; ++x) textPixels += image.pixel(x, y) == qRgb(0, 0, 255);
  EXPECT_GT(textPixels, 5);
}

TEST(Picture, CraftedPictureThatWouldDrawForeverIsRefused) {
  // 2,000 by 2,000 frame painted over a thousand times: far more work than any real picture.
  Bytes p;
  p.u16(0);
  p.rect(0, 0, 2000, 2000);
  p.u16(0x0011); p.u16(0x02FF);
  for (int i = 0; i < 1000; ++i) {
    p.u16(0x0031);
    p.rect(0, 0, 2000, 2000);
  }
  p.u16(0x00FF);
  QString error;
  EXPECT_TRUE(Picture(p.b).toImage(&error).isNull());
  EXPECT_EQ(error, "too much drawing for one picture");
}

}  // namespace
}  // namespace pravella
