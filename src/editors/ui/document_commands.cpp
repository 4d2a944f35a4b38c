#include "editors/ui/document_commands.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <optional>

#include "editors/memo_format.h"
#include "editors/program_text_lines.h"
#include "editors/ui/memo_height.h"
#include "lang/builtins/command_bridge.h"
#include "lang/report.h"
#include "platform/font_aliases.h"
#include "platform/rich_text_file.h"

namespace pravella::doc_commands {

namespace {

int textLength(QTextEdit* view) { return view->document()->characterCount() - 1; }

// A whole number field as the bridge writes it ("%ld"); also a real, cut toward zero.
std::optional<double> number(const QString& field) {
  bool ok = false;
  const double v = field.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

QString currentFamily(QTextEdit* view) {
  const QTextCharFormat f = view->currentCharFormat();
  const QStringList families = f.fontFamilies().toStringList();
  if (!families.isEmpty() && !families.first().isEmpty()) return families.first();
  return view->currentFont().family();
}

double currentSize(QTextEdit* view) {
  const double size = view->currentCharFormat().fontPointSize();
  return size > 0 ? size : view->currentFont().pointSizeF();
}

}  // namespace

void answerSelectedText(QTextEdit* view) { answerString(view->textCursor().selection().toPlainText()); }

void answerAllText(QTextEdit* view) { answerString(plainTextOf(*view->document())); }

void answerSelectedRange(QTextEdit* view) {
  const QTextCursor c = view->textCursor();
  const double row[2] = {static_cast<double>(c.selectionStart()),
                         static_cast<double>(c.selectionEnd() - c.selectionStart())};
  answerNumbers(row);
}

void answerLength(QTextEdit* view) {
  const double row[2] = {0, static_cast<double>(textLength(view))};
  answerNumbers(row);
}

void selectClamped(QTextEdit* view, int start, int length) {
  const int last = textLength(view);
  start = std::clamp(start, 0, last);
  length = std::clamp(length, 0, last - start);
  QTextCursor c(view->document());
  c.setPosition(start);
  c.setPosition(start + length, QTextCursor::KeepAnchor);
  view->setTextCursor(c);
}

void selectRange(QTextEdit* view, const QString& payload) {
  const QStringList f = payload.split(QLatin1Char('\t'));
  if (f.size() != 2) return;
  const std::optional<double> start = number(f[0]), length = number(f[1]);
  if (!start || !length) return;
  const auto toInt = [](double v) { return static_cast<int>(std::clamp(v, -2e9, 2e9)); };
  selectClamped(view, toInt(*start), toInt(*length));
}

void selectAll(QTextEdit* view) { selectClamped(view, 0, textLength(view)); }

void insertText(QTextEdit* view, const QString& text) {
  QTextCursor at = view->textCursor();
  at.beginEditBlock();
  at.removeSelectedText();
  // Only as much as the view can show (see memo_height.h); the command fails with the reason.
  double lineHeight = 0;
  const qsizetype fits = textThatFits(at, text, &lineHeight);
  insertInBoundedLines(at, fits == text.size() ? text : text.left(fits));
  at.endEditBlock();
  view->setTextCursor(at);
  if (fits < text.size()) {
    error_disp(tooTallMessage(lineHeight).toStdString());
    failCommand();
  }
}

void setFontName(QTextEdit* view, const QString& name) {
  if (!memo_format::fontInstalled(name)) return;
  fonts::installFontAliases();
  QTextCharFormat f;
  f.setFontFamilies(QStringList{name});
  f.setFontPointSize(currentSize(view));
  view->mergeCurrentCharFormat(f);
}

void setFontSize(QTextEdit* view, const QString& payload) {
  const std::optional<double> size = number(payload);
  if (!size || *size < 1 || *size > 10000) return;
  QTextCharFormat f;
  f.setFontFamilies(QStringList{currentFamily(view)});
  f.setFontPointSize(*size);
  view->mergeCurrentCharFormat(f);
}

void setFontColour(QTextEdit* view, const QString& payload) {
  const QStringList parts = payload.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  if (parts.size() != 3) return;
  double rgb[3];
  for (int i = 0; i < 3; ++i) {
    const std::optional<double> v = number(parts[i]);
    if (!v || *v < 0 || *v > 1) return;
    rgb[i] = *v;
  }
  QTextCharFormat f;
  f.setForeground(QColor::fromRgbF(static_cast<float>(rgb[0]), static_cast<float>(rgb[1]),
                                   static_cast<float>(rgb[2]), 1.0f));
  view->mergeCurrentCharFormat(f);
}

}  // namespace pravella::doc_commands
