#pragma once
// The words of a selection for an internet search of Japanese text. Qt's word breaker has no
// dictionary for Japanese and would split kanji one by one, so a word here is a run of one
// script: Latin letters and digits, kanji, katakana (with the prolonged sound mark), hiragana.
// A kanji or katakana run takes the hiragana run after it (its inflection), and of each word
// only the leading run outside the cut characters (common hiragana and full-width punctuation)
// is kept, so "東京に行きました" gives its stems "東京 行 ".

#include <QString>

namespace pravella {

// The cut characters, in their order.
extern const QString kWordCutCharacters;

// Each kept word followed by " "; other characters (blanks, punctuation) separate words.
QString makeWordSeparetedString(const QString& text);

}  // namespace pravella
