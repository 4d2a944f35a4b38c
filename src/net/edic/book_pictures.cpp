#include "net/edic/book_pictures.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "lang/stdlib/kana_conversion.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/gaiji_table.h"
#include "net/edic/index_search.h"
#include "net/edic/reader_lock.h"

using namespace pravella::edic;

float fontZenkakuSize = 16.0f;
float fontHankakuSize = 12.0f;

void SetRefToDicStatus(float zenkakuSize, float hankakuSize) {
  fontZenkakuSize = zenkakuSize;
  fontHankakuSize = hankakuSize;
}

namespace {

// Pictures larger than these are not made from book data.
constexpr int kMaxFigureSide = 4096;
constexpr uint32_t kMaxPictureBytes = 8 * 1024 * 1024;
constexpr uint32_t kMaxJpegBytes = 100000;
constexpr int kMaxGlyphSide = 256;

uint32_t littleEndian(const unsigned char* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

// Reads a glyph of a font whose header lies at byte 8 of `page` and whose glyphs follow from
// the next page.
QImage readGlyph(BookReader& reader, int64_t page, uint16_t code) {
  unsigned char header[6];
  if (!reader.seek(page, 8) || !reader.read(header, 6)) return {};
  const int width = header[0], height = header[1];
  const auto first = static_cast<uint16_t>(header[2] << 8 | header[3]);
  const int count = header[4] << 8 | header[5];
  if (width < 1 || height < 1 || width > kMaxGlyphSide || height > kMaxGlyphSide) return {};
  const int number = codesub(code, first);
  if (number < 0 || number >= count) return {};
  const int64_t size = static_cast<int64_t>((width + 7) / 8) * height;
  std::vector<unsigned char> bits(static_cast<std::size_t>(size));
  if (!reader.seek(page + 1, number * size) || !reader.read(bits.data(), size)) return {};
  return DoGaijiPlotData(bits.data(), width, height);
}

QImage loadPicture(BookReader& reader, int64_t page, int64_t offset, uint32_t minimum, uint32_t maximum) {
  unsigned char head[8];
  if (!reader.seek(page, offset) || !reader.read(head, 8)) return {};
  const uint32_t size = littleEndian(head + 4);
  if (size < minimum || size > maximum) return {};
  QByteArray bytes(static_cast<qsizetype>(size), '\0');
  if (!reader.read(reinterpret_cast<unsigned char*>(bytes.data()), size)) return {};
  QImage image;
  image.loadFromData(bytes);
  return image;
}

}  // namespace

QImage DoGaijiPlotData(const unsigned char* bits, int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::white);
  const int rowBytes = (width + 7) / 8;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (bits[y * rowBytes + x / 8] & (0x80 >> (x % 8))) image.setPixel(x, y, qRgb(0, 0, 0));
  return image;
}

QImage changePictSizeForGaiji(const QImage& glyph, int kind) {
  if (glyph.isNull()) return glyph;
  const double factor = kind == 0 ? fontZenkakuSize / glyph.height() * 0.9 : fontHankakuSize / glyph.height();
  const int width = static_cast<int>(std::lround(glyph.width() * factor));
  const int height = static_cast<int>(std::lround(glyph.height() * factor));
  if (width < 1 || height < 1) return glyph;
  return glyph.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage getGaijiData16(const std::string& name, uint16_t code, int kind) {
  if (!jisyoGaijiCodeDisp) return {};
  ReaderLock lock;
  QImage glyph;
  int64_t start = 0, count = 0;
  if (is_That_HONMON2_EPWING_V6(name)) {
    // A compressed book: the shared state may be open for the body being rendered.
    ZIP_Data& state = sharedZipData();
    const bool wasOpen = state.stream != nullptr;
    if (wasOpen || eb_zopen_epwzipped(state, name)) {
      CompressedBookReader reader(state);
      int64_t slice = 0;
      int position = 0;
      getNowPosition_EPWING_V6(&slice, &position, state);
      if (findIndex(reader, kind == 0 ? 0xF1 : 0xF2, start, count)) glyph = readGlyph(reader, start, code);
      if (wasOpen && slice > 0) setNowPosition_EPWING_V6(slice, position, state);
      if (!wasOpen) eb_zclose(state);
    }
  } else if (auto body = EBDictionaryFile(name)) {
    PlainBookReader reader(*body);
    if (findIndex(reader, kind == 0 ? 0xF1 : 0xF2, start, count)) glyph = readGlyph(reader, start, code);
  }
  if (glyph.isNull() && start == 0) {
    auto font = kind == 0 ? EBDictionaryZenKakuGaijiFile(name) : EBDictionaryHanKakuGaijiFile(name);
    if (font) {
      PlainBookReader reader(*font);
      glyph = readGlyph(reader, 1, code);
    }
  }
  return changePictSizeForGaiji(glyph, kind);
}

QImage getFigOfEPWING(BookReader& reader, int64_t page, int64_t offset) {
  unsigned char head[8 + 26];
  if (page < 1 || !reader.seek(page, offset) || !reader.read(head, sizeof head)) return {};
  const unsigned char* bmp = head + 8;
  const uint32_t dataOffset = littleEndian(bmp + 10);
  const auto width = static_cast<int32_t>(littleEndian(bmp + 18));
  const auto height = static_cast<int32_t>(littleEndian(bmp + 22));
  if (width < 1 || height < 1 || width > kMaxFigureSide || height > kMaxFigureSide || dataOffset < 26)
    return {};
  const int64_t stride = (static_cast<int64_t>(width) + 3) / 4 * 4;
  // The rest of the header, then the pixels; the reader refuses bytes the book does not have.
  if (!reader.skip(dataOffset - 26)) return {};
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride * height));
  if (!reader.read(pixels.data(), static_cast<int64_t>(pixels.size()))) return {};
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = pixels.data() + static_cast<std::size_t>((height - 1 - y) * stride);
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(row[x], row[x], row[x]));
  }
  return image;
}

QImage GetBMPpictrue_EPWING_V6(ZIP_Data& state, int64_t page, int64_t offset) {
  ReaderLock lock;
  // Bounded by the text the book has after the position.
  const int64_t slices = static_cast<int64_t>(state.indexLength / 36) * 16;
  const int64_t remaining = (slices - page + 1) * 2048 - offset - 8;
  if (remaining <= 0) return {};
  CompressedBookReader reader(state);
  return loadPicture(reader, page, offset, 1,
                     static_cast<uint32_t>(std::min<int64_t>(remaining, kMaxPictureBytes)));
}

QImage GetJPEGpictrue_EPWING_V6(const std::string& name, int64_t page, int64_t offset) {
  ReaderLock lock;
  std::string path;
  if (!EBDictionaryGraphFileSpec(name, path)) return {};
  auto file = BookFile::open(path);
  if (!file) return {};
  PlainBookReader reader(*file);
  return loadPicture(reader, page, offset, 1, kMaxJpegBytes);
}
