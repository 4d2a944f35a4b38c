#include "tools/system/bc_answer.h"
#include "platform/rich_text_file.h"

namespace pravella::bc {

QString script(const QString& selection) {
  // The memo's own line and paragraph separators are line ends to bc.
  return QStringLiteral("scale = 4\n") + withLineFeeds(selection) + QStringLiteral("\nquit\n");
}

QString answer(const QString& standardOutput, const QString& standardError) {
  if (standardOutput.isEmpty()) return u'\n' + standardError;
  QString text = QStringLiteral(" = ") + standardOutput;
  if (text.endsWith(u'\n') || text.endsWith(u'\r')) text.chop(1);
  return text;
}

}  // namespace pravella::bc
