// The words of a selection for an internet search: script runs, stems of inflected words.

#include "diary/word_separation.h"

#include <gtest/gtest.h>

namespace {

TEST(WordSeparation, KeepsTheStemOfEachScriptRun) {
  struct Case {
    QString text;
    QString words;
  };
  const Case cases[] = {
      {"Hello world", "Hello world "},
      {"abc123 x-y", "abc123 x y "},          // punctuation separates
      {"東京都に行きました", "東京都 行 "},   // kanji takes its hiragana
      {"これはペンです", "ペン "},            // a leading hiragana word has no stem
      {"コーヒーを飲む", "コーヒーを 飲 "},   // を is no cut character, む is
      {"abc東京", "abc 東京 "},               // a script change ends a word
      {"ＡＢＣ１２３です", "ＡＢＣ１２３ "},  // full-width letters are Latin
      {"「日本語」、", "日本語 "},            // full-width punctuation separates
      {"りんご", "りん "},                    // ご is a cut character
      {"", ""},
      {"   \n\t", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pravella::makeWordSeparetedString(c.text), c.words) << c.text.toStdString();
}

TEST(WordSeparation, CutCharactersAreTheNinetyOne) {
  EXPECT_EQ(pravella::kWordCutCharacters.size(), 91);
  EXPECT_TRUE(pravella::kWordCutCharacters.startsWith(QStringLiteral("あいうえお")));
  EXPECT_TRUE(pravella::kWordCutCharacters.endsWith(QStringLiteral("〜｀")));
}

}  // namespace
