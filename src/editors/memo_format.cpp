#include "editors/memo_format.h"

#include <QFile>
#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

#include "platform/font_aliases.h"
#include "platform/paths.h"

namespace pravella::memo_format {

QColor colourCycle(int index) {
  static const float kRgb[kColourCycleLength][3] = {
      {0, 0, 0},          {1, 0, 0},          {0, 1, 0},          {0, 0, 1},
      {0.6f, 0.2f, 0.2f}, {0.2f, 0.6f, 0.2f}, {0.2f, 0.2f, 0.6f}, {0.6f, 0.6f, 0.2f},
      {0.6f, 0.2f, 0.6f}, {0.2f, 0.6f, 0.6f}, {0.8f, 0.8f, 0.8f},
  };
  const float* c = kRgb[((index % kColourCycleLength) + kColourCycleLength) % kColourCycleLength];
  return QColor::fromRgbF(c[0], c[1], c[2], 1.0f);
}

QString dateStampText(const QDateTime& when, bool withTime) {
  const QDate d = when.date();
  if (!withTime) return QString::asprintf(" [%4d/%02d/%02d] ", d.year(), d.month(), d.day());
  const QTime t = when.time();
  return QString::asprintf(" [%4d/%02d/%02d %02d:%02d:%02d] ", d.year(), d.month(), d.day(), t.hour(),
                           t.minute(), t.second());
}

void insertDateStamp(QTextCursor& cursor, const QDateTime& when, bool withTime, const QColor& colour) {
  const int start = cursor.selectionStart();
  cursor.beginEditBlock();
  cursor.insertText(dateStampText(when, withTime));
  QTextCursor run(cursor.document());
  run.setPosition(start + 2);
  run.setPosition(start + 2 + (withTime ? 19 : 10), QTextCursor::KeepAnchor);
  QTextCharFormat format;
  format.setForeground(colour);
  run.mergeCharFormat(format);
  cursor.endEditBlock();
}

bool fontInstalled(const QString& name) {
  if (name.trimmed().isEmpty()) return false;
  return QFontDatabase::hasFamily(name) || QFontDatabase::hasFamily(fonts::familyFor(name));
}

Range fontCommandRange(int selectionStart, int selectionLength, int textLength) {
  if (selectionLength > 0 && selectionLength < textLength) return {selectionStart, selectionLength};
  return {0, textLength};
}

namespace {

void setFontOver(QTextDocument& document, int start, int end, const QString& name, double pointSize,
                 const std::optional<QColor>& colour) {
  QTextCursor c(&document);
  c.setPosition(start);
  c.setPosition(end, QTextCursor::KeepAnchor);
  QTextCharFormat format;
  format.setFontFamilies(QStringList{name});
  format.setFontPointSize(pointSize);
  if (colour) format.setForeground(*colour);
  c.mergeCharFormat(format);
}

bool usableSize(double pointSize) { return std::isfinite(pointSize) && pointSize >= 1 && pointSize <= 10000; }

}  // namespace

bool applyFont(QTextDocument& document, Range range, const QString& name, double pointSize,
               std::optional<QColor> colour) {
  if (!fontInstalled(name) || !usableSize(pointSize)) return false;
  const int length = document.characterCount() - 1;
  const int start = std::clamp(range.start, 0, length);
  const int end = std::clamp(range.start + std::max(range.length, 0), start, length);
  fonts::installFontAliases();
  setFontOver(document, start, end, name, pointSize, colour);
  return true;
}

QString indexCharacters() {
  QFile file(paths::preferences() + QStringLiteral("/indexChar.dat"));
  if (file.exists() && file.open(QIODevice::ReadOnly)) return QString::fromUtf8(file.readAll());
  return QString::fromUtf8(
      "\xE2\x96\xA0\xE2\x96\xA1\xE2\x97\x86\xE2\x97\x87\xE2\x97\x8F\xE2\x97\x8B\xE2\x97\x8E"
      "\xE2\x96\xB2\xE2\x96\xB3\xE2\x96\xBC\xE2\x96\xBD\xE2\x80\xBB");
}

QColor headingColour() { return QColor::fromRgbF(0.26f, 0.32f, 0.08f, 1.0f); }

bool standardDocument(QTextDocument& document, const QString& indexChars, double pointSize) {
  const QString heading = QString::fromLatin1(kHeadingFont), body = QString::fromLatin1(kBodyFont);
  const bool headingOk = fontInstalled(heading), bodyOk = fontInstalled(body);
  if ((!headingOk && !bodyOk) || !usableSize(pointSize)) return false;
  fonts::installFontAliases();
  const QList<uint> marks = indexChars.toUcs4();
  const int length = document.characterCount() - 1;
  QTextCursor edit(&document);
  edit.beginEditBlock();
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    const QString text = b.text();
    const bool isHeading = !text.isEmpty() && marks.contains(text.toUcs4().value(0));
    // Each line with its line end; the last has none.
    const int start = b.position(), end = std::min(b.position() + b.length(), length);
    if (isHeading && headingOk) setFontOver(document, start, end, heading, pointSize, headingColour());
    if (!isHeading && bodyOk) setFontOver(document, start, end, body, pointSize, std::nullopt);
  }
  edit.endEditBlock();
  return true;
}

}  // namespace pravella::memo_format
