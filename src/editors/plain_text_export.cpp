#include "editors/plain_text_export.h"

#include <QStringDecoder>

#include "platform/bounded_read.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/text_encoding.h"

namespace pravella {
namespace {

// Text files larger than this are no memo text.
constexpr qint64 kMaxImportBytes = qint64{256} << 20;

}  // namespace

QString textExportPath(const QString& documentPath) {
  const qsizetype slash = documentPath.lastIndexOf(u'/');
  const qsizetype dot = documentPath.lastIndexOf(u'.');
  // A dot that begins the file name (".notes") is no extension.
  const QString base = dot > slash + 1 ? documentPath.left(dot) : documentPath;
  return base + QStringLiteral(".txt");
}

WriteResult writeShiftJISText(const QString& path, const QString& text, int* replaced) {
  int count = 0;
  bool ok = false;
  const QByteArray bytes = encoding::encodeLossy(text, encoding::kShiftJIS, &count, &ok);
  if (replaced) *replaced = count;
  if (!ok)
    return WriteResult{false, QStringLiteral("Cannot save \"%1\": Shift-JIS is not available.").arg(path)};
  if (count > 0)
    showErrMessageToConsole(
        cformat("Text export: %d characters that Shift-JIS cannot hold were written as \"?\".\n", count));
  return writeFileAtomically(path, bytes);
}

std::optional<QString> readTextFileForImport(const QString& path) {
  // Only a file, and only so much of it: a named pipe or a link to a device is no text.
  const BoundedRead read = readRegularFile(path, kMaxImportBytes);
  if (!read) return std::nullopt;
  const QByteArray& data = read.data;

  // A byte-order mark names the encoding.
  if (auto bom = QStringConverter::encodingForData(data)) {
    QStringDecoder decoder(*bom);
    return QString(decoder(data));
  }
  bool ok = false;
  if (data.contains("\x1B$B") || data.contains("\x1B$@") || data.contains("\x1B(J")) {
    const QString text = encoding::decode(data, encoding::kIso2022JP, &ok);
    if (ok) return text;
  }
  // Valid UTF-8 is almost never an accident.
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString asUtf8 = utf8(data);
  if (!utf8.hasError()) return asUtf8;
  // EUC-JP before Shift-JIS: EUC's kana pairs also read as Shift-JIS half-width katakana, while
  // Shift-JIS's kana (lead byte 0x82, 0x83) are no EUC-JP.
  for (const char* code : {encoding::kEucJP, encoding::kShiftJIS}) {
    const QString text = encoding::decode(data, code, &ok);
    if (ok) return text;
  }
  return encoding::decodeLossy(data, "CP1252");
}

}  // namespace pravella
