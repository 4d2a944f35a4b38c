#include "diary/memo_search_text.h"

namespace pravella {

namespace {

constexpr char16_t kIdeographicSpace = 0x3000;

bool isDroppedMark(QChar c) {
  if (c.unicode() == 0x3099 || c.unicode() == 0x309A) return false;  // dakuten, handakuten
  const QChar::Category cat = c.category();
  return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing;
}

QString blanksForIdeographicSpaces(QString text) {
  text.replace(QChar(kIdeographicSpace), QLatin1Char(' '));
  return text;
}

}  // namespace

QString foldForSearch(const QString& text) {
  // Plain ASCII needs only case folding, and most file names and much memo text are that.
  bool ascii = true;
  for (QChar c : text)
    if (c.unicode() >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return text.toCaseFolded();
  const QString decomposed = text.normalized(QString::NormalizationForm_KD);
  QString kept;
  kept.reserve(decomposed.size());
  for (QChar c : decomposed)
    if (!isDroppedMark(c)) kept.append(c);
  return kept.normalized(QString::NormalizationForm_C).toCaseFolded();
}

QStringList searchWords(const QString& text) {
  return blanksForIdeographicSpaces(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool hasSearchText(const QString& text) { return !searchWords(text).isEmpty(); }

bool containsAllWords(const QString& foldedText, const QStringList& foldedWords) {
  if (foldedWords.isEmpty()) return false;
  for (const QString& w : foldedWords)
    if (!foldedText.contains(w)) return false;
  return true;
}

bool findCheckFileName(const QString& name, const QString& text) {
  const QString foldedName = foldForSearch(name);
  const QStringList words = blanksForIdeographicSpaces(text).split(QLatin1Char(' '));
  for (const QString& w : words)
    if (w.isEmpty() || foldedName.contains(foldForSearch(w))) return true;
  return false;
}

}  // namespace pravella
