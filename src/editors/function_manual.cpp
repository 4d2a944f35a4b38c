#include "editors/function_manual.h"

#include <QTextDocument>

#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace pravella {

QString functionNameListPath() { return paths::diary() + QStringLiteral("/Manual/functionName.rtf"); }

std::optional<QStringList> readFunctionNameList() {
  bool ok = false;
  const QString text = plainTextOfRichTextFile(functionNameListPath(), &ok);
  if (!ok) return std::nullopt;
  return text.split(QLatin1Char('\n'));
}

QStringList matchFunctionNames(const QStringList& lines, const QString& find) {
  QStringList out;
  const QString folded = find.toCaseFolded();
  for (const QString& line : lines)
    if (line.toCaseFolded().contains(folded)) out << line;
  return out;
}

QString titleWithoutExtension(const QString& line) {
  const qsizetype slash = line.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = line.lastIndexOf(QLatin1Char('.'));
  // A dot that starts the last part ("/.profile") or ends the line is no extension.
  if (dot <= slash + 1 || dot == line.size() - 1) return line;
  return line.left(dot);
}

QString manualFunctionName(const QString& title) {
  const qsizetype paren = title.indexOf(QLatin1Char('('));
  if (paren <= 0 || paren == title.size() - 1) return QString();
  return title.left(paren);
}

}  // namespace pravella
