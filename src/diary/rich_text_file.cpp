#include "diary/rich_text_file.h"

#include <QFile>
#include <QFileInfo>

#include "platform/console_log.h"

namespace pravella {

std::optional<QString> readRichTextFileAsPlainText(const QString& path) {
  const QFileInfo info(path);
  const QString file = info.isDir() ? path + QStringLiteral("/TXT.rtf") : path;
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) {
    showErrMessageToConsole(QStringLiteral("Can not read %1: %2\n").arg(path, in.errorString()).toStdString());
    return std::nullopt;
  }
  const QByteArray data = in.readAll();
  // A file without the RTF signature is plain text, which the rich text reader has always
  // accepted too.
  if (!data.startsWith("{\\rtf")) return QString::fromUtf8(data);
  // The RTF reader of the platform layer is not in place yet.
  showErrMessageToConsole(
      QStringLiteral("Can not read %1: no RTF reader is available yet\n").arg(path).toStdString());
  return std::nullopt;
}

}  // namespace pravella
