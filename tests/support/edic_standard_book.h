#pragma once
// The standard book of the dictionary tests (and the seeds of the dictionary fuzz target):
// ten entries under every kind of index. Its index pages:
//
//   page 1  index table: 0x91 (2, 2), 0x90 (5, 0), 0x80 (6, 0), 0x71 (7, 0), 0x70 (8, 0)
//   page 2  upper page: あいさつ -> 3, か -> 4
//   page 3  leaf 0x80: あ, あい, あいさつ
//   page 4  leaf 0xA0 (last): あう, か
//   page 5  kana group page 0x90: single かな, header き, members きい and きく, single く
//   page 6  condition leaf 0xA0: あい (heading page 0), あい, header あい, member
//   page 7  backward leaf 0xA0: いあ (あい reversed), いあさつ
//   page 8  backward kana leaf 0xA0: いあ (the same entry as page 7's)
//   page 10 headings, 64 bytes apart; page 12 on: bodies, 256 bytes apart

#include <QString>

#include <string>
#include <vector>

#include "support/edic_book_writer.h"

namespace pravella::test::edic {

// Where entry n's heading and body lie.
inline Hit entryHit(const std::string& key, int n) {
  return {key, static_cast<uint32_t>(12 + n / 8), static_cast<uint32_t>((n % 8) * 256), 10,
          static_cast<uint32_t>(n * 64)};
}

inline Units heading(const QString& text) { return std::move(Units().text(text).u(0x1F0A)); }

// The standard book: entry n has heading and body "見出しn" (as kanji and a digit).
inline BookText standardBook() {
  BookText book;
  const QString names[] = {"あ", "あい", "あいさつ", "あう", "か", "かな", "きい", "きく", "く", "条件"};
  std::vector<Hit> hits;
  for (int n = 0; n < 10; ++n) {
    hits.push_back(entryHit(jis(names[n]), n));
    book.put(10, static_cast<uint32_t>(n * 64), heading(names[n]).b);
    Units body;
    body.u(0x1F09).u(0).text(names[n]).u(0x1F0A).text("本文").u(0x1F03);
    book.put(hits[n].textPage, hits[n].textOffset, body.b);
  }
  book.put(1, 0, indexTable({{0x91, 2, 2}, {0x90, 5, 0}, {0x80, 6, 0}, {0x71, 7, 0}, {0x70, 8, 0}}));
  book.put(2, 0, upperPage(0x00, 8, {{jis("あいさつ"), 3}, {jis("か"), 4}}));
  book.put(3, 0, leafPage(0x80, {hits[0], hits[1], hits[2]}));
  book.put(4, 0, leafPage(0xA0, {hits[3], hits[4]}));
  Hit header{jis("き")};
  book.put(5, 0,
           kanaGroupPage(
               0x90, {{0x00, hits[5]}, {0x80, header}, {0xC0, hits[6]}, {0xC0, hits[7]}, {0x00, hits[8]}}));
  Hit noHeading = hits[9];
  noHeading.key = jis("あい");
  noHeading.headingPage = 0;
  Hit condition = hits[9];
  condition.key = jis("あい");
  Hit conditionHeader{jis("あい"), 0, 0, 10, 0};
  book.put(
      6, 0,
      conditionPage(0xA0, {{0x00, noHeading}, {0x00, condition}, {0x80, conditionHeader}, {0xC0, hits[9]}}));
  Hit backward = hits[1];
  backward.key = jis("いあ");
  Hit backward2 = hits[2];
  backward2.key = jis("つさいあ");
  book.put(7, 0, leafPage(0xA0, {backward, backward2}));
  book.put(8, 0, leafPage(0xA0, {backward}));
  book.put(12, 0, {});
  return book;
}

}  // namespace pravella::test::edic
