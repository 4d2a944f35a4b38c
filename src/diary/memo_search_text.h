#pragma once
// How the month list compares search words with memo text and file names. Comparison is on
// Unicode text folded one way on both sides, so that full-width and half-width forms, upper and
// lower case and accents all meet: "Ａｂｃ" finds "abc", "café" finds "cafe". The kana voicing
// marks stay (が is not か); a quote is an ordinary character.

#include <QString>
#include <QStringList>

namespace pravella {

// NFKD, every combining mark dropped except U+3099/U+309A, NFC, case folding.
QString foldForSearch(const QString& text);

// The search field's text as words: ideographic spaces become blanks and the text is split at
// blanks, empty words dropped. Blanks only give no words.
QStringList searchWords(const QString& text);

// True when the text holds at least one character that is not a blank (ideographic blanks too).
bool hasSearchText(const QString& text);

// Every word (already folded) occurs in `foldedText`; an empty list matches nothing.
bool containsAllWords(const QString& foldedText, const QStringList& foldedWords);

// The month walk's name filter: the text is split at blanks (ideographic ones too) keeping
// empty words, and the name is taken when any word occurs in it; an empty word (two blanks in a
// row, a leading or trailing blank) occurs in every name.
bool findCheckFileName(const QString& name, const QString& text);

}  // namespace pravella
