#include "diary/search_document.h"

#include <QColor>
#include <QFileInfo>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include "diary/day_documents.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace pravella {

namespace {

// The paragraph under the caret takes a first-line and head indent of `indent` points.
void setIndent(QTextCursor& cursor, double indent) {
  QTextBlockFormat format = cursor.blockFormat();
  format.setLeftMargin(indent);
  format.setTextIndent(0);
  cursor.setBlockFormat(format);
}

QString dayText(const QString& day) {
  const QStringList parts = day.split(QLatin1Char('/'));
  auto at = [&](int i) { return i < parts.size() ? static_cast<int>(leadingInteger(parts[i])) : 0; };
  return QString::asprintf("%4d/%02d/%02d/", at(0), at(1), at(2));
}

bool isManual(const MonthListEntry& row) { return row.day == kManualDay; }

}  // namespace

QString memoOpening(const QString& plainText) {
  qsizetype at = -1;
  for (qsizetype i = 0; i < plainText.size(); ++i) {
    if (plainText[i] == QLatin1Char('\n') || plainText[i] == QLatin1Char('\r')) {
      at = i;
      break;
    }
  }
  QString out;
  if (at < 0) return out;
  for (qsizetype i = at; i < plainText.size() && out.size() < kSearchDocumentOpening; ++i) {
    const QChar c = plainText[i];
    if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) out += c;
  }
  return out;
}

void buildSearchDocument(QTextDocument& doc, const MonthList& rows, const QFont& font,
                         const std::function<void(int row)>& progress) {
  // The text goes, the paragraph style of its start (a template's) stays.
  QTextCursor cursor(&doc);
  cursor.select(QTextCursor::Document);
  cursor.removeSelectedText();
  doc.setDefaultFont(font);
  QTextCharFormat red;
  red.setFont(font);
  red.setForeground(QColor::fromRgbF(1.0f, 0.0f, 0.0f));
  QTextCharFormat black;
  black.setFont(font);
  black.setForeground(QColor::fromRgbF(0.0f, 0.0f, 0.0f));
  cursor.beginEditBlock();
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    if (progress) progress(i);
    const MonthListEntry& row = rows[static_cast<size_t>(i)];
    const QString name = isManual(row) ? QFileInfo(row.diaryFiles).fileName() : row.diaryFiles;
    const QString suffix = QFileInfo(name).suffix();
    const bool package = suffix == QLatin1String("rtfd");
    const QString shown =
        package || suffix == QLatin1String("rtf") ? QFileInfo(name).completeBaseName() : name;
    cursor.insertText(QStringLiteral(" [") + dayText(row.day), red);
    setIndent(cursor, 0);
    cursor.insertText(shown + QStringLiteral("] \n"), red);
    setIndent(cursor, 30);
    if (package) {
      const QString path =
          isManual(row) ? row.diaryFiles : paths::diary() + QLatin1Char('/') + dayText(row.day) + name;
      bool ok = false;
      const QString text = plainTextOfRichTextFile(resolveSymbolicLink(path).value_or(path), &ok);
      if (ok)
        cursor.insertText(text.isEmpty() ? QStringLiteral("\n") : memoOpening(text) + QStringLiteral("\n\n"),
                          black);
    }
    setIndent(cursor, 0);
  }
  cursor.insertText(QStringLiteral(" "), black);
  cursor.endEditBlock();
  doc.setModified(false);
}

}  // namespace pravella
