#pragma once
// The book folder of the dictionary fuzz target, made from the tests' standard book: a
// catalog of two books (the standard book plain, and compressed with a pictures file), their
// gaiji fonts and the gaiji mapping table. Each input replaces one of these files (or is a
// tagged body); the seeds are these files as they stand.

#include <QByteArray>
#include <QString>

#include <vector>

#include "support/edic_book_writer.h"
#include "support/edic_standard_book.h"

namespace pravella::fuzz::edic {

using namespace pravella::test::edic;

// What an input is: its first byte modulo kModes.
enum Mode {
  kCatalog,         // the catalog of both books
  kPlainBody,       // the plain book's HONMON
  kCompressedBody,  // the compressed book's HONMON2
  kFullWidthFont,   // both books' full-width gaiji font
  kHalfWidthFont,   // both books' half-width gaiji font
  kPictures,        // the compressed book's pictures file HONMONG
  kGaijiTable,      // Documents/diary/MODULE/gaijiTable.dat
  kTaggedBody,      // a body as the converter gives it (Shift-JIS with tags), rendered
  kModes
};

inline constexpr const char* kPlainTitle = "標準";
inline constexpr const char* kCompressedTitle = "圧縮";

inline QByteArray bytes(const Bytes& b) {
  return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

// The standard book with entry 0's body holding every kind of tag: indents, a key, bold, a
// link, a gaiji, narrow text, a grey figure and a picture of the pictures file.
inline BookText taggedBook() {
  BookText book = standardBook();
  Units body;
  body.u(0x1F09).u(0).u(0x1F41).u(0).u(0x2422).u(0x1F61).u(0x1F0A);
  body.u(0x1F09).u(2).u(0x1F12).u(0x2422).u(0x1F13).u(0x1F42).u(0x2422).u(0x1F62).bcd4(12).bcd2(256).u(
      0x1F0A);
  body.u(0x1F04).u(0x2341).u(0xA121).u(0x1F05).u(0xA122).u(0x1F0A);
  body.u(0x1F3C).raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}).bcd4(14).bcd2(0).u(0x1F0A);
  body.u(0x1F4D).u(0x1000).u(0).u(0).u(0).u(0).u(0).bcd4(1).bcd2(16).u(0x1F6D).u(0x1F03);
  book.put(12, 0, body.b);
  book.put(14, 0, greyFigure(6, 3, 54, 3));
  return book;
}

inline QByteArray fileOf(Mode mode) {
  switch (mode) {
    case kCatalog:
      return bytes(
          catalog(true, {{kPlainTitle, "MAIN", "ZEN", "HAN"}, {kCompressedTitle, "ZMAIN", "ZEN", "HAN"}}));
    case kPlainBody:
      return bytes(taggedBook().bytes);
    case kCompressedBody:
      return bytes(compressBook(taggedBook()));
    case kFullWidthFont:
      return bytes(gaijiFont(16, 16, 0xA121, {Bytes(32, 0), topRowGlyph()}));
    case kHalfWidthFont:
      return bytes(gaijiFont(8, 16, 0xA121, {Bytes(16, 0xFF)}));
    case kPictures: {
      const QByteArray picture = jpeg();
      Bytes file(16, 0);
      const Bytes record = pictureRecord(static_cast<uint32_t>(picture.size()), picture);
      file.insert(file.end(), record.begin(), record.end());
      return bytes(file);
    }
    case kGaijiTable:
      return "A1 21 82 A0\nA1 22 82 A2\n";
    case kTaggedBody:
      return "<Tab:000><key_start>\x82\xa0<key_end>\n<Tab:002><bold_start>\x82\xa0<bold_end>"
             "<[Link]\x82\xa0[Link:12,256]><GF[161:033]><GH[161:034]><Fig-[14,0]><Pict[4096:1:16]>";
    case kModes:
      break;
  }
  return {};
}

// Where the files of the modes lie, relative to the dictionary folder (the gaiji table
// relative to the diary); a font is written for both books.
inline std::vector<QString> placesOf(Mode mode) {
  switch (mode) {
    case kCatalog:
      return {"BOOKS/CATALOGS"};
    case kPlainBody:
      return {"BOOKS/MAIN/DATA/HONMON"};
    case kCompressedBody:
      return {"BOOKS/ZMAIN/DATA/HONMON2"};
    case kFullWidthFont:
      return {"BOOKS/MAIN/GAIJI/ZEN", "BOOKS/ZMAIN/GAIJI/ZEN"};
    case kHalfWidthFont:
      return {"BOOKS/MAIN/GAIJI/HAN", "BOOKS/ZMAIN/GAIJI/HAN"};
    case kPictures:
      return {"BOOKS/ZMAIN/DATA/HONMONG"};
    case kGaijiTable:
      return {"MODULE/gaijiTable.dat"};
    default:
      return {};
  }
}

}  // namespace pravella::fuzz::edic
