#include "diary/memo_search_text.h"

#include <unordered_map>
#include <vector>

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

// The fold as its definition says, on any text.
QString foldWhole(QStringView text) {
  const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
  QString kept;
  kept.reserve(decomposed.size());
  for (QChar c : decomposed)
    if (!isDroppedMark(c)) kept.append(c);
  return kept.normalized(QString::NormalizationForm_C).toCaseFolded();
}

// Normalising a whole memo is slow (every voiced kana decomposes and composes again), and most
// characters fold on their own. A text splits into pieces that fold independently at every
// "free" character: one that is a starter, no mark, and neither it nor the first character of
// its decomposition ever combines with what comes before it (the second of a canonical pair, a
// Hangul vowel or final consonant). Decomposition and mark dropping go character by character,
// reordering stops at a starter, and composition never reaches back across a free character's
// decomposition; so the fold of a text is the folds of its pieces, each a free character with
// the non-free ones behind it, put together. A free character alone has its fold looked up.
class FoldTable {
 public:
  enum Kind : uint8_t { kBound, kItself, kMapped };

  FoldTable() : kind_(0x10000, kBound) {
    std::vector<bool> second(0x10000, false);
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (QChar::decompositionTag(c) != QChar::Canonical) continue;
      const QString d = QChar::decomposition(c);
      for (qsizetype i = 1; i < d.size(); ++i) second[d[i].unicode()] = true;
    }
    // Hangul vowels and final consonants join the syllable before them.
    for (char32_t c = 0x1160; c < 0x1200; ++c) second[c] = true;
    for (char32_t c = 0xD7B0; c < 0xD800; ++c) second[c] = true;
    const auto free = [&](QChar c) {
      return !c.isSurrogate() && c.combiningClass() == 0 && !c.isMark() && !second[c.unicode()];
    };
    for (char32_t u = 0; u < 0x10000; ++u) {
      const QChar c(static_cast<char16_t>(u));
      if (!free(c)) continue;
      QString folded;
      if (c.decompositionTag() == QChar::NoDecomposition) {
        folded = QString(c).toCaseFolded();
      } else {
        const QString d = QString(c).normalized(QString::NormalizationForm_KD);
        if (d.isEmpty() || !free(d.front())) continue;
        folded = foldWhole(QStringView(&c, 1));
      }
      if (folded.size() == 1 && folded.front() == c) {
        kind_[u] = kItself;
      } else {
        kind_[u] = kMapped;
        mapped_.emplace(static_cast<char16_t>(u), folded);
      }
    }
  }

  Kind kind(QChar c) const { return static_cast<Kind>(kind_[c.unicode()]); }
  const QString& mapped(QChar c) const { return mapped_.at(c.unicode()); }

 private:
  std::vector<uint8_t> kind_;
  std::unordered_map<char16_t, QString> mapped_;
};

// A surrogate without its pair: normalising turns it into U+FFFD or not depending on the
// rest of the text, so such (broken) text is folded whole.
bool hasLoneSurrogate(const QChar* s, qsizetype n) {
  for (qsizetype i = 0; i < n; ++i) {
    if (!s[i].isSurrogate()) continue;
    if (s[i].isLowSurrogate() || i + 1 == n || !s[i + 1].isLowSurrogate()) return true;
    ++i;
  }
  return false;
}

QString foldPieces(const QString& text) {
  static const FoldTable table;
  const QChar* s = text.constData();
  const qsizetype n = text.size();
  if (hasLoneSurrogate(s, n)) return foldWhole(text);
  QString out;
  out.reserve(n);
  for (qsizetype i = 0; i < n;) {
    qsizetype j = i + 1;
    while (j < n && table.kind(s[j]) == FoldTable::kBound) ++j;
    const FoldTable::Kind k = table.kind(s[i]);
    if (j - i > 1 || k == FoldTable::kBound)
      out += foldWhole(QStringView(s + i, j - i));
    else if (k == FoldTable::kItself)
      out += s[i];
    else
      out += table.mapped(s[i]);
    i = j;
  }
  return out;
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
  return foldPieces(text);
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
