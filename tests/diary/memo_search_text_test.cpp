// The search fold goes piece by piece for speed; it must give exactly what its definition
// gives on the whole text, whatever characters stand next to each other.

#include "diary/memo_search_text.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

// NFKD, every combining mark dropped except the kana voicing marks, NFC, case folding.
QString definition(const QString& text) {
  QString kept;
  for (QChar c : text.normalized(QString::NormalizationForm_KD))
    if (c.unicode() == 0x3099 || c.unicode() == 0x309A || !c.isMark()) kept += c;
  return kept.normalized(QString::NormalizationForm_C).toCaseFolded();
}

// Every character between a neighbour it may compose with and one that may compose with it:
// a combining accent, a voicing mark (combining, half-width), Hangul vowels and finals.
TEST(MemoSearchFold, EveryCharacterBetweenComposingNeighbours) {
  const QString around[][2] = {{QStringLiteral("e"), QStringLiteral("\u0301")},
                               {QStringLiteral("か"), QStringLiteral("\u3099")},
                               {QStringLiteral("ｶ"), QStringLiteral("\uFF9E")},
                               {QStringLiteral("가"), QStringLiteral("\u11A8")},
                               {QStringLiteral("\u1100"), QStringLiteral("\u1161")}};
  int failures = 0;
  for (char32_t u = 0x80; u < 0x10000 && failures < 10; ++u) {
    const QChar c(static_cast<char16_t>(u));
    if (c.isSurrogate()) continue;
    for (const auto& [before, after] : around) {
      for (const QString& text : {before + c + after, QString(c) + after, before + c}) {
        const QString folded = pravella::foldForSearch(text);
        if (folded == definition(text)) continue;
        ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(u) << " in \"" << text.toStdString()
                      << "\"";
        ++failures;
      }
    }
  }
}

TEST(MemoSearchFold, RandomTextsOfTrickyCharacters) {
  // Letters and kana in full and half width, ligatures, accents precomposed and combining,
  // Hangul syllables and jamo, symbols that decompose to a blank and a mark, a surrogate pair.
  const QString pool = QStringLiteral(
                           "aAeEｅＥéÉ\u0301\u0308\u0323ßẞﬁİıΣσς"
                           "かがカガｶｷﾞﾟ\u3099\u309A゛゜はぱハパﾊ"
                           "가각\u1100\u1161\u11A8ㄱㅏ"
                           "１２①㍿㌔ｱ ￼\u00A8\u00B4") +
                       QString::fromUtf8("\xF0\x9F\x98\x80");
  QRandomGenerator rng(75);
  for (int round = 0; round < 20000; ++round) {
    QString text;
    const int n = 1 + static_cast<int>(rng.bounded(12));
    for (int i = 0; i < n; ++i)
      text += pool[static_cast<qsizetype>(rng.bounded(static_cast<int>(pool.size())))];
    ASSERT_EQ(pravella::foldForSearch(text), definition(text)) << text.toStdString();
  }
}

}  // namespace
