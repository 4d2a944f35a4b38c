#pragma once
// Pictures of a book: gaiji glyphs from its bitmap fonts (scaled to the body text), grey
// figures stored in its text, and colour pictures in its text (compressed books) or in its
// pictures file HONMONG. Each gives a QImage; a null image means the picture is refused
// (missing font, a code outside it, data that does not fit the book, a format that does not
// decode), and the caller leaves the tag in the text. Used under the reader lock.

#include <QImage>

#include <cstdint>
#include <string>

#include "net/edic/book_reader.h"
#include "net/edic/compressed_text.h"

// Text sizes the glyphs are scaled to, in points (16 and 12 at start).
extern float fontZenkakuSize;
extern float fontHankakuSize;
void SetRefToDicStatus(float zenkakuSize, float hankakuSize);

// The glyph of a gaiji code (row byte high); kind 0 full-width, 1 half-width. A font inside
// the body file (index 0xF1 or 0xF2) is read there: its header at byte 8 of the index's start
// page and its glyphs from the next page, as in a gaiji file; else the catalog's font file.
QImage getGaijiData16(const std::string& name, uint16_t code, int kind);
// The glyph bitmap unscaled, black on white.
QImage DoGaijiPlotData(const unsigned char* bits, int width, int height);
// Scales a glyph for full-width (0) or half-width (1) text.
QImage changePictSizeForGaiji(const QImage& glyph, int kind);

// The grey figure at a text position: 8 bytes, then a bitmap file's header and one byte per
// pixel, bottom row first, rows padded to 4 bytes; the byte is the grey level.
QImage getFigOfEPWING(pravella::edic::BookReader& reader, int64_t page, int64_t offset);
// A kind-9 picture in a compressed book's text: 4 bytes, a little-endian size, the file.
QImage GetBMPpictrue_EPWING_V6(ZIP_Data& state, int64_t page, int64_t offset);
// A JPEG in the book's HONMONG at (page, offset): 4 bytes, a size of 1 to 100,000, the file.
QImage GetJPEGpictrue_EPWING_V6(const std::string& name, int64_t page, int64_t offset);
