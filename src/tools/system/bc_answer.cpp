#include "tools/system/bc_answer.h"

namespace pravella::bc {

QString script(const QString& selection) {
  QString text = selection;
  // The memo's own line and paragraph separators are line ends to bc.
  text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
  return QStringLiteral("scale = 4\n") + text + QStringLiteral("\nquit\n");
}

QString answer(const QString& standardOutput, const QString& standardError) {
  if (standardOutput.isEmpty()) return u'\n' + standardError;
  QString text = QStringLiteral(" = ") + standardOutput;
  if (text.endsWith(u'\n') || text.endsWith(u'\r')) text.chop(1);
  return text;
}

}  // namespace pravella::bc
