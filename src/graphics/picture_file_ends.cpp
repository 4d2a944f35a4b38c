#include "graphics/picture_file_ends.h"

#include <cstdint>
#include <cstdlib>

namespace pravella {

namespace {

std::uint32_t byteAt(const QByteArray& d, qsizetype i) { return static_cast<unsigned char>(d[i]); }

std::uint32_t bigEndian32(const QByteArray& d, qsizetype i) {
  return byteAt(d, i) << 24 | byteAt(d, i + 1) << 16 | byteAt(d, i + 2) << 8 | byteAt(d, i + 3);
}

std::uint32_t littleEndian(const QByteArray& d, qsizetype i, int bytes) {
  std::uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = v << 8 | byteAt(d, i + k);
  return v;
}

// Chunks from the signature on; whole once the end chunk's header is there (its checksum
// guards nothing of the picture).
bool pngEndsEarly(const QByteArray& d) {
  qsizetype at = 8;
  while (at + 8 <= d.size()) {
    if (d.mid(at + 4, 4) == "IEND") return false;
    at += 12 + static_cast<qsizetype>(bigEndian32(d, at));
  }
  return true;
}

// Entropy-coded data stuffs every 0xFF it holds, so an end-of-image marker behind the last
// start-of-scan marker is the scan's real end.
bool jpegEndsEarly(const QByteArray& d) {
  const qsizetype scan = d.lastIndexOf(QByteArray("\xFF\xDA", 2));
  const qsizetype end = d.lastIndexOf(QByteArray("\xFF\xD9", 2));
  return scan < 0 || end < scan;
}

// Blocks after the screen descriptor; whole at the trailer, or where the blocks stop after a
// whole image (a missing trailer loses nothing).
bool gifEndsEarly(const QByteArray& d) {
  if (d.size() < 13) return true;
  auto table = [&](qsizetype flagsAt) {
    const std::uint32_t flags = byteAt(d, flagsAt);
    return (flags & 0x80) ? qsizetype{3} << ((flags & 7) + 1) : qsizetype{0};
  };
  qsizetype at = 13 + table(10);
  bool image = false;
  auto subBlocks = [&] {
    while (at < d.size()) {
      const qsizetype length = byteAt(d, at);
      at += 1 + length;
      if (length == 0) return at <= d.size();
    }
    return false;
  };
  while (at < d.size()) {
    const std::uint32_t kind = byteAt(d, at);
    if (kind == 0x3B) return !image;
    if (kind == 0x21) {
      at += 2;
      if (!subBlocks()) return true;
    } else if (kind == 0x2C) {
      if (at + 10 > d.size()) return true;
      at += 10 + table(at + 9) + 1;  // descriptor, colour table, code size
      if (!subBlocks()) return true;
      image = true;
    } else {
      return !image;  // what follows is no block: the reader stops there too
    }
  }
  return at > d.size() || !image;
}

// The pixel rows start at the offset the file header gives; uncompressed rows have a known
// size, compressed ones the size the info header gives.
bool bmpEndsEarly(const QByteArray& d) {
  if (d.size() < 26) return true;
  const qsizetype pixels = littleEndian(d, 10, 4);
  const std::uint32_t header = littleEndian(d, 14, 4);
  std::int64_t width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
  if (header == 12) {
    width = littleEndian(d, 18, 2);
    height = littleEndian(d, 20, 2);
    bits = littleEndian(d, 24, 2);
  } else {
    if (d.size() < 38) return true;
    width = static_cast<std::int32_t>(littleEndian(d, 18, 4));
    height = static_cast<std::int32_t>(littleEndian(d, 22, 4));
    bits = littleEndian(d, 28, 2);
    compression = littleEndian(d, 30, 4);
    imageSize = littleEndian(d, 34, 4);
  }
  const std::int64_t rows = std::llabs(height);
  const std::int64_t stride = (std::llabs(width) * bits + 31) / 32 * 4;
  const std::int64_t need =
      (compression == 0 || compression == 3 || compression == 6) ? stride * rows : imageSize;
  return static_cast<std::int64_t>(d.size()) < static_cast<std::int64_t>(pixels) + need;
}

}  // namespace

bool pictureFileEndsEarly(const QByteArray& format, const QByteArray& data) {
  if (format == "png") return pngEndsEarly(data);
  if (format == "jpeg" || format == "jpg") return jpegEndsEarly(data);
  if (format == "gif") return gifEndsEarly(data);
  if (format == "bmp" || format == "dib") return bmpEndsEarly(data);
  return false;
}

}  // namespace pravella
