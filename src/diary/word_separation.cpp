#include "diary/word_separation.h"

namespace pravella {

const QString kWordCutCharacters = QStringLiteral(
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよがぎぐげござじずぜぞだづでど"
    "ぱぴぷ"
    "ぺぽゃゅょ！＠＃＄％＾＆＊（）＿＋＝『』「」：；”‘＜＞、。？／｜￥〜｀");

namespace {

enum class Script { Other, Latin, Kanji, Katakana, Hiragana };

Script scriptOf(QChar c) {
  const char16_t u = c.unicode();
  if (c.isLetterOrNumber() && u < 0x3000) return Script::Latin;
  if ((u >= 0xFF10 && u <= 0xFF19) || (u >= 0xFF21 && u <= 0xFF3A) || (u >= 0xFF41 && u <= 0xFF5A))
    return Script::Latin;  // full-width letters and digits
  if (u >= 0x3041 && u <= 0x309F) return Script::Hiragana;
  if ((u >= 0x30A1 && u <= 0x30FA) || u == 0x30FC || u == 0x30FD || u == 0x30FE ||
      (u >= 0xFF66 && u <= 0xFF9F))
    return Script::Katakana;
  if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF) ||
      u == 0x3005)
    return Script::Kanji;
  if (c.isHighSurrogate() || c.isLowSurrogate()) return Script::Kanji;  // the rarer ideographs
  return Script::Other;
}

}  // namespace

QString makeWordSeparetedString(const QString& text) {
  QString result;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const Script script = scriptOf(text[i]);
    if (script == Script::Other) {
      ++i;
      continue;
    }
    qsizetype end = i + 1;
    while (end < n && scriptOf(text[end]) == script) ++end;
    if (script == Script::Kanji || script == Script::Katakana)
      while (end < n && scriptOf(text[end]) == Script::Hiragana) ++end;
    qsizetype keep = i;
    while (keep < end && !kWordCutCharacters.contains(text[keep])) ++keep;
    if (keep > i) result += text.mid(i, keep - i) + QLatin1Char(' ');
    i = end;
  }
  return result;
}

}  // namespace pravella
