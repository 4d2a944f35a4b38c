#include "editors/attachment_name.h"

#include <QTextCursor>
#include <QTextDocument>

#include "platform/rtf.h"

namespace pravella {

QString attachmentFileNameAt(const QTextDocument& doc, int position) {
  // The click lands before or after the attachment's character.
  for (const int at : {position + 1, position}) {
    if (at < 1 || at > doc.characterCount() - 1 ||
        doc.characterAt(at - 1) != QChar::ObjectReplacementCharacter)
      continue;
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(at);
    const QString name = c.charFormat().property(rtf::kAttachmentFileName).toString();
    if (!name.isEmpty() && !name.contains(QLatin1Char('/'))) return name;
  }
  return QString();
}

}  // namespace pravella
